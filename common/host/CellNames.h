#pragma once

#include <QString>

namespace tallimo::host {

// Column letters for 1..16384 (A, Z, AA, XFD).
QString columnName(int column);

}  // namespace tallimo::host
