#pragma once

#include "FormatCode.h"
#include "HostTypes.h"

#include <QString>

namespace tallimo::host {

// The text a spreadsheet shows for a value under a number format, as it also lands on the
// clipboard: numbers through the format's number sections, texts through its text section,
// truth values and errors as they stand.
QString displayTextOf(const CellValue& value, const numfmt::FormatCode& format);
QString formatCellValue(const CellValue& value, const QString& numberFormat);

}  // namespace tallimo::host
