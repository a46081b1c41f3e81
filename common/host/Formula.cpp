#include "Formula.h"

#include "CellNames.h"
#include "CompensatedSum.h"

#include <QLocale>
#include <cmath>

namespace tallimo::host {
namespace {

using Type = FormulaNode::Type;

bool insideGrid(int row, int column) {
    return row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns;
}

class Parser {
public:
    Parser(const QString& text, Notation notation, int row, int column)
        : s_(text), notation_(notation), row_(row), column_(column) {}

    std::optional<FormulaNode> parse(FormulaShape& shape) {
        skipSpaces();
        if (!eat(u'=')) return std::nullopt;
        auto node = expression();
        skipSpaces();
        shape.tooDeep = tooDeep_;
        shape.depth = depth_;
        if (!node || i_ != s_.size()) return std::nullopt;
        return node;
    }

private:
    // Every parsing step that returns a node leaves the node's depth in depth_, and the descent
    // counts its own nesting in nesting_; either past kMaxFormulaDepth ends the parse, before a
    // deep formula can exhaust the stack here or in whatever walks its tree later.
    bool deepen(int depth) {
        depth_ = depth;
        if (depth <= kMaxFormulaDepth) return true;
        tooDeep_ = true;
        return false;
    }
    struct Nesting {
        Parser& p;
        explicit Nesting(Parser& parser) : p(parser) { ++p.nesting_; }
        ~Nesting() { --p.nesting_; }
        bool tooDeep() const {
            if (p.nesting_ <= kMaxFormulaDepth) return false;
            p.tooDeep_ = true;
            return true;
        }
    };

    QChar peek() const { return i_ < s_.size() ? s_[i_] : QChar(); }
    void skipSpaces() {
        while (peek() == u' ')
            ++i_;
    }
    bool eat(char16_t c) {
        skipSpaces();
        if (peek() != c) return false;
        ++i_;
        return true;
    }

    // A left operand and the run of operators after it, each applied to what came before.
    std::optional<FormulaNode> chain(std::optional<FormulaNode> (Parser::*operand)(),
                                     char16_t firstOperator, Type firstType,
                                     char16_t secondOperator, Type secondType) {
        auto left = (this->*operand)();
        while (left) {
            const int leftDepth = depth_;
            Type type = firstType;
            if (eat(secondOperator))
                type = secondType;
            else if (!eat(firstOperator))
                break;
            auto right = (this->*operand)();
            if (!right || !deepen(std::max(leftDepth, depth_) + 1)) return std::nullopt;
            FormulaNode node{type, 0, {}, {}, {}};
            node.children.push_back(std::move(*left));
            node.children.push_back(std::move(*right));
            left = std::move(node);
        }
        return left;
    }

    std::optional<FormulaNode> expression() {
        return chain(&Parser::term, u'+', Type::Add, u'-', Type::Subtract);
    }

    std::optional<FormulaNode> term() {
        return chain(&Parser::unary, u'*', Type::Multiply, u'/', Type::Divide);
    }

    std::optional<FormulaNode> unary() {
        const Nesting nesting(*this);
        if (nesting.tooDeep()) return std::nullopt;
        if (eat(u'-')) {
            auto operand = unary();
            if (!operand || !deepen(depth_ + 1)) return std::nullopt;
            FormulaNode node{Type::Negate, 0, {}, {}, {}};
            node.children.push_back(std::move(*operand));
            return node;
        }
        if (eat(u'+')) return unary();
        auto node = primary();
        if (node && node->type == Type::Block) return std::nullopt;  // a block only inside SUM
        return node;
    }

    std::optional<FormulaNode> primary() {
        skipSpaces();
        if (eat(u'(')) {
            auto inner = expression();
            if (!inner || !eat(u')') || !deepen(depth_ + 1)) return std::nullopt;
            FormulaNode node{Type::Parentheses, 0, {}, {}, {}};
            node.children.push_back(std::move(*inner));
            return node;
        }
        if (peek().isDigit() || peek() == u'.') return number();
        if (QStringView(s_).mid(i_).startsWith(u"SUM(", Qt::CaseInsensitive)) {
            i_ += 4;
            return sum();
        }
        return reference();
    }

