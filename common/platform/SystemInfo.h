#pragma once

#include <QString>

namespace tallimo::platform {

// The user's documents folder, without a trailing separator.
QString documentsFolder();
// The folder for temporary files, without a trailing separator.
QString temporaryFolder();

}  // namespace tallimo::platform
