#include "FormatSection.h"

#include <QDate>
#include <cmath>
#include <cstdint>

namespace tallimo::numfmt {
namespace {

// 31 December 9999, the last day a spreadsheet shows.
constexpr double kLastSerial = 2958465;

const char16_t* const kMonthNames[] = {u"January",   u"February", u"March",    u"April",
                                       u"May",       u"June",     u"July",     u"August",
                                       u"September", u"October",  u"November", u"December"};
const char16_t* const kDayNames[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};
const char16_t* const kChineseNumerals[] = {u"日", u"一", u"二", u"三", u"四",   u"五",  u"六",
                                            u"七", u"八", u"九", u"十", u"十一", u"十二"};

// A day of the 1900 date system as the spreadsheet shows it: serial 0 is 1900-01-00 and
// serial 60 the 29 February 1900 that never was.
struct CalendarDay {
    int year = 1900, month = 1, day = 0;
    int weekday = 0;  // 0 for Sunday
};

CalendarDay calendarDay(std::int64_t serial) {
    CalendarDay d;
    // Serial 1 is a Sunday on this calendar; from 61 on it agrees with the real one.
    d.weekday = int((serial + 6) % 7);
    if (serial == 0) return d;
    if (serial == 60) {
        d.month = 2;
        d.day = 29;
        return d;
    }
    const QDate date =
        serial < 60 ? QDate(1899, 12, 31).addDays(serial) : QDate(1899, 12, 30).addDays(serial);
    d.year = date.year();
    d.month = date.month();
    d.day = date.day();
    return d;
}

QString padded(std::int64_t number, int width) {
    return QString::number(number).rightJustified(width, u'0');
}

// A number of a date or time part, in Chinese numerals under [DBNum1] to [DBNum3].
QString part(const Section& s, std::int64_t number, int width, bool byDigit = false) {
    const QString digits = padded(number, width);
    return s.numerals ? chineseDatePart(digits, s.numerals, byDigit) : digits;
}

QString monthName(const Section& s, int month, int width) {
    if (s.chinese) {
        if (width == 3) return QString::number(month) + u"月"_qs;
        if (width == 5) return QString::fromUtf16(kChineseNumerals[month]).left(1);
        return QString::fromUtf16(kChineseNumerals[month]) + u"月"_qs;
    }
    const QString name = QString::fromUtf16(kMonthNames[month - 1]);
    return width == 3 ? name.left(3) : width == 5 ? name.left(1) : name;
}

QString dayName(const Section& s, int weekday, int width) {
    if (s.chinese)
        return (width == 3 ? u"周"_qs : u"星期"_qs) + QString::fromUtf16(kChineseNumerals[weekday]);
    const QString name = QString::fromUtf16(kDayNames[weekday]);
    return width == 3 ? name.left(3) : name;
}

}  // namespace

QString renderDate(const Section& section, double serial) {
    if (!(serial >= 0) || serial >= kLastSerial + 1) return QString(8, u'#');
    // Rounded to the shown fraction of a second, which may carry into the next day.
    std::int64_t perSecond = 1;
    for (int i = 0; i < section.secondDecimals; ++i)
        perSecond *= 10;
    const std::int64_t perDay = 86400 * perSecond;
    const std::int64_t ticks = std::llround(serial * double(perDay));
    const std::int64_t days = ticks / perDay;
    const std::int64_t totalSeconds = ticks / perSecond;
    const std::int64_t fraction = ticks % perSecond;
    const std::int64_t secondOfDay = totalSeconds % 86400;
    const int hour = int(secondOfDay / 3600);
    const int minute = int(secondOfDay / 60 % 60);
    const int second = int(secondOfDay % 60);
    // Rounding may carry past the last day.
    if (days > std::int64_t(kLastSerial)) return QString(8, u'#');
    const CalendarDay day = calendarDay(days);

    QString out;
    for (const Token& t : section.tokens) {
        switch (t.kind) {
            case TokenKind::Year:
                out += t.width == 2 ? part(section, day.year % 100, 2, true)
                                    : part(section, day.year, 4, true);
                break;
            case TokenKind::Month:
                out += part(section, day.month, t.width);
                break;
            case TokenKind::MonthName:
                out += monthName(section, day.month, t.width);
                break;
            case TokenKind::Day:
                out += part(section, day.day, t.width);
                break;
            case TokenKind::DayName:
                out += dayName(section, day.weekday, t.width);
                break;
            case TokenKind::WeekdayChinese:
                out += (t.width == 4 ? u"星期"_qs : QString()) +
                       QString::fromUtf16(kChineseNumerals[day.weekday]);
                break;
            case TokenKind::Hour: {
                const std::int64_t shown = section.elapsedHours ? totalSeconds / 3600
                                           : section.twelveHour ? (hour % 12 == 0 ? 12 : hour % 12)
                                                                : hour;
                out += part(section, shown, t.width);
                break;
            }
            case TokenKind::Minute:
                out += part(section, section.elapsedMinutes ? totalSeconds / 60 : minute, t.width);
                break;
            case TokenKind::Second:
                out += part(section, section.elapsedSeconds ? totalSeconds : second, t.width);
                break;
            case TokenKind::SecondFraction: {
                const QString digits = padded(fraction, section.secondDecimals);
                out += u'.' + (section.numerals
                                   ? chineseDatePart(digits.left(t.width), section.numerals, true)
                                   : digits.left(t.width));
                break;
            }
            case TokenKind::AmPm: {
                const QStringList marks =
                    section.chinese && t.text.compare(u"AM/PM", Qt::CaseInsensitive) == 0
                        ? QStringList{u"上午"_qs, u"下午"_qs}
                        : t.text.split(u'/');
                out += hour < 12 ? marks.value(0) : marks.value(1);
                break;
            }
            case TokenKind::Elapsed: {
                const std::int64_t total = t.symbol == u'h'   ? totalSeconds / 3600
                                           : t.symbol == u'm' ? totalSeconds / 60
                                                              : totalSeconds;
                out += part(section, total, t.width);
                break;
            }
            default:
                out += t.text;
                break;
        }
    }
    return out;
}

}  // namespace tallimo::numfmt
