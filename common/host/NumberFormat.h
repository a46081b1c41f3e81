#pragma once

#include "HostTypes.h"

#include <QString>

namespace tallimo::host {

// The text a spreadsheet shows for a value under a number format, as it also lands on the
// clipboard: General (at most 15 significant digits, 1E+20 beyond), numeric formats with
// decimals, group separators, percent and literal text, and date-time formats.
QString formatCellValue(const CellValue& value, const QString& numberFormat);

// The format code of a built-in number format id of the file format (14 gives "yyyy/m/d");
// empty for an id without a built-in code.
QString builtinNumberFormat(int id);

}  // namespace tallimo::host
