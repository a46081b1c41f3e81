#include "SheetBlock.h"

#include <algorithm>

namespace tallimo::area {

namespace {

bool before(int rowA, int columnA, int rowB, int columnB) {
    return rowA != rowB ? rowA < rowB : columnA < columnB;
}

class UsedAreaVisitor : public SheetVisitor {
public:
    void cells(const host::CellRect& cells, QStringView text) override {
        if (text.isEmpty()) return;
        if (!used) {
            used = cells;
            return;
        }
        used->top = std::min(used->top, cells.top);
        used->left = std::min(used->left, cells.left);
        used->bottom = std::max(used->bottom, cells.bottom);
        used->right = std::max(used->right, cells.right);
    }
    void merged(const host::CellRect&) override {}

    std::optional<host::CellRect> used;
};

}  // namespace

std::optional<host::CellRect> usedArea(const SheetSource& sheet) {
    UsedAreaVisitor visitor;
    sheet.visit(visitor);
    return visitor.used;
}

SheetBlock::SheetBlock(const SheetSource& sheet, const host::CellRect& block) {
    class Gather : public SheetVisitor {
    public:
        Gather(SheetBlock& out, const host::CellRect& block) : out_(out), block_(block) {}
        void cells(const host::CellRect& cells, QStringView text) override {
            if (text.isEmpty()) return;
            const int top = std::max(cells.top, block_.top);
            const int bottom = std::min(cells.bottom, block_.bottom);
            const int left = std::max(cells.left, block_.left);
            const int right = std::min(cells.right, block_.right);
            if (top > bottom || left > right) return;
            const auto index = std::uint32_t(out_.texts_.size());
            out_.texts_.push_back({out_.pool_.size(), text.size()});
            out_.pool_.append(text);
            for (int row = top; row <= bottom; ++row)
                for (int column = left; column <= right; ++column)
                    out_.entries_.push_back({row, std::uint16_t(column), index});
        }
        void merged(const host::CellRect& cells) override { merges.push_back(cells); }

        std::vector<host::CellRect> merges;

    private:
        SheetBlock& out_;
        const host::CellRect& block_;
    };
    Gather gather(*this, block);
    sheet.visit(gather);
    // Stable, so that of two reports of one cell the later wins, as it would in the sheet.
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return before(a.row, a.column, b.row, b.column);
    });
    dropCoveredCells(gather.merges);
}

void SheetBlock::dropCoveredCells(const std::vector<host::CellRect>& merges) {
    const auto lessThanCell = [](const Entry& e, std::pair<int, int> cell) {
        return before(e.row, e.column, cell.first, cell.second);
    };
    for (const host::CellRect& merge : merges) {
        // Rows without kept cells are stepped over, so a merge of a million rows costs what
        // the block holds.
        int row = merge.top;
        while (row <= merge.bottom) {
            auto at = std::lower_bound(entries_.begin(), entries_.end(), std::pair(row, merge.left),
                                       lessThanCell);
            if (at == entries_.end()) break;
            if (at->row != row) {
                row = at->row;
                continue;
            }
            for (; at != entries_.end() && at->row == row && at->column <= merge.right; ++at) {
                if (row != merge.top || at->column != merge.left) at->text = kDropped;
            }
            ++row;
        }
    }
}

void SheetBlock::appendCell(int row, int column, QString& out) {
    while (next_ < entries_.size() &&
           before(entries_[next_].row, entries_[next_].column, row, column))
        ++next_;
    std::uint32_t text = kDropped;
    while (next_ < entries_.size() && entries_[next_].row == row &&
           entries_[next_].column == column)
        text = entries_[next_++].text;
    if (text != kDropped)
        out.append(QStringView(pool_).sliced(texts_[text].offset, texts_[text].length));
}

}  // namespace tallimo::area
