#pragma once

#include "Address.h"
#include "Host.h"
#include "TextGrid.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// The reconciliation core: group keys from a selection's text, the group index of one side,
// and the comparison pass that writes the report sheet and the source-copy sheet through the
// host object model. No settings, no windows: the callers hand in every value.
namespace tallimo::core {

// Hands control to pending window messages; called once per key and per marked row. May be
// empty.
using PumpMessages = std::function<void()>;

enum class Side { Left, Right };  // area 1, area 2

enum class Outcome { Matched, LeftMore, RightMore, LeftOnly, RightOnly };

struct OutcomeStyle {
    QStringView mark;  // "√", "◇", "○", "◆", "●"
    int fillIndex;     // palette index of the row fill
    int fontIndex;     // palette index of the font colour, 0 when left alone
};
const OutcomeStyle& outcomeStyle(Outcome outcome);

// ---------------------------------------------------------------------------------------------
// Keys

// One area's selection as the column-roles step hands it over.
struct KeyBuildInput {
    QStringView selectionText;          // CR LF lines, TAB cells, as copied
    Side side = Side::Left;             // row label prefix "左行" or "右行"
    qint32 firstRow = 0;                // sheet row of the first data line
    bool singleColumn = false;          // one-column area: the key is the line as copied
    std::vector<int> sumPositions;      // 0-based positions in the area, one or two
    std::vector<int> comparePositions;  // 0-based positions, in comparison-list order
    // The selected range's size. Every line must hold areaColumns cells and there must be
    // areaRows lines; 0 when the range is not known, and the first line sets the width.
    int areaRows = 0;
    int areaColumns = 0;
};

struct KeyBuildResult {
    // Empty on success; otherwise the message to show (exclamation icon). When the key lists
    // come out empty the grid is still built (the window keeps it) and the key lists are not;
    // lines of unequal width or positions outside the lines leave both empty.
    QString error;
    TextGrid textGrid;                 // column 0 the row label, then the area's cells
    std::array<TextGrid, 2> keyLists;  // slot 1 and slot 2, one column each
    QString comparePositions;          // 1-based, joined by "_" ("1_3"), or empty

    bool ok() const { return error.isEmpty(); }
};

// Builds the text grid, the key lists and the comparison positions of one area. Lines whose
// number of cells differs from the range's column count, and a text whose number of lines differs
// from the range's row count, are refused with a message: a cell holding a TAB or line break
// would otherwise shift cells into the wrong column or row.
KeyBuildResult buildKeys(const KeyBuildInput& input);

// ---------------------------------------------------------------------------------------------
// Prepared sides and the group index

struct PreparedSide {
    TextGrid textGrid;
    std::array<TextGrid, 2> keyLists;      // [0] is slot 1, [1] slot 2
    QString comparePositions;              // "2_4" or empty
    QString addressText;                   // 723[Book1.xlsx]Sheet1!$A$1:$D$20
    AreaAddress area;                      // the area's rectangle (RNG1 / RNG2)
    std::array<QString, 2> relationItems;  // sum-item names of relation rows 0 and 1 ("F列")
    // The column titles above the area, one per column; empty when not known.
    QStringList columnHeaders;

