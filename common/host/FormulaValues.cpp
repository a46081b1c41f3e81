#include "CompensatedSum.h"
#include "FormatCode.h"
#include "Formula.h"
#include "NumberFormat.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

// What a formula's parse tree computes, with the spreadsheet's rules for mixing numbers, texts,
// truth values, empty cells and errors: the first error met is the result.
namespace tallimo::host {
namespace {

using Type = FormulaNode::Type;
using Kind = CellValue::Kind;

bool isError(const CellValue& v) {
    return v.kind == Kind::Error;
}

CellValue valueError() {
    return CellValue::fromError(QStringLiteral("#VALUE!"));
}

CellValue toNumber(const CellValue& v) {
    switch (v.kind) {
        case Kind::Empty:
            return CellValue::fromNumber(0);
        case Kind::Number:
        case Kind::Boolean:
            return CellValue::fromNumber(v.number);
        case Kind::Text: {
            bool ok = false;
            const double number = QLocale::c().toDouble(v.text.trimmed(), &ok);
            return ok ? CellValue::fromNumber(number) : valueError();
        }
        case Kind::Error:
            return v;
    }
    return v;
}

// The text "&" joins: numbers in their General form, truth values as TRUE and FALSE.
CellValue toText(const CellValue& v) {
    switch (v.kind) {
        case Kind::Empty:
            return CellValue::fromText({});
        case Kind::Number:
            return CellValue::fromText(numfmt::generalText(v.number));
        case Kind::Boolean:
            return CellValue::fromText(v.number != 0 ? u"TRUE"_qs : u"FALSE"_qs);
        case Kind::Text:
        case Kind::Error:
            return v;
    }
    return v;
}

CellValue evaluate(const FormulaNode& node, FormulaSource& cells);

// The longest text a cell holds. A longer result is the spreadsheet's #VALUE!, which also keeps
// a column of formulas each joining the one above twice from growing without end.
constexpr qsizetype kMaxTextLength = 32767;

CellValue textOrError(QString text) {
    return text.size() <= kMaxTextLength ? CellValue::fromText(std::move(text)) : valueError();
}

// A result past the double range is the spreadsheet's #NUM!, never an infinity or NaN that no
// file or display text can carry.
CellValue numberOrError(double number) {
    return std::isfinite(number) ? CellValue::fromNumber(number)
                                 : CellValue::fromError(QStringLiteral("#NUM!"));
}

// Sums and differences of amounts without binary noise: 0.3 - 0.1 is 0.2, so that a column of
// differences adds up exactly again.
double decimalSum(double a, double b) {
    CompensatedSum sum;
    sum += a;
    sum += b;
    return sum.value();
}

CellValue arithmetic(const FormulaNode& node, FormulaSource& cells) {
    const CellValue a = toNumber(evaluate(node.children[0], cells));
    if (isError(a)) return a;
    const CellValue b = toNumber(evaluate(node.children[1], cells));
    if (isError(b)) return b;
    switch (node.type) {
        case Type::Add:
            return numberOrError(decimalSum(a.number, b.number));
        case Type::Subtract:
            return numberOrError(decimalSum(a.number, -b.number));
        case Type::Multiply:
            return numberOrError(a.number * b.number);
        default:
            if (b.number == 0) return CellValue::fromError(QStringLiteral("#DIV/0!"));
            return numberOrError(a.number / b.number);
    }
}

CellValue sum(const FormulaNode& node, FormulaSource& cells) {
    CompensatedSum total;
    for (const FormulaNode& argument : node.children) {
        if (argument.type == Type::Ref || argument.type == Type::Block) {
            const FormulaRef& a = argument.first;
            const FormulaRef& b = argument.type == Type::Block ? argument.second : argument.first;
            const CellValue v =
                cells.blockSum({std::min(a.row, b.row), std::min(a.column, b.column),
                                std::max(a.row, b.row), std::max(a.column, b.column)});
            if (isError(v)) return v;
            total += v.number;
            continue;
        }
        const CellValue v = toNumber(evaluate(argument, cells));
        if (isError(v)) return v;
        total += v.number;
    }
    return numberOrError(total.value());
}

CellValue concat(const FormulaNode& node, FormulaSource& cells) {
    const CellValue a = toText(evaluate(node.children[0], cells));
    if (isError(a)) return a;
    const CellValue b = toText(evaluate(node.children[1], cells));
    if (isError(b)) return b;
    return textOrError(a.text + b.text);
}

// Numbers that differ only in the last bits of their doubles are equal, so that 0.1*3 = 0.3.
int compareNumbers(double a, double b) {
    if (a == b) return 0;
    constexpr double kRelativeTolerance = 0x1p-48;
    if (a != 0 && b != 0 &&
        std::fabs(a - b) <= kRelativeTolerance * std::max(std::fabs(a), std::fabs(b)))
        return 0;
    return a < b ? -1 : 1;
}

// Orders two values as a comparison sees them: numbers before texts before truth values, texts
// without regard to case; an empty cell is 0, "" or FALSE after what it is compared with.
int compareValues(CellValue a, CellValue b) {
    const auto rank = [](Kind kind) {
        return kind == Kind::Text ? 1 : kind == Kind::Boolean ? 2 : 0;
    };
    const auto emptyAs = [](Kind other) {
        return other == Kind::Text      ? CellValue::fromText({})
               : other == Kind::Boolean ? CellValue::fromBool(false)
                                        : CellValue::fromNumber(0);
    };
    if (a.isEmpty()) a = emptyAs(b.kind);
    if (b.isEmpty()) b = emptyAs(a.kind);
    if (rank(a.kind) != rank(b.kind)) return rank(a.kind) < rank(b.kind) ? -1 : 1;
    if (a.isText()) {
        const int order = a.text.compare(b.text, Qt::CaseInsensitive);
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    return compareNumbers(a.number, b.number);
}

CellValue comparison(const FormulaNode& node, FormulaSource& cells) {
    const CellValue a = evaluate(node.children[0], cells);
    if (isError(a)) return a;
    const CellValue b = evaluate(node.children[1], cells);
    if (isError(b)) return b;
    const int order = compareValues(a, b);
    switch (node.type) {
        case Type::Equal:
            return CellValue::fromBool(order == 0);
        case Type::NotEqual:
            return CellValue::fromBool(order != 0);
        case Type::Less:
            return CellValue::fromBool(order < 0);
        case Type::Greater:
            return CellValue::fromBool(order > 0);
        case Type::LessEqual:
            return CellValue::fromBool(order <= 0);
        default:
            return CellValue::fromBool(order >= 0);
    }
}

// Only the branch taken is computed: an error in the other one is no error of the result.
CellValue ifValue(const FormulaNode& node, FormulaSource& cells) {
    const CellValue condition = evaluate(node.children[0], cells);
    if (isError(condition)) return condition;
    if (condition.isText()) return valueError();
    if (condition.number != 0) return evaluate(node.children[1], cells);
    if (node.children.size() > 2) return evaluate(node.children[2], cells);
    return CellValue::fromBool(false);
}

// `x` rounded to `digits` decimals (tens, hundreds when negative), half away from zero, on the
// decimal digits the number shows (15 significant ones), not on its binary value: 2.675 is
// stored a little below itself and still rounds to 2.68. The digits are rounded as a decimal
// text and read back, which gives the double nearest to the rounded decimal.
double roundDecimal(double x, double digitsWanted) {
    if (x == 0 || !std::isfinite(x)) return x;
    constexpr int kSignificant = 15;
    const int digits = int(std::clamp(std::trunc(digitsWanted), -400.0, 400.0));
    char buffer[32];
    const auto printed = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                       std::chars_format::scientific, kSignificant - 1);
    const std::string_view shown(buffer, std::size_t(printed.ptr - buffer));  // d.ddde±xx
    const std::size_t e = shown.find('e');
    int exponent = 0;
    const char* exponentAt = shown.data() + e + 1;
    if (*exponentAt == '+') ++exponentAt;
    std::from_chars(exponentAt, shown.data() + shown.size(), exponent);
    const std::string significant = std::string(1, shown[0]) + std::string(shown.substr(2, e - 2));

    const int kept = exponent + digits + 1;  // the significant digits left of the cut
    if (kept >= kSignificant) return x;
    if (kept < 0) return 0;
    std::string mantissa = significant.substr(0, std::size_t(kept));
    if (significant[std::size_t(kept)] >= '5') {
        int i = kept - 1;
        for (; i >= 0 && mantissa[std::size_t(i)] == '9'; --i)
            mantissa[std::size_t(i)] = '0';
        if (i >= 0)
            ++mantissa[std::size_t(i)];
        else
            mantissa.insert(mantissa.begin(), '1');
    }
    if (mantissa.empty()) return 0;
    const std::string decimal = mantissa + 'e' + std::to_string(-digits);
    double rounded = 0;
    const auto read = std::from_chars(decimal.data(), decimal.data() + decimal.size(), rounded);
    if (read.ec == std::errc::result_out_of_range) return HUGE_VAL;
    return x < 0 ? -rounded : rounded;
}

CellValue round(const FormulaNode& node, FormulaSource& cells) {
    const CellValue x = toNumber(evaluate(node.children[0], cells));
    if (isError(x)) return x;
    const CellValue digits = toNumber(evaluate(node.children[1], cells));
    if (isError(digits)) return digits;
    return numberOrError(roundDecimal(x.number, digits.number));
}

// TEXT shows a value as a cell in that number format would; a text that reads as a number is
// shown as that number.
CellValue textOf(const FormulaNode& node, FormulaSource& cells) {
    CellValue value = evaluate(node.children[0], cells);
    if (isError(value)) return value;
    const CellValue code = toText(evaluate(node.children[1], cells));
    if (isError(code)) return code;
    if (value.isEmpty()) value = CellValue::fromNumber(0);
    if (value.isText()) {
        if (const CellValue number = toNumber(value); number.isNumber()) value = number;
    }
    return textOrError(formatCellValue(value, code.text));
}

CellValue evaluate(const FormulaNode& node, FormulaSource& cells) {
    switch (node.type) {
        case Type::Number:
            return CellValue::fromNumber(node.number);
        case Type::String:
            return CellValue::fromText(node.text);
        case Type::Ref:
            return cells.value(node.first.row, node.first.column);
        case Type::Block:
            return valueError();
        case Type::RefError:
            return CellValue::fromError(QStringLiteral("#REF!"));
        case Type::Negate: {
            const CellValue v = toNumber(evaluate(node.children[0], cells));
            return isError(v) ? v : CellValue::fromNumber(-v.number);
        }
        case Type::Parentheses:
            return evaluate(node.children[0], cells);
        case Type::Add:
        case Type::Subtract:
        case Type::Multiply:
        case Type::Divide:
            return arithmetic(node, cells);
        case Type::Concat:
            return concat(node, cells);
        case Type::Equal:
        case Type::NotEqual:
        case Type::Less:
        case Type::Greater:
        case Type::LessEqual:
        case Type::GreaterEqual:
            return comparison(node, cells);
        case Type::Sum:
            return sum(node, cells);
        case Type::If:
            return ifValue(node, cells);
        case Type::Round:
            return round(node, cells);
        case Type::Abs: {
            const CellValue v = toNumber(evaluate(node.children[0], cells));
            return isError(v) ? v : CellValue::fromNumber(std::fabs(v.number));
        }
        case Type::Text:
            return textOf(node, cells);
    }
    return valueError();
}

}  // namespace

CellValue evaluateFormula(const FormulaNode& formula, FormulaSource& cells) {
    const CellValue v = evaluate(formula, cells);
    return v.isEmpty() ? CellValue::fromNumber(0) : v;
}

}  // namespace tallimo::host
