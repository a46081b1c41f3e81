#include "FormatCode.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tallimo::numfmt {
namespace {

// The 15 significant digits of |value| and the power of ten of the first.
void significantDigits(double value, QString& digits, int& exponent) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                                   std::chars_format::scientific, 14)
                         .ptr;
    *end = '\0';
    // d.dddddddddddddde±x: the first digit, then the fourteen after the point.
    buffer[1] = buffer[0];
    digits = QString::fromLatin1(buffer + 1, 15);
    exponent = std::atoi(buffer + 17);
}

QStringView padFor(char16_t symbol) {
    return symbol == u'0' ? u"0" : symbol == u'?' ? u" " : u"";
}

// Integer digits into placeholders from the right; the leftmost takes what does not fit.
// `digits` is empty for zero, so '#' shows nothing there.
std::vector<QStringView> fillRightAligned(const std::vector<char16_t>& symbols,
                                          QStringView digits) {
    std::vector<QStringView> out(symbols.size());
    const auto n = qsizetype(symbols.size());
    const qsizetype k = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype fromRight = n - 1 - i;
        if (i == 0 && k > n)
            out[0] = digits.left(k - n + 1);
        else if (fromRight < k)
            out[std::size_t(i)] = digits.mid(k - 1 - fromRight, 1);
        else
            out[std::size_t(i)] = padFor(symbols[std::size_t(i)]);
    }
    return out;
}

// Decimal digits into placeholders from the left; trailing zeros under '#' and '?' are dropped
// or become spaces.
std::vector<QStringView> fillDecimals(const std::vector<char16_t>& symbols, QStringView digits) {
    std::vector<QStringView> out(symbols.size());
    bool trimming = true;
    for (auto i = qsizetype(symbols.size()) - 1; i >= 0; --i) {
        const QStringView d = i < digits.size() ? digits.mid(i, 1) : QStringView(u"0");
        const char16_t s = symbols[std::size_t(i)];
        if (trimming && s != u'0' && d == u"0") {
            out[std::size_t(i)] = padFor(s);
            continue;
        }
        trimming = false;
        out[std::size_t(i)] = d;
    }
    return out;
}

// The integer placeholders' texts with a separator after every third place from the right:
// a comma after a digit, a space after a '?' pad (keeping the alignment), nothing after a '#'.
void appendGrouped(QString& out, const std::vector<QStringView>& pieces) {
    qsizetype placesLeft = 0;
    for (const QStringView piece : pieces)
        placesLeft += std::max<qsizetype>(piece.size(), 1);
    for (const QStringView piece : pieces) {
        const qsizetype places = std::max<qsizetype>(piece.size(), 1);
        for (qsizetype i = 0; i < places; ++i) {
            const QChar c = i < piece.size() ? piece[i] : QChar();
            if (!c.isNull()) out += c;
            if (--placesLeft > 0 && placesLeft % 3 == 0 && !c.isNull())
                out += c == u' ' ? u' ' : u',';
        }
    }
}

// The section's tokens with the digits laid out; `exponent` only for the scientific form.
QString assemble(const Section& section, const QString& integerDigits, const QString& decimalDigits,
                 double magnitude, int exponent = 0) {
    const auto integer = fillRightAligned(section.integerDigits, integerDigits);
    const auto decimals = fillDecimals(section.decimalDigits, decimalDigits);
    const QString exponentDigits = QString::number(std::abs(exponent));
    const auto exponentOut = fillRightAligned(section.exponentDigits, exponentDigits);
    QString out, tail;
    out.reserve(32);
    std::size_t integerAt = 0, decimalAt = 0, exponentAt = 0;
    enum { Integer, Decimals, Exponent } part = Integer;
    bool groupedWritten = false;
    for (const Token& t : section.tokens) {
        switch (t.kind) {
            case TokenKind::Digit:
                if (part == Integer) {
                    if (!section.grouping) {
                        out += integer[integerAt];
                    } else if (!groupedWritten) {
                        appendGrouped(out, integer);
                        groupedWritten = true;
                    }
                    if (++integerAt == section.integerDigits.size()) {
                        out += tail;
                        tail.clear();
                    }
                } else if (part == Decimals) {
                    out += decimals[decimalAt++];
                } else {
                    out += exponentOut[exponentAt++];
                }
                break;
            case TokenKind::Point:
                if (part == Integer) part = Decimals;
                out += u'.';
                break;
            case TokenKind::Exponent:
                part = Exponent;
                out += t.text;
                if (exponent < 0)
                    out += u'-';
                else if (t.symbol == u'+')
                    out += u'+';
                break;
            case TokenKind::General:
                out += generalText(magnitude);
                break;
            case TokenKind::Literal:
                // Text between grouped digits goes after them: the grouping spans the digits.
                if (section.grouping && groupedWritten && part == Integer &&
                    integerAt < section.integerDigits.size())
                    tail += t.text;
                else
                    out += t.text;
                break;
            default:
                out += t.text;
                break;
        }
    }
    return out;
}

