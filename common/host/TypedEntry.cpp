#include "TypedEntry.h"

#include "NumberFormat.h"

#include <array>
#include <charconv>

namespace tallimo::host {

namespace {

// What a text that reads as a plain decimal number is made of. Views only: a million fields
// are recognised without one allocation.
struct DecimalText {
    QStringView trimmed;
    bool negative = false;
    bool signWritten = false;  // a leading '+' or '-'
    bool grouped = false;
    bool hasPoint = false;
    bool nonZero = false;  // some digit other than 0
    int integerDigits = 0;
    int decimals = 0;
    int leadingDecimalZeros = 0;
    char16_t lastDigit = 0;
    // The significant digits (at most 15) and the power of ten of the last one.
    std::array<char, 16> mantissa{};
    int mantissaLength = 0;
    int exponent = 0;
};

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Validates the text in one walk and then cuts out the significant digits: those from the first
// one that is not 0 to the last one that is not a trailing 0 among the decimals.
std::optional<DecimalText> scanDecimal(QStringView text) {
    DecimalText d;
    const QStringView s = text.trimmed();
    d.trimmed = s;
    if (s.isEmpty()) return std::nullopt;
    const QChar lead = s[0];
    if (!isDigit(lead) && lead != u'-' && lead != u'+' && lead != u'.') return std::nullopt;

    qsizetype i = 0;
    d.negative = lead == u'-';
    d.signWritten = lead == u'-' || lead == u'+';
    if (d.signWritten) ++i;
    const qsizetype firstDigitAt = i;
    int groupDigits = 0;  // digits since the last separator
    for (; i < s.size() && s[i] != u'.'; ++i) {
        const QChar c = s[i];
        if (c == u',') {
            if (d.integerDigits == 0 || (d.grouped ? groupDigits != 3 : groupDigits > 3))
                return std::nullopt;
            d.grouped = true;
            groupDigits = 0;
        } else if (isDigit(c)) {
            ++d.integerDigits;
            ++groupDigits;
        } else {
            return std::nullopt;
        }
    }
    if (d.grouped && groupDigits != 3) return std::nullopt;
    d.hasPoint = i < s.size();
    const qsizetype decimalsAt = d.hasPoint ? i + 1 : i;
    for (i = decimalsAt; i < s.size(); ++i)
        if (!isDigit(s[i])) return std::nullopt;
    d.decimals = int(s.size() - decimalsAt);
    const int total = d.integerDigits + d.decimals;
    if (total == 0) return std::nullopt;
    if (d.integerDigits > 1 && s[firstDigitAt] == u'0') return std::nullopt;

    int first = 0;  // digit index, separators and the point not counted
    for (qsizetype p = firstDigitAt; p < s.size() && first < total; ++p) {
        if (!isDigit(s[p])) continue;
        if (s[p] != u'0') break;
        ++first;
    }
    int last = total;
    while (last > d.integerDigits && s[decimalsAt + (last - d.integerDigits - 1)] == u'0')
        --last;
    if (last - first > 15) return std::nullopt;

    d.nonZero = first < total;
    d.lastDigit = s.back().unicode();
    while (d.leadingDecimalZeros < d.decimals && s[decimalsAt + d.leadingDecimalZeros] == u'0')
        ++d.leadingDecimalZeros;
    int k = 0;
    for (qsizetype p = firstDigitAt; p < s.size() && k < last; ++p) {
        if (!isDigit(s[p])) continue;
        if (k++ >= first) d.mantissa[std::size_t(d.mantissaLength++)] = char(s[p].unicode());
    }
    d.exponent = d.integerDigits - last;
    return d;
}

double valueOf(const DecimalText& d) {
    if (d.mantissaLength == 0) return 0;
    char buffer[32];
    char* end = std::copy_n(d.mantissa.data(), d.mantissaLength, buffer);
    *end++ = 'e';
    end = std::to_chars(end, buffer + sizeof buffer, d.exponent).ptr;
    double magnitude = 0;
    // Too small for a double: zero, as the spreadsheet keeps it.
    if (std::from_chars(buffer, end, magnitude).ec != std::errc()) magnitude = 0;
    return d.negative && magnitude != 0 ? -magnitude : magnitude;
}

// "0.00" and "#,##0.00" for up to this many decimals are made once and shared.
constexpr int kSharedDecimals = 30;

QString decimalsFormat(bool grouped, int decimals) {
    const QString integer = grouped ? u"#,##0"_qs : u"0"_qs;
    return decimals > 0 ? integer + u'.' + QString(decimals, u'0') : integer;
}

QString numberFormatOf(const DecimalText& d) {
    const bool fixed = !d.grouped && d.decimals > 0 && d.lastDigit == u'0';
    if (!d.grouped && !fixed) return {};
    if (d.decimals > kSharedDecimals) return decimalsFormat(d.grouped, d.decimals);
    static const auto formats = [] {
        std::array<std::array<QString, kSharedDecimals + 1>, 2> made;
        for (int decimals = 0; decimals <= kSharedDecimals; ++decimals) {
            made[0][std::size_t(decimals)] = decimalsFormat(false, decimals);
            made[1][std::size_t(decimals)] = decimalsFormat(true, decimals);
        }
        return made;
    }();
    return formats[d.grouped ? 1 : 0][std::size_t(d.decimals)];
}

// True when the cell shows exactly the trimmed text: the digits as written, in a form the
// number format writes them back in (no '+', no sign on zero, no bare point, no leading point,
// no General exponent for tiny numbers, no code so long it falls back to General).
bool showsAsWritten(const DecimalText& d) {
    if (d.signWritten && (!d.negative || !d.nonZero)) return false;
    if (d.integerDigits == 0 || (d.hasPoint && d.decimals == 0)) return false;
    if (d.decimals > kSharedDecimals) return false;
    const bool general = !d.grouped && (d.decimals == 0 || d.lastDigit != u'0');
    // General switches to the exponent form below 1E-04 (0.0000x).
    const bool integerZero = d.integerDigits == 1 && d.trimmed[d.signWritten ? 1 : 0] == u'0';
    return !general || !d.nonZero || !integerZero || d.leadingDecimalZeros < 4;
}

}  // namespace

std::optional<TypedNumber> typedNumber(QStringView text) {
    const auto d = scanDecimal(text);
    if (!d) return std::nullopt;
    return TypedNumber{valueOf(*d), numberFormatOf(*d)};
}

void appendTypedDisplayText(QString& out, QStringView text) {
    const auto d = scanDecimal(text);
    if (!d) {
        out.append(text);
    } else if (showsAsWritten(*d)) {
        out.append(d->trimmed);
    } else {
        out.append(formatCellValue(CellValue::fromNumber(valueOf(*d)), numberFormatOf(*d)));
    }
}

}  // namespace tallimo::host
