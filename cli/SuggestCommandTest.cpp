#include "CliOptions.h"
#include "ReconcileCommand.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace tallimo::cli {
namespace {

const QString kSource = QStringLiteral(TALLIMO_SOURCE_DIR);
const QString kPython = QStringLiteral("/usr/bin/python3");

QStringList withSuggest(const QStringList& extra) {
    return QStringList{"reconcile", "--left", "l.xlsx", "--right", "r.xlsx", "--output", "o.xlsx"} +
           extra;
}

TEST(SuggestOptions, ReadTheWindowTheFeeAndTheColumns) {
    const ReconcileOptions plain = parseArguments(withSuggest({}));
    EXPECT_FALSE(plain.suggest.wanted);

    const ReconcileOptions options = parseArguments(
        withSuggest({"--suggest", "--date-window=3", "--fee-limit", "12.5", "--left-date", "b",
                     "--right-name", "c, D", "--left-name", "E"}));
    EXPECT_TRUE(options.suggest.wanted);
    EXPECT_EQ(options.suggest.windowDays, 3);
    EXPECT_EQ(options.suggest.feeLimitCents, 1250);
    EXPECT_EQ(options.left.dateColumn, QStringLiteral("B"));
    EXPECT_TRUE(options.right.dateColumn.isEmpty());
    EXPECT_EQ(options.left.nameColumns, QStringList{"E"});
    EXPECT_EQ(options.right.nameColumns, (QStringList{"C", "D"}));

    const ReconcileOptions defaults = parseArguments(withSuggest({"--suggest"}));
    EXPECT_EQ(defaults.suggest.windowDays, 7);
    EXPECT_FALSE(defaults.suggest.feeLimitCents);
}

TEST(SuggestOptions, RefuseWhatCannotBeMeant) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"--date-window", "3"}, "选项 --date-window 只与 --suggest 一起使用"},
        {{"--left-date", "A"}, "选项 --left-date 只与 --suggest 一起使用"},
        {{"--suggest", "--date-window", "-1"}, "选项 --date-window 应为 0 到 3650 之间的天数"},
        {{"--suggest", "--date-window", "3天"}, "选项 --date-window 应为 0 到 3650 之间的天数"},
        {{"--suggest", "--fee-limit", "0"}, "选项 --fee-limit 应为大于 0 的金额"},
        {{"--suggest", "--fee-limit", "1.234"}, "选项 --fee-limit 应为大于 0 的金额"},
        {{"--suggest", "--fee-limit", "-5"}, "选项 --fee-limit 应为大于 0 的金额"},
        {{"--suggest", "--fee-limit", "１０"}, "选项 --fee-limit 应为大于 0 的金额"},
        {{"--suggest", "--left-date", "A,B"}, "选项 --left-date 只能给出一列"},
    };
    for (const auto& [extra, message] : cases) {
        try {
            parseArguments(withSuggest(extra));
            ADD_FAILURE() << extra.join(' ').toStdString() << ": accepted";
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitUsage);
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(message)))
                << e.message().toStdString();
        }
    }
}

// The example generator plants stories of every kind and what is genuinely unrelated; the
// result is read back by openpyxl and checked against the plan, links included.
class SuggestRun : public ::testing::TestWithParam<QStringList> {
public:
    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    void python(const QStringList& arguments) {
        QProcess process;
        process.start(kPython, arguments);
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString()
                                         << process.readAllStandardError().toStdString();
    }
};

TEST_P(SuggestRun, NamesEveryPlantedStoryAndNothingUnrelated) {
    if (!QFile::exists(kPython)) GTEST_SKIP() << "no system Python";
    python(
        QStringList{kSource + QStringLiteral("/examples/make_near_miss_example.py"), dir_.path()} +
        GetParam());
    QString out, err;
    const int code = runCommandLine(
        {"reconcile", "--left", path("near-miss-ledger.xlsx"), "--left-compare", "A,C",
         "--left-sum", "E", "--right", path("near-miss-bank.xlsx"), "--right-compare", "A,C",
         "--right-sum", "E", "--suggest", "--fee-limit", "50", "--output", path("result.xlsx")},
        [&out](const QString& line) { out += line + u'\n'; },
        [&err](const QString& line) { err += line + u'\n'; });
    ASSERT_EQ(code, 0) << err.toStdString();
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("结论:")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("疑似匹配: "))) << lines[1].toStdString();
    python({kSource + QStringLiteral("/cli/testdata/check_near_miss.py"), path("result.xlsx"),
            path("near-miss-planted.json")});
}

INSTANTIATE_TEST_SUITE_P(Examples, SuggestRun,
                         ::testing::Values(QStringList{},
                                           QStringList{"--copies", "12", "--seed", "11"}));

TEST(SuggestRunErrors, AGivenColumnOutsideTheAreaIsRefused) {
    QTemporaryDir dir;
    QFile csv(dir.filePath("a.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("2024-01-02,x,1.00\r\n");
    csv.close();
    QString err;
    const int code = runCommandLine(
        {"reconcile", "--left", csv.fileName(), "--left-range", "A1:C1", "--right", csv.fileName(),
         "--right-range", "A1:C1", "--suggest", "--left-date", "D", "--output",
         dir.filePath("o.xlsx")},
        [](const QString&) {}, [&err](const QString& line) { err += line; });
    EXPECT_EQ(code, kExitInvalidInput);
    EXPECT_EQ(err, QStringLiteral("左区：日期列D不在区域 A1:C1 内"));
    EXPECT_FALSE(QFile::exists(dir.filePath("o.xlsx")));
}

}  // namespace
}  // namespace tallimo::cli
