#pragma once

#include <QString>

namespace tallimo {

// The folder that holds the running executable, without a trailing separator.
QString programFolder();

}  // namespace tallimo
