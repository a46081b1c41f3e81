#pragma once

#include "NearMiss.h"
#include "Reconcile.h"

#include <vector>

// What the suggestions and the balance statement need of an area's rows beyond the pass's keys:
// a date, a name and a memo for every row, taken from the area's texts while the job still
// holds them.
namespace tallimo::core {

struct RowFacts {
    int dateColumn = 0;      // 1-based position in the area; 0: no date column
    QList<int> nameColumns;  // 1-based positions
    QString dateColumnName;  // "B列", or empty
    QStringList nameColumnNames;
    qint32 firstRow = 1;    // sheet row of the first entry
    std::vector<int> days;  // per row; kNoDay when the row has none
    TextGrid names;         // one column when asked for: the row's name cells joined by a space
    TextGrid memos;         // one column when asked for: the row's other texts

    static constexpr int kNoDay = std::numeric_limits<int>::min();

    std::optional<int> day(qint32 sheetRow) const;
    QString name(qint32 sheetRow) const;
    QString memo(qint32 sheetRow) const;
};

// What a run needs read: the columns it was told of, and whether names and memos are wanted.
struct RowFactsWanted {
    SuggestionColumns given;
    bool names = false;
    std::optional<QList<int>> memoSkips;  // set: memos, without these positions
};

// The date column is the given one, else the first of mostly dates; the names come from the
// given columns, else from the comparison columns that are not the date. A memo joins a row's
// cells but those of the date column and of the positions skipped.
RowFacts rowFacts(const PreparedSide& side, const RowFactsWanted& wanted);

}  // namespace tallimo::core
