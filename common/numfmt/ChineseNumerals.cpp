#include "FormatSection.h"

#include <algorithm>

namespace tallimo::numfmt {
namespace {

// [DBNum1] lower case, [DBNum2] the capitals of amounts, [DBNum3] full-width digits.
constexpr const char16_t* kDigits[] = {u"〇一二三四五六七八九", u"零壹贰叁肆伍陆柒捌玖",
                                       u"０１２３４５６７８９"};
constexpr const char16_t* kUnits[] = {u"十百千", u"拾佰仟", u"十百千"};

struct Numerals {
    QStringView digits, units;

    explicit Numerals(int style)
        : digits(kDigits[std::clamp(style, 1, 3) - 1]),
          units(kUnits[std::clamp(style, 1, 3) - 1]) {}
    QChar digit(QChar ascii) const { return digits[ascii.unicode() - u'0']; }
};

// Up to four digits, the first not zero: 1203 as 一千二百〇三.
void spellGroup(QStringView digits, const Numerals& n, QString& out) {
    bool zeroPending = false;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const qsizetype place = digits.size() - 1 - i;
        if (digits[i] == u'0') {
            zeroPending = true;
            continue;
        }
        if (zeroPending) out += n.digits[0];
        zeroPending = false;
        out += n.digit(digits[i]);
        if (place > 0) out += n.units[place - 1];
    }
}

QStringView withoutLeadingZeros(QStringView digits) {
    while (!digits.isEmpty() && digits[0] == u'0')
        digits = digits.mid(1);
    return digits;
}

// Digits without leading zeros in groups of 亿 and 万; a zero stands where a group's leading
// places are empty (10010 as 一万〇一十).
void spell(QStringView digits, const Numerals& n, QString& out) {
    const qsizetype groupSize = digits.size() > 8 ? 8 : digits.size() > 4 ? 4 : 0;
    if (groupSize == 0) {
        spellGroup(digits, n, out);
        return;
    }
    spell(digits.left(digits.size() - groupSize), n, out);
    out += groupSize == 8 ? u'亿' : u'万';
    const QStringView low = withoutLeadingZeros(digits.right(groupSize));
    if (low.isEmpty()) return;
    if (low.size() < groupSize) out += n.digits[0];
    spell(low, n, out);
}

void digitwise(QStringView digits, const Numerals& n, QString& out) {
    for (const QChar c : digits)
        out += n.digit(c);
}

void spellNumber(QStringView digits, const Numerals& n, QString& out) {
    if (digits.size() > 1 && digits[0] == u'0')
        digitwise(digits, n, out);
    else if (digits == u"0")
        out += n.digits[0];
    else
        spell(digits, n, out);
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

QString chineseNumerals(QStringView shown, int style) {
    const Numerals n(style);
    QString out;
    out.reserve(shown.size() * 2);
    for (qsizetype i = 0; i < shown.size();) {
        if (!isAsciiDigit(shown[i])) {
            out += shown[i++];
            continue;
        }
        // A run of digits, with the separators between them.
        const bool decimals = i > 0 && shown[i - 1] == u'.';
        QString digits;
        while (i < shown.size() &&
               (isAsciiDigit(shown[i]) || (shown[i] == u',' && i + 1 < shown.size() &&
                                           isAsciiDigit(shown[i + 1]) && !digits.isEmpty()))) {
            if (shown[i] != u',') digits += shown[i];
            ++i;
        }
        if (decimals)
            digitwise(digits, n, out);
        else
            spellNumber(digits, n, out);
    }
    return out;
}

QString chineseDatePart(QStringView digits, int style, bool byDigit) {
    const Numerals n(style);
    QString out;
    if (byDigit) {
        digitwise(digits, n, out);
        return out;
    }
    spellNumber(digits, n, out);
    // Days, months and hours from 10 to 19 read 十四, not 一十四.
    if (digits.size() == 2 && digits[0] == u'1') out.remove(0, 1);
    return out;
}

}  // namespace tallimo::numfmt
