#include "NumberFormat.h"

#include <QHash>

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
    // Callers without a cell format (typed entries, CSV fields) use a handful of codes, each
    // compiled once.
    thread_local QHash<QString, numfmt::FormatCode> compiled;
    auto found = compiled.constFind(numberFormat);
    if (found == compiled.cend()) {
        if (compiled.size() >= 256) compiled.clear();
        found = compiled.insert(numberFormat, numfmt::FormatCode(numberFormat));
    }
    return displayTextOf(value, *found);
}

}  // namespace tallimo::host
