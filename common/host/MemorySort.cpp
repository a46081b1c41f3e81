#include "MemoryCells.h"

#include "FormulaEvaluator.h"
#include "MemoryChecks.h"

#include <algorithm>
#include <deque>

namespace tallimo::host {

namespace {

// The host's ascending order: numbers, texts without regard to case, logical values, errors;
// empty cells always last, whatever the direction.
enum Rank { NumberRank, TextRank, BooleanRank, ErrorRank, EmptyRank };

// A sort key; a text is seen where it is stored, so keys cost no copies.
struct SortKey {
    Rank rank = EmptyRank;
    double number = 0;
    QStringView text;
    int row = 0;
};

Rank rankOf(CellValue::Kind kind) {
    switch (kind) {
        case CellValue::Kind::Number:
            return NumberRank;
        case CellValue::Kind::Text:
            return TextRank;
        case CellValue::Kind::Boolean:
            return BooleanRank;
        case CellValue::Kind::Error:
            return ErrorRank;
        case CellValue::Kind::Empty:
            return EmptyRank;
    }
    return EmptyRank;
}

int compareKeys(const SortKey& a, const SortKey& b) {
    if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
    if (a.rank == TextRank) return a.text.compare(b.text, Qt::CaseInsensitive);
    if (a.rank == ErrorRank) return 0;
    return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
}

}  // namespace

void MemoryCells::sort(SheetId id, const CellRect& range, int keyColumn, SortOrder order,
                       bool hasHeader) {
    checkRect(range);
    if (keyColumn < range.left || keyColumn > range.right)
        throw HostError(QStringLiteral("排序关键列 %1 不在排序区域内").arg(keyColumn));
    MemorySheet& s = sheet(id);
    const int first = range.top + (hasHeader ? 1 : 0);
    const int last = std::min(range.bottom, s.cells.rowCount());
    if (first >= last) return;
    std::vector<SortKey> keys;
    keys.reserve(std::size_t(last - first + 1));
    std::deque<QString> computedTexts;  // the texts of formula results the keys look at
    for (int row = first; row <= last; ++row) {
        SortKey key{EmptyRank, 0, {}, row};
        if (const Cell* cell = s.cells.find(row, keyColumn)) {
            switch (cell->kind) {
                case CellKind::Number:
                case CellKind::Boolean:
                    key.rank = cell->kind == CellKind::Number ? NumberRank : BooleanRank;
                    key.number = CellGrid::number(*cell);
                    break;
                case CellKind::Text:
                    key.rank = TextRank;
                    key.text = s.cells.text(*cell);
                    break;
                case CellKind::Error:
                    key.rank = ErrorRank;
                    break;
                case CellKind::Formula: {
                    const CellValue v = FormulaEvaluator::cellValue(s, row, keyColumn);
                    key.rank = rankOf(v.kind);
                    key.number = v.number;
                    computedTexts.push_back(v.text);
                    key.text = computedTexts.back();
                    break;
                }
                case CellKind::Empty:
                    break;
            }
        }
        keys.push_back(key);
    }
    std::stable_sort(keys.begin(), keys.end(), [order](const SortKey& a, const SortKey& b) {
        if (a.rank == EmptyRank || b.rank == EmptyRank)
            return a.rank != EmptyRank && b.rank == EmptyRank;
        const int c = compareKeys(a, b);
        return order == SortOrder::Ascending ? c < 0 : c > 0;
    });
    std::vector<int> sourceRows;
    sourceRows.reserve(keys.size());
    for (const SortKey& k : keys)
        sourceRows.push_back(k.row);
    moveRowSpan(s, {first, range.left, last, range.right}, sourceRows);
}

}  // namespace tallimo::host
