#include "PassTestSupport.h"

namespace tallimo::core {
namespace {

using namespace tallimo::core::testing;
using host::CellRect;

// Expected state of one source-copy row: its mark, "=" standing for a matched row ("√" with the
// matched fill and font colour).
int fillOf(QChar mark) {
    switch (mark.unicode()) {
        case u'◇':
            return 19;
        case u'○':
            return 34;
        case u'◆':
            return 6;
        case u'●':
            return 33;
        default:
            return 15;
    }
}

struct OutcomeCase {
    const char* name;
    QStringList leftLines;                // area A5:B…, name and amount
    QStringList rightLines;               // area A1:B…
    std::vector<QStringList> reportRows;  // A to I of each group row, in sorted order
    QString leftMarks, rightMarks;
    PassFigures figures;
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << c.name;
}

PassFigures figures(qint64 matched, qint64 paired, qint64 total, qint64 leftMore, qint64 rightMore,
                    double leftAmount, double rightAmount, std::array<int, 5> groups) {
    return {matched, paired, total, leftMore, rightMore, leftAmount, rightAmount, groups};
}

class OutcomeTable : public PassFixture, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(OutcomeTable, ReportRowsMarksAndFigures) {
    const OutcomeCase& c = GetParam();
    const int leftLast = 5 + int(c.leftLines.size()) - 1;
    const int rightLast = int(c.rightLines.size());
    prepareSides({c.leftLines, {5, "A", leftLast, "B"}, {"B"}, {"A"}},
                 {c.rightLines, {1, "A", rightLast, "B"}, {"B"}, {"A"}});
    const auto results = run();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].completed) << results[0].failure.toStdString();

    const host::SheetId report = sheet(results[0].reportSheetName);
    for (std::size_t i = 0; i < c.reportRows.size(); ++i)
        EXPECT_EQ(rowTexts(host, report, 6 + int(i), 1, 9), c.reportRows[i]) << "group row " << i;
    EXPECT_EQ(cellText(host, report, 6 + int(c.reportRows.size()), 1), "合计");

    const host::SheetId source = sheet(results[0].sourceSheetName);
    struct Block {
        QString marks;
        int labelColumn, markColumn;
    };
    for (const Block& block : {Block{c.leftMarks, 1, 4}, Block{c.rightMarks, 6, 9}}) {
        for (int i = 0; i < block.marks.size(); ++i) {
            const QChar mark = block.marks[i];
            const int row = i + 2;
            SCOPED_TRACE(::testing::Message()
                         << "copy row " << row << " column " << block.labelColumn);
            EXPECT_EQ(cellText(host, source, row, block.markColumn),
                      mark == u'=' ? QStringLiteral("√") : QString(mark));
            for (int column : {block.labelColumn, block.markColumn}) {
                const host::CellFormat format = host.format(source, row, column);
                EXPECT_EQ(format.fillColorIndex, fillOf(mark));
                EXPECT_EQ(format.fontColorIndex, mark == u'=' ? 48 : 0);
            }
        }
    }

    const PassFigures& f = results[0].figures;
    EXPECT_EQ(f.matchedRecords, c.figures.matchedRecords);
    EXPECT_EQ(f.pairedRecords, c.figures.pairedRecords);
    EXPECT_EQ(f.recordTotal, c.figures.recordTotal);
    EXPECT_EQ(f.leftMoreCount, c.figures.leftMoreCount);
    EXPECT_EQ(f.rightMoreCount, c.figures.rightMoreCount);
    EXPECT_DOUBLE_EQ(f.leftMoreAmount, c.figures.leftMoreAmount);
    EXPECT_DOUBLE_EQ(f.rightMoreAmount, c.figures.rightMoreAmount);
    EXPECT_EQ(f.groups, c.figures.groups);
}

