#include "NumberFormat.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace tallimo::host {
namespace {

// |value| rounded half away from zero to `decimals` places, taken from its 15 significant
// digits as the spreadsheet does: 1.005 with two places gives 1.01.
QString fixedDigits(double value, int decimals) {
    const QString scientific = QString::asprintf("%.14e", std::fabs(value));
    const qsizetype e = scientific.indexOf(u'e');
    const QString digits = scientific.left(e).remove(u'.');
    const int exponent = scientific.mid(e + 1).toInt();
    // `scaled` becomes the value times 10^decimals, rounded, as decimal digits.
    const int keep = exponent + 1 + decimals;
    QString scaled;
    if (keep <= 0) {
        scaled = keep == 0 && digits[0] >= u'5' ? u"1"_qs : u"0"_qs;
    } else {
        scaled = digits.left(keep).leftJustified(keep, u'0');
        if (keep < digits.size() && digits[keep] >= u'5') {
            int i = keep - 1;
            while (i >= 0 && scaled[i] == u'9')
                scaled[i--] = u'0';
            if (i >= 0)
                scaled[i] = QChar(scaled[i].unicode() + 1);
            else
                scaled.prepend(u'1');
        }
    }
    if (scaled.size() <= decimals) scaled.prepend(QString(decimals - scaled.size() + 1, u'0'));
    QString integerPart = scaled.left(scaled.size() - decimals);
    while (integerPart.size() > 1 && integerPart.startsWith(u'0'))
        integerPart.remove(0, 1);
    return decimals > 0 ? integerPart + u'.' + scaled.right(decimals) : integerPart;
}

QString general(double value) {
    if (value == 0) return u"0"_qs;
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e < 0) return text;
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    const QChar sign = exponent[0];
    exponent = exponent.mid(1);
    while (exponent.size() > 2 && exponent.startsWith(u'0'))
        exponent.remove(0, 1);
    if (exponent.size() < 2) exponent.prepend(u'0');
    return mantissa + u'E' + sign + exponent;
}

QString groupThousands(const QString& integerPart) {
    QString grouped;
    const qsizetype n = integerPart.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped.append(u',');
        grouped.append(integerPart[i]);
    }
    return grouped;
}

// The sections of a format code split at ";" outside quotes.
QStringList sections(const QString& code) {
    QStringList parts;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') quoted = !quoted;
        if (c == u'\\' && i + 1 < code.size()) {
            current.append(c).append(code[++i]);
            continue;
        }
        if (c == u';' && !quoted) {
            parts.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current);
    return parts;
}

// Literal text of a format piece: quoted text, escaped characters, [$¥-804] currency symbols;
// colour and condition brackets, fill (*x) and padding (_x) are dropped or become a space.
QString literal(const QString& piece) {
    QString out;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const QChar c = piece[i];
        if (c == u'"') {
            const qsizetype end = piece.indexOf(u'"', i + 1);
            out.append(piece.mid(i + 1, (end < 0 ? piece.size() : end) - i - 1));
            i = end < 0 ? piece.size() : end;
        } else if (c == u'\\' && i + 1 < piece.size()) {
            out.append(piece[++i]);
        } else if (c == u'_' && i + 1 < piece.size()) {
            out.append(u' ');
            ++i;
        } else if (c == u'*' && i + 1 < piece.size()) {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = piece.indexOf(u']', i);
            const QString inside = piece.mid(i + 1, (end < 0 ? piece.size() : end) - i - 1);
            if (inside.startsWith(u'$')) out.append(inside.mid(1).section(u'-', 0, 0));
            i = end < 0 ? piece.size() : end;
        } else {
            out.append(c);
        }
    }
    return out;
}

// The position of the first format code at or after `from`, passing over literal text: quoted
// text and the character after \, _ or *. section.size() when no code is left.
qsizetype nextCode(const QString& section, qsizetype from) {
    for (qsizetype i = from; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            if (close < 0) break;
            i = close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else {
            return i;
        }
    }
    return section.size();
}

