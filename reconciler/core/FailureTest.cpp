#include "FaultInjectingBackend.h"
#include "PassTestSupport.h"

namespace tallimo::core {
namespace {

using namespace tallimo::core::testing;

struct FailureCase {
    const char* name;
    const char* operation;
    int nthCall;        // 0: every call
    const char* after;  // when set: the first call of `operation` after the first call of this
    bool passEnds;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

// Which call of `operation` is the first after the first call of `after`, in an undisturbed run.
int firstCallAfter(PassFixture& fixture, const QString& operation, const QString& after) {
    host::FaultInjectingBackend recorder(host::makeMemoryHost());
    host::Application app(recorder);
    fixture.run(app);
    bool seen = false;
    int nth = 0;
    for (const QString& call : recorder.calls()) {
        seen = seen || call == after;
        if (call == operation && ++nth && seen) return nth;
    }
    return -1;
}

// Host failures up to the header's merges and wrapping end the pass without a word; from the
// header fonts on, the failing step is skipped and the rest is still written.
class FailureTable : public PassFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTable, EndsOrSkips) {
    const FailureCase& c = GetParam();
    prepareSides({{"K\t5", "K\t5", "L\t1"}, {2, "A", 4, "B"}, {"B"}, {"A"}},
                 {{"K\t5", "M\t2"}, {1, "A", 2, "B"}, {"B"}, {"A"}});
    host::FaultInjectingBackend failing(host);
    host::Application failingApp(failing);
    const QString operation = QString::fromLatin1(c.operation);
    const int nth =
        c.after ? firstCallAfter(*this, operation, QString::fromLatin1(c.after)) : c.nthCall;
    ASSERT_GE(nth, 0);
    failing.failOn(operation, nth);
    const auto results = run(failingApp);
    ASSERT_EQ(results.size(), 1u);
    const PassResult& result = results[0];
    EXPECT_EQ(result.completed, !c.passEnds);
    EXPECT_EQ(result.failure.isEmpty(), !c.passEnds);
    if (c.passEnds) {
        // Nothing after the failure: no group row, no sort, no conclusion.
        EXPECT_FALSE(failing.calls().contains("sort"));
        EXPECT_TRUE(result.conclusion.isEmpty());
        return;
    }
    // The figures and the conclusion do not depend on the skipped step.
    EXPECT_EQ(result.conclusion,
              "结论:共对5笔记录进行了交叉比对，2笔核对相符，左项比右项多记2笔,合计6,"
              "右项比左项多记1笔,合计2");
    const host::SheetId report = sheet(result.reportSheetName);
    EXPECT_EQ(sheetNames(app).mid(0, 2),
              (QStringList{result.sourceSheetName, result.reportSheetName}));
    EXPECT_EQ(cellText(host, report, 10, 1), result.conclusion);
}

INSTANTIATE_TEST_SUITE_P(
    Pass, FailureTable,
    ::testing::Values(FailureCase{"NoWorkbook", "addWorkbook", 0, nullptr, true},
                      FailureCase{"RightSourceGrid", "setBlock", 2, nullptr, true},
                      FailureCase{"SourceSheetName", "setSheetName", 2, nullptr, true},
                      FailureCase{"LastHeaderMerge", "merge", 7, nullptr, true},
                      FailureCase{"HeaderWrap", "setWrapText", 0, nullptr, true},
                      FailureCase{"HeaderFonts", "setFontName", 0, nullptr, false},
                      FailureCase{"FirstGroupCell", "setValue", 0, "setFontName", false},
                      FailureCase{"FirstGroupFill", "setFillColorIndex", 0, "setFontName", false},
                      FailureCase{"Sort", "sort", 0, nullptr, false},
                      FailureCase{"Formulas", "setFormulaR1C1", 0, nullptr, false},
                      FailureCase{"SheetDeletion", "deleteSheet", 0, nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PassFixture, SkippedStepsLeaveTheRestInPlace) {
    prepareSides({{"K\t5", "K\t5", "L\t1"}, {2, "A", 4, "B"}, {"B"}, {"A"}},
                 {{"K\t5", "M\t2"}, {1, "A", 2, "B"}, {"B"}, {"A"}});
    host::FaultInjectingBackend failing(host);
    host::Application failingApp(failing);
    failing.failOn(QStringLiteral("setFontName"));
    failing.failOn(QStringLiteral("sort"));
    const auto results = run(failingApp);
    ASSERT_TRUE(results.at(0).completed);
    const host::SheetId report = sheet(results[0].reportSheetName);
    // The default font stays; the rows keep their walk order: right keys, then left-only keys.
    EXPECT_NE(host.format(report, 1, 1).fontName, "黑体");
    EXPECT_EQ(rowTexts(host, report, 6, 1, 4), (QStringList{"K", "2", "10", "2_3"}));
    EXPECT_EQ(cellText(host, report, 7, 1), "M");
    EXPECT_EQ(cellText(host, report, 8, 1), "L");
    EXPECT_EQ(host.rowHeight(report, 4), 22);
}

struct RefusedCase {
    const char* name;
    AreaAddress leftArea;
    int passNumber;
    const char* failureStart;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedPass : public PassFixture, public ::testing::WithParamInterface<RefusedCase> {};

// A pass that cannot be carried out whole writes nothing at all.
TEST_P(RefusedPass, WritesNothing) {
    const RefusedCase& c = GetParam();
    prepareSides({{"K\t5"}, {2, "A", 2, "B"}, {"B"}, {"A"}},
                 {{"K\t5"}, {1, "A", 1, "B"}, {"B"}, {"A"}});
    left.area = c.leftArea;
    const PassResult result = runComparisonPass(app, passInput(), c.passNumber);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.failure.startsWith(QString::fromUtf8(c.failureStart)))
        << result.failure.toStdString();
    EXPECT_EQ(host.workbookCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pass, RefusedPass,
    ::testing::Values(
        RefusedCase{"PassZero", {2, "A", 2, "B"}, 0, "无效的比对序号0"},
        RefusedCase{"PassThree", {2, "A", 2, "B"}, 3, "无效的比对序号3"},
        // Rows 1 to 1,048,576 would need copy rows 2 to 1,048,577.
        RefusedCase{"FullHeightArea", {1, "A", host::kMaxRows, "B"}, 1, "选区的行数超出"},
        RefusedCase{"TooManyColumns", {2, "A", 2, "XFA"}, 1, "两个选区的列数之和超出"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tallimo::core
