#include "CliOptions.h"
#include "DedupCommand.h"

#include <gtest/gtest.h>

namespace tallimo::cli {
namespace {

QStringList minimal() {
    return {"reconcile", "--left",        "l.csv",     "--left-range", "A1:C9",   "--right",
            "r.xlsx",    "--right-range", "$B$2:$D$9", "--output",     "out.xlsx"};
}

TEST(ParseArguments, ReadsEveryOptionInBothSpellings) {
    QStringList args = minimal();
    args << "--left-sheet"
         << "账"
         << "--left-sum=b,c"
         << "--left-compare"
         << " a "
         << "--right-compare=B,C"
         << "--color"
         << "--no-report-lines";
    const ReconcileOptions o = parseArguments(args);
    EXPECT_EQ(o.left.file, "l.csv");
    EXPECT_EQ(o.left.sheet, QStringLiteral("账"));
    EXPECT_EQ(o.left.range, "A1:C9");
    EXPECT_TRUE(o.left.sumGiven);
    EXPECT_EQ(o.left.sumColumns, (QStringList{"B", "C"}));
    EXPECT_EQ(o.left.compareColumns, QStringList{"A"});
    EXPECT_FALSE(o.right.sumGiven);
    EXPECT_EQ(o.right.compareColumns, (QStringList{"B", "C"}));
    EXPECT_EQ(o.right.range, "$B$2:$D$9");
    EXPECT_TRUE(o.colourMarking);
    EXPECT_FALSE(o.reportTableLines);
    EXPECT_TRUE(o.sourceTableLines);
    EXPECT_EQ(o.output, "out.xlsx");
}

TEST(ParseArguments, OptionsStartAsThePanelStarts) {
    const ReconcileOptions o = parseArguments(minimal());
    EXPECT_FALSE(o.colourMarking);
    EXPECT_TRUE(o.reportTableLines);
    EXPECT_TRUE(o.sourceTableLines);
}

TEST(ParseArguments, AnEmptySumListIsGivenNotDefaulted) {
    QStringList args = minimal();
    args << "--right-sum"
         << "";
    const ReconcileOptions o = parseArguments(args);
    EXPECT_TRUE(o.right.sumGiven);
    EXPECT_TRUE(o.right.sumColumns.isEmpty());
}

TEST(ParseArguments, RefusesMalformedCommandLines) {
    struct Case {
        const char* what;
        QStringList arguments;
    };
    QStringList noOutput = minimal();
    noOutput.removeLast();
    noOutput.removeLast();
    QStringList danglingValue = minimal();
    danglingValue << "--left-sum";
    QStringList unknown = minimal();
    unknown << "--colour";
    QStringList flagWithValue = minimal();
    flagWithValue << "--color=yes";
    QStringList badLetters = minimal();
    badLetters << "--left-sum"
               << "B,2";
    QStringList otherCommand = minimal();
    otherCommand[0] = "compare";
    const Case cases[] = {
        {"missing --output", noOutput},
        {"option without value", danglingValue},
        {"unknown option", unknown},
        {"flag given a value", flagWithValue},
        {"column list with a digit", badLetters},
        {"unknown command", otherCommand},
    };
    for (const Case& c : cases) {
        try {
            parseArguments(c.arguments);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitUsage) << c.what;
            EXPECT_TRUE(e.message().contains(QStringLiteral("用法"))) << c.what;
        }
    }
}

// A table of every kind of entry: what it was handed, in order, or the refusal's first line.
QString readWith(const QStringList& arguments) {
    OptionTable table(QStringLiteral("用法: test"));
    QStringList handed;
    table.flag(QStringLiteral("--all"), [&handed] { handed << "all"; });
    table.option(QStringLiteral("--name"), [&handed](const QString& v) { handed << "name=" + v; });
    table.operand([&handed](const QString& v) { handed << "file=" + v; });
    try {
        table.parse(arguments);
        return handed.join(u' ');
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitUsage);
        EXPECT_TRUE(e.message().endsWith(QStringLiteral("\n\n用法: test")))
            << e.message().toStdString();
        return e.message().section(u'\n', 0, 0);
    }
}

TEST(OptionTable, ReadsEachKindOfArgumentAndRefusesWhatItCannotRead) {
    const struct {
        const char* what;
        QStringList arguments;
        QString outcome;
    } cases[] = {
        {"nothing", {}, ""},
        {"both spellings of a value, a flag and the operand in any order",
         {"--name", "a b", "f.csv", "--all"},
         "name=a b file=f.csv all"},
        {"the value after \"=\" may hold \"=\" and be empty", {"--name==x"}, "name==x"},
        {"an empty value", {"--name="}, "name="},
        {"a value that looks like an option is still the value", {"--name", "--all"}, "name=--all"},
        {"unknown option", {"--nam", "x"}, "未知的选项“--nam”"},
        {"unknown option in the \"=\" spelling", {"--nam=x"}, "未知的选项“--nam”"},
        {"a flag given a value", {"--all=1"}, "选项 --all 不带值"},
        {"a value missing at the end", {"f.csv", "--name"}, "选项 --name 缺少值"},
        {"an option given twice: both are handed on, the later one last",
         {"--name=a", "--name", "b"},
         "name=a name=b"},
        {"a second operand", {"f.csv", "g.csv"}, "多余的参数“g.csv”"},
        {"an empty operand counts as none given", {"", "f.csv"}, "file= file=f.csv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readWith(c.arguments), c.outcome) << c.what;
}

}  // namespace
}  // namespace tallimo::cli
