#include "AreaReader.h"

#include "Host.h"
#include "MemoryHost.h"
#include "TestZip.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace tallimo::area {
namespace {

class AreaReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name) const { return dir_.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A cover sheet first, then a ledger sheet with a formatted amount column.
    QString writeWorkbook() {
        host::Application app(host::makeMemoryHost());
        host::Workbook book = app.workbooks().add();
        while (book.sheets().count() > 1)
            book.sheets()[2].remove();
        host::Worksheet cover = book.sheets()[1];
        cover.setName(QStringLiteral("封面"));
        cover.range("A1").setValue(QStringLiteral("说明"));
        host::Worksheet ledger = book.sheets().add();
        ledger.move(cover, host::Placement::After);
        ledger.setName(QStringLiteral("日记账"));
        ledger.range("B2").setValue(QStringLiteral("记-0001"));
        ledger.range("C2").setValue(1200.0);
        ledger.range("B3").setValue(QStringLiteral("记-0002"));
        ledger.range("C3").setValue(-35.5);
        ledger.range("D3").setValue(QStringLiteral("两行\n摘要"));
        app.backend().setNumberFormat(ledger.id(), host::parseA1("C2:C3"),
                                      QStringLiteral("#,##0.00"));
        book.saveAs(path("book.xlsx"));
        return path("book.xlsx");
    }

    QTemporaryDir dir_;
};

TEST_F(AreaReaderTest, WorkbookCellsComeAsTheirDisplayTexts) {
    const AreaText area = readArea(writeWorkbook(), QStringLiteral("日记账"), "b2:c3");
    EXPECT_EQ(area.workbookName, "book.xlsx");
    EXPECT_EQ(area.sheetName, QStringLiteral("日记账"));
    EXPECT_EQ(area.range, "$B$2:$C$3");
    EXPECT_EQ(area.selectionText, QStringLiteral("记-0001\t1,200.00\r\n记-0002\t-35.50\r\n"));
}

// Cells that only carry a format are no content: the used area ends at the last text.
TEST_F(AreaReaderTest, WithoutARangeTheSheetsShownCellsAreTheArea) {
    const QString book = writeWorkbook();
    {
        host::Application app(host::makeMemoryHost());
        host::Workbook opened = app.workbooks().open(book);
        host::Worksheet ledger = opened.sheets()[QStringLiteral("日记账")];
        app.backend().setNumberFormat(ledger.id(), host::parseA1("A1:F9"), QStringLiteral("0.00"));
        opened.saveAs(path("formatted.xlsx"));
    }
    const AreaText area = readArea(path("formatted.xlsx"), QStringLiteral("日记账"), {});
    EXPECT_EQ(area.range, "$B$2:$D$3");
    EXPECT_EQ(area.selectionText,
              QStringLiteral("记-0001\t1200.00\t\r\n记-0002\t-35.50\t两行 摘要\r\n"));
}

TEST_F(AreaReaderTest, TheFirstSheetIsTheDefault) {
    const AreaText area = readArea(writeWorkbook(), {}, "A1:B1");
    EXPECT_EQ(area.sheetName, QStringLiteral("封面"));
    EXPECT_EQ(area.selectionText, QStringLiteral("说明\t\r\n"));
}

// A TAB or line break inside a cell would move the cells after it to another column or row.
TEST_F(AreaReaderTest, TabsAndLineBreaksInsideACellBecomeSpaces) {
    const AreaText book = readArea(writeWorkbook(), QStringLiteral("日记账"), "C2:D3");
    EXPECT_EQ(book.selectionText, QStringLiteral("1,200.00\t\r\n-35.50\t两行 摘要\r\n"));
    EXPECT_EQ(book.flattenedCells, 1);
    EXPECT_EQ(book.firstFlattenedCell, "$D$3");

    writeFile("memo.csv", "1,\"a\tb\",\"c\r\nd\"\n2,plain,\"e\n\rf\"\n");
    const AreaText csv = readArea(path("memo.csv"), {}, "A1:C2");
    EXPECT_EQ(csv.selectionText, QStringLiteral("1\ta b\tc  d\r\n2\tplain\te  f\r\n"));
    EXPECT_EQ(csv.flattenedCells, 3);
    EXPECT_EQ(csv.firstFlattenedCell, "$B$1");
    EXPECT_EQ(flattenedCellsNote(csv),
              QStringLiteral("注意：3 个单元格中的制表符或换行已各换成一个空格（第一个是 $B$1）"));

    const AreaText plain = readArea(path("memo.csv"), {}, "A1:A2");
    EXPECT_EQ(plain.flattenedCells, 0);
    EXPECT_EQ(flattenedCellsNote(plain), "");
}

