#include "AreaPreparation.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QThread>

namespace tallimo::cli {
namespace {

// ---------------------------------------------------------------------------------------------
// Column roles

TEST(ResolveColumnRoles, FollowsTheColumnRolesWindow) {
    const host::CellRect block{2, 2, 9, 6};  // B2:F9
    struct Case {
        const char* what;
        bool sumGiven;
        QStringList sums, compares;
        std::vector<int> sumPositions, comparePositions;
    };
    const Case cases[] = {
        {"last column by default", false, {}, {"B"}, {4}, {0}},
        {"two sums kept in order", true, {"F", "D"}, {"B", "C"}, {4, 2}, {0, 1}},
        {"repeated letters count once", true, {"E", "E"}, {"B", "B"}, {3}, {0}},
    };
    for (const Case& c : cases) {
        AreaOptions options;
        options.sumGiven = c.sumGiven;
        options.sumColumns = c.sums;
        options.compareColumns = c.compares;
        const ColumnRoles roles = resolveColumnRoles(options, block, core::Side::Left);
        EXPECT_EQ(roles.sumPositions, c.sumPositions) << c.what;
        EXPECT_EQ(roles.comparePositions, c.comparePositions) << c.what;
    }
}

TEST(ResolveColumnRoles, RefusesWhatTheWindowRefuses) {
    const host::CellRect block{2, 2, 9, 6};  // B2:F9
    struct Case {
        QStringList sums, compares;
        QString message;
    };
    const Case cases[] = {
        {{}, {"B"}, QStringLiteral("至少要选择一列作为求和项！")},
        {{"D", "E", "F"}, {}, QStringLiteral("只可以同时选择两个求和项")},
        {{"G"}, {}, QStringLiteral("列 G 不在区域 $B$2:$F$9 之内")},
        {{"F"}, {"A"}, QStringLiteral("列 A 不在区域 $B$2:$F$9 之内")},
        {{"F"}, {"B", "F"}, QStringLiteral("列 F 不能同时是求和列和比较列")},
    };
    for (const Case& c : cases) {
        AreaOptions options;
        options.sumGiven = true;
        options.sumColumns = c.sums;
        options.compareColumns = c.compares;
        try {
            resolveColumnRoles(options, block, core::Side::Right);
            ADD_FAILURE() << c.message.toStdString() << ": accepted";
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitInvalidInput);
            EXPECT_EQ(e.message(), QStringLiteral("右区：") + c.message);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The program

struct CliOutcome {
    int exitCode = -1;
    QString out, err;
};

class CliRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Voucher, debit, credit. V3 is booked twice on the left; V4 only the bank knows.
        writeFile("left.csv", QStringLiteral("凭证,借方,贷方\r\nV1,100.00,\r\nV2,,50.00\r\n"
                                             "V3,200.00,\r\nV3,200.00,\r\n")
                                  .toUtf8());
        writeFile("right.csv", QStringLiteral("凭证,收入,支出\r\nV1,100.00,\r\nV2,,50.00\r\n"
                                              "V3,200.00,\r\nV4,,30.00\r\n")
                                   .toUtf8());
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    CliOutcome run(const QStringList& arguments) {
        QProcess process;
        process.start(QDir(qEnvironmentVariable("TALLIMO_BUILD_DIR")).filePath("tallimo-cli"),
                      arguments);
        CliOutcome result;
        if (!process.waitForFinished(60000)) return result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // Voucher compared, debit against income and credit against expense.
    QStringList twoPassArguments(const QString& left = "left.csv") {
        return {"reconcile",
                "--left",
                path(left),
                "--left-range",
                "A2:C5",
                "--left-sum",
                "B,C",
                "--left-compare",
                "A",
                "--right",
                path("right.csv"),
                "--right-range",
                "$A$2:$C$5",
                "--right-sum",
                "B,C",
                "--right-compare",
                "A",
                "--output",
                path("out.xlsx")};
    }

    QTemporaryDir dir_;
};

// Each pass counts the rows with an amount in its own column (and rows with neither).
const QString kPass1 = QStringLiteral(
    "结论:共对5笔记录进行了交叉比对，4笔核对相符，左项比右项多记1笔,合计200,"
    "右项比左项多记0笔,合计0");
const QString kPass2 = QStringLiteral(
    "结论:共对3笔记录进行了交叉比对，2笔核对相符，左项比右项多记0笔,合计0,"
    "右项比左项多记1笔,合计30");
// With one sum column every row is a record of the one pass.
const QString kOnlyPass = QStringLiteral(
    "结论:共对8笔记录进行了交叉比对，6笔核对相符，左项比右项多记1笔,合计200,"
    "右项比左项多记1笔,合计0");

TEST_F(CliRun, TwoPassesWhenTheSumPairsDiffer) {
    const CliOutcome r = run(twoPassArguments());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, kPass1 + "\n" + kPass2 + "\n");

    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().open(path("out.xlsx"));
    QStringList names;
    for (int i = 1; i <= book.sheets().count(); ++i)
        names << book.sheets()[i].name();
    EXPECT_EQ(names, (QStringList{
                         QStringLiteral("▲(C列_C列)源▲"), QStringLiteral("2.(C列_C列)比对报告√"),
                         QStringLiteral("▲(B列_B列)源▲"), QStringLiteral("1.(B列_B列)比对报告√")}));

    host::Worksheet report = book.sheets()[QStringLiteral("1.(B列_B列)比对报告√")];
    EXPECT_EQ(report.range("A1").text(), QStringLiteral("数据比对报告"));
    EXPECT_TRUE(report.range("A2").text().startsWith(
        QStringLiteral("比对项目:左[left.csv]left!$A$2:$C$5(B列)")));
    // Group rows sorted by key from row 6: V1, V3 (left more); V2 and V4 are credit rows.
    EXPECT_EQ(report.range("A6").text(), "V1");
    EXPECT_EQ(report.range("A7").text(), "V3");
    EXPECT_EQ(report.range("B7").value(), host::CellValue::fromNumber(2));
    EXPECT_EQ(report.range("D7").text(), "4_5");
    EXPECT_EQ(report.range("E7").value(), host::CellValue::fromNumber(1));
    EXPECT_EQ(report.range("A8").text(), QStringLiteral("合计"));
    EXPECT_EQ(report.range("A9").text(), kPass1);

    host::Worksheet source = book.sheets()[QStringLiteral("▲(B列_B列)源▲")];
    EXPECT_EQ(source.range("A1").text(), QStringLiteral("左B列"));
    EXPECT_EQ(source.range("A5").text(), QStringLiteral("左行5"));
    EXPECT_EQ(source.range("E5").text(), QStringLiteral("◇"));
    EXPECT_EQ(source.range("K5").text(), QStringLiteral("√"));  // V4: credit only
}

// Without a range each side reads its sheet's used area, from the first row that holds
// something, and says which range that was.
TEST_F(CliRun, RangesLeftOutReadTheUsedAreas) {
    writeFile("lower.csv", QStringLiteral(",,\r\n\r\nV1,100.00,\r\nV2,,50.00\r\n"
                                          "V3,200.00,\r\nV3,200.00,\r\n,,\r\n")
                               .toUtf8());
    QStringList args = twoPassArguments(u"lower.csv"_qs);
    args.remove(args.indexOf("--left-range"), 2);
    const CliOutcome r = run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, kPass1 + "\n" + kPass2 + "\n");
    EXPECT_TRUE(r.err.contains(QStringLiteral("左区：已用区域：$A$3:$C$6"))) << r.err.toStdString();

    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().open(path("out.xlsx"));
    EXPECT_TRUE(book.sheets()[QStringLiteral("1.(B列_B列)比对报告√")].range("A2").text().startsWith(
        QStringLiteral("比对项目:左[lower.csv]lower!$A$3:$C$6(B列)")));
}

TEST_F(CliRun, OnePassWhenBothSidesHaveOneSumColumn) {
    QStringList args = twoPassArguments();
    args[args.indexOf("--left-sum") + 1] = "B";
    args[args.indexOf("--right-sum") + 1] = "B";
    const CliOutcome r = run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, kOnlyPass + "\n");
}

TEST_F(CliRun, UsageErrorsExitWithTwo) {
    const QStringList noOutput = twoPassArguments().mid(0, twoPassArguments().size() - 2);
    QStringList notXlsx = twoPassArguments();
    notXlsx.last() = path("out.csv");
    struct Case {
        QStringList arguments;
        QString message;
    };
    const Case cases[] = {
        {{}, QStringLiteral("用法")},
        {{"reconcile", "--left"}, QStringLiteral("选项 --left 缺少值")},
        {noOutput, QStringLiteral("缺少选项 --output")},
        {notXlsx, QStringLiteral("必须是 .xlsx 文件")},
    };
    for (const Case& c : cases) {
        const CliOutcome r = run(c.arguments);
        EXPECT_EQ(r.exitCode, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(CliRun, NeverWritesOverAnInputFile) {
    host::Application app(host::makeMemoryHost());
    app.workbooks().add().saveAs(path("book.xlsx"));
    QFile book(path("book.xlsx"));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    const QByteArray before = book.readAll();
    book.close();
    QStringList args = twoPassArguments();
    args.last() = path("book.xlsx");
    args[args.indexOf("--left") + 1] = path("book.xlsx");
    const CliOutcome r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("不能是输入文件"))) << r.err.toStdString();
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    EXPECT_EQ(book.readAll(), before);
}

TEST_F(CliRun, InvalidInputExitsWithOneAndLeavesNoFile) {
    struct Case {
        const char* option;
        QString value;
        QString message;
    };
    const Case cases[] = {
        {"--left", path("missing.csv"), QStringLiteral("找不到文件")},
        {"--left-range", "A2:C", QStringLiteral("区域“A2:C”不是有效的单元格区域")},
        {"--left-sum", "B,D", QStringLiteral("列 D 不在区域 $A$2:$C$5 之内")},
        {"--left-compare", "A,C", QStringLiteral("列 C 不能同时是求和列和比较列")},
        {"--right-sum", "A,B,C", QStringLiteral("只可以同时选择两个求和项")},
        {"--right-sum", "", QStringLiteral("至少要选择一列作为求和项！")},
        {"--right-sheet", "Sheet9", QStringLiteral("没有名为“Sheet9”的工作表")},
        {"--output", path("no-such-folder/out.xlsx"), QStringLiteral("不存在")},
    };
    for (const Case& c : cases) {
        QStringList args = twoPassArguments();
        if (const qsizetype at = args.indexOf(c.option); at >= 0) {
            args[at + 1] = c.value;
        } else {
            args << c.option << c.value;
        }
        const CliOutcome r = run(args);
        EXPECT_EQ(r.exitCode, 1) << c.option;
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"left.csv", "right.csv"}))
            << c.option;
    }
}

