#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace tallimo::numfmt {

// A bracketed condition such as [>=100]; Op::None when the section has none.
struct Condition {
    enum class Op : std::uint8_t { None, Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };
    Op op = Op::None;
    double operand = 0;

    bool holds(double value) const;
    // The condition admits negative numbers only, so the section's own text carries the sign.
    bool onlyNegative() const;
};

enum class TokenKind : std::uint8_t {
    Literal,           // text: shown as it stands
    Digit,             // symbol: '0', '#' or '?'
    Point,             // the decimal point
    Comma,             // resolved while compiling into grouping or scaling
    Exponent,          // symbol: '+' or '-'; text: "E" or "e" as written
    Slash,             // the fraction bar
    FixedDenominator,  // text: the digits of a denominator written out (?/8)
    General,           // the value in the General form
    TextValue,         // @
    Year,              // width 2 or 4
    Month,             // width 1 or 2; may turn into Minute
    MonthName,         // width 3 (Jan), 4 (January) or 5 (J)
    Day,               // width 1 or 2
    DayName,           // width 3 (Mon) or 4 (Monday)
    WeekdayChinese,    // width 3 (一) or 4 (星期一)
    Hour,
    Minute,
    Second,
    SecondFraction,  // width: decimals of the seconds
    AmPm,            // text: the morning and afternoon marks joined by '/'
    Elapsed,         // symbol: 'h', 'm' or 's'; width: zero padding
};

struct Token {
    TokenKind kind = TokenKind::Literal;
    char16_t symbol = 0;
    std::uint8_t width = 0;
    QString text;
};

enum class SectionType : std::uint8_t { Number, Scientific, Fraction, Date, Text };

// One section of a format code, compiled.
struct Section {
    std::vector<Token> tokens;
    Condition condition;
    SectionType type = SectionType::Number;
    bool grouping = false;  // thousands separators in the integer part
    int scale = 0;          // power of ten the value is multiplied by (% and trailing commas)
    bool twelveHour = false;
    bool chinese = false;       // [$-804]: Chinese month, day and AM/PM names
    std::uint8_t numerals = 0;  // [DBNum1] to [DBNum3]: digits as Chinese numerals
    // The digit placeholders of the integer part, the decimals and the exponent.
    std::vector<char16_t> integerDigits, decimalDigits, exponentDigits;
    int secondDecimals = 0;
    bool calendar = false;  // shows a year, month or day
    bool elapsed = false;   // shows [h], [m] or [s]
    // Which of [h], [m] and [s] it shows: beside them h, m and s count elapsed time too.
    bool elapsedHours = false, elapsedMinutes = false, elapsedSeconds = false;
};

Section compileSection(QStringView code);

QString renderNumber(const Section& section, double magnitude);
QString renderScientific(const Section& section, double magnitude);
QString renderFraction(const Section& section, double magnitude);
QString renderDate(const Section& section, double serial);
QString renderText(const Section& section, const QString& text);

// The digits of a shown number as the Chinese numerals of [DBNum1] to [DBNum3]: each run of
// digits a number with its units (一百二十三, 壹佰贰拾叁), decimals and runs with leading zeros
// digit by digit.
QString chineseNumerals(QStringView shown, int style);
// A date or time part's digits as numerals: years digit by digit (二〇一六), the others as
// numbers (十四).
QString chineseDatePart(QStringView digits, int style, bool byDigit);

// |value| rounded half away from zero to `decimals` places from its 15 significant digits, as
// "integer.fraction" digits (no point when decimals is 0).
QString fixedDigits(double value, int decimals);

}  // namespace tallimo::numfmt
