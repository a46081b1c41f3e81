#include "CliOptions.h"
#include "ReconcileCommand.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace tallimo::cli {
namespace {

const QString kSource = QStringLiteral(TALLIMO_SOURCE_DIR);
const QString kPython = QStringLiteral("/usr/bin/python3");

QStringList reconcileWith(const QStringList& extra) {
    return QStringList{"reconcile", "--left", "l.xlsx", "--right", "r.xlsx", "--output", "o.xlsx"} +
           extra;
}

TEST(StatementOptions, ReadTheBalancesTheDirectionAndTheSides) {
    EXPECT_FALSE(parseArguments(reconcileWith({})).statement.wanted);
    const ReconcileOptions options = parseArguments(
        reconcileWith({"--balance-statement", "--left-closing", "1,234.50", "--right-closing=-20",
                       "--receipts-pass", "2", "--statement-side", "left"}));
    EXPECT_TRUE(options.statement.wanted);
    EXPECT_EQ(options.statement.leftClosingCents, 123450);
    EXPECT_EQ(options.statement.rightClosingCents, -2000);
    EXPECT_EQ(options.statement.receiptsPass, 2);
    EXPECT_TRUE(options.statement.statementOnLeft);

    const ReconcileOptions defaults = parseArguments(reconcileWith({"--balance-statement"}));
    EXPECT_FALSE(defaults.statement.receiptsPass);
    EXPECT_FALSE(defaults.statement.statementOnLeft);
    EXPECT_FALSE(defaults.statement.leftClosingCents);
}

TEST(StatementOptions, RefuseWhatCannotBeMeant) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"--left-closing", "5"}, "选项 --left-closing 只与 --balance-statement 一起使用"},
        {{"--statement-side", "left"}, "选项 --statement-side 只与 --balance-statement 一起使用"},
        {{"--balance-statement", "--left-closing", "五千"}, "选项 --left-closing 应为金额"},
        {{"--balance-statement", "--receipts-pass", "3"}, "选项 --receipts-pass 应为 1 或 2"},
        {{"--balance-statement", "--statement-side", "up"},
         "选项 --statement-side 应为 left 或 right"},
    };
    for (const auto& [extra, message] : cases) {
        try {
            parseArguments(reconcileWith(extra));
            ADD_FAILURE() << extra.join(' ').toStdString() << ": accepted";
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitUsage);
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(message)))
                << e.message().toStdString();
        }
    }
}

struct CliRunOutcome {
    int code;
    QStringList out;
    QString err;
};

CliRunOutcome run(const QStringList& arguments) {
    CliRunOutcome r{};
    r.code = runCommandLine(
        arguments, [&r](const QString& line) { r.out.append(line); },
        [&r](const QString& line) { r.err += line; });
    return r;
}

// The bundled examples carry running balances from one opening balance: the statement of the
// demo balances, and the titles above the areas tell receipts from payments.
TEST(StatementRun, TheBundledExamplesBalance) {
    QTemporaryDir dir;
    const QString examples = kSource + QStringLiteral("/examples/");
    const QStringList arguments{"reconcile",
                                "--left",
                                examples + "ledger.xlsx",
                                "--left-range",
                                "A2:F309",
                                "--left-compare",
                                "A",
                                "--left-sum",
                                "D,E",
                                "--right",
                                examples + "bank-statement.xlsx",
                                "--right-range",
                                "A2:F310",
                                "--right-compare",
                                "A",
                                "--right-sum",
                                "D,E",
                                "--balance-statement",
                                "--output",
                                dir.filePath("o.xlsx")};
    const CliRunOutcome balanced = run(arguments);
    ASSERT_EQ(balanced.code, 0) << balanced.err.toStdString();
    ASSERT_EQ(balanced.out.size(), 3);
    EXPECT_EQ(balanced.out[2], QStringLiteral("核对结果: 平衡"));

    // Without the titles' direction the passes cannot be told apart: no sheet, and why.
    QStringList noTitles = arguments;
    noTitles[noTitles.indexOf("A2:F309")] = "A3:F309";
    noTitles[noTitles.indexOf("A2:F310")] = "A3:F310";
    const CliRunOutcome unknown = run(noTitles);
    ASSERT_EQ(unknown.code, 0) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.out.last().startsWith(
        QStringLiteral("余额调节表: 未生成，无法从求和列的标题判断哪一遍是收入")))
        << unknown.out.last().toStdString();
    // Told which pass holds the receipts and the closing balances (no titles find the 余额
    // column either), it balances again.
    const CliRunOutcome told =
        run(noTitles + QStringList{"--receipts-pass", "1", "--left-closing", "4013681.92",
                                   "--right-closing", "3920774.20"});
    EXPECT_EQ(told.out.last(), QStringLiteral("核对结果: 平衡"));
}

// Generated journals and statements, either side first, read back through openpyxl.
TEST(StatementRun, GeneratedBooksBalanceToTheCent) {
    if (!QFile::exists(kPython)) GTEST_SKIP() << "no system Python";
    QTemporaryDir dir;
    QProcess python;
    python.start(
        kPython,
        {kSource + QStringLiteral("/cli/testdata/check_balance_statement.py"),
         qEnvironmentVariable("TALLIMO_BUILD_DIR") + QStringLiteral("/tallimo-cli"), dir.path()});
    ASSERT_TRUE(python.waitForFinished(180000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardOutput().toStdString()
                                    << python.readAllStandardError().toStdString();
}

}  // namespace
}  // namespace tallimo::cli
