#include "NearMissJob.h"
#include "PassTestSupport.h"

namespace tallimo::core {
namespace {

using namespace tallimo::core::testing;

// A ledger and a statement with receipts in C and payments in D, so two passes run: a receipt
// the bank booked two days later, a payment with two digits swapped, and a row that is no story.
AreaSpec ledger() {
    return {{"2024-01-02\t宁波海晨\t100\t", "2024-01-05\t盛达材料\t\t3467.2",
             "2024-01-09\t上海蓝海\t50\t", "2024-01-10\t房租\t\t8000"},
            {2, "A", 5, "D"},
            {"C", "D"},
            {"A"}};
}
AreaSpec statement() {
    return {{"2024-01-04\t宁波海晨进出口\t100\t", "2024-01-05\t盛达\t\t3476.2",
             "2024-01-10\t房租\t\t8000", "2024-02-20\t利息\t777.77\t"},
            {2, "A", 5, "D"},
            {"C", "D"},
            {"A"}};
}

class NearMissJob : public PassFixture {
public:
    QStringList sheetValues(host::Application& application, const QString& name) {
        host::HostBackend& backend = application.backend();
        const host::SheetId id = backend.sheetByName(backend.activeWorkbook(), name);
        const host::CellRect used = backend.usedRange(id);
        QStringList rows;
        for (int row = used.top; row <= used.bottom; ++row)
            rows.append(rowTexts(backend, id, row, 1, used.right).join(u'|'));
        return rows;
    }
};

TEST_F(NearMissJob, EachPassGetsItsSheetAfterItsReportAndTheRestStaysAsItWas) {
    prepareSides(ledger(), statement());
    const std::unique_ptr<host::HostBackend> plainHost = host::makeMemoryHost();
    host::Application plain(*plainHost);
    const std::vector<PassResult> without = run(plain);

    request.suggestions = SuggestionRequest{};
    const std::vector<PassResult> with = run();
    ASSERT_EQ(with.size(), 2u);

    QStringList expectedOrder = sheetNames(plain);
    for (const PassResult& pass : with) {
        ASSERT_TRUE(pass.suggestions);
        EXPECT_EQ(pass.suggestions->sheetName,
                  pass.reportSheetName.left(2) + QStringLiteral("疑似匹配"));
        expectedOrder.insert(expectedOrder.indexOf(pass.reportSheetName) + 1,
                             pass.suggestions->sheetName);
    }
    EXPECT_EQ(sheetNames(app), expectedOrder);
    EXPECT_EQ(app.activeWorkbook().activeSheet().name(),
              plain.activeWorkbook().activeSheet().name());
    for (const QString& name : sheetNames(plain))
        EXPECT_EQ(sheetValues(app, name), sheetValues(plain, name)) << name.toStdString();
    for (std::size_t i = 0; i < with.size(); ++i)
        EXPECT_EQ(with[i].conclusion, without[i].conclusion);
}

TEST_F(NearMissJob, TheSheetNamesThePairsWithTheirReasons) {
    prepareSides(ledger(), statement());
    request.suggestions = SuggestionRequest{};
    const std::vector<PassResult> passes = run();
    ASSERT_EQ(passes.size(), 2u);

    const QStringList receipts = sheetValues(app, QStringLiteral("1.疑似匹配"));
    ASSERT_EQ(receipts.size(), 5);
    EXPECT_EQ(receipts[0], QStringLiteral("疑似匹配建议|||||||||"));
    EXPECT_EQ(receipts[1], QStringLiteral("日期列：左项A列，右项A列；名称列：左项无，右项无；"
                                          "日期窗口：7天；手续费上限：未设|||||||||"));
    EXPECT_EQ(receipts[3],
              QStringLiteral(
                  "序号|规则|可信度|左项行号|左项金额|右项行号|右项金额|差额|日期差(天)|说明"));
    EXPECT_EQ(receipts[4], QStringLiteral("1|日期相近|高|2|100|2|100|0|2|金额相同，日期相差2天"));

    // Each row number leads to its row on the pass's source copy, left block from A, right
    // block from H.
    const host::SheetId sheet = this->sheet(QStringLiteral("1.疑似匹配"));
    EXPECT_EQ(host.hyperlink(sheet, 5, 4), QStringLiteral("'▲(C列_C列)源▲'!A2"));
    EXPECT_EQ(host.hyperlink(sheet, 5, 6), QStringLiteral("'▲(C列_C列)源▲'!H2"));
    EXPECT_EQ(cellText(host, this->sheet(QStringLiteral("▲(C列_C列)源▲")), 2, 8),
              QStringLiteral("右行2"));
    // Amounts in the amount format, row numbers as they are.
    for (int column = 4; column <= 8; ++column)
        EXPECT_EQ(host.format(sheet, 5, column).numberFormat,
                  column == 4 || column == 6 ? QString() : QStringLiteral("#,##0.00"))
            << column;

    const QStringList payments = sheetValues(app, QStringLiteral("2.疑似匹配"));
    ASSERT_EQ(payments.size(), 5);
    EXPECT_EQ(payments[4], QStringLiteral("1|数字颠倒|低|3|3467.2|3|3476.2|-9|0|"
                                          "差额9.00可被9整除，疑为数字颠倒，日期相同"));
    // Payment rows have no receipt amount and the receipts none for payments: they are
    // candidates of the other pass all the same, as the marks show them.
    EXPECT_EQ(passes[1].suggestions->suggestions, 1);
    EXPECT_EQ(passes[1].suggestions->explainedRows, 2);
}

TEST_F(NearMissJob, NoSuggestionNoSheet) {
    prepareSides({{"2024-01-02\t甲\t100"}, {2, "A", 2, "C"}, {"C"}, {"A"}},
                 {{"2024-03-02\t乙\t555"}, {2, "A", 2, "C"}, {"C"}, {"A"}});
    request.suggestions = SuggestionRequest{};
    const std::vector<PassResult> passes = run();
    ASSERT_EQ(passes.size(), 1u);
    ASSERT_TRUE(passes[0].suggestions);
    EXPECT_EQ(passes[0].suggestions->suggestions, 0);
    EXPECT_EQ(passes[0].suggestions->candidateRows, 2);
    EXPECT_TRUE(passes[0].suggestions->sheetName.isEmpty());
    EXPECT_FALSE(sheetNames(app).contains(QStringLiteral("1.疑似匹配")));
}

TEST(RowFacts, DatesNamesAndMemosComeFromTheGivenOrTheFoundColumns) {
    // Columns: voucher, date, payee, memo, amount.
    const PreparedSide side =
        prepare(Side::Left, {{"记-1\t2024-01-02\t宁波海晨\t货款\t100", "记-2\t2024/1/3\t\t利息\t5",
                              "记-3\t待查\t盛达\t\t7"},
                             {4, "B", 6, "F"},
                             {"F"},
                             {"C", "D", "E"}});
    const RowFacts found = rowFacts(side, {{}, true, std::nullopt});
    EXPECT_EQ(found.dateColumn, 2);
    EXPECT_EQ(found.dateColumnName, QStringLiteral("C列"));
    EXPECT_EQ(found.nameColumns, (QList<int>{3, 4}));  // the comparison columns but the date
    EXPECT_EQ(found.day(4), nearmiss::dayFromText(u"2024-01-02"));
    EXPECT_EQ(found.day(5), nearmiss::dayFromText(u"2024-01-03"));
    EXPECT_FALSE(found.day(6));
    EXPECT_FALSE(found.day(7));
    EXPECT_EQ(found.name(4), QStringLiteral("宁波海晨 货款"));
    EXPECT_EQ(found.name(5), QStringLiteral("利息"));

    const RowFacts given = rowFacts(side, {{1, {3, 99}}, true, std::nullopt});
    EXPECT_EQ(given.dateColumn, 1);
    EXPECT_FALSE(given.day(4));
    EXPECT_EQ(given.nameColumns, (QList<int>{3}));  // a position outside the area is no column
    EXPECT_EQ(given.nameColumnNames, (QStringList{QStringLiteral("D列")}));

    // For the statement: memos of every cell but the date and the skipped amount, no names.
    const RowFacts memos = rowFacts(side, {{}, false, QList<int>{5}});
    EXPECT_EQ(memos.memo(4), QStringLiteral("记-1 宁波海晨 货款"));
    EXPECT_EQ(memos.memo(6), QStringLiteral("记-3 盛达"));  // the date column's text is no memo
    EXPECT_EQ(memos.name(4), QString());
}

TEST(RowFacts, AmountsInCentsAsTheReportReadsThem) {
    const std::pair<const char*, std::optional<qint64>> cases[] = {
        {"1,234.50", 123450}, {"(12.30)", -1230},     {"-0.29", -29},     {"0.29", 29},
        {"¥8,000", 800000},   {"备注", std::nullopt}, {"", std::nullopt}, {"1e14", std::nullopt},
    };
    for (const auto& [text, cents] : cases)
        EXPECT_EQ(centsOf(QString::fromUtf8(text)), cents) << text;
}

}  // namespace
}  // namespace tallimo::core
