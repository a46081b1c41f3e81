#include "BalanceStatement.h"
#include "PassTestSupport.h"

namespace tallimo::core {
namespace {

using namespace tallimo::core::testing;

TEST(BalanceStatementTitles, NameTheFlowOfAColumn) {
    const std::pair<const char*, balance::Flow> cases[] = {
        {"借方金额", balance::Flow::Receipts}, {"收入金额", balance::Flow::Receipts},
        {"收款", balance::Flow::Receipts},     {"贷方金额", balance::Flow::Payments},
        {"支出", balance::Flow::Payments},     {"付款金额", balance::Flow::Payments},
        {"收支", balance::Flow::Unknown},      {"借贷", balance::Flow::Unknown},
        {"金额", balance::Flow::Unknown},      {"", balance::Flow::Unknown},
    };
    for (const auto& [title, flow] : cases)
        EXPECT_EQ(balance::flowOfTitle(QString::fromUtf8(title)), flow) << title;
}

// An opening balance both books agree on, a receipt and a payment both hold, and one
// outstanding item of each kind. The closing balances are worked out here from the movements.
constexpr qint64 kOpening = 1000000;  // 10,000.00
struct Movement {
    const char* date;
    const char* memo;
    qint64 in, out;  // cents
};
const Movement kJournal[] = {{"2024-01-02", "收甲货款", 100000, 0},
                             {"2024-01-03", "付乙材料款", 0, 30000},
                             {"2024-01-30", "收丙支票", 50000, 0},
                             {"2024-01-31", "付丁款", 0, 20000}};
const Movement kBank[] = {{"2024-01-02", "甲公司", 100000, 0},
                          {"2024-01-03", "乙公司", 0, 30000},
                          {"2024-01-29", "利息", 1234, 0},
                          {"2024-01-31", "手续费", 0, 550}};

QString amount(qint64 cents) {
    return cents == 0 ? QString() : nearmiss::formatCents(cents);
}

// The lines of a book with its running balance; the closing balance is returned.
template <std::size_t N>
QStringList book(const Movement (&movements)[N], bool titleRow, qint64* closing) {
    QStringList lines;
    if (titleRow) lines << QStringLiteral("日期\t摘要\t借方金额\t贷方金额\t余额");
    qint64 balance = kOpening;
    for (const Movement& m : movements) {
        balance += m.in - m.out;
        lines << QStringLiteral("%1\t%2\t%3\t%4\t%5")
                     .arg(QString::fromUtf8(m.date), QString::fromUtf8(m.memo), amount(m.in),
                          amount(m.out), nearmiss::formatCents(balance));
    }
    *closing = balance;
    return lines;
}

class BalanceStatementJob : public PassFixture {
public:
    qint64 journalClosing = 0, bankClosing = 0;

    // The journal carries its titles in its first row, the statement's come from above it.
    void prepareBooks(bool statementFirst = false) {
        AreaSpec journal{
            book(kJournal, true, &journalClosing), {1, "A", 5, "E"}, {"C", "D"}, {"A"}};
        AreaSpec bank{book(kBank, false, &bankClosing), {2, "A", 5, "E"}, {"C", "D"}, {"A"}};
        if (statementFirst)
            prepareSides(bank, journal);
        else
            prepareSides(journal, bank);
        (statementFirst ? left : right).columnHeaders = {
            QStringLiteral("交易日期"), QStringLiteral("对方户名"), QStringLiteral("收入金额"),
            QStringLiteral("支出金额"), QStringLiteral("余额")};
    }