INSTANTIATE_TEST_SUITE_P(
    Pass, OutcomeTable,
    ::testing::Values(OutcomeCase{"Matched",
                                  {"K\t100", "K\t100"},
                                  {"K\t100", "K\t100"},
                                  {{"K", "2", "200", "5_6", "2", "200", "1_2", "0", "0"}},
                                  "==",
                                  "==",
                                  figures(2, 0, 4, 0, 0, 0, 0, {1, 0, 0, 0, 0})},
                      // Rows 5, 9 and 12 share the key; the two last are the excess. A negative
                      // amount moves the difference to the right side's amount.
                      OutcomeCase{"LeftMore",
                                  {"K\t-50", "\t", "\t", "\t", "K\t-50", "\t", "\t", "K\t-50"},
                                  {"K\t-50"},
                                  {{"K", "3", "-150", "5_9_12", "1", "-50", "1", "2", "-100"}},
                                  "√√√√◇√√◇",
                                  "√",
                                  figures(0, 1, 4, 2, 0, 0, 100, {0, 1, 0, 0, 0})},
                      OutcomeCase{"RightMore",
                                  {"K\t10"},
                                  {"K\t10", "\t", "K\t10"},
                                  {{"K", "1", "10", "5", "2", "20", "1_3", "-1", "-10"}},
                                  "√",
                                  "√√○",
                                  figures(0, 1, 3, 0, 1, 0, 10, {0, 0, 1, 0, 0})},
                      // Right keys first in the walk, but the report is sorted by its key column.
                      OutcomeCase{"SingleSided",
                                  {"L\t7", "M\t2"},
                                  {"R\t8"},
                                  {{"L", "1", "7", "5", "", "", "", "1", "7"},
                                   {"M", "1", "2", "6", "", "", "", "1", "2"},
                                   {"R", "", "", "", "1", "8", "1", "-1", "-8"}},
                                  "◆◆",
                                  "●",
                                  figures(0, 0, 3, 2, 1, 9, 8, {0, 0, 0, 2, 1})},
                      // A sum text that is no number: counts and rows, no total.
                      OutcomeCase{"AmountNotANumber",
                                  {"K\tabc", "K\tabc"},
                                  {"K\tabc"},
                                  {{"K", "2", "", "5_6", "1", "", "1", "1", "0"}},
                                  "√◇",
                                  "√",
                                  figures(0, 1, 3, 1, 0, 0, 0, {0, 1, 0, 0, 0})},
                      // A paired row of an unequal group and a row without key keep the plain "√".
                      OutcomeCase{"MixedGroups",
                                  {"A\t1", "\t", "B\t2", "B\t2", "C\t3"},
                                  {"B\t2", "A\t1", "D\t4"},
                                  {{"A", "1", "1", "5", "1", "1", "2", "0", "0"},
                                   {"B", "2", "4", "7_8", "1", "2", "1", "1", "2"},
                                   {"C", "1", "3", "9", "", "", "", "1", "3"},
                                   {"D", "", "", "", "1", "4", "3", "-1", "-4"}},
                                  "=√√◇◆",
                                  "√=●",
                                  figures(1, 1, 7, 2, 1, 5, 4, {1, 1, 0, 1, 1})}),
    [](const auto& info) { return std::string(info.param.name); });

// Debit and credit columns: each pass counts only the rows with an amount in its own column; a
// row with neither amount is a record of both passes, as with one sum column.
TEST_F(PassFixture, TwoPassesLeaveOutTheOtherPassesRows) {
    prepareSides({{"K\t100\t", "P\t\t30", "E\t\t"}, {5, "A", 7, "C"}, {"B", "C"}, {"A"}},
                 {{"K\t100\t", "P\t\t30", "Q\t\t5"}, {1, "A", 3, "C"}, {"B", "C"}, {"A"}});
    const auto results = run();
    ASSERT_EQ(results.size(), 2u);
    struct Expected {
        QString leftMarks, rightMarks;
        PassFigures figures;
    };
    const Expected expected[] = {
        {"√√◆", "√√√", figures(1, 0, 3, 1, 0, 0, 0, {1, 0, 0, 1, 0})},
        {"√√◆", "√√●", figures(1, 0, 4, 1, 1, 0, 5, {1, 0, 0, 1, 1})},
    };
    for (std::size_t pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(::testing::Message() << "pass " << pass + 1);
        ASSERT_TRUE(results[pass].completed) << results[pass].failure.toStdString();
        const host::SheetId source = sheet(results[pass].sourceSheetName);
        QString leftMarks, rightMarks;
        for (int row = 2; row <= 4; ++row) {
            leftMarks += cellText(host, source, row, 5);
            rightMarks += cellText(host, source, row, 11);
        }
        EXPECT_EQ(leftMarks, expected[pass].leftMarks);
        EXPECT_EQ(rightMarks, expected[pass].rightMarks);
        const PassFigures& f = results[pass].figures;
        const PassFigures& e = expected[pass].figures;
        EXPECT_EQ(f.matchedRecords, e.matchedRecords);
        EXPECT_EQ(f.recordTotal, e.recordTotal);
        EXPECT_EQ(f.leftMoreCount, e.leftMoreCount);
        EXPECT_EQ(f.rightMoreCount, e.rightMoreCount);
        EXPECT_DOUBLE_EQ(f.rightMoreAmount, e.rightMoreAmount);
        EXPECT_EQ(f.groups, e.groups);
    }
}

