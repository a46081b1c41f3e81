#include "TypedEntry.h"

#include <QLocale>

namespace tallimo::host {

std::optional<TypedNumber> typedNumber(QStringView text) {
    const QStringView s = text.trimmed();
    if (s.isEmpty()) return std::nullopt;
    const QChar lead = s[0];
    if (!lead.isDigit() && lead != u'-' && lead != u'+' && lead != u'.') return std::nullopt;

    qsizetype i = 0;
    const bool negative = s[0] == u'-';
    if (s[0] == u'-' || s[0] == u'+') ++i;
    QString digits;
    int integerDigits = 0;
    int groupDigits = 0;  // digits since the last separator
    bool grouped = false;
    for (; i < s.size() && s[i] != u'.'; ++i) {
        const QChar c = s[i];
        if (c == u',') {
            if (integerDigits == 0 || (grouped ? groupDigits != 3 : groupDigits > 3))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
        } else if (c >= u'0' && c <= u'9') {
            digits.append(c);
            ++integerDigits;
            ++groupDigits;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && groupDigits != 3) return std::nullopt;
    const bool hasPoint = i < s.size();
    int decimals = 0;
    for (i = hasPoint ? i + 1 : i; i < s.size(); ++i) {
        if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
        digits.append(s[i]);
        ++decimals;
    }
    if (digits.isEmpty()) return std::nullopt;
    if (integerDigits > 1 && digits.startsWith(u'0')) return std::nullopt;
    qsizetype firstSignificant = 0, lastSignificant = digits.size();
    while (firstSignificant < digits.size() && digits[firstSignificant] == u'0')
        ++firstSignificant;
    while (lastSignificant > integerDigits && digits[lastSignificant - 1] == u'0')
        --lastSignificant;
    if (lastSignificant - firstSignificant > 15) return std::nullopt;

    QString plain = digits;
    if (hasPoint) plain.insert(integerDigits, u'.');
    const double magnitude = QLocale::c().toDouble(plain);
    TypedNumber typed{negative && magnitude != 0 ? -magnitude : magnitude, {}};
    if (grouped)
        typed.numberFormat = decimals > 0 ? u"#,##0."_qs + QString(decimals, u'0') : u"#,##0"_qs;
    else if (decimals > 0 && digits.endsWith(u'0'))
        typed.numberFormat = u"0."_qs + QString(decimals, u'0');
    return typed;
}

}  // namespace tallimo::host
