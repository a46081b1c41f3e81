#include "Reconcile.h"
#include "SelectionText.h"
#include "Text.h"

#include <array>
#include <charconv>

namespace tallimo::core {
namespace {

const QString kReselect = QStringLiteral("，请重新在EXCEL中拖拉出连续的选区！");

// "左行12": the label of a sheet row, written into `buffer` rather than a string of its own.
QStringView rowLabel(Side side, qint32 row, std::array<char16_t, 16>& buffer) {
    buffer[0] = side == Side::Left ? u'左' : u'右';
    buffer[1] = u'行';
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, row).ptr;
    std::copy(digits, end, buffer.begin() + 2);
    return {buffer.data(), 2 + (end - digits)};
}

// Cuts a line at every TAB; returns whether it holds a "|".
bool cutCells(QStringView line, std::vector<QStringView>& cells) {
    cells.clear();
    bool bar = false;
    const char16_t* chars = line.utf16();
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (chars[i] == u'\t') {
            cells.push_back(line.sliced(start, i - start));
            start = i + 1;
        } else if (chars[i] == u'|') {
            bar = true;
        }
    }
    cells.push_back(line.sliced(start));
    return bar;
}

// "|" separates the key's parts, so it never stays inside a cell: the cells of a line holding one
// are cut from a copy in `buffer` with each "|" made "!". Lines without one (nearly all) are cut
// where they lie.
void cutCellsWithoutBars(QStringView line, std::vector<QStringView>& cells, QString& buffer) {
    if (!cutCells(line, cells)) return;
    buffer = line.toString();
    buffer.replace(u'|', u'!');
    cutCells(buffer, cells);
}

bool allEmpty(const TextGrid& list) {
    for (int i = 0; i < list.rowCount(); ++i)
        if (!list.cell(i, 0).isEmpty()) return false;
    return true;
}

TextGrid oneColumn(int rows, qsizetype chars) {
    TextGrid grid(1);
    grid.reserve(rows, chars);
    return grid;
}

// Whether each slot's key list holds any key; the list of a pass may still leave out the rows
// of the other pass.
using KeyedSlots = std::array<bool, 2>;

KeyedSlots buildSingleColumn(const KeyBuildInput& in, const QList<QStringView>& lines,
                             KeyBuildResult& out) {
    const int dataLines = int(lines.size()) - 1;
    out.textGrid = TextGrid(2);
    out.textGrid.reserve(dataLines, in.selectionText.size() + qsizetype(dataLines) * 10);
    std::array<char16_t, 16> label;
    for (int i = 0; i < dataLines; ++i) {
        out.textGrid.addCell(rowLabel(in.side, in.firstRow + i, label));
        out.textGrid.addCell(lines[i]);
        out.textGrid.endRow();
    }
    // The last piece (normally the empty text after the final line break) is a key as well.
    TextGrid keys = oneColumn(int(lines.size()), in.selectionText.size());
    for (QStringView line : lines) {
        keys.addCell(line);
        keys.endRow();
    }
    const bool keyed = !allEmpty(keys);
    out.keyLists = {keys, keys};
    return {keyed, keyed};
}

// Lines ended by CR LF, and a last piece without one when it holds anything.
int lineCount(const QList<QStringView>& lines) {
    return int(lines.size()) - (lines.back().isEmpty() ? 1 : 0);
}

// Checks the lines against the range's size (or, without one, every line's width against the
// first line's) and the positions against the width.
QString checkShape(const KeyBuildInput& in, const QList<QStringView>& lines,
                   std::vector<QStringView>& cells) {
    if (in.areaRows > 0 && lineCount(lines) != in.areaRows)
        return QStringLiteral(
                   "读取数据源失败(选区有%1行，复制的文本却有%2行，"
                   "可能是单元格中含有换行)")
                   .arg(in.areaRows)
                   .arg(lineCount(lines)) +
               kReselect;
    // Without the range's size a one-column area takes each line as copied, TABs and all.
    if (in.singleColumn && in.areaColumns == 0) return {};
    const int dataLines = in.singleColumn ? lineCount(lines) : int(lines.size()) - 1;
    if (dataLines <= 0) return {};
    cutCells(lines[0], cells);
    const std::size_t width = in.areaColumns > 0 ? std::size_t(in.areaColumns) : cells.size();
    for (int i = 0; i < dataLines; ++i) {
        const std::size_t lineWidth = std::size_t(lines[i].count(u'\t')) + 1;
        if (lineWidth == width) continue;
        if (in.areaColumns > 0)
            return QStringLiteral(
                       "读取数据源失败(第%1行有%2个单元格，选区却有%3列，"
                       "可能是单元格中含有制表符)")
                       .arg(in.firstRow + i)
                       .arg(lineWidth)
                       .arg(width) +
                   kReselect;
        return QStringLiteral("读取数据源失败(第%1行的单元格数与第%2行不同)")
                   .arg(in.firstRow + i)
                   .arg(in.firstRow) +
               kReselect;
    }
    if (in.singleColumn) return {};
    for (const auto* positions : {&in.sumPositions, &in.comparePositions})
        for (int p : *positions)
            if (p < 0 || std::size_t(p) >= width)
                return QStringLiteral("读取数据源失败(选区只有%1列)").arg(width) + kReselect;
    return {};
}

