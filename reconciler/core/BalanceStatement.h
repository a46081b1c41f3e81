#pragma once

#include "RowFacts.h"
#include "SourceCopy.h"
#include "Unexplained.h"

// The bank balance reconciliation statement (银行存款余额调节表): the rows the receipts pass and
// the payments pass leave unexplained are the outstanding items (未达账项) of each side.
namespace tallimo::core::balance {

enum class Flow { Unknown, Receipts, Payments };

// 借 or 收 make a receipts column, 贷, 支 or 付 a payments column; a title with both or neither
// says nothing.
Flow flowOfTitle(QStringView title);

// The column titles of an area: the ones handed in, else its first row when that row holds a
// title at every given position rather than an amount. Empty when neither.
QStringList titlesOf(const PreparedSide& side, const std::vector<int>& positions);

// A closing balance and, for the sheet, where it came from.
struct Balance {
    std::optional<qint64> cents;
    QString source;
};

// The given balance, else the last amount of the area's first column titled with 余额.
Balance balanceOf(const PreparedSide& side, const QStringList& titles, std::optional<qint64> given);

// The four kinds of outstanding items, in the order the sheet lists them.
enum class Kind { BankReceived, BankPaid, CompanyReceived, CompanyPaid };

struct Item {
    Kind kind;
    qint32 row;  // the source row
    qint64 cents;
    QString date;  // yyyy-MM-dd, or empty
    QString memo;
    int pass;  // whose source copy the row number leads to
    Side side;
};

// Everything the sheet shows.
struct Statement {
    std::array<Balance, 2> closing;  // journal, bank
    std::array<QString, 2> addresses;
    std::vector<Item> items;  // grouped by kind
    std::array<qint64, 4> totals{};
    QString check;  // empty while a balance is missing
};

// Settles at the start of the job, while the areas' texts are held, whether a statement can be
// written, and gathers it after the passes.
class StatementJob {
public:
    StatementJob(const ReconcileRequest& request, const BalanceStatementRequest& wanted);

    // The columns that are no memo of a side: its sum columns and its balance column; none when
    // no statement can be written.
    std::optional<QList<int>> memoSkips(Side side) const;

    // Adds the sheet, or says why not, in result.balanceStatement; `facts` are the sides' rows
    // read with memoSkips.
    void write(host::Application& app, ReconcileResult& result, const UnexplainedRows& unexplained,
               const std::array<RowFacts, 2>& facts) const;

private:
    Statement statement(const UnexplainedRows& unexplained,
                        const std::array<RowFacts, 2>& facts) const;

    bool statementOnLeft_ = false;
    QString reason_;  // why no statement can be written; empty when one can
    int receiptsPass_ = 0;
    std::array<Balance, 2> closing_;  // journal, bank
    std::array<QString, 2> addresses_;
    std::array<QList<int>, 2> memoSkips_;  // left, right
    detail::SourceLayout layout_;
};

// Adds "余额调节表" as the last sheet; adding, naming and placing it throw on failure, each later
// step is skipped when it fails. Returns the sheet's name.
QString writeStatementSheet(host::Application& app, host::Workbook book, const Statement& statement,
                            const ReconcileResult& result, const detail::SourceLayout& layout);

QString kindName(Kind kind);

}  // namespace tallimo::core::balance
