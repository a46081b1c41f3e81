#include "NumberFormat.h"

namespace tallimo::host {

QString displayTextOf(const CellValue& value, const numfmt::FormatCode& format) {
    switch (value.kind) {
        case CellValue::Kind::Empty:
            return {};
        case CellValue::Kind::Text:
            return format.formatText(value.text);
        case CellValue::Kind::Error:
            return value.text;
        case CellValue::Kind::Boolean:
            return value.number != 0 ? u"TRUE"_qs : u"FALSE"_qs;
        case CellValue::Kind::Number:
            break;
    }
    return format.formatNumber(value.number);
}

QString formatCellValue(const CellValue& value, const QString& numberFormat) {
    return displayTextOf(value, numfmt::FormatCode(numberFormat));
}

}  // namespace tallimo::host