// A section is a date-time format when a date or time letter stands outside its literal text.
bool isDateFormat(const QString& section) {
    for (qsizetype i = nextCode(section, 0); i < section.size(); i = nextCode(section, i + 1)) {
        const QChar c = section[i];
        if (c == u'[') {
            const qsizetype end = section.indexOf(u']', i);
            if (end < 0) return false;
            const QString inside = section.mid(i + 1, end - i - 1).toLower();
            if (inside == u"h" || inside == u"hh" || inside == u"m" || inside == u"mm" ||
                inside == u"s" || inside == u"ss")
                return true;
            i = end;
            continue;
        }
        const QChar l = c.toLower();
        if (l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u's') return true;
    }
    return false;
}

QString formatNumber(double value, const QString& section) {
    // Split into prefix, placeholder run and suffix.
    qsizetype first = -1, last = -1;
    for (qsizetype i = nextCode(section, 0); i < section.size(); i = nextCode(section, i + 1)) {
        const QChar c = section[i];
        if (c == u'[') {
            i = std::max(i, section.indexOf(u']', i));
            continue;
        }
        const bool placeholder = c == u'0' || c == u'#' || c == u'?';
        if (placeholder && first < 0) first = i;
        if (first >= 0 && (placeholder || c == u'.' || c == u',')) last = i;
    }
    if (section.contains(u'%')) value *= 100;
    if (first < 0) return literal(section);
    const qsizetype exponentMark = section.indexOf(u"E+", first, Qt::CaseInsensitive);
    if (exponentMark > 0) {
        const int places = int(section.mid(first, exponentMark - first).count(u'0')) - 1;
        QString text = QString::number(value, 'E', std::max(places, 0));
        return literal(section.left(first)) + text;
    }
    const QString pattern = section.mid(first, last - first + 1);
    const qsizetype point = pattern.indexOf(u'.');
    const QString integerPattern = point < 0 ? pattern : pattern.left(point);
    const QString fractionPattern = point < 0 ? QString() : pattern.mid(point + 1);
    const int decimals = int(fractionPattern.count(u'0') + fractionPattern.count(u'#') +
                             fractionPattern.count(u'?'));
    const int requiredDecimals = int(fractionPattern.count(u'0'));
    QString digits = fixedDigits(value, decimals);
    QString integerPart = digits.section(u'.', 0, 0);
    QString fraction = digits.section(u'.', 1);
    while (fraction.size() > requiredDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (integerPart == u"0" && !integerPattern.contains(u'0')) integerPart.clear();
    if (integerPattern.contains(u',')) integerPart = groupThousands(integerPart);
    QString number = integerPart;
    if (point >= 0) number += u'.' + fraction;
    return literal(section.left(first)) + number + literal(section.mid(last + 1));
}

// "m" means minutes right after hours or right before seconds.
bool nextDatePartIsSecond(const QString& section, qsizetype from) {
    for (qsizetype i = from; i < section.size(); ++i) {
        const QChar c = section[i].toLower();
        if (c == u'y' || c == u'm' || c == u'd' || c == u'h') return false;
        if (c == u's') return true;
    }
    return false;
}

QString formatDate(double serial, const QString& section) {
    // The 1900 date system, with its phantom 29 February 1900 (serial 60).
    const auto days = qint64(std::floor(serial));
    const QDate date =
        days < 60 ? QDate(1899, 12, 31).addDays(days) : QDate(1899, 12, 30).addDays(days);
    const auto seconds = qint64(std::llround((serial - std::floor(serial)) * 86400.0));
    const QTime time = QTime(0, 0).addSecs(int(seconds % 86400));
    const bool twelveHour = section.contains(u"AM/PM", Qt::CaseInsensitive);
    QString out;
    bool lastWasHour = false;
    for (qsizetype i = 0; i < section.size();) {
        const QChar c = section[i].toLower();
        qsizetype run = 1;
        while (i + run < section.size() && section[i + run].toLower() == c)
            ++run;
        if (c == u'y') {
            out += run <= 2 ? QString::number(date.year() % 100).rightJustified(2, u'0')
                            : QString::number(date.year());
        } else if (c == u'm') {
            const bool minute = lastWasHour || nextDatePartIsSecond(section, i + run);
            const int number = minute ? time.minute() : date.month();
            if (run >= 3 && !minute)
                out += QLocale::c().monthName(
                    date.month(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            else
                out += run >= 2 ? QString::number(number).rightJustified(2, u'0')
                                : QString::number(number);
        } else if (c == u'd') {
            if (run >= 3)
                out += QLocale::c().dayName(date.dayOfWeek(),
                                            run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            else
                out += run == 2 ? QString::number(date.day()).rightJustified(2, u'0')
                                : QString::number(date.day());
        } else if (c == u'h') {
            int hour = time.hour();
            if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
            out += run >= 2 ? QString::number(hour).rightJustified(2, u'0') : QString::number(hour);
        } else if (c == u's') {
            out += run >= 2 ? QString::number(time.second()).rightJustified(2, u'0')
                            : QString::number(time.second());
        } else if (c == u'a' && section.mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
            out += time.hour() < 12 ? u"AM"_qs : u"PM"_qs;
            run = 5;
        } else if (c == u'"' || c == u'\\' || c == u'[' || c == u'_' || c == u'*') {
            qsizetype end = i + 1;
            if (c == u'"') end = section.indexOf(u'"', i + 1) + 1;
            if (c == u'[') end = section.indexOf(u']', i) + 1;
            if (c == u'\\' || c == u'_' || c == u'*') end = i + 2;
            if (end <= i) end = section.size();
            out += literal(section.mid(i, end - i));
            run = end - i;
        } else {
            out += section.mid(i, run);
        }
        if (c != u' ' && c != u':') lastWasHour = c == u'h';
        i += run;
    }
    return out;
}

}  // namespace

QString formatCellValue(const CellValue& value, const QString& numberFormat) {
    switch (value.kind) {
        case CellValue::Kind::Empty:
            return {};
        case CellValue::Kind::Text:
        case CellValue::Kind::Error:
            return value.text;
        case CellValue::Kind::Boolean:
            return value.number != 0 ? u"TRUE"_qs : u"FALSE"_qs;
        case CellValue::Kind::Number:
            break;
    }
    const double v = value.number;
    if (numberFormat.isEmpty() || numberFormat.compare(u"General", Qt::CaseInsensitive) == 0 ||
        numberFormat == u"@")
        return general(v);
    const QStringList parts = sections(numberFormat);
    if (v < 0 && parts.size() >= 2) return formatNumber(-v, parts[1]);
    const QString& section = v == 0 && parts.size() >= 3 ? parts[2] : parts[0];
    if (section.compare(u"General", Qt::CaseInsensitive) == 0) return general(v);
    if (isDateFormat(section)) {
        if (v < 0 || v >= 2958466) return QString(8, u'#');
        return formatDate(v, section);
    }
    const QString text = formatNumber(std::fabs(v), section);
    // A scan rather than a regular expression: this runs for every number shown.
    const bool showsNonZero =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    return v < 0 && showsNonZero ? u'-' + text : text;
}

QString builtinNumberFormat(int id) {
    switch (id) {
        case 0:
            return u"General"_qs;
        case 1:
            return u"0"_qs;
        case 2:
            return u"0.00"_qs;
        case 3:
            return u"#,##0"_qs;
        case 4:
            return u"#,##0.00"_qs;
        case 9:
            return u"0%"_qs;
        case 10:
            return u"0.00%"_qs;
        case 11:
            return u"0.00E+00"_qs;
        case 14:
            return u"yyyy/m/d"_qs;
        case 15:
            return u"d-mmm-yy"_qs;
        case 16:
            return u"d-mmm"_qs;
        case 17:
            return u"mmm-yy"_qs;
        case 18:
            return u"h:mm AM/PM"_qs;
        case 19:
            return u"h:mm:ss AM/PM"_qs;
        case 20:
            return u"h:mm"_qs;
        case 21:
            return u"h:mm:ss"_qs;
        case 22:
            return u"yyyy/m/d h:mm"_qs;
        case 37:
            return u"#,##0 ;(#,##0)"_qs;
        case 38:
            return u"#,##0 ;[Red](#,##0)"_qs;
        case 39:
            return u"#,##0.00;(#,##0.00)"_qs;
        case 40:
            return u"#,##0.00;[Red](#,##0.00)"_qs;
        case 45:
            return u"mm:ss"_qs;
        case 46:
            return u"[h]:mm:ss"_qs;
        case 47:
            return u"mmss.0"_qs;
        case 49:
            return u"@"_qs;
        default:
            return {};
    }
}

}  // namespace tallimo::host
