#include "BalanceStatement.h"

#include "Report.h"
#include "Text.h"

#include <QDate>

#include <algorithm>

namespace tallimo::core::balance {
namespace {

constexpr std::size_t kJournal = 0;
constexpr std::size_t kBank = 1;

QString titleAt(const QStringList& titles, int position) {
    return position >= 1 && position <= titles.size() ? titles[position - 1] : QString();
}

Flow together(Flow a, Flow b) {
    if (a == Flow::Unknown) return b;
    if (b == Flow::Unknown) return a;
    return a == b ? a : Flow::Unknown;
}

QString dateText(const std::optional<int>& day) {
    if (!day) return {};
    return QDate(1970, 1, 1).addDays(*day).toString(QStringLiteral("yyyy-MM-dd"));
}

}  // namespace

Flow flowOfTitle(QStringView title) {
    const auto holdsAny = [title](QStringView characters) {
        return std::any_of(characters.begin(), characters.end(),
                           [title](QChar c) { return title.contains(c); });
    };
    const bool receipts = holdsAny(u"借收");
    const bool payments = holdsAny(u"贷支付");
    if (receipts == payments) return Flow::Unknown;
    return receipts ? Flow::Receipts : Flow::Payments;
}

QStringList titlesOf(const PreparedSide& side, const std::vector<int>& positions) {
    if (!side.columnHeaders.isEmpty()) return side.columnHeaders;
    const TextGrid& grid = side.textGrid;
    if (grid.rowCount() == 0) return {};
    for (int position : positions) {
        if (position < 1 || position >= grid.columnCount()) return {};
        const QStringView cell = trimSpaces(grid.cell(0, position));
        if (cell.isEmpty() || detail::toAmount(cell)) return {};
    }
    QStringList titles;
    for (int column = 1; column < grid.columnCount(); ++column)
        titles.append(trimSpaces(grid.cell(0, column)).toString());
    return titles;
}

Balance balanceOf(const PreparedSide& side, const QStringList& titles,
                  std::optional<qint64> given) {
    if (given) return {given, QStringLiteral("期末余额为给定值")};
    const TextGrid& grid = side.textGrid;
    for (int position = 1; position <= titles.size() && position < grid.columnCount(); ++position) {
        if (!titles[position - 1].contains(QStringLiteral("余额"))) continue;
        for (int row = grid.rowCount() - 1; row >= 0; --row) {
            const std::optional<qint64> cents = centsOf(trimSpaces(grid.cell(row, position)));
            if (!cents) continue;
            const int column = columnNumber(side.area.firstColumn) + position - 1;
            const qint32 first = side.area.firstRow == 0 ? 1 : side.area.firstRow;
            return {cents, QStringLiteral("期末余额取自%1列第%2行")
                               .arg(columnLetters(column))
                               .arg(first + row)};
        }
    }
    return {std::nullopt, QString()};
}

QString kindName(Kind kind) {
    switch (kind) {
        case Kind::BankReceived:
            return QStringLiteral("银行已收、企业未收");
        case Kind::BankPaid:
            return QStringLiteral("银行已付、企业未付");
        case Kind::CompanyReceived:
            return QStringLiteral("企业已收、银行未收");
        case Kind::CompanyPaid:
            break;
    }
    return QStringLiteral("企业已付、银行未付");
}

StatementJob::StatementJob(const ReconcileRequest& request, const BalanceStatementRequest& wanted)
    : statementOnLeft_(wanted.statementOnLeft),
      layout_(detail::sourceLayout(request.left.area, request.right.area)) {
    const std::array<int, 4> sums = sumPositionsOf(request.left, request.right);
    const std::vector<int> leftSums{sums[0], sums[1]}, rightSums{sums[2], sums[3]};
    const QStringList leftTitles = titlesOf(request.left, leftSums);
    const QStringList rightTitles = titlesOf(request.right, rightSums);

    if (!secondPassNeeded(request.left, request.right)) {
        reason_ = QStringLiteral(
            "只有一遍比对；余额调节表需要收入与支出两遍比对"
            "（两个区域各选借方、贷方或收入、支出两个求和列）");
    } else if (wanted.receiptsPass) {
        receiptsPass_ = *wanted.receiptsPass;
    } else {
        std::array<Flow, 2> flows{};
        for (int pass = 0; pass < 2; ++pass)
            flows[std::size_t(pass)] =
                together(flowOfTitle(titleAt(leftTitles, sums[std::size_t(pass)])),
                         flowOfTitle(titleAt(rightTitles, sums[std::size_t(2 + pass)])));
        if (flows[0] == Flow::Receipts && flows[1] == Flow::Payments) receiptsPass_ = 1;
        if (flows[0] == Flow::Payments && flows[1] == Flow::Receipts) receiptsPass_ = 2;
        if (receiptsPass_ == 0)
            reason_ = QStringLiteral(
                "无法从求和列的标题判断哪一遍是收入、哪一遍是支出"
                "（标题含“借”或“收”为收入，含“贷”“支”或“付”为支出）");
    }
    if (!reason_.isEmpty()) return;

    const std::array<const PreparedSide*, 2> sides{&request.left, &request.right};
    const std::array<const QStringList*, 2> titles{&leftTitles, &rightTitles};
    const std::array<std::optional<qint64>, 2> given{wanted.leftClosingCents,
                                                     wanted.rightClosingCents};
    for (std::size_t i = 0; i < 2; ++i) {
        const Balance found = balanceOf(*sides[i], *titles[i], given[i]);
        memoSkips_[i] = {sums[2 * i], sums[2 * i + 1]};
        for (int position = 1; position <= titles[i]->size(); ++position)
            if ((*titles[i])[position - 1].contains(QStringLiteral("余额")))
                memoSkips_[i].append(position);
        const std::size_t role = (i == 0) != statementOnLeft_ ? kJournal : kBank;
        closing_[role] = found;
        // The window handle the address starts with means nothing on paper.
        const QString& address = sides[i]->addressText;
        addresses_[role] = address.mid(std::max<qsizetype>(address.indexOf(u'['), 0));
    }
}

std::optional<QList<int>> StatementJob::memoSkips(Side side) const {
    if (!reason_.isEmpty()) return std::nullopt;
    return memoSkips_[side == Side::Left ? 0 : 1];
}

Statement StatementJob::statement(const UnexplainedRows& unexplained,
                                  const std::array<RowFacts, 2>& facts) const {
    Statement statement;
    statement.closing = closing_;
    statement.addresses = addresses_;
    for (int pass = 1; pass <= 2; ++pass) {
        const bool receipts = pass == receiptsPass_;
        for (Side side : {Side::Left, Side::Right}) {
            const bool journal = (side == Side::Left) != statementOnLeft_;
            const Kind kind = journal ? (receipts ? Kind::CompanyReceived : Kind::CompanyPaid)
                                      : (receipts ? Kind::BankReceived : Kind::BankPaid);
            const RowFacts& rows = facts[side == Side::Left ? 0 : 1];
            // A row without an amount in this pass belongs to the other pass, or to none.
            for (const UnexplainedRow& row : unexplained.of(pass, side)) {
                if (!row.cents || *row.cents == 0) continue;
                statement.items.push_back({kind, row.row, *row.cents, dateText(rows.day(row.row)),
                                           rows.memo(row.row), pass, side});
                statement.totals[std::size_t(kind)] += *row.cents;
            }
        }
    }
    std::stable_sort(statement.items.begin(), statement.items.end(),
                     [](const Item& a, const Item& b) { return int(a.kind) < int(b.kind); });
    if (closing_[kJournal].cents && closing_[kBank].cents) {
        const auto& t = statement.totals;
        const qint64 journal = *closing_[kJournal].cents + t[std::size_t(Kind::BankReceived)] -
                               t[std::size_t(Kind::BankPaid)];
        const qint64 bank = *closing_[kBank].cents + t[std::size_t(Kind::CompanyReceived)] -
                            t[std::size_t(Kind::CompanyPaid)];
        statement.check = journal == bank ? QStringLiteral("平衡")
                                          : QStringLiteral("不平衡，差额") +
                                                nearmiss::formatCents(journal - bank);
    }
    return statement;
}

void StatementJob::write(host::Application& app, ReconcileResult& result,
                         const UnexplainedRows& unexplained,
                         const std::array<RowFacts, 2>& facts) const {
    BalanceStatementOutcome& outcome = result.balanceStatement.emplace();
    if (!reason_.isEmpty()) {
        outcome.reason = reason_;
        return;
    }
    if (result.failedPass() != 0 || result.passes.size() != 2) {
        outcome.reason = QStringLiteral("比对未能完成");
        return;
    }
    const Statement statement = this->statement(unexplained, facts);
    outcome.check = statement.check;
    try {
        host::Workbook book = app.workbooks()[result.workbookName()];
        const host::Worksheet active = book.activeSheet();
        outcome.sheetName = writeStatementSheet(app, book, statement, result, layout_);
        detail::skipOnFailure([&] { host::Worksheet(active).select(); });
    } catch (const host::HostError& error) {
        outcome.failure = error.message();
    }
}

}  // namespace tallimo::core::balance
