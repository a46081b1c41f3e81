#include "RowFacts.h"

namespace tallimo::core {
namespace {

using nearmiss::dayFromText;
using nearmiss::mostlyDates;

QList<int> comparisonColumns(const PreparedSide& side) {
    QList<int> positions;
    for (QStringView piece : QStringView(side.comparePositions).split(u'_', Qt::SkipEmptyParts))
        positions.append(piece.toInt());
    return positions;
}

QString columnName(const PreparedSide& side, int position) {
    return columnLetters(columnNumber(side.area.firstColumn) + position - 1) + QStringLiteral("列");
}

}  // namespace

std::optional<int> RowFacts::day(qint32 sheetRow) const {
    const qint64 index = qint64(sheetRow) - firstRow;
    if (index < 0 || index >= qint64(days.size()) || days[std::size_t(index)] == kNoDay)
        return std::nullopt;
    return days[std::size_t(index)];
}

namespace {

QString rowText(const TextGrid& grid, qint32 index) {
    if (index < 0 || index >= grid.rowCount()) return {};
    return grid.cell(index, 0).toString();
}

// The cells of `positions` in one row, joined by a space, into `joined`.
void joinCells(const TextGrid& grid, int row, const QList<int>& positions, QString& joined) {
    joined.resize(0);
    for (int position : positions) {
        const QStringView cell = grid.cell(row, position);
        if (cell.isEmpty()) continue;
        if (!joined.isEmpty()) joined += u' ';
        joined += cell;
    }
}

}  // namespace

QString RowFacts::name(qint32 sheetRow) const {
    return rowText(names, qint32(qint64(sheetRow) - firstRow));
}

QString RowFacts::memo(qint32 sheetRow) const {
    return rowText(memos, qint32(qint64(sheetRow) - firstRow));
}

RowFacts rowFacts(const PreparedSide& side, const RowFactsWanted& wanted) {
    const SuggestionColumns& given = wanted.given;
    const std::optional<QList<int>>& memoSkips = wanted.memoSkips;
    const TextGrid& grid = side.textGrid;
    const int areaColumns = grid.columnCount() - 1;  // column 0 holds the row labels
    const auto inArea = [areaColumns](int position) {
        return position >= 1 && position <= areaColumns;
    };
    RowFacts facts;
    facts.firstRow = side.area.firstRow == 0 ? 1 : side.area.firstRow;
    if (inArea(given.date)) {
        facts.dateColumn = given.date;
    } else {
        for (int position = 1; position <= areaColumns && facts.dateColumn == 0; ++position)
            if (mostlyDates(grid, position)) facts.dateColumn = position;
    }
    const QList<int> names = !wanted.names           ? QList<int>()
                             : given.names.isEmpty() ? comparisonColumns(side)
                                                     : given.names;
    for (int position : names)
        if (inArea(position) && position != facts.dateColumn &&
            !facts.nameColumns.contains(position))
            facts.nameColumns.append(position);

    if (facts.dateColumn != 0) facts.dateColumnName = columnName(side, facts.dateColumn);
    for (int position : std::as_const(facts.nameColumns))
        facts.nameColumnNames.append(columnName(side, position));

    facts.days.assign(std::size_t(grid.rowCount()), RowFacts::kNoDay);
    if (wanted.names) facts.names = TextGrid(1);
    QList<int> memoColumns;
    if (memoSkips) {
        facts.memos = TextGrid(1);
        for (int position = 1; position <= areaColumns; ++position)
            if (position != facts.dateColumn && !memoSkips->contains(position))
                memoColumns.append(position);
    }
    QString joined;  // one buffer for every row
    for (int row = 0; row < grid.rowCount(); ++row) {
        if (facts.dateColumn != 0)
            if (const auto day = dayFromText(grid.cell(row, facts.dateColumn)))
                facts.days[std::size_t(row)] = *day;
        if (wanted.names) {
            joinCells(grid, row, facts.nameColumns, joined);
            facts.names.addCell(joined);
            facts.names.endRow();
        }
        if (memoSkips) {
            joinCells(grid, row, memoColumns, joined);
            facts.memos.addCell(joined);
            facts.memos.endRow();
        }
    }
    return facts;
}

}  // namespace tallimo::core