    // Takes over a successful key build.
    void adoptKeys(KeyBuildResult&& keys);
};

// The 1-based sum positions of both sides: left row 0, left row 1, right row 0, right row 1,
// from the relation items and the areas' first columns.
std::array<int, 4> sumPositionsOf(const PreparedSide& left, const PreparedSide& right);
// A second pass is needed when relation row 1 differs from row 0.
bool secondPassNeeded(const PreparedSide& left, const PreparedSide& right);

// Rows of one side grouped by trimmed key, in order of first appearance. Keys are views into
// the key list the index was built from, which must outlive the index.
class GroupIndex {
public:
    int groupCount() const { return int(keys_.size()); }
    QStringView key(int group) const { return keys_[std::size_t(group)]; }
    qint32 count(int group) const {
        return offsets_[std::size_t(group) + 1] - offsets_[std::size_t(group)];
    }
    // Sheet rows of the group, ascending.
    std::span<const qint32> rows(int group) const {
        return {rows_.data() + offsets_[std::size_t(group)], std::size_t(count(group))};
    }
    int find(QStringView key) const { return lookup_.value(key, -1); }  // -1: absent
    // "5_9_12"; a list longer than maxLength ends with "_…" after the rows that fit.
    QString rowListText(int group, qsizetype maxLength = -1) const;
    QString countedText(int group) const;  // key "|" count

private:
    friend GroupIndex buildGroupIndex(const TextGrid&, qint32, const PumpMessages&);
    std::vector<QStringView> keys_;
    std::vector<qint32> offsets_{0};
    std::vector<qint32> rows_;
    QHash<QStringView, int> lookup_;
};

// Entry i of the key list is sheet row firstRow + i (a first row of 0 counts as 1); entries
// empty after trimming spaces belong to no group.
GroupIndex buildGroupIndex(const TextGrid& keyList, qint32 firstRow, const PumpMessages& pump);

// ---------------------------------------------------------------------------------------------
// The comparison pass

struct PassOptions {
    bool colourMarking = true;      // Check2
    bool reportTableLines = false;  // mKX1
    bool sourceTableLines = false;  // mKX2
};

struct PassInput {
    const PreparedSide* left = nullptr;
    const PreparedSide* right = nullptr;
    PassOptions options;
    bool secondPassNeeded = false;
    std::array<int, 4> sumPositions{};  // 1-based, as sumPositionsOf gives them
    bool compareListEmpty = true;       // chooses the report's key column
    QDateTime reportTime;               // written as yyyy/M/d H:mm:ss
    QString logonName;
    PumpMessages pump;
    // Called in pass 1 once the source sheets hold the areas' texts: from then on no pass reads
    // the sides' text grids, and the caller may free them. May be empty.
    std::function<void()> textsCopied;
    // Called for the rows of a group that exact matching leaves unexplained, those marked
    // ◇ ○ ◆ ●, with the group's key. May be empty.
    std::function<void(Side side, std::span<const qint32> rows, QStringView key)> unexplainedRows;
};

struct PassFigures {
    qint64 matchedRecords = 0;
    qint64 pairedRecords = 0;
    qint64 recordTotal = 0;  // all left counts plus all right counts
    qint64 leftMoreCount = 0;
    qint64 rightMoreCount = 0;  // absolute value
    double leftMoreAmount = 0;
    double rightMoreAmount = 0;   // absolute value
    std::array<int, 5> groups{};  // group rows per Outcome
};

// What the near-miss suggestions of a pass came to.
struct SuggestionFigures {
    QString sheetName;  // "1.疑似匹配"; empty when the pass had none to write
    int suggestions = 0;
    qint64 candidateRows = 0;  // rows marked ◇ ○ ◆ ●
    qint64 explainedRows = 0;
    qint64 pendingRows = 0;  // rows in 待定 suggestions
    qint64 unfinishedTargets = 0;
    QString failure;  // the host's message when the sheet could not be written
};

struct PassResult {
    // False when a host failure ended the pass before the report header's fonts (or the pass
    // number was invalid); the workbook may then be partly built.
    bool completed = false;
    QString failure;  // the host's message when a failure ended the pass
    QString workbookName;
    QString reportSheetName;  // 1.(F列_D列)比对报告√
    QString sourceSheetName;  // ▲(F列_D列)源▲
    QString conclusion;       // the sentence of the report's conclusion row
    PassFigures figures;
    std::optional<SuggestionFigures> suggestions;  // set when the run asked for them
};

// One comparison pass (1 or 2), the building block of `reconcile`. Pass 1 creates the result
// workbook; pass 2 works in the active workbook, which pass 1 left active.
PassResult runComparisonPass(host::Application& app, const PassInput& input, int passNumber);

// ---------------------------------------------------------------------------------------------
// The reconciliation job

// Everything one reconciliation needs: both prepared areas and the choices of the run. The job
// takes the sides over and frees their texts and key lists as soon as no pass needs them, so a
// caller that keeps its areas for another run hands in copies.
// Where an area's dates and names are, as 1-based positions in the area.
struct SuggestionColumns {
    int date = 0;      // 0: the first column of mostly dates
    QList<int> names;  // empty: the comparison columns that are not the date
};

// Near-miss suggestions for what a pass leaves unexplained, each on a sheet after its report.
struct SuggestionRequest {
    int windowDays = 7;
    std::optional<qint64> feeLimitCents;  // the fee rule is off without it
    SuggestionColumns left, right;
};

// The bank balance reconciliation statement of a run whose two passes are the receipts and the
// payments. Area 1 is the company's journal and area 2 the bank statement unless swapped.
struct BalanceStatementRequest {
    std::optional<int> receiptsPass;  // 1 or 2; none: from the sum columns' titles
    bool statementOnLeft = false;
    std::optional<qint64> leftClosingCents, rightClosingCents;  // none: from a 余额 column
};

// What became of the statement.
struct BalanceStatementOutcome {
    QString sheetName;  // "余额调节表"; empty when none was written
    QString reason;     // why none was written
    QString check;      // "平衡" or "不平衡，差额12.00"; empty while a balance is missing
    QString failure;    // the host's message when the sheet could not be written
};

struct ReconcileRequest {
    PreparedSide left;
    PreparedSide right;
    PassOptions options;
    bool compareListEmpty = true;  // the comparison-column list, as the run's last area had it
    QDateTime reportTime;
    QString logonName;
    std::optional<SuggestionRequest> suggestions;
    std::optional<BalanceStatementRequest> balanceStatement;
};

struct Progress {
    std::function<void(int passNumber)> passStarted;  // may be empty
    PumpMessages pump;                                // may be empty
};

struct ReconcileResult {
    // Pass 1 and, when the relation rows differ, pass 2; a pass that could not be completed is
    // the last one run.
    std::vector<PassResult> passes;
    std::optional<BalanceStatementOutcome> balanceStatement;  // set when the run asked for one

    // The result workbook in the host; empty when pass 1 ended before creating it.
    QString workbookName() const {
        return passes.empty() ? QString() : passes.front().workbookName;
    }
    // 1 or 2: the pass that could not be completed; 0 when every pass was.
    int failedPass() const;
    QStringList conclusions() const;
};

// The input of each pass over the request's sides, which must outlive it.
PassInput passInputFor(const ReconcileRequest& request);

// Pass 1 and, when the relation rows differ, pass 2, in a new workbook of `app`; a pass that
// fails ends the job, since pass 2 works in what pass 1 left behind.
ReconcileResult reconcile(host::Application& app, ReconcileRequest request,
                          const Progress& progress = {});

}  // namespace tallimo::core
