#pragma once

#include <QString>

namespace tallimo::platform {

// The logged-on user's name; "0" when it cannot be had.
QString loggedOnUserName();
// The user's documents folder, without a trailing separator.
QString documentsFolder();
// The folder for temporary files, without a trailing separator.
QString temporaryFolder();

}  // namespace tallimo::platform