// The areas are read side by side; the left one's failure still speaks first.
TEST_F(CliRun, WhenBothAreasFailTheLeftOneIsReported) {
    QStringList args = twoPassArguments("missing.csv");
    args << "--right-sheet"
         << "Sheet9";
    const CliOutcome r = run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("左区：找不到文件"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("右区"))) << r.err.toStdString();
}

TEST_F(CliRun, AFailedRunKeepsTheEarlierResult) {
    writeFile("out.xlsx", "earlier result");
    QStringList args = twoPassArguments();
    args[args.indexOf("--right-range") + 1] = "A2:Q";
    EXPECT_EQ(run(args).exitCode, 1);
    QFile earlier(path("out.xlsx"));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier result");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(CliRun, ASuccessfulRunReplacesTheEarlierResult) {
    writeFile("out.xlsx", "earlier result");
    ASSERT_EQ(run(twoPassArguments()).exitCode, 0);
    QFile result(path("out.xlsx"));
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_TRUE(result.read(2) == "PK");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// Amounts at the edge of the number range: the result still holds only numbers a file can carry,
// and an independent reader opens it.
TEST_F(CliRun, TotalsPastTheNumberRangeLeaveAnOrdinaryWorkbook) {
    writeFile("huge-left.csv", "no,amount\r\na,1E+308\r\nb,1E+308\r\nc,1E+308\r\nc,1E+308\r\n");
    writeFile("huge-right.csv", "no,amount\r\nd,(5.00)\r\n");
    const CliOutcome r =
        run({"reconcile", "--left", path("huge-left.csv"), "--left-range", "A2:B5",
             "--left-compare", "A", "--right", path("huge-right.csv"), "--right-range", "A2:B2",
             "--right-compare", "A", "--output", path("out.xlsx")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("结论:共对5笔记录进行了交叉比对，0笔核对相符，左项比右项多记"
                                    "4笔,合计#NUM!,右项比左项多记1笔,合计0\n"));

    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python)) GTEST_SKIP() << "no system Python";
    // Every cell of the report as openpyxl reads it, cached formula results included.
    const char* script = R"(
import math, openpyxl, sys
ws = openpyxl.load_workbook(sys.argv[1], data_only=True).worksheets[-1]
for row in ws.iter_rows(min_row=6, max_row=10, max_col=9):
    print("|".join("nonfinite" if isinstance(c.value, float) and not math.isfinite(c.value)
                   else "" if c.value is None else str(c.value) for c in row))
)";
    QProcess process;
    process.start(python, {"-c", script, path("out.xlsx")});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
              QStringLiteral("a|1|1e+308|2||||1|1e+308\n"
                             "b|1|1e+308|3||||1|1e+308\n"
                             "c|2||4_5||||2|0\n"
                             "d||||1|-5|2|-1|5\n"
                             "合计|4|#NUM!|-|1|-5|-|3|#NUM!\n"));
}