TEST_F(AreaReaderTest, CsvAndTsvAreEnteredAsTyped) {
    writeFile("bank.csv", "date,amount,memo\r\nd1,\"1,200.00\",a\r\nd2,100,\"x,y\"\r\n");
    writeFile("bank.tsv", "date\tamount\tmemo\nd1\t1,200.00\ta\nd2\t100\tx,y\n");
    for (const char* name : {"bank.csv", "bank.tsv"}) {
        const AreaText area = readArea(path(name), {}, "$B$2:$C$4");
        EXPECT_EQ(area.workbookName, name);
        EXPECT_EQ(area.sheetName, "bank");
        EXPECT_EQ(area.range, "$B$2:$C$4");
        EXPECT_EQ(area.selectionText, QStringLiteral("1,200.00\ta\r\n100\tx,y\r\n\t\r\n")) << name;
    }
}

TEST_F(AreaReaderTest, CsvFieldsShowAsTheSpreadsheetShowsThemAfterOpening) {
    writeFile("typed.csv",
              "12.50,\"1,200\",00123,\" 100 \",2024-01-05,-7\n+7,.5,-0,0.00001,1.,\" x \"\n");
    EXPECT_EQ(readArea(path("typed.csv"), {}, "A1:F2").selectionText,
              QStringLiteral("12.50\t1,200\t00123\t100\t2024-01-05\t-7\r\n"
                             "7\t0.5\t0\t1E-05\t1\t x \r\n"));
}

TEST_F(AreaReaderTest, Gb18030AndUtf8ReadTheSame) {
    const QString text = QStringLiteral("日期,摘要,金额\r\n2024-01-05,收银行利息,\"1,286.43\"\r\n");
    writeFile("utf8.csv", "\xEF\xBB\xBF" + text.toUtf8());
    writeFile("plain.csv", text.toUtf8());
    QStringEncoder gb18030("GB18030");
    writeFile("gb.csv", gb18030.encode(text));
    const QString expected = readArea(path("utf8.csv"), {}, "B1:C2").selectionText;
    EXPECT_EQ(expected, QStringLiteral("摘要\t金额\r\n收银行利息\t1,286.43\r\n"));
    EXPECT_EQ(readArea(path("plain.csv"), {}, "B1:C2").selectionText, expected);
    EXPECT_EQ(readArea(path("gb.csv"), {}, "B1:C2").selectionText, expected);
}

TEST_F(AreaReaderTest, RefusesWithAMessageNamingWhatIsWrong) {
    const QString book = writeWorkbook();
    writeFile("bank.csv", "a,b\n");
    writeFile("bank.doc", "a,b\n");
    writeFile("broken.xlsx", "not a zip");
    struct Case {
        QString file, sheet, range, message;
    };
    const Case cases[] = {
        {path("none.csv"), {}, "A1:B2", QStringLiteral("找不到文件“%1”").arg(path("none.csv"))},
        {path("bank.doc"),
         {},
         "A1:B2",
         QStringLiteral("只支持 .xlsx、.xls、.ods、.csv、.tsv 和 .txt 文件")},
        {path("broken.xlsx"), {}, "A1:B2", QStringLiteral("无法读取工作簿")},
        {book, QStringLiteral("总账"), "A1:B2", QStringLiteral("没有名为“总账”的工作表")},
        {path("bank.csv"), "Sheet1", "A1:B2", QStringLiteral("没有名为“Sheet1”的工作表")},
        {book, {}, "A1:B", QStringLiteral("区域“A1:B”不是有效的单元格区域")},
        {book, {}, "A:C", QStringLiteral("区域“A:C”不是有效的单元格区域")},
        {book, {}, "XFE1:XFE2", QStringLiteral("区域“XFE1:XFE2”不是有效的单元格区域")},
        {book, {}, "A0:B2", QStringLiteral("区域“A0:B2”不是有效的单元格区域")},
        {book, {}, "A1:XFD1048576", QStringLiteral("区域“A1:XFD1048576”过大")},
    };
    for (const Case& c : cases) {
        try {
            readArea(c.file, c.sheet, c.range);
            ADD_FAILURE() << c.message.toStdString() << ": accepted";
        } catch (const AreaError& e) {
            EXPECT_TRUE(e.message().contains(c.message))
                << e.message().toStdString() << " / " << c.message.toStdString();
        }
    }
}