// Control goes back to the window messages once per index entry, once per key of each walk and
// once per marked source row.
TEST_F(PassFixture, PumpsOncePerEntryKeyAndMarkedRow) {
    prepareSides({{"A\t1", "\t", "B\t2", "B\t2", "C\t3"}, {5, "A", 9, "B"}, {"B"}, {"A"}},
                 {{"B\t2", "A\t1", "D\t4"}, {1, "A", 3, "B"}, {"B"}, {"A"}});
    int pumped = 0;
    progress.pump = [&] { ++pumped; };
    ASSERT_TRUE(run().at(0).completed);
    // 5 + 3 entries, 3 + 3 keys, marked rows: A on both sides, one excess B, C and D.
    EXPECT_EQ(pumped, 8 + 6 + 5);
}

// Pass 2 works in what pass 1 left behind, so a pass 1 that could not be completed ends the job.
TEST_F(PassFixture, APassThatFailsEndsTheJob) {
    prepareSides({{"A\t1\t2"}, {2, "A", 2, "C"}, {"B", "C"}, {"A"}},
                 {{"A\t1\t2"}, {1, "A", 1, "C"}, {"B", "C"}, {"A"}});
    left.area = {1, "A", host::kMaxRows, "C"};
    ReconcileRequest twoPasses = request;
    twoPasses.left = left;
    twoPasses.right = right;
    const ReconcileResult result = reconcile(app, std::move(twoPasses));
    ASSERT_EQ(result.passes.size(), 1u);
    EXPECT_EQ(result.failedPass(), 1);
    EXPECT_TRUE(result.conclusions().isEmpty());
    EXPECT_TRUE(result.workbookName().isEmpty());
    EXPECT_EQ(host.workbookCount(), 0);
}

// The job frees the sides' texts once pass 1 has copied them and each pass's key lists once it
// is done; the workbook is the same as from passes run over sides kept whole.
TEST_F(PassFixture, FreeingWhatThePassesAreDoneWithLeavesTheSameWorkbook) {
    prepareSides({{"A\t1\t2", "B\t2\t3", "A\t1\t5"}, {1, "A", 3, "C"}, {"B", "C"}, {"A"}},
                 {{"B\t2\t3", "A\t1\t2"}, {1, "A", 2, "C"}, {"B", "C"}, {"A"}});
    const PassInput whole = passInput();
    ASSERT_TRUE(runComparisonPass(app, whole, 1).completed);
    ASSERT_TRUE(runComparisonPass(app, whole, 2).completed);

    std::unique_ptr<host::HostBackend> otherMemory = host::makeMemoryHost();
    host::Application other{*otherMemory};
    std::vector<int> started;
    progress.passStarted = [&](int pass) { started.push_back(pass); };
    const auto freed = run(other);
    EXPECT_EQ(started, (std::vector<int>{1, 2}));
    ASSERT_EQ(freed.size(), 2u);
    ASSERT_TRUE(freed[1].completed) << freed[1].failure.toStdString();
    EXPECT_EQ(sheetNames(other), sheetNames(app));
    const host::BookId keptBook = host.activeWorkbook(), freedBook = otherMemory->activeWorkbook();
    for (int index = 1; index <= host.sheetCount(keptBook); ++index) {
        const host::SheetId a = host.sheetAt(keptBook, index);
        const host::SheetId b = otherMemory->sheetAt(freedBook, index);
        const CellRect used = host.usedRange(a);
        ASSERT_EQ(otherMemory->usedRange(b), used) << index;
        for (int row = used.top; row <= used.bottom && used.top > 0; ++row)
            EXPECT_EQ(rowTexts(*otherMemory, b, row, used.left, used.right),
                      rowTexts(host, a, row, used.left, used.right))
                << "sheet " << index << " row " << row;
    }
}

}  // namespace
}  // namespace tallimo::core