void splitFixed(const QString& fixed, QString& integer, QString& decimals) {
    const qsizetype point = fixed.indexOf(u'.');
    integer = point < 0 ? fixed : fixed.left(point);
    decimals = point < 0 ? QString() : fixed.mid(point + 1);
    if (integer == u"0") integer.clear();
}

__extension__ using Wide = unsigned __int128;

Wide distance(Wide a, Wide b) {
    return a > b ? a - b : b - a;
}

QString wideText(Wide n) {
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(n % 10)));
        n /= 10;
    } while (n != 0);
    return digits;
}

// The closest fraction to x in [0, 1) with a denominator of at most maxDenominator (below
// 2^24), by continued fractions over x's exact binary value and the last semiconvergent. In
// integers: x = mantissa / 2^shift with shift at most 78, so every product stays below 2^125.
void closestFraction(double x, std::int64_t maxDenominator, Wide& numerator, Wide& denominator) {
    numerator = 0;
    denominator = 1;
    int exponent = 0;
    const double mantissa = std::frexp(x, &exponent);
    const int shift = 53 - exponent;
    // Below 2^-25 nothing but 0/1 is as close: 1/maxDenominator lies farther than 2 x away.
    if (!(x > 0) || shift > 78) return;
    const Wide xNumerator = Wide(std::ldexp(mantissa, 53)), xDenominator = Wide(1) << shift;
    const auto limit = Wide(maxDenominator);
    Wide p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    Wide rest = xNumerator, divisor = xDenominator;
    while (divisor != 0) {
        const Wide a = rest / divisor;
        if (q1 != 0 && a > (limit - q0) / q1) {
            const Wide t = (limit - q0) / q1;
            const Wide ps = t * p1 + p0, qs = t * q1 + q0;
            // |x - ps/qs| < |x - p1/q1|, both sides multiplied by qs q1 2^shift.
            if (t > 0 && distance(xNumerator * qs, ps * xDenominator) * q1 <
                             distance(xNumerator * q1, p1 * xDenominator) * qs) {
                p1 = ps;
                q1 = qs;
            }
            break;
        }
        const Wide p2 = a * p1 + p0, q2 = a * q1 + q0;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        const Wide remainder = rest - a * divisor;
        rest = divisor;
        divisor = remainder;
    }
    numerator = p1;
    denominator = q1;
}

}  // namespace

