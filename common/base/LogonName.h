#pragma once

#include <QString>

namespace tallimo {

// The logged-on user's name, as the report names its author; "0" when it cannot be had.
QString loggedOnUserName();

}  // namespace tallimo
