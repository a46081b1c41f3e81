#include "NearMissFacts.h"

namespace tallimo::core::nearmiss {
namespace {

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

std::optional<int> SideFacts::day(qint32 sheetRow) const {
    const qint64 index = qint64(sheetRow) - firstRow;
    if (index < 0 || index >= qint64(days.size()) || days[std::size_t(index)] == kNoDay)
        return std::nullopt;
    return days[std::size_t(index)];
}

QString SideFacts::name(qint32 sheetRow) const {
    const qint64 index = qint64(sheetRow) - firstRow;
    if (index < 0 || index >= names.rowCount()) return {};
    return names.cell(int(index), 0).toString();
}

SideFacts sideFacts(const PreparedSide& side, const SuggestionColumns& given) {
    const TextGrid& grid = side.textGrid;
    const int areaColumns = grid.columnCount() - 1;  // column 0 holds the row labels
    const auto inArea = [areaColumns](int position) {
        return position >= 1 && position <= areaColumns;
    };
    SideFacts facts;
    facts.firstRow = side.area.firstRow == 0 ? 1 : side.area.firstRow;
    if (inArea(given.date)) {
        facts.dateColumn = given.date;
    } else {
        for (int position = 1; position <= areaColumns && facts.dateColumn == 0; ++position)
            if (mostlyDates(grid, position)) facts.dateColumn = position;
    }
    for (int position : given.names.isEmpty() ? comparisonColumns(side) : given.names)
        if (inArea(position) && position != facts.dateColumn &&
            !facts.nameColumns.contains(position))
            facts.nameColumns.append(position);

    if (facts.dateColumn != 0) facts.dateColumnName = columnName(side, facts.dateColumn);
    for (int position : std::as_const(facts.nameColumns))
        facts.nameColumnNames.append(columnName(side, position));

    facts.days.assign(std::size_t(grid.rowCount()), SideFacts::kNoDay);
    facts.names = TextGrid(1);
    QString name;  // one buffer for every row
    for (int row = 0; row < grid.rowCount(); ++row) {
        if (facts.dateColumn != 0)
            if (const auto day = dayFromText(grid.cell(row, facts.dateColumn)))
                facts.days[std::size_t(row)] = *day;
        name.resize(0);
        for (int position : std::as_const(facts.nameColumns)) {
            const QStringView cell = grid.cell(row, position);
            if (cell.isEmpty()) continue;
            if (!name.isEmpty()) name += u' ';
            name += cell;
        }
        facts.names.addCell(name);
        facts.names.endRow();
    }
    return facts;
}

}  // namespace tallimo::core::nearmiss