QString fixedDigits(double value, int decimals) {
    QString digits;
    int exponent = 0;
    significantDigits(value, digits, exponent);
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

QString generalText(double value) {
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

QString renderNumber(const Section& section, double magnitude) {
    QString integer, decimals;
    splitFixed(fixedDigits(magnitude, int(section.decimalDigits.size())), integer, decimals);
    return assemble(section, integer, decimals, magnitude);
}

QString renderScientific(const Section& section, double magnitude) {
    const int places = int(section.integerDigits.size());
    const int decimals = int(section.decimalDigits.size());
    const bool engineering =
        places > 1 && std::find(section.integerDigits.begin(), section.integerDigits.end(), u'#') !=
                          section.integerDigits.end();
    int exponent = 0;
    QString integer, fraction;
    if (magnitude != 0) {
        QString digits;
        int power = 0;
        significantDigits(magnitude, digits, power);
        const int digitsPower = power;
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (engineering)
                exponent = int(std::floor(double(power) / places)) * places;
            else
                exponent = power - std::max(places - 1, -1);
            // From the significant digits, so the tiniest and largest values scale exactly.
            const double mantissa = (digits.left(1) + u'.' + digits.mid(1)).toDouble() *
                                    std::pow(10.0, digitsPower - exponent);
            splitFixed(fixedDigits(mantissa, decimals), integer, fraction);
            // Rounding may carry into one more digit (9.99 to 10.0): one power up then.
            const int shown = int(integer.size());
            const int allowed = engineering ? places : std::max(places, 1);
            if (shown <= allowed || attempt == 1) break;
            ++power;
        }
    }
    return assemble(section, integer, fraction, magnitude, exponent);
}

QString renderFraction(const Section& section, double magnitude) {
    const std::vector<Token>& tokens = section.tokens;
    const auto isDigit = [&](std::size_t i) { return tokens[i].kind == TokenKind::Digit; };
    const auto slash =
        std::size_t(std::find_if(tokens.begin(), tokens.end(),
                                 [](const Token& t) { return t.kind == TokenKind::Slash; }) -
                    tokens.begin());
    // The numerator is the last run of digit placeholders before the bar, the denominator the
    // first run after it; text may stand between them and the bar. Digits before the numerator
    // (past some text) hold the whole number.
    std::size_t numeratorEnd = slash;
    while (numeratorEnd > 0 && !isDigit(numeratorEnd - 1))
        --numeratorEnd;
    std::size_t numeratorStart = numeratorEnd;
    while (numeratorStart > 0 && isDigit(numeratorStart - 1))
        --numeratorStart;
    std::size_t denominatorStart = slash + 1;
    while (denominatorStart < tokens.size() && tokens[denominatorStart].kind == TokenKind::Literal)
        ++denominatorStart;
    std::size_t denominatorEnd = denominatorStart;
    std::int64_t fixedDenominator = 0;
    if (denominatorEnd < tokens.size() &&
        tokens[denominatorEnd].kind == TokenKind::FixedDenominator) {
        fixedDenominator = tokens[denominatorEnd].text.left(9).toLongLong();
        ++denominatorEnd;
    } else {
        while (denominatorEnd < tokens.size() && isDigit(denominatorEnd))
            ++denominatorEnd;
    }
    std::vector<char16_t> wholeSymbols, numeratorSymbols, denominatorSymbols;
    std::size_t lastWholeDigit = 0;
    for (std::size_t i = 0; i < numeratorStart; ++i) {
        if (!isDigit(i)) continue;
        wholeSymbols.push_back(tokens[i].symbol);
        lastWholeDigit = i;
    }
    for (std::size_t i = numeratorStart; i < numeratorEnd; ++i)
        numeratorSymbols.push_back(tokens[i].symbol);
    for (std::size_t i = denominatorStart; i < denominatorEnd && fixedDenominator == 0; ++i)
        denominatorSymbols.push_back(tokens[i].symbol);

    // Beyond 15 digits no fraction is left to show.
    if (magnitude >= 1e15) return generalText(magnitude);
    const bool mixed = !wholeSymbols.empty();
    double whole = std::floor(magnitude);
    const double part = magnitude - whole;
    Wide numerator = 0, denominator = 1;
    if (fixedDenominator > 0) {
        denominator = Wide(fixedDenominator);
        numerator = Wide(std::llround(part * double(fixedDenominator)));
    } else {
        const int places = std::clamp(int(denominatorSymbols.size()), 1, 7);
        closestFraction(part, std::int64_t(std::pow(10, places)) - 1, numerator, denominator);
    }
    if (mixed && numerator == denominator) {
        whole += 1;
        numerator = 0;
    }
    if (!mixed) {
        // An improper fraction carries the whole number in its numerator: below 10^15 × 10^9.
        numerator += Wide(whole) * denominator;
        whole = 0;
    }
    // A whole number keeps the fraction's room as spaces.
    const bool blankFraction = mixed && numerator == 0;
    QString wholeDigits = whole == 0 ? QString() : fixedDigits(whole, 0);
    if (blankFraction && wholeDigits.isEmpty()) wholeDigits = u"0"_qs;

    const QString numeratorDigits = wideText(numerator);
    const auto wholeOut = fillRightAligned(wholeSymbols, wholeDigits);
    const auto numeratorOut = fillRightAligned(numeratorSymbols, numeratorDigits);
    // The denominator stands from the left, '0' placeholders padding it with zeros in front
    // and the others with spaces or nothing behind.
    const auto zeros =
        qsizetype(std::count(denominatorSymbols.begin(), denominatorSymbols.end(), u'0'));
    const QString denominatorText = wideText(denominator).rightJustified(zeros, u'0');

    QString out;
    qsizetype blankFrom = -1;
    std::size_t wholeAt = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (blankFraction && i == lastWholeDigit + 1) blankFrom = out.size();
        if (blankFrom >= 0 && i == denominatorEnd) {
            out.replace(blankFrom, out.size() - blankFrom, QString(out.size() - blankFrom, u' '));
            blankFrom = -1;
        }
        if (i < numeratorStart && isDigit(i)) {
            out += wholeOut[wholeAt++];
        } else if (i >= numeratorStart && i < numeratorEnd) {
            out += numeratorOut[i - numeratorStart];
        } else if (t.kind == TokenKind::Slash) {
            out += u'/';
        } else if (t.kind == TokenKind::FixedDenominator) {
            out += t.text;
        } else if (i >= denominatorStart && i < denominatorEnd) {
            const auto at = qsizetype(i - denominatorStart);
            out += at < denominatorText.size() ? QString(denominatorText[at]) : padFor(t.symbol);
            if (i + 1 == denominatorEnd && at + 1 < denominatorText.size())
                out += denominatorText.mid(at + 1);
        } else if (t.kind == TokenKind::General) {
            out += generalText(magnitude);
        } else if (t.kind == TokenKind::Point) {
            out += u'.';
        } else {
            out += t.text;
        }
    }
    if (blankFrom >= 0)
        out.replace(blankFrom, out.size() - blankFrom, QString(out.size() - blankFrom, u' '));
    return out;
}

QString renderText(const Section& section, const QString& text) {
    QString out;
    for (const Token& t : section.tokens) {
        if (t.kind == TokenKind::TextValue || t.kind == TokenKind::General)
            out += text;
        else if (t.kind == TokenKind::Digit || t.kind == TokenKind::Exponent)
            out += QChar(t.symbol);
        else if (t.kind == TokenKind::Point)
            out += u'.';
        else if (t.kind == TokenKind::Comma)
            out += u',';
        else if (t.kind == TokenKind::Slash)
            out += u'/';
        else
            out += t.text;
    }
    return out;
}

}  // namespace tallimo::numfmt
