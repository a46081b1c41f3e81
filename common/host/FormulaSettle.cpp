#include "FormulaEvaluator.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

// Reading a formula computes what it reads first. Chains of formulas run as long as a sheet (a
// running balance reads the row above), so the walk through what formulas read keeps its own
// stack, not the call stack, and computes each formula once everything it reads is. Formulas
// that read one another in a circle form a strongly connected group of that graph (found as in
// Tarjan's algorithm); the whole group is settled at once, each member showing its file's value
// or the circular-reference error, so no member computes from another's half-done value and the
// result is the same whichever cell is read first.
namespace tallimo::host {
namespace {

// A node of the graph: a formula cell (a block of one cell), or a block that a SUM reads, which
// in turn reads the formulas inside it. Every SUM of one block shares its node, so a thousand
// formulas summing the whole sheet cost two thousand edges, not a million.
struct Node {
    CellRect rect;
    bool isCell() const { return rect.rowCount() == 1 && rect.columnCount() == 1; }
    bool operator==(const Node&) const = default;
};

struct NodeHash {
    std::size_t operator()(const Node& n) const {
        const quint64 corner = (quint64(n.rect.top) << 32) | (quint64(n.rect.left) << 16);
        return std::hash<quint64>()((corner | quint64(n.rect.right)) * 1048583 +
                                    quint64(n.rect.bottom));
    }
};

void collectReads(const FormulaNode& node, std::vector<CellRect>& reads) {
    if (node.type == FormulaNode::Type::Ref || node.type == FormulaNode::Type::Block) {
        const FormulaRef& a = node.first;
        const FormulaRef& b = node.type == FormulaNode::Type::Block ? node.second : node.first;
        reads.push_back({std::min(a.row, b.row), std::min(a.column, b.column),
                         std::max(a.row, b.row), std::max(a.column, b.column)});
    }
    for (const FormulaNode& child : node.children)
        collectReads(child, reads);
}

}  // namespace

void FormulaEvaluator::settle(MemorySheet& s, CellKey start) {
    struct Visit {
        std::uint32_t index, low;
        bool open;  // on the stack of nodes whose group is not settled yet
    };
    struct Frame {
        Node node;
        // What a cell reads; a block reads itself. A cell below the top of the walk that reads
        // many blocks lets them go and reads its formula again when the walk comes back to it,
        // so that a long chain of such cells holds one list, not one each.
        std::vector<CellRect> reads;
        bool readsDropped = false;
        std::size_t read = 0;     // the one being looked through
        int row = 0, column = 0;  // in a block: where to look next; row 0 before the first
        bool clean = true;        // in a block: every formula up to here was settled
        bool readsItself = false;
    };
    forgetStaleBlocks(s);
    std::unordered_map<Node, Visit, NodeHash> visits;
    std::vector<Frame> frames;
    std::vector<Node> open;

    const auto slotOf = [&](const Node& n) {
        return s.cells.find(n.rect.top, n.rect.left)->payload;
    };
    const auto unsettledFormula = [&](const Cell& cell) {
        return cell.kind == CellKind::Formula && !s.formulas.settled(cell.payload, s.generation);
    };
    const auto readsOf = [&](const Node& n) {
        std::vector<CellRect> reads;
        if (!n.isCell())
            reads.push_back(n.rect);
        else if (const auto parsed = parsedFormula(s, slotOf(n), n.rect.top, n.rect.left))
            collectReads(*parsed, reads);
        return reads;
    };
    const auto enter = [&](const Node& n) {
        const auto index = std::uint32_t(visits.size());
        visits.emplace(n, Visit{index, index, true});
        open.push_back(n);
        if (!frames.empty() && frames.back().reads.size() > 16) {
            frames.back().reads = {};
            frames.back().readsDropped = true;
        }
        frames.push_back({n, readsOf(n)});
    };
    // The next node the frame reads that is not settled; none once it has looked through all.
    const auto nextInput = [&](Frame& f) -> std::optional<Node> {
        for (; f.read < f.reads.size(); ++f.read) {
            const CellRect& r = f.reads[f.read];
            if (f.node.isCell()) {
                if (Node{r}.isCell()) {
                    const Cell* cell = s.cells.find(r.top, r.left);
                    if (!cell || !unsettledFormula(*cell)) continue;
                    ++f.read;
                    return Node{r};
                }
                const auto known = s.settledBlockRows.find(blockKey(r));
                const int settledRows = known == s.settledBlockRows.end() ? 0 : known->second;
                if (r.top + settledRows <= std::min(r.bottom, s.cells.rowCount())) {
                    ++f.read;
                    return Node{r};
                }
                continue;
            }
            // A block: its formulas row by row, from the first row not known to be settled.
            const int last = std::min(r.bottom, s.cells.rowCount());
            if (f.row == 0) {
                const auto known = s.settledBlockRows.find(blockKey(r));
                f.row = r.top + (known == s.settledBlockRows.end() ? 0 : known->second);
                f.column = r.left;
            }
            for (; f.row <= last; ++f.row, f.column = r.left) {
                if (const CellRow* cells = s.cells.row(f.row)) {
                    for (auto it = std::lower_bound(
                             cells->begin(), cells->end(), f.column,
                             [](const Cell&c, int column) { return c.column < column; });
                         it != cells->end() && it->column <= r.right; ++it) {
                        if (!unsettledFormula(*it)) continue;
                        f.column = it->column + 1;
                        f.clean = false;
                        return Node{{f.row, it->column, f.row, it->column}};
                    }
                }
                // Every SUM down a running balance reads the rows the SUM above it read; the
                // rows from the top known to hold only settled formulas are not looked at again.
                if (f.clean) s.settledBlockRows[blockKey(r)] = f.row - r.top + 1;
            }
        }
        return std::nullopt;
    };

    enter(Node{{keyRow(start), keyColumn(start), keyRow(start), keyColumn(start)}});
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (const auto input = nextInput(frame)) {
            if (*input == frame.node) {
                frame.readsItself = true;
                continue;
            }
            const auto seen = visits.find(*input);
            if (seen == visits.end()) {
                enter(*input);
            } else if (seen->second.open) {
                Visit& visit = visits.find(frame.node)->second;
                visit.low = std::min(visit.low, seen->second.index);
            }
            continue;
        }
        const Node node = frame.node;
        const bool readsItself = frame.readsItself;
        frames.pop_back();
        Visit& visit = visits.find(node)->second;
        if (visit.low == visit.index) {
            if (open.back() == node && !readsItself) {
                open.pop_back();
                visit.open = false;
                if (node.isCell()) computeFormula(s, node.rect.top, node.rect.left, slotOf(node));
            } else {
                Node member;
                do {
                    member = open.back();
                    open.pop_back();
                    visits.find(member)->second.open = false;
                    if (member.isCell()) s.formulas.settleOnCycle(slotOf(member), s.generation);
                } while (!(member == node));
            }
        }
        if (frames.empty()) break;
        Frame& parent = frames.back();
        Visit& parentVisit = visits.find(parent.node)->second;
        parentVisit.low = std::min(parentVisit.low, visit.low);
        if (parent.readsDropped) {
            parent.reads = readsOf(parent.node);
            parent.readsDropped = false;
        }
    }
}

}  // namespace tallimo::host