    QStringList rowValues(int row, int last) {
        return rowTexts(host, sheet(QStringLiteral("余额调节表")), row, 1, last);
    }
};

TEST_F(BalanceStatementJob, BalancesToTheCentWithEitherSideFirst) {
    for (bool statementFirst : {false, true}) {
        SCOPED_TRACE(statementFirst ? "statement first" : "journal first");
        prepareBooks(statementFirst);  // each run's result is a workbook of its own
        request.balanceStatement = BalanceStatementRequest{};
        request.balanceStatement->statementOnLeft = statementFirst;
        {
            ReconcileRequest copy = request;
            copy.left = left;
            copy.right = right;
            const ReconcileResult result = reconcile(app, std::move(copy), progress);
            ASSERT_TRUE(result.balanceStatement);
            EXPECT_EQ(result.balanceStatement->reason, QString());
            EXPECT_EQ(result.balanceStatement->check, QStringLiteral("平衡"));
            EXPECT_EQ(result.balanceStatement->sheetName, QStringLiteral("余额调节表"));
        }
        const QStringList names = sheetNames(app);
        EXPECT_EQ(names.last(), QStringLiteral("余额调节表"));

        // 11,000.00 and 10,706.84, from the movements above.
        ASSERT_EQ(journalClosing, 1100000);
        ASSERT_EQ(bankClosing, 1070684);
        EXPECT_EQ(rowValues(5, 4),
                  (QStringList{"企业银行存款日记账余额", "11000", "银行对账单余额", "10706.84"}));
        EXPECT_EQ(rowValues(6, 4), (QStringList{"加：银行已收、企业未收", "12.34",
                                                "加：企业已收、银行未收", "500"}));
        EXPECT_EQ(rowValues(7, 4),
                  (QStringList{"减：银行已付、企业未付", "5.5", "减：企业已付、银行未付", "200"}));
        EXPECT_EQ(rowValues(8, 4),
                  (QStringList{"调节后的存款余额", "11006.84", "调节后的存款余额", "11006.84"}));
        EXPECT_EQ(rowValues(9, 2), (QStringList{"核对结果", "平衡"}));
        const host::SheetId statement = sheet(QStringLiteral("余额调节表"));
        EXPECT_EQ(host.formulaA1(statement, 8, 2), QStringLiteral("=B5+B6-B7"));
        EXPECT_EQ(host.formulaA1(statement, 6, 2), QStringLiteral("=SUM($E$13:$E$13)"));

        // The items, grouped by kind; row numbers are the source rows.
        const int journalRow = 4, bankRow = 4;
        EXPECT_EQ(rowValues(12, 5), (QStringList{"类别", "行号", "日期", "摘要", "金额"}));
        EXPECT_EQ(rowValues(13, 5).mid(0, 2),
                  (QStringList{"银行已收、企业未收", QString::number(bankRow)}));
        EXPECT_EQ(rowValues(13, 5).mid(3), (QStringList{"利息", "12.34"}));
        EXPECT_EQ(rowValues(14, 5).mid(3), (QStringList{"手续费", "5.5"}));
        EXPECT_EQ(rowValues(15, 5).mid(0, 2),
                  (QStringList{"企业已收、银行未收", QString::number(journalRow)}));
        EXPECT_EQ(rowValues(15, 5).mid(3), (QStringList{"收丙支票", "500"}));
        EXPECT_EQ(rowValues(16, 5).mid(3), (QStringList{"付丁款", "200"}));
        EXPECT_EQ(rowValues(17, 1), QStringList{""});
        EXPECT_TRUE(host.hyperlink(statement, 13, 2).contains(QStringLiteral("源▲'!")));
    }
}

TEST_F(BalanceStatementJob, AMissingBalanceLeavesAnInputCell) {
    prepareBooks();
    right.columnHeaders[4] = QStringLiteral("备注");  // no 余额 column on the bank's side
    request.balanceStatement = BalanceStatementRequest{};
    ReconcileRequest copy = request;
    copy.left = left;
    copy.right = right;
    const ReconcileResult result = reconcile(app, std::move(copy), progress);
    ASSERT_TRUE(result.balanceStatement);
    EXPECT_EQ(result.balanceStatement->check, QString());
    const host::SheetId statement = sheet(QStringLiteral("余额调节表"));
    EXPECT_EQ(cellText(host, statement, 5, 4), QString());
    EXPECT_TRUE(cellText(host, statement, 2, 1).contains(QStringLiteral("请在D5填入期末余额")));
    EXPECT_EQ(host.commentText(statement, 5, 4), QStringLiteral("请填入期末余额"));

    // A balance given wins over the column.
    request.balanceStatement->rightClosingCents = 1070684;
    request.balanceStatement->leftClosingCents = 1;
    copy = request;
    copy.left = left;
    copy.right = right;
    const ReconcileResult given = reconcile(app, std::move(copy), progress);
    EXPECT_EQ(given.balanceStatement->check, QStringLiteral("不平衡，差额-10999.99"));
}

TEST_F(BalanceStatementJob, NoDirectionOrOnePassNoSheetAndTheReason) {
    struct Case {
        const char* what;
        QStringList titles;
        QStringList sums;
        std::optional<int> receiptsPass;
        const char* reason;  // empty: a sheet
    };
    const Case cases[] = {
        {"titles without direction",
         {"日期", "对方", "金额一", "金额二", "余额"},
         {"C", "D"},
         std::nullopt,
         "无法从求和列的标题判断"},
        {"the direction given", {"日期", "对方", "金额一", "金额二", "余额"}, {"C", "D"}, 1, ""},
        {"one pass",
         {"日期", "对方", "收入金额", "支出金额", "余额"},
         {"C"},
         std::nullopt,
         "只有一遍比对"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qint64 closing = 0;
        prepareSides({book(kJournal, false, &closing), {2, "A", 5, "E"}, c.sums, {"A"}},
                     {book(kBank, false, &closing), {2, "A", 5, "E"}, c.sums, {"A"}});
        left.columnHeaders = right.columnHeaders = c.titles;
        request.balanceStatement = BalanceStatementRequest{};
        request.balanceStatement->receiptsPass = c.receiptsPass;
        ReconcileRequest copy = request;
        copy.left = left;
        copy.right = right;
        const std::unique_ptr<host::HostBackend> fresh = host::makeMemoryHost();
        host::Application freshApp(*fresh);
        const ReconcileResult result = reconcile(freshApp, std::move(copy), progress);
        ASSERT_TRUE(result.balanceStatement);
        const bool written = QString::fromUtf8(c.reason).isEmpty();
        if (written)
            EXPECT_EQ(result.balanceStatement->reason, QString());
        else
            EXPECT_TRUE(result.balanceStatement->reason.startsWith(QString::fromUtf8(c.reason)))
                << result.balanceStatement->reason.toStdString();
        EXPECT_EQ(sheetNames(freshApp).contains(QStringLiteral("余额调节表")), written);
    }
}

}  // namespace
}  // namespace tallimo::core