KeyedSlots buildMultiColumn(const KeyBuildInput& in, const QList<QStringView>& lines,
                            std::vector<QStringView>& cells, KeyBuildResult& out) {
    KeyedSlots keyed{};
    const int dataLines = int(lines.size()) - 1;
    const int sumItems = int(std::min<std::size_t>(in.sumPositions.size(), 2));
    out.textGrid = TextGrid(dataLines > 0 ? int(cells.size()) + 1 : 1);
    out.textGrid.reserve(dataLines, in.selectionText.size() + qsizetype(dataLines) * 10);
    // Room for keys a little longer than the first line's, so the lists rarely grow.
    qsizetype keyLength = 16;
    if (dataLines > 0) {
        keyLength = 2;
        for (const auto* positions : {&in.comparePositions, &in.sumPositions})
            for (int p : *positions)
                keyLength += cells[std::size_t(p)].size() + 1;
        keyLength += keyLength / 4;
    }
    for (int s = 0; s < 2; ++s)
        out.keyLists[s] = oneColumn(dataLines, qsizetype(dataLines) * keyLength);

    QString key, barless;
    std::array<char16_t, 16> label;
    for (int i = 0; i < dataLines; ++i) {
        cutCellsWithoutBars(lines[i], cells, barless);
        out.textGrid.addCell(rowLabel(in.side, in.firstRow + i, label));
        for (QStringView cell : cells)
            out.textGrid.addCell(cell);
        out.textGrid.endRow();

        key.resize(0);
        for (std::size_t c = 0; c < in.comparePositions.size(); ++c) {
            if (c > 0) key += u',';
            key += cells[std::size_t(in.comparePositions[c])];
        }
        const qsizetype comparisonLength = key.size();
        std::array<QStringView, 2> sums;
        for (int s = 0; s < sumItems; ++s)
            sums[std::size_t(s)] = trimSpaces(cells[std::size_t(in.sumPositions[std::size_t(s)])]);
        for (int s = 0; s < sumItems; ++s) {
            key.resize(comparisonLength);
            if (comparisonLength > 0) key += u'|';
            key += sums[std::size_t(s)];
            if (!key.isEmpty()) keyed[std::size_t(s)] = true;
            // With two sum columns each pass reads one of them: a row whose amount stands only
            // in the other one (a debit row in the credit pass) is that pass's record alone.
            const bool otherPassOnly = sumItems == 2 && sums[std::size_t(s)].isEmpty() &&
                                       !sums[std::size_t(1 - s)].isEmpty();
            out.keyLists[s].addCell(otherPassOnly ? QStringView() : QStringView(key));
            out.keyLists[s].endRow();
        }
    }
    if (sumItems == 1) {
        out.keyLists[1] = out.keyLists[0];
        keyed[1] = keyed[0];
    }
    return keyed;
}

}  // namespace

KeyBuildResult buildKeys(const KeyBuildInput& in) {
    KeyBuildResult out;
    if (in.sumPositions.empty()) {
        out.error = QStringLiteral("至少要选择一列作为求和项！");
        return out;
    }
    const QList<QStringView> lines = splitSelectionLines(in.selectionText);
    std::vector<QStringView> cells;

    out.error = checkShape(in, lines, cells);
    if (!out.ok()) return out;
    const KeyedSlots keyed = in.singleColumn ? buildSingleColumn(in, lines, out)
                                             : buildMultiColumn(in, lines, cells, out);

    if (!keyed[0]) {
        out.error = QStringLiteral("读取数据源失败(不能读取比较项)") + kReselect;
    } else if (in.sumPositions.size() > 1 && !keyed[1]) {
        out.error = QStringLiteral("读取数据源失败(不能读取第2类比较项)") + kReselect;
    }
    if (!out.ok()) {
        out.keyLists = {};
        return out;
    }
    for (int p : in.comparePositions) {
        if (!out.comparePositions.isEmpty()) out.comparePositions += u'_';
        out.comparePositions += QString::number(p + 1);
    }
    return out;
}

void PreparedSide::adoptKeys(KeyBuildResult&& keys) {
    textGrid = std::move(keys.textGrid);
    keyLists = std::move(keys.keyLists);
    comparePositions = std::move(keys.comparePositions);
}

std::array<int, 4> sumPositionsOf(const PreparedSide& left, const PreparedSide& right) {
    std::array<int, 4> positions{};
    int i = 0;
    for (const PreparedSide* side : {&left, &right}) {
        const int first = columnNumber(side->area.firstColumn);
        for (const QString& item : side->relationItems)
            positions[std::size_t(i++)] =
                item.isEmpty() ? 0 : columnNumber(QStringView(item).chopped(1)) - first + 1;
    }
    return positions;
}

bool secondPassNeeded(const PreparedSide& left, const PreparedSide& right) {
    return left.relationItems[1] + right.relationItems[1] !=
           left.relationItems[0] + right.relationItems[0];
}

}  // namespace tallimo::core
