#pragma once

#include "HostTypes.h"

#include <QString>
#include <optional>
#include <vector>

namespace tallimo::host {

// A reference inside a formula, resolved to sheet coordinates for the formula's own cell.
struct FormulaRef {
    int row = 1;
    int column = 1;
    bool rowAbsolute = false;
    bool columnAbsolute = false;
};

// The formulas the system writes: numbers, texts in double quotes, cell references, + - * /,
// unary minus, parentheses, "&" joining texts, the comparisons = <> < > <= >=, and the functions
// SUM (over references and blocks), IF, ROUND, ABS and TEXT. References that point at deleted
// cells become #REF!.
struct FormulaNode {
    enum class Type {
        Number,
        String,  // a text literal
        Ref,
        Block,
        RefError,
        Add,
        Subtract,
        Multiply,
        Divide,
        Negate,
        Parentheses,
        Concat,
        Equal,
        NotEqual,
        Less,
        Greater,
        LessEqual,
        GreaterEqual,
        Sum,
        If,
        Round,
        Abs,
        Text  // the function TEXT(value, format code)
    };
    Type type = Type::Number;
    double number = 0;
    FormulaRef first;   // Ref, and the first corner of a Block
    FormulaRef second;  // the second corner of a Block
    std::vector<FormulaNode> children;
    QString text;  // String, without its quotes
};

enum class Notation { R1C1, A1 };

// How deep a formula may nest: every operator, parenthesis, minus sign and function is one level.
// Deeper formulas are refused, so that no formula can exhaust the stack of whatever walks it.
inline constexpr int kMaxFormulaDepth = 1024;

// What a parse found out beside the formula itself.
struct FormulaShape {
    bool tooDeep = false;  // refused for nesting past kMaxFormulaDepth
    int depth = 0;         // the levels of the formula parsed
};

// Parses a formula text ("=SUM(R[-3]C:R[-1]C)", "=B7-E7") written in cell (row, column);
// nullopt when the text is outside the supported grammar or nests too deep.
std::optional<FormulaNode> parseFormula(const QString& text, Notation notation, int row, int column,
                                        FormulaShape* shape = nullptr);
// The formula's text, with the leading "=", as cell (row, column) holds it.
QString formulaText(const FormulaNode& formula, Notation notation, int row, int column);

// Keeps the references pointing at the same cells when the cells of `deleted` are removed and
// the cells below (Shift::Up) or to the right (Shift::Left) move into their place; references
// into the removed cells become #REF!.
void adjustForDeletion(FormulaNode& formula, const CellRect& deleted, Shift shift);

// Where a cell lands after such a deletion; nullopt when it was removed.
std::optional<std::pair<int, int>> positionAfterDeletion(int row, int column,
                                                         const CellRect& deleted, Shift shift);

// A block (a merge) after such a deletion; nullopt when all its cells were removed.
std::optional<CellRect> blockAfterDeletion(const CellRect& block, const CellRect& deleted,
                                           Shift shift);

// What evaluation reads from the sheet.
class FormulaSource {
public:
    virtual ~FormulaSource() = default;
    virtual CellValue value(int row, int column) = 0;
    // The total of the numbers in `block` (texts, truth values and empty cells count nothing),
    // or its first error, row by row.
    virtual CellValue blockSum(const CellRect& block) = 0;
};

CellValue evaluateFormula(const FormulaNode& formula, FormulaSource& cells);

}  // namespace tallimo::host
