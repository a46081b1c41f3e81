#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace tallimo::cli {
namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

class AreaCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name) const { return dir_.filePath(name); }

    Outcome run(const QStringList& arguments) {
        QProcess process;
        process.start(QDir(qEnvironmentVariable("TALLIMO_BUILD_DIR")).filePath("tallimo-cli"),
                      QStringList{"area"} + arguments);
        Outcome result;
        if (!process.waitForFinished(60000)) return result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // Sheet "日记账": amounts with group separators and a memo holding a line break.
    QString writeWorkbook() {
        host::Application app(host::makeMemoryHost());
        host::Workbook book = app.workbooks().add();
        host::Worksheet sheet = book.sheets()[1];
        sheet.setName(QStringLiteral("日记账"));
        sheet.range("A1").setValue(QStringLiteral("记-0001"));
        sheet.range("B1").setValue(1200.0);
        sheet.range("C1").setValue(QStringLiteral("利息\n收入"));
        sheet.range("A2").setValue(QStringLiteral("记-0002"));
        sheet.range("B2").setValue(-35.5);
        app.backend().setNumberFormat(sheet.id(), host::parseA1("B1:B2"),
                                      QStringLiteral("#,##0.00"));
        book.saveAs(path("book.xlsx"));
        return path("book.xlsx");
    }

    QTemporaryDir dir_;
};

TEST_F(AreaCommand, PrintsTheSelectionTextAsTheClipboardHoldsIt) {
    const QString book = writeWorkbook();
    const Outcome outcome = run({book, "--sheet", QStringLiteral("日记账"), "--range", "A1:C2"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, QStringLiteral("记-0001\t1,200.00\t利息 收入\r\n"
                                          "记-0002\t-35.50\t\r\n")
                               .toUtf8());
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("1 个单元格中的制表符或换行已各换成一个空格")))
        << outcome.err.toStdString();

    // Options in their "=" form, the first sheet by default, no note when nothing changed.
    const Outcome plain = run({"--range=b2", book});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, "-35.50\r\n");
    EXPECT_EQ(plain.err, "");
}

TEST_F(AreaCommand, CsvInGb18030ComesOutAsUtf8) {
    QFile csv(path("bank.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    QStringEncoder gb18030("GB18030");
    csv.write(gb18030.encode(QStringLiteral("摘要,金额\r\n收银行利息,\"1,286.43\"\r\n")));
    csv.close();
    const Outcome outcome = run({path("bank.csv"), "--range", "A2:B2"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, QStringLiteral("收银行利息\t1,286.43\r\n").toUtf8());
}

TEST_F(AreaCommand, WithoutARangeTheUsedAreaIsReadAndNamed) {
    const Outcome outcome = run({writeWorkbook(), "--sheet", QStringLiteral("日记账")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.startsWith(QStringLiteral("记-0001\t1,200.00\t").toUtf8()));
    EXPECT_TRUE(outcome.err.startsWith(QStringLiteral("已用区域：$A$1:$C$2\n")))
        << outcome.err.toStdString();
}

TEST_F(AreaCommand, UsageErrorsExitWithTwoAndUnreadableInputWithOne) {
    const QString book = writeWorkbook();
    struct Case {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    const Case cases[] = {
        {{}, 2, QStringLiteral("用法: tallimo-cli area")},
        {{"--range", "A1:B2"}, 2, QStringLiteral("缺少文件")},
        {{book, "--range"}, 2, QStringLiteral("选项 --range 缺少值")},
        {{book, "--range", "A1", "--output", "x"}, 2, QStringLiteral("未知的选项“--output”")},
        {{book, book, "--range", "A1"}, 2, QStringLiteral("多余的参数")},
        {{path("none.xlsx"), "--range", "A1"}, 1, QStringLiteral("找不到文件")},
        {{book, "--range", "A1:B"}, 1, QStringLiteral("不是有效的单元格区域")},
        {{book, "--sheet", QStringLiteral("总账"), "--range", "A1"},
         1,
         QStringLiteral("没有名为“总账”的工作表")},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.message.toStdString();
        EXPECT_TRUE(outcome.err.contains(c.message)) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.isEmpty()) << c.message.toStdString();
    }
}

}  // namespace
}  // namespace tallimo::cli
