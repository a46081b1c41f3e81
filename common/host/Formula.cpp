#include "Formula.h"

#include "CellNames.h"

#include <QLocale>
#include <span>

namespace tallimo::host {
namespace {

using Type = FormulaNode::Type;

bool insideGrid(int row, int column) {
    return row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns;
}

FormulaNode nodeOf(Type type) {
    FormulaNode node;
    node.type = type;
    return node;
}

struct Function {
    QStringView name;
    Type type;
    int fewestArguments, mostArguments;
};

constexpr Function kFunctions[] = {
    {u"SUM", Type::Sum, 0, 255}, {u"IF", Type::If, 2, 3},     {u"ROUND", Type::Round, 2, 2},
    {u"ABS", Type::Abs, 1, 1},   {u"TEXT", Type::Text, 2, 2},
};

const Function* functionNamed(QStringView name) {
    for (const Function& f : kFunctions)
        if (name.compare(f.name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

struct Operator {
    QStringView token;
    Type type;
};

// From the loosest binding to the tightest; within a level longer tokens first, so that "<=" is
// not read as "<".
constexpr Operator kComparisons[] = {
    {u"<>", Type::NotEqual}, {u"<=", Type::LessEqual}, {u">=", Type::GreaterEqual},
    {u"<", Type::Less},      {u">", Type::Greater},    {u"=", Type::Equal},
};
constexpr Operator kJoins[] = {{u"&", Type::Concat}};
constexpr Operator kAdditions[] = {{u"+", Type::Add}, {u"-", Type::Subtract}};
constexpr Operator kProducts[] = {{u"*", Type::Multiply}, {u"/", Type::Divide}};

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
    std::optional<Type> eatOperator(std::span<const Operator> operators) {
        skipSpaces();
        for (const Operator& o : operators) {
            if (QStringView(s_).mid(i_).startsWith(o.token)) {
                i_ += o.token.size();
                return o.type;
            }
        }
        return std::nullopt;
    }

    // A left operand and the run of operators after it, each applied to what came before.
    std::optional<FormulaNode> chain(std::optional<FormulaNode> (Parser::*operand)(),
                                     std::span<const Operator> operators) {
        auto left = (this->*operand)();
        while (left) {
            const int leftDepth = depth_;
            const auto type = eatOperator(operators);
            if (!type) break;
            auto right = (this->*operand)();
            if (!right || !deepen(std::max(leftDepth, depth_) + 1)) return std::nullopt;
            FormulaNode node = nodeOf(*type);
            node.children.push_back(std::move(*left));
            node.children.push_back(std::move(*right));
            left = std::move(node);
        }
        return left;
    }

    std::optional<FormulaNode> expression() { return chain(&Parser::join, kComparisons); }
    std::optional<FormulaNode> join() { return chain(&Parser::addition, kJoins); }
    std::optional<FormulaNode> addition() { return chain(&Parser::product, kAdditions); }
    std::optional<FormulaNode> product() { return chain(&Parser::unary, kProducts); }

    std::optional<FormulaNode> unary() {
        const Nesting nesting(*this);
        if (nesting.tooDeep()) return std::nullopt;
        if (eat(u'-')) {
            auto operand = unary();
            if (!operand || !deepen(depth_ + 1)) return std::nullopt;
            FormulaNode node = nodeOf(Type::Negate);
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
            FormulaNode node = nodeOf(Type::Parentheses);
            node.children.push_back(std::move(*inner));
            return node;
        }
        if (peek().isDigit() || peek() == u'.') return number();
        if (peek() == u'"') return string();
        // A name right before "(" calls a function; no reference is followed by one.
        qsizetype end = i_;
        while (end < s_.size() && s_[end].unicode() < 128 && s_[end].isLetter())
            ++end;
        if (end > i_ && end < s_.size() && s_[end] == u'(') {
            const Function* f = functionNamed(QStringView(s_).mid(i_, end - i_));
            if (!f) return std::nullopt;
            i_ = end + 1;
            return call(*f);
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
        FormulaNode node = nodeOf(Type::Number);
        node.number = value;
        return node;
    }

    // "..." with "" standing for one quote inside.
    std::optional<FormulaNode> string() {
        FormulaNode node = nodeOf(Type::String);
        ++i_;
        for (;;) {
            const qsizetype quote = s_.indexOf(u'"', i_);
            if (quote < 0) return std::nullopt;
            node.text += QStringView(s_).mid(i_, quote - i_);
            i_ = quote + 1;
            if (peek() != u'"') break;
            node.text += u'"';
            ++i_;
        }
        deepen(1);
        return node;
    }

    // The arguments after the function's "(", through its ")".
    std::optional<FormulaNode> call(const Function& f) {
        FormulaNode node = nodeOf(f.type);
        int deepest = 0;
        if (!eat(u')')) {
            do {
                skipSpaces();
                auto argument = f.type == Type::Sum && startsReference() ? referenceOrExpression()
                                                                         : expression();
                if (!argument) return std::nullopt;
                deepest = std::max(deepest, depth_);
                node.children.push_back(std::move(*argument));
            } while (eat(u','));
            if (!eat(u')')) return std::nullopt;
        }
        const int count = int(node.children.size());
        if (count < f.fewestArguments || count > f.mostArguments) return std::nullopt;
        if (!deepen(deepest + 1)) return std::nullopt;
        return node;
    }

    bool startsReference() const { return peek().isLetter() || peek() == u'$' || peek() == u'#'; }

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
            return nodeOf(Type::RefError);
        }
        bool valid = true;
        auto first = corner(valid);
        if (!first) return std::nullopt;
        if (peek() != u':') {
            if (!valid) return nodeOf(Type::RefError);
            FormulaNode node = nodeOf(Type::Ref);
            node.first = *first;
            return node;
        }
        ++i_;
        auto second = corner(valid);
        if (!second) return std::nullopt;
        if (!valid) return nodeOf(Type::RefError);
        FormulaNode node = nodeOf(Type::Block);
        node.first = *first;
        node.second = *second;
        return node;
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

QString quoted(const QString& text) {
    QString out = text;
    out.replace(u'"', u"\"\""_qs);
    return u'"' + out + u'"';
}

QString nodeText(const FormulaNode& node, Notation notation, int row, int column) {
    const auto child = [&](int i) { return nodeText(node.children[i], notation, row, column); };
    const auto infix = [&](std::span<const Operator> operators) {
        for (const Operator& o : operators)
            if (o.type == node.type) return child(0) + o.token.toString() + child(1);
        return QString();
    };
    switch (node.type) {
        case Type::Number:
            return QString::number(node.number, 'g', 15);
        case Type::String:
            return quoted(node.text);
        case Type::Ref:
            return refText(node.first, notation, row, column);
        case Type::Block:
            return refText(node.first, notation, row, column) + u':' +
                   refText(node.second, notation, row, column);
        case Type::RefError:
            return QStringLiteral("#REF!");
        case Type::Add:
        case Type::Subtract:
            return infix(kAdditions);
        case Type::Multiply:
        case Type::Divide:
            return infix(kProducts);
        case Type::Concat:
            return infix(kJoins);
        case Type::Equal:
        case Type::NotEqual:
        case Type::Less:
        case Type::Greater:
        case Type::LessEqual:
        case Type::GreaterEqual:
            return infix(kComparisons);
        case Type::Negate:
            return u'-' + child(0);
        case Type::Parentheses:
            return u'(' + child(0) + u')';
        case Type::Sum:
        case Type::If:
        case Type::Round:
        case Type::Abs:
        case Type::Text:
            break;
    }
    QStringList arguments;
    for (int i = 0; i < int(node.children.size()); ++i)
        arguments.append(child(i));
    for (const Function& f : kFunctions)
        if (f.type == node.type) return f.name.toString() + u'(' + arguments.join(u',') + u')';
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
            node = nodeOf(Type::RefError);
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
            node = nodeOf(Type::RefError);
            return;
        }
        along(low) = lo;
        along(high) = hi;
    }
    for (FormulaNode& child : node.children)
        adjustNode(child, deleted, shift);
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
    FormulaNode node = nodeOf(Type::Block);
    node.first = {block.top, block.left, true, true};
    node.second = {block.bottom, block.right, true, true};
    adjustNode(node, deleted, shift);
    if (node.type != Type::Block) return std::nullopt;
    return CellRect{node.first.row, node.first.column, node.second.row, node.second.column};
}

}  // namespace tallimo::host