TEST_F(CliRun, Gb18030AndUtf8WithMarkGiveTheSameResult) {
    const QString text = QStringLiteral(
        "摘要,借方,贷方\r\n收款,100.00,\r\n付款,,50.00\r\n"
        "收款,200.00,\r\n收款,200.00,\r\n");
    writeFile("left-bom.csv", "\xEF\xBB\xBF" + text.toUtf8());
    QStringEncoder gb18030("GB18030");
    writeFile("left-gb.csv", gb18030.encode(text));
    writeFile("right.csv", QStringLiteral("摘要,收入,支出\r\n收款,100.00,\r\n付款,,50.00\r\n"
                                          "收款,200.00,\r\n其他,,30.00\r\n")
                               .toUtf8());
    const CliOutcome utf8 = run(twoPassArguments("left-bom.csv"));
    const CliOutcome gb = run(twoPassArguments("left-gb.csv"));
    ASSERT_EQ(utf8.exitCode, 0) << utf8.err.toStdString();
    ASSERT_EQ(gb.exitCode, 0) << gb.err.toStdString();
    EXPECT_EQ(utf8.out, gb.out);
    EXPECT_TRUE(utf8.out.contains(QStringLiteral("4笔核对相符"))) << utf8.out.toStdString();
}

TEST_F(CliRun, ACellWithALineBreakKeepsItsRow) {
    writeFile("left.csv", QStringLiteral("凭证,借方,贷方\r\nV1,100.00,\r\n\"V2\n补记\",,50.00\r\n"
                                         "V3,200.00,\r\nV3,200.00,\r\n")
                              .toUtf8());
    const CliOutcome r = run(twoPassArguments());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(
        QStringLiteral("左区：注意：1 个单元格中的制表符或换行已各换成一个空格（第一个是 $A$3）")))
        << r.err.toStdString();
    host::Application app(host::makeMemoryHost());
    host::Worksheet source =
        app.workbooks().open(path("out.xlsx")).sheets()[QStringLiteral("▲(B列_B列)源▲")];
    EXPECT_EQ(source.range("B3").text(), QStringLiteral("V2 补记"));
    EXPECT_EQ(source.range("D3").text(), QStringLiteral("50.00"));
}

