#include "DedupCommand.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace tallimo::cli {
namespace {

TEST(DedupArguments, ParsesColumnsColoursAndFlags) {
    const DedupOptions options =
        parseDedupArguments({"dedup", "--input", "in.csv", "--range", "B2:D9", "--columns", "d,b",
                             "--colors", "7,2,7", "--ignore-blanks", "--output=out.xlsx"});
    EXPECT_EQ(options.input, u"in.csv");
    EXPECT_EQ(options.columns, (QStringList{"D", "B"}));
    EXPECT_EQ(options.colorBoxes, (std::vector<int>{2, 7}));
    EXPECT_TRUE(options.ignoreBlanks);
    EXPECT_EQ(options.output, u"out.xlsx");
    EXPECT_TRUE(parseDedupArguments({"dedup", "--input", "a", "--range", "A1:A2", "--output", "o"})
                    .colorBoxes.empty());
}

TEST(DedupArguments, RefusesWrongCommandLinesAsUsageErrors) {
    const QStringList base = {"dedup", "--input", "in.csv", "--range", "B2:D9"};
    const struct {
        const char* what;
        QStringList arguments;
        QString message;
    } cases[] = {
        {"no output", base, "缺少选项 --output"},
        {"unknown option", base + QStringList{"--output", "o.xlsx", "--colour", "1"},
         "未知的选项“--colour”"},
        {"colour index past 11", base + QStringList{"--output", "o.xlsx", "--colors", "2,12"},
         "--colors 的值“2,12”"},
        {"column not letters", base + QStringList{"--output", "o.xlsx", "--columns", "B,2"},
         "--columns 的值“B,2”"},
        {"flag with a value", base + QStringList{"--output", "o.xlsx", "--ignore-blanks=1"},
         "选项 --ignore-blanks 不带值"},
        {"value missing", base + QStringList{"--output"}, "选项 --output 缺少值"},
    };
    for (const auto& c : cases) {
        try {
            parseDedupArguments(c.arguments);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitUsage) << c.what;
            EXPECT_TRUE(e.message().startsWith(c.message))
                << c.what << ": " << e.message().toStdString();
        }
    }
}

class DedupRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Voucher, customer, amount: V1 is booked three times, V2 twice with another amount.
        writeFile("ledger.csv",
                  "凭证,客户,金额\r\nV1,甲,100.00\r\nV2,乙,50.00\r\nV1,甲,100.00\r\n"
                  "V2,乙,60.00\r\nV1,甲,100.00\r\n");
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    void writeFile(const QString& name, const QString& text) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    struct Outcome {
        int exitCode = -1;
        QString out, err;
    };
    Outcome run(const QStringList& arguments) {
        QProcess process;
        process.start(QDir(qEnvironmentVariable("TALLIMO_BUILD_DIR")).filePath("tallimo-cli"),
                      QStringList{"dedup"} + arguments);
        Outcome result;
        if (!process.waitForFinished(60000)) return result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        result.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return result;
    }

    QTemporaryDir dir_;
};

TEST_F(DedupRun, WritesTheReportAndPrintsItsConclusion) {
    const Outcome outcome = run({"--input", path("ledger.csv"), "--range", "A2:C6", "--columns",
                                 "A,B,C", "--colors", "0", "--output", path("out.xlsx")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, u"报告结论：共【3】组数据，其中【1】组重复、【2】组唯一。");

    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().open(path("out.xlsx"));
    ASSERT_EQ(book.sheets().count(), 3);
    EXPECT_EQ(book.sheets()[3].range(u"D4"_qs).text(), u"2_4_6");
    EXPECT_EQ(book.sheets()[1].range(u"A1"_qs).text(), u"【源数据(A2:C6)】");
    EXPECT_EQ(book.sheets()[1].range(u"C4"_qs).comment().text(), u"重复组1");
    EXPECT_EQ(book.sheets()[1].range(u"A6"_qs).interior().color(), host::rgbColor(255, 255, 0));
    EXPECT_EQ(book.sheets()[2].range(u"A4"_qs).text(), u"V2");
    EXPECT_EQ(book.sheets()[2].range(u"C4"_qs).text(), u"60.00");
    EXPECT_TRUE(book.sheets()[2].range(u"A5"_qs).text().isEmpty());
    // Nothing left beside the result.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// Without a range the sheet's used area is searched, header row included, and named.
TEST_F(DedupRun, WithoutARangeSearchesTheUsedArea) {
    const Outcome outcome =
        run({"--input", path("ledger.csv"), "--columns", "A,B,C", "--output", path("out.xlsx")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, u"报告结论：共【4】组数据，其中【1】组重复、【3】组唯一。");
    EXPECT_EQ(outcome.err, u"已用区域：$A$1:$C$6");
}

TEST_F(DedupRun, WithoutRepeatsPrintsTheNoticeAndWritesNothing) {
    // Over voucher and amount, rows 3 to 5 hold no row twice.
    const Outcome outcome = run({"--input", path("ledger.csv"), "--range", "$A$3:$C$5", "--columns",
                                 "A,C", "--output", path("out.xlsx")});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, u"您选择的区域【A3:C5】中无符合条件的重复数据！");
    EXPECT_FALSE(QFile::exists(path("out.xlsx")));
}

TEST_F(DedupRun, BadInputExitsWithTheReadersMessage) {
    const struct {
        const char* what;
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {"one row",
         {"--input", path("ledger.csv"), "--range", "A2:C2"},
         kExitInvalidInput,
         "至少两行：读取数据源失败(无回车分隔)，请重新在EXCEL中拖拉出连续的选区！"},
        {"column outside",
         {"--input", path("ledger.csv"), "--range", "A2:B6", "--columns", "C"},
         kExitInvalidInput,
         "列 C 不在区域 $A$2:$B$6 之内"},
        {"missing file", {"--input", path("none.csv"), "--range", "A2:C6"}, kExitInvalidInput, ""},
        {"output is no workbook",
         {"--input", path("ledger.csv"), "--range", "A2:C6"},
         kExitUsage,
         "结果文件"},
    };
    for (const auto& c : cases) {
        const QString output = c.exitCode == kExitUsage ? path("out.csv") : path("out.xlsx");
        const Outcome outcome = run(c.arguments + QStringList{"--output", output});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.what << ": " << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.startsWith(c.message))
            << c.what << ": " << outcome.err.toStdString();
        EXPECT_FALSE(outcome.err.isEmpty()) << c.what;
        EXPECT_FALSE(QFile::exists(output)) << c.what;
    }

    // The input is never overwritten.
    ASSERT_EQ(
        run({"--input", path("ledger.csv"), "--range", "A2:C6", "--output", path("first.xlsx")})
            .exitCode,
        0);
    const QByteArray before = [&] {
        QFile f(path("first.xlsx"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const Outcome same = run({"--input", path("first.xlsx"), "--sheet", "数据", "--range", "A2:C6",
                              "--output", path("first.xlsx")});
    EXPECT_EQ(same.exitCode, kExitUsage);
    QFile after(path("first.xlsx"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

}  // namespace
}  // namespace tallimo::cli