// Six sheets that declare vast extents and hold a few cells each (a dimension of the whole grid,
// rows spanning every column, a cell in the last one, every column widened), and an area of the
// first: only that sheet is read, and it costs its few cells.
TEST_F(AreaReaderTest, VastDeclarationsCostOnlyTheCellsThere) {
    const QByteArray vast = host::xlsx::test::sheetPart(
        "<row r=\"1\" spans=\"1:16384\"><c r=\"A1\"><v>1</v></c>"
        "<c r=\"B1\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
        "<row r=\"1048576\" spans=\"1:16384\"><c r=\"XFD1048576\"><v>9</v></c></row>",
        "<dimension ref=\"A1:XFD1048576\"/>"
        "<cols><col min=\"1\" max=\"16384\" width=\"9\" customWidth=\"1\"/></cols>");
    std::vector<std::pair<QByteArray, QByteArray>> sheets;
    for (int i = 1; i <= 6; ++i)
        sheets.emplace_back("S" + QByteArray::number(i), vast);
    host::xlsx::test::writeZip(path("vast.xlsx"), host::xlsx::test::workbookOfSheets(sheets));
    EXPECT_EQ(readArea(path("vast.xlsx"), {}, "A1:B2").selectionText, "1\tx\r\n\t\r\n");
    EXPECT_EQ(readArea(path("vast.xlsx"), "s6", "XFC1048576:XFD1048576").selectionText, "\t9\r\n");
}

// The dimension is a hint: one smaller or larger than the cells changes nothing read.
TEST_F(AreaReaderTest, ADimensionThatLiesChangesNothing) {
    for (const QByteArray dimension : {"A1", "A1:B2", "C3:C3", "A1:XFD1048576"}) {
        host::xlsx::test::writeZip(
            path("lies.xlsx"),
            host::xlsx::test::minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                              "<row r=\"3\"><c r=\"C3\"><v>4</v></c></row>",
                                              "<dimension ref=\"" + dimension + "\"/>"));
        EXPECT_EQ(readArea(path("lies.xlsx"), {}, "A1:C3").selectionText,
                  "1\t\t\r\n\t\t\r\n\t\t4\r\n")
            << dimension.toStdString();
    }
}

// A circular chain of 1,001 formulas, each reading the next: every cell shows the value its
// file holds, or the circular-reference error when the file holds none.
TEST_F(AreaReaderTest, CircularChainsShowTheFileValuesOrTheError) {
    constexpr int kCells = 1001;
    for (const bool withValues : {false, true}) {
        QByteArray rows, expected;
        for (int r = 1; r <= kCells; ++r) {
            const QByteArray next = QByteArray::number(r == kCells ? 1 : r + 1);
            rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                    "\"><f>A" + next + "+1</f>" +
                    (withValues ? "<v>" + QByteArray::number(r * 10) + "</v>" : QByteArray()) +
                    "</c></row>";
            expected += (withValues ? QByteArray::number(r * 10) : "Err:522") + "\r\n";
        }
        host::xlsx::test::writeZip(path("circle.xlsx"), host::xlsx::test::minimalWorkbook(rows));
        EXPECT_EQ(readArea(path("circle.xlsx"), {}, "A1:A1001").selectionText,
                  QString::fromUtf8(expected));
    }
}

TEST(ParseAreaRange, TakesEveryA1Spelling) {
    const host::CellRect expected{2, 2, 40, 6};
    for (const char* text : {"B2:F40", "$B$2:$F$40", "b2:f40", "F40:B2", "$B2:F$40", " B2:F40 "}) {
        EXPECT_EQ(parseAreaRange(text), expected) << text;
    }
    EXPECT_EQ(parseAreaRange("C7"), (host::CellRect{7, 3, 7, 3}));
    EXPECT_EQ(parseAreaRange("A1:XFD1048576"), (host::CellRect{1, 1, 1048576, 16384}));
}

}  // namespace
}  // namespace tallimo::area