// ---------------------------------------------------------------------------------------------
// Faults on the way out

QStringList savingFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.tallimo-saving")}, QDir::Files | QDir::Hidden);
}

// A ledger long enough that its save takes a noticeable while.
void writeLongLedger(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray text = "凭证,借方,贷方\r\n";
    for (int i = 0; i < 30000; ++i)
        text += "V" + QByteArray::number(i) + "," + QByteArray::number(i % 977) + ".50,\r\n";
    file.write(text);
}

TEST_F(CliRun, AnInterruptDuringTheSaveLeavesNoFileOfIt) {
    writeLongLedger(path("long.csv"));
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        writeFile("out.xlsx", "earlier result");
        QStringList args = twoPassArguments();
        args[args.indexOf("--left") + 1] = path("long.csv");
        args[args.indexOf("--left-range") + 1] = "A2:C30001";
        args[args.indexOf("--right") + 1] = path("long.csv");
        args[args.indexOf("--right-range") + 1] = "A2:C30001";
        args[args.indexOf("--left-sum") + 1] = "B";  // one pass is enough
        args[args.indexOf("--right-sum") + 1] = "B";
        QProcess process;
        process.start(QDir(qEnvironmentVariable("TALLIMO_BUILD_DIR")).filePath("tallimo-cli"),
                      args);
        ASSERT_TRUE(process.waitForStarted());
        // The saving file appears when the save starts packing the workbook.
        QElapsedTimer waited;
        waited.start();
        while (savingFiles(dir_.path()).isEmpty() && process.state() == QProcess::Running &&
               waited.elapsed() < 120000)
            QThread::msleep(1);
        ASSERT_FALSE(savingFiles(dir_.path()).isEmpty()) << "the save was not seen";
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 128 + signal);
        EXPECT_EQ(savingFiles(dir_.path()), QStringList());
        QFile earlier(path("out.xlsx"));
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), "earlier result");
    }
}

