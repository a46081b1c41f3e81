#include "NearMiss.h"
#include "Text.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace tallimo::core::nearmiss {
namespace {

const qint64 kEpochJulian = QDate(1970, 1, 1).toJulianDay();

std::optional<int> dayOf(int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return int(date.toJulianDay() - kEpochJulian);
}

}  // namespace

std::optional<int> dayFromText(QStringView text) {
    static const QRegularExpression separated(
        QStringLiteral(R"(^(\d{4})([-/.])(\d{1,2})\2(\d{1,2})$)"));
    static const QRegularExpression chinese(QStringLiteral(R"(^(\d{4})年(\d{1,2})月(\d{1,2})日$)"));
    static const QRegularExpression compact(QStringLiteral(R"(^(\d{4})(\d{2})(\d{2})$)"));
    const QString trimmed = trimSpaces(text).toString();
    if (auto m = separated.match(trimmed); m.hasMatch())
        return dayOf(m.capturedView(1).toInt(), m.capturedView(3).toInt(),
                     m.capturedView(4).toInt());
    for (const QRegularExpression* form : {&chinese, &compact}) {
        if (auto m = form->match(trimmed); m.hasMatch())
            return dayOf(m.capturedView(1).toInt(), m.capturedView(2).toInt(),
                         m.capturedView(3).toInt());
    }
    return std::nullopt;
}

std::optional<int> dayFromSerial(double serial) {
    // Serial 1 is 1900-01-01 and serial 60 the leap day 1900 never had.
    if (!std::isfinite(serial) || serial < 1 || serial >= 2958466 || std::floor(serial) == 60)
        return std::nullopt;
    const qint64 whole = qint64(std::floor(serial));
    return int(whole - (whole < 60 ? 25568 : 25569));
}

std::optional<int> cellDay(const DateCell& cell) {
    if (cell.dateSerial) return dayFromSerial(*cell.dateSerial);
    return dayFromText(cell.text);
}

int mostlyDatesColumn(const QList<QList<DateCell>>& columns) {
    for (qsizetype c = 0; c < columns.size(); ++c) {
        qsizetype filled = 0, dates = 0;
        for (const DateCell& cell : columns[c]) {
            if (!cell.dateSerial && trimSpaces(cell.text).isEmpty()) continue;
            ++filled;
            if (cellDay(cell)) ++dates;
        }
        if (filled > 0 && dates * 2 > filled) return int(c);
    }
    return -1;
}

}  // namespace tallimo::core::nearmiss