    std::optional<FormulaNode> number() {
        const qsizetype start = i_;
        while (peek().isDigit() || peek() == u'.')
            ++i_;
        if (peek() == u'E' || peek() == u'e') {
            ++i_;
            if (peek() == u'+' || peek() == u'-') ++i_;
            while (peek().isDigit())
                ++i_;
        }
        bool ok = false;
        const double value = QLocale::c().toDouble(QStringView(s_).mid(start, i_ - start), &ok);
        if (!ok) return std::nullopt;
        deepen(1);
        return FormulaNode{Type::Number, value, {}, {}, {}};
    }

    std::optional<FormulaNode> sum() {
        FormulaNode node{Type::Sum, 0, {}, {}, {}};
        int deepest = 0;
        if (!eat(u')')) {
            do {
                skipSpaces();
                auto argument = (peek().isLetter() || peek() == u'$' || peek() == u'#')
                                    ? referenceOrExpression()
                                    : expression();
                if (!argument) return std::nullopt;
                deepest = std::max(deepest, depth_);
                node.children.push_back(std::move(*argument));
            } while (eat(u','));
            if (!eat(u')')) return std::nullopt;
        }
        if (!deepen(deepest + 1)) return std::nullopt;
        return node;
    }

    // Inside SUM an argument may be a block; anything else is an expression.
    std::optional<FormulaNode> referenceOrExpression() {
        const qsizetype start = i_;
        auto ref = reference();
        skipSpaces();
        if (ref && (peek() == u',' || peek() == u')')) return ref;
        i_ = start;
        return expression();
    }

    std::optional<FormulaNode> reference() {
        skipSpaces();
        deepen(1);
        if (QStringView(s_).mid(i_).startsWith(u"#REF!")) {
            i_ += 5;
            return FormulaNode{Type::RefError, 0, {}, {}, {}};
        }
        bool valid = true;
        auto first = corner(valid);
        if (!first) return std::nullopt;
        if (peek() != u':') {
            if (!valid) return FormulaNode{Type::RefError, 0, {}, {}, {}};
            return FormulaNode{Type::Ref, 0, *first, {}, {}};
        }
        ++i_;
        auto second = corner(valid);
        if (!second) return std::nullopt;
        if (!valid) return FormulaNode{Type::RefError, 0, {}, {}, {}};
        return FormulaNode{Type::Block, 0, *first, *second, {}};
    }

    std::optional<FormulaRef> corner(bool& valid) {
        auto ref = notation_ == Notation::R1C1 ? cornerR1C1() : cornerA1();
        if (ref && !insideGrid(ref->row, ref->column)) valid = false;
        return ref;
    }

    // "R", "R5" or "R[-3]": absolute, or relative to `base`.
    bool part(char16_t letter, int base, int& value, bool& absolute) {
        if (peek().toUpper() != letter) return false;
        ++i_;
        if (peek() == u'[') {
            ++i_;
            const auto offset = integer(true);
            if (!offset || peek() != u']') return false;
            ++i_;
            value = base + *offset;
            absolute = false;
        } else if (peek().isDigit()) {
            const auto number = integer(false);
            if (!number) return false;
            value = *number;
            absolute = true;
        } else {
            value = base;
            absolute = false;
        }
        return true;
    }

