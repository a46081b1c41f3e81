#include "NearMiss.h"
#include "Text.h"

#include <QDate>

namespace tallimo::core::nearmiss {
namespace {

const qint64 kEpochJulian = QDate(1970, 1, 1).toJulianDay();

// Reads `count` to `most` digits at `at`; every row of a ledger's date column passes through
// here, so no regular expressions.
std::optional<int> digits(QStringView text, qsizetype& at, int count, int most) {
    int value = 0, read = 0;
    while (at < text.size() && read < most && text[at] >= u'0' && text[at] <= u'9') {
        value = value * 10 + (text[at].unicode() - u'0');
        ++at;
        ++read;
    }
    if (read < count) return std::nullopt;
    return value;
}

bool take(QStringView text, qsizetype& at, QChar c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

// What may follow the date: nothing, or a time of day after a space or "T" (bank exports write
// "2024-01-02 10:30:00").
bool endsOrTime(QStringView rest) {
    if (rest.isEmpty()) return true;
    if (rest[0] != u' ' && rest[0] != u'T') return false;
    rest = rest.mid(1);
    if (!rest.contains(u':')) return false;
    for (QChar c : rest)
        if (!(c.isDigit() || c == u':' || c == u'.')) return false;
    return true;
}

std::optional<int> dayOf(int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return int(date.toJulianDay() - kEpochJulian);
}

}  // namespace

std::optional<int> dayFromText(QStringView text) {
    text = trimSpaces(text);
    qsizetype at = 0;
    const std::optional<int> year = digits(text, at, 4, 4);
    if (!year) return std::nullopt;
    if (at < text.size() && text[at].isDigit()) {  // 20240102
        const auto month = digits(text, at, 2, 2);
        const auto day = digits(text, at, 2, 2);
        if (!month || !day || at != text.size()) return std::nullopt;
        return dayOf(*year, *month, *day);
    }
    if (at >= text.size()) return std::nullopt;
    const QChar separator = text[at];
    const bool chinese = separator == u'年';
    if (!chinese && separator != u'-' && separator != u'/' && separator != u'.')
        return std::nullopt;
    ++at;
    const auto month = digits(text, at, 1, 2);
    if (!month || !take(text, at, chinese ? QChar(u'月') : separator)) return std::nullopt;
    const auto day = digits(text, at, 1, 2);
    if (!day || (chinese && !take(text, at, u'日'))) return std::nullopt;
    if (!endsOrTime(text.mid(at))) return std::nullopt;
    return dayOf(*year, *month, *day);
}

bool mostlyDates(const TextGrid& grid, int column) {
    qsizetype filled = 0, dates = 0;
    for (int row = 0; row < grid.rowCount(); ++row) {
        const QStringView cell = grid.cell(row, column);
        if (trimSpaces(cell).isEmpty()) continue;
        ++filled;
        if (dayFromText(cell)) ++dates;
    }
    return filled > 0 && dates * 2 > filled;
}

}  // namespace tallimo::core::nearmiss