TEST_F(CliRun, FilesOfKilledSavesAreRemovedAtTheNextRun) {
    // Process ids above the kernel's largest never belong to a running process.
    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-3600);
    struct Leftover {
        QString name;
        QDateTime written;
        bool removed;
    };
    const Leftover leftovers[] = {
        {".out.xlsx.4194305.tallimo-saving", longAgo, true},
        {".out.xlsx.4194306.tallimo-saving", QDateTime::currentDateTime().addSecs(3600), false},
        {QStringLiteral(".out.xlsx.%1.tallimo-saving").arg(QCoreApplication::applicationPid()),
         longAgo, false},
        {".other.xlsx.4194305.tallimo-saving", longAgo, false},
        {".out.xlsx.4194305.tallimo-saving.keep", longAgo, false},
        {"out.xlsx.tallimo-saving", longAgo, false},
    };
    for (const Leftover& l : leftovers) {
        writeFile(l.name, "left behind");
        QFile file(path(l.name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(l.written, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(run(twoPassArguments()).exitCode, 0);
    for (const Leftover& l : leftovers)
        EXPECT_EQ(!QFile::exists(path(l.name)), l.removed) << l.name.toStdString();
}

// The full disk is a small file system of the test's own, mounted in a mount namespace where an
// unprivileged user may; where that is not allowed the test is skipped.
TEST_F(CliRun, AFullDiskIsReportedForTheOutputInChinese) {
    QTemporaryDir disk;
    ASSERT_TRUE(disk.isValid());
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=64k tmpfs \"$1\" || exit 77\n"
        "head -c 60000 /dev/zero > \"$1/filler\"\n"
        "shift; out=\"$1\"; shift\n"
        "\"$@\"; code=$?\n"
        "ls -A \"$(dirname \"$out\")\"\n"
        "exit $code\n");
    const QString output = disk.filePath("out.xlsx");
    QStringList args = twoPassArguments();
    args.last() = output;
    QProcess process;
    process.start(
        "unshare",
        QStringList{"--map-root-user", "--mount", "sh", "-c", script, "sh", disk.path(), output,
                    QDir(qEnvironmentVariable("TALLIMO_BUILD_DIR")).filePath("tallimo-cli")} +
            args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() == 77 ||
        (process.exitCode() != 1 && process.readAllStandardError().contains("unshare")))
        GTEST_SKIP() << "no mount namespace for a small file system";
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("工作簿 \"%1\" 无法保存").arg(output)))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("磁盘空间不足"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("tallimo-saving"))) << err.toStdString();
    // No English words of the writer library.
    EXPECT_FALSE(QString(err).remove(output).contains(QRegularExpression("[A-Za-z]{3,}")))
        << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
              QStringList{"filler"});
}

}  // namespace
}  // namespace tallimo::cli