    std::optional<int> integer(bool signedAllowed) {
        const qsizetype start = i_;
        if (signedAllowed && (peek() == u'-' || peek() == u'+')) ++i_;
        while (peek().isDigit())
            ++i_;
        bool ok = false;
        const int value = QStringView(s_).mid(start, i_ - start).toInt(&ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    }

    std::optional<FormulaRef> cornerR1C1() {
        FormulaRef ref;
        if (!part(u'R', row_, ref.row, ref.rowAbsolute)) return std::nullopt;
        if (!part(u'C', column_, ref.column, ref.columnAbsolute)) return std::nullopt;
        return ref;
    }

    std::optional<FormulaRef> cornerA1() {
        FormulaRef ref;
        if (peek() == u'$') {
            ++i_;
            ref.columnAbsolute = true;
        }
        int column = 0, letters = 0;
        while (peek().isLetter() && peek().unicode() < 128 && letters < 3) {
            column = column * 26 + (peek().toUpper().unicode() - u'A' + 1);
            ++i_;
            ++letters;
        }
        if (letters == 0) return std::nullopt;
        if (peek() == u'$') {
            ++i_;
            ref.rowAbsolute = true;
        }
        const auto row = integer(false);
        if (!row) return std::nullopt;
        ref.row = *row;
        ref.column = column;
        return ref;
    }

    QString s_;
    qsizetype i_ = 0;
    Notation notation_;
    int row_, column_;
    int depth_ = 0;
    int nesting_ = 0;
    bool tooDeep_ = false;
};

QString refText(const FormulaRef& ref, Notation notation, int row, int column) {
    if (notation == Notation::A1) {
        return (ref.columnAbsolute ? QStringLiteral("$") : QString()) + columnName(ref.column) +
               (ref.rowAbsolute ? QStringLiteral("$") : QString()) + QString::number(ref.row);
    }
    const auto part = [](QChar letter, int value, int base, bool absolute) {
        if (absolute) return letter + QString::number(value);
        if (value == base) return QString(letter);
        return QStringLiteral("%1[%2]").arg(letter).arg(value - base);
    };
    return part(u'R', ref.row, row, ref.rowAbsolute) +
           part(u'C', ref.column, column, ref.columnAbsolute);
}

QString nodeText(const FormulaNode& node, Notation notation, int row, int column) {
    const auto child = [&](int i) { return nodeText(node.children[i], notation, row, column); };
    switch (node.type) {
        case Type::Number:
            return QString::number(node.number, 'g', 15);
        case Type::Ref:
            return refText(node.first, notation, row, column);
        case Type::Block:
            return refText(node.first, notation, row, column) + u':' +
                   refText(node.second, notation, row, column);
        case Type::RefError:
            return QStringLiteral("#REF!");
        case Type::Add:
            return child(0) + u'+' + child(1);
        case Type::Subtract:
            return child(0) + u'-' + child(1);
        case Type::Multiply:
            return child(0) + u'*' + child(1);
        case Type::Divide:
            return child(0) + u'/' + child(1);
        case Type::Negate:
            return u'-' + child(0);
        case Type::Parentheses:
            return u'(' + child(0) + u')';
        case Type::Sum: {
            QStringList arguments;
            for (int i = 0; i < int(node.children.size()); ++i)
                arguments.append(child(i));
            return QStringLiteral("SUM(") + arguments.join(u',') + u')';
        }
    }
    return {};
}

// One axis of a deletion: [first, last] removed along it, the other axis limited to [from, to].
struct Cut {
    int first, last, from, to;
    int count() const { return last - first + 1; }
};

Cut cutOf(const CellRect& deleted, Shift shift) {
    return shift == Shift::Up ? Cut{deleted.top, deleted.bottom, deleted.left, deleted.right}
                              : Cut{deleted.left, deleted.right, deleted.top, deleted.bottom};
}

// Adjusts a span [lo, hi] along the cut axis; false when every cell of it was removed.
bool adjustSpan(int& lo, int& hi, const Cut& cut) {
    if (lo >= cut.first && hi <= cut.last) return false;
    const int newLo = lo < cut.first ? lo : (lo > cut.last ? lo - cut.count() : cut.first);
    const int newHi = hi > cut.last ? hi - cut.count() : (hi < cut.first ? hi : cut.first - 1);
    lo = newLo;
    hi = newHi;
    return true;
}

void adjustNode(FormulaNode& node, const CellRect& deleted, Shift shift) {
    const Cut cut = cutOf(deleted, shift);
    const auto along = [shift](FormulaRef& ref) -> int& {
        return shift == Shift::Up ? ref.row : ref.column;
    };
    const auto across = [shift](FormulaRef& ref) -> int& {
        return shift == Shift::Up ? ref.column : ref.row;
    };
    if (node.type == Type::Ref) {
        if (across(node.first) < cut.from || across(node.first) > cut.to) return;
        int lo = along(node.first), hi = lo;
        if (!adjustSpan(lo, hi, cut)) {
            node = FormulaNode{Type::RefError, 0, {}, {}, {}};
            return;
        }
        along(node.first) = lo;
    } else if (node.type == Type::Block) {
        FormulaRef& a = node.first;
        FormulaRef& b = node.second;
        const int acrossLo = std::min(across(a), across(b));
        const int acrossHi = std::max(across(a), across(b));
        if (acrossLo < cut.from || acrossHi > cut.to) return;
        FormulaRef& low = along(a) <= along(b) ? a : b;
        FormulaRef& high = along(a) <= along(b) ? b : a;
        int lo = along(low), hi = along(high);
        if (!adjustSpan(lo, hi, cut)) {
            node = FormulaNode{Type::RefError, 0, {}, {}, {}};
            return;
        }
        along(low) = lo;
        along(high) = hi;
    }
    for (FormulaNode& child : node.children)
        adjustNode(child, deleted, shift);
}

bool isError(const CellValue& v) {
    return v.kind == CellValue::Kind::Error;
}

CellValue toNumber(const CellValue& v) {
    switch (v.kind) {
        case CellValue::Kind::Empty:
            return CellValue::fromNumber(0);
        case CellValue::Kind::Number:
        case CellValue::Kind::Boolean:
            return CellValue::fromNumber(v.number);
        case CellValue::Kind::Text: {
            bool ok = false;
            const double number = QLocale::c().toDouble(v.text.trimmed(), &ok);
            return ok ? CellValue::fromNumber(number)
                      : CellValue::fromError(QStringLiteral("#VALUE!"));
        }
        case CellValue::Kind::Error:
            return v;
    }
    return v;
}

CellValue evaluate(const FormulaNode& node, FormulaSource& cells);

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

CellValue evaluate(const FormulaNode& node, FormulaSource& cells) {
    switch (node.type) {
        case Type::Number:
            return CellValue::fromNumber(node.number);
        case Type::Ref:
            return cells.value(node.first.row, node.first.column);
        case Type::Block:
            return CellValue::fromError(QStringLiteral("#VALUE!"));
        case Type::RefError:
            return CellValue::fromError(QStringLiteral("#REF!"));
        case Type::Negate: {
            const CellValue v = toNumber(evaluate(node.children[0], cells));
            return isError(v) ? v : CellValue::fromNumber(-v.number);
        }
        case Type::Parentheses:
            return evaluate(node.children[0], cells);
        case Type::Sum:
            return sum(node, cells);
        default:
            return arithmetic(node, cells);
    }
}

}  // namespace

std::optional<FormulaNode> parseFormula(const QString& text, Notation notation, int row, int column,
                                        FormulaShape* shape) {
    FormulaShape ignored;
    return Parser(text, notation, row, column).parse(shape ? *shape : ignored);
}

QString formulaText(const FormulaNode& formula, Notation notation, int row, int column) {
    return u'=' + nodeText(formula, notation, row, column);
}

void adjustForDeletion(FormulaNode& formula, const CellRect& deleted, Shift shift) {
    adjustNode(formula, deleted, shift);
}

std::optional<std::pair<int, int>> positionAfterDeletion(int row, int column,
                                                         const CellRect& deleted, Shift shift) {
    const Cut cut = cutOf(deleted, shift);
    int along = shift == Shift::Up ? row : column;
    const int across = shift == Shift::Up ? column : row;
    if (across >= cut.from && across <= cut.to) {
        int hi = along;
        if (!adjustSpan(along, hi, cut)) return std::nullopt;
    }
    return shift == Shift::Up ? std::pair{along, column} : std::pair{row, along};
}

std::optional<CellRect> blockAfterDeletion(const CellRect& block, const CellRect& deleted,
                                           Shift shift) {
    FormulaNode node{Type::Block,
                     0,
                     {block.top, block.left, true, true},
                     {block.bottom, block.right, true, true},
                     {}};
    adjustNode(node, deleted, shift);
    if (node.type != Type::Block) return std::nullopt;
    return CellRect{node.first.row, node.first.column, node.second.row, node.second.column};
}

CellValue evaluateFormula(const FormulaNode& formula, FormulaSource& cells) {
    const CellValue v = evaluate(formula, cells);
    return v.isEmpty() ? CellValue::fromNumber(0) : v;
}

}  // namespace tallimo::host
