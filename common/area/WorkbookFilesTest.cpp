#include "AreaReader.h"
#include "LegacyTestFiles.h"
#include "OdsBook.h"
#include "SheetBlock.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>

namespace tallimo::area {
namespace {

using testing::biff8Workbook;
using testing::biffRecord;
using testing::compoundFile;

const QString kTestData = QStringLiteral(TALLIMO_AREA_TESTDATA);

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray cellHead(quint16 row, quint16 column, quint16 xf) {
    return le16(row) + le16(column) + le16(xf);
}

class WorkbookFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QString refusal(const QString& path, const QString& range = u"A1:B2"_qs) {
        try {
            readArea(path, {}, range);
        } catch (const AreaError& e) {
            return e.message();
        }
        return u"accepted"_qs;
    }

    QTemporaryDir dir_;
};

// Workbooks LibreOffice saved (common/area/testdata/make_calc_books.py): the texts the
// spreadsheet shows for numbers, dates of both date systems, texts, truth values, errors,
// formula results and merged cells.
TEST_F(WorkbookFiles, LegacyAndOpenDocumentBooksShowTheirCellsAsTheSpreadsheetDoes) {
    struct Case {
        QString range, text;
    };
    const Case cases[] = {
        {u"A3:E3"_qs, u"0.00\t0.00\t1.00\t-1.00\t1234.57\r\n"_qs},
        {u"B5:F5"_qs, u"0.00\t1.00\t-1.00\t1,234.57\t-98,765.43\r\n"_qs},
        {u"A6:F6"_qs,
         QStringLiteral("#,##0.00;[RED]-#,##0.00\t0.00\t1.00\t-1.00\t1,234.57\t-98,765.43\r\n")},
        {u"E8:E8"_qs, u"123456.78%\r\n"_qs},
        {u"E12:F12"_qs, QStringLiteral("¥1,234.57\t-¥98,765.43\r\n")},
        {u"E15:F15"_qs, u"001235\t-098765\r\n"_qs},
        {u"E18:H18"_qs, u"2000-01-01\t2019-01-01\t2023-01-01\t2024-01-05\r\n"_qs},
        {u"H20:H20"_qs, QStringLiteral("2024年1月5日\r\n")},
        {u"H22:H22"_qs, u"18:00:00\r\n"_qs},
        {u"A29:G29"_qs,
         QStringLiteral(
             "摘要\t收宁波海晨货款\tRent & fees\t  前导空格\t00123\t两行 文本\t摘要\r\n")},
        {u"A30:F30"_qs, u"0\t#DIV/0!\tTRUE\tFALSE\tabcd\t#N/A\r\n"_qs},
        // The merged block shows its text in its first cell only.
        {u"A31:D32"_qs, QStringLiteral("合并单元格\t\t\t5\r\n\t\t\t\r\n")},
    };
    for (const QString& file : {u"formats.xls"_qs, u"formats.ods"_qs}) {
        for (const Case& c : cases) {
            const AreaText area = readArea(kTestData + u'/' + file, {}, c.range);
            EXPECT_EQ(area.sheetName, QStringLiteral("格式"));
            EXPECT_EQ(area.selectionText, c.text)
                << file.toStdString() << " " << c.range.toStdString();
        }
        // A hidden sheet reads by its name; a sheet that starts lower down gives its used area.
        EXPECT_EQ(
            readArea(kTestData + u'/' + file, QStringLiteral("隐藏"), u"A1:B1"_qs).selectionText,
            QStringLiteral("隐藏的表\t42\r\n"));
        const AreaText lower = readArea(kTestData + u'/' + file, QStringLiteral("下移"), {});
        EXPECT_EQ(lower.range, u"$C$5:$D$9"_qs);
        EXPECT_TRUE(
            lower.selectionText.startsWith(QStringLiteral("日期\t金额\r\n2024-01-06\t502.50\r\n")))
            << file.toStdString();
    }
    // Dates of a workbook counting from 1904 keep their day; plain numbers keep their value.
    EXPECT_EQ(readArea(kTestData + u"/dates1904.xls"_qs, {}, {}).selectionText,
              u"1904-01-01\t0\r\n1904-01-02\t1\r\n1905-01-01\t366\r\n2023-01-02\t43466\r\n"
              "2023-01-02\t43466.5\r\n"_qs);
}

// A hand-made legacy workbook: shared strings that change width across a CONTINUE record, the
// workbook's own number format, integers packed as RK values, a formula's text result in the
// STRING record after it, and a cell hidden under a merge.
TEST_F(WorkbookFiles, LegacyRecordsOfEveryCellKind) {
    const QByteArray sst =
        biffRecord(0x00FC, le32(2) + le32(2) + le16(2) + QByteArray(1, '\0') + "ab" + le16(4) +
                               QByteArray(1, '\0') + "Ra") +
        biffRecord(0x003C, QByteArray(1, '\x01') + QByteArray("\x36\x65\x65\x51", 4));  // 收入
    const QByteArray format =
        biffRecord(0x041E, le16(164) + le16(8) + QByteArray(1, '\0') + "#,##0.00");
    QByteArray formatXf(20, '\0');
    qToLittleEndian<quint16>(164, formatXf.data() + 2);
    const QByteArray globals = format + biffRecord(0x00E0, formatXf) + sst;

    double amount = 1234.5;
    QByteArray amountBytes(8, '\0');
    qToLittleEndian(amount, amountBytes.data());
    QByteArray stringResult(8, '\0');
    stringResult[6] = '\xFF';
    stringResult[7] = '\xFF';
    const QByteArray sheet =
        biffRecord(0x00FD, cellHead(0, 0, 1) + le32(1)) +              // A1: "Ra收入"
        biffRecord(0x0203, cellHead(0, 1, 0) + amountBytes) +          // B1: 1,234.50
        biffRecord(0x027E, cellHead(1, 0, 1) + le32((7u << 2) | 2)) +  // A2: 7
        biffRecord(0x00BD, le16(1) + le16(1) + le16(1) + le32((5u << 2) | 3) + le16(0) +
                               le32((-3u << 2) | 2) + le16(2)) +  // B2: 0.05, C2: -3.00
        biffRecord(0x0006, cellHead(2, 0, 1) + stringResult + QByteArray(6, '\0')) +
        biffRecord(0x0207, le16(2) + QByteArray(1, '\0') + "ok") +           // A3: "ok"
        biffRecord(0x0205, cellHead(2, 1, 1) + QByteArray("\x01\x00", 2)) +  // B3, under A3's merge
        biffRecord(0x0205, cellHead(2, 2, 1) + QByteArray("\x07\x01", 2)) +  // C3: #DIV/0!
        biffRecord(0x00E5, le16(1) + le16(2) + le16(2) + le16(0) + le16(1));
    const QString path =
        write(u"bank.xls"_qs, compoundFile({{u"Workbook"_qs, biff8Workbook(globals, sheet)}}));
    const AreaText area = readArea(path, {}, {});
    EXPECT_EQ(area.sheetName, u"Sheet1"_qs);
    EXPECT_EQ(area.range, u"$A$1:$C$3"_qs);
    EXPECT_EQ(area.selectionText,
              QStringLiteral("Ra收入\t1,234.50\t\r\n7\t0.05\t-3.00\r\nok\t\t#DIV/0!\r\n"));
}

// Files are what their bytes say, whatever their names; what cannot be read says what it is.
TEST_F(WorkbookFiles, ContainersAreRecognisedByContent) {
    const QByteArray plain = biff8Workbook({}, biffRecord(0x00FD, cellHead(0, 0, 0) + le32(0)));
    const QByteArray filePass = biffRecord(0x002F, QByteArray(54, '\x01'));
    QByteArray biff5 = plain;
    biff5[4] = 0x00;
    biff5[5] = 0x05;
    struct Case {
        QString name;
        QByteArray bytes;
        QString message;
    };
    const Case cases[] = {
        {u"secret.xlsx"_qs,
         compoundFile({{u"EncryptionInfo"_qs, QByteArray(64, '\x04')},
                       {u"EncryptedPackage"_qs, QByteArray(600, '\x55')}}),
         QStringLiteral("工作簿受密码保护，请先在电子表格中取消密码后再试")},
        {u"secret.xls"_qs, compoundFile({{u"Workbook"_qs, biff8Workbook(filePass, {})}}),
         QStringLiteral("工作簿受密码保护，请先在电子表格中取消密码后再试")},
        {u"old.xls"_qs, compoundFile({{u"Book"_qs, biff5}}), QStringLiteral("Excel 5.0/95 工作簿")},
        {u"old5.xls"_qs, compoundFile({{u"Workbook"_qs, biff5}}),
         QStringLiteral("Excel 5.0/95 工作簿")},
        {u"letter.xls"_qs, compoundFile({{u"WordDocument"_qs, QByteArray(700, 'w')}}),
         QStringLiteral("Word 97-2003 文档")},
        {u"other.xls"_qs, compoundFile({{u"Contents"_qs, QByteArray(10, 'c')}}),
         QStringLiteral("不含工作簿的 OLE 复合文档")},
        {u"broken.xls"_qs,
         QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\xFF'),
         QStringLiteral("OLE 复合文档已损坏")},
        {u"ancient.xls"_qs,
         QByteArray("\x09\x04\x06\x00\x00\x00\x10\x00", 8) + QByteArray(64, '\0'),
         QStringLiteral("早期版本")},
        {u"scan.xls"_qs, "%PDF-1.4\n", QStringLiteral("PDF 文件")},
        {u"image.csv"_qs, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         QStringLiteral("不是文本文件")},
        {u"invalid.csv"_qs, "a,b\n\x80\xFF,\xFE\n", QStringLiteral("不是文本文件")},
        {u"book.pdf"_qs, "a,b\n",
         QStringLiteral("只支持 .xlsx、.xls、.ods、.csv、.tsv 和 .txt 文件")},
    };
    for (const Case& c : cases) {
        const QString message = refusal(write(c.name, c.bytes));
        EXPECT_TRUE(message.contains(c.message))
            << c.name.toStdString() << ": " << message.toStdString();
    }
    // The same legacy workbook named as a text file reads as the workbook it is.
    EXPECT_EQ(refusal(write(u"plain.csv"_qs, compoundFile({{u"Workbook"_qs, plain}}))),
              u"accepted"_qs);
}

TEST_F(WorkbookFiles, TextInEverySupportedEncodingReadsTheSame) {
    const QString text = QStringLiteral("日期\t摘要\t金额\r\n2024-01-05\t收利息\t1,286.43\r\n");
    const QString expected = QStringLiteral("2024-01-05\t收利息\t1,286.43\r\n");
    const auto encoded = [&](const char* encoding) {
        QStringEncoder encoder(encoding);
        QByteArray bytes = encoder.encode(text);
        return bytes;
    };
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"utf8.txt", encoded("UTF-8")},
        {"utf8bom.txt", "\xEF\xBB\xBF" + encoded("UTF-8")},
        {"utf16le.txt", "\xFF\xFE" + encoded("UTF-16LE")},
        {"utf16be.txt", "\xFE\xFF" + encoded("UTF-16BE")},
        {"utf16nomark.txt", encoded("UTF-16LE")},
        {"utf16benomark.txt", encoded("UTF-16BE")},
        {"gb18030.txt", encoded("GB18030")},
        // Online banking exports TAB-separated text under a workbook's name.
        {"statement.xls", encoded("GB18030")},
    };
    for (const auto& c : cases) {
        const AreaText area =
            readArea(write(QString::fromLatin1(c.name), c.bytes), {}, u"A2:C2"_qs);
        EXPECT_EQ(area.selectionText, expected) << c.name;
    }
    // Without a range, the area starts at the first row that holds something.
    const AreaText used = readArea(write(u"gap.csv"_qs, ",,\n\n,a,b\n,,c,\n\n"), {}, {});
    EXPECT_EQ(used.range, u"$B$3:$C$4"_qs);
    EXPECT_EQ(used.selectionText, u"a\tb\r\n\tc\r\n"_qs);
    EXPECT_TRUE(refusal(write(u"blank.csv"_qs, ",,\n\n"), {}).contains(QStringLiteral("没有内容")));
}

// An HTML page saved as a workbook, as banks send statements: its encoding as its head declares
// it, spans as merged cells, entities, line breaks and the page's own white space.
TEST_F(WorkbookFiles, HtmlTablesReadAsTheirCells) {
    const QString page = QStringLiteral(
        "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=gb2312\">"
        "<style>td { mso-number-format:'\\@'; }</style></head><body>\n"
        "<table border=1><tr><td colspan=3>中国银行 交易明细</td></tr>\n"
        "<tr><th>日期</th><th>摘要</th><th>金额</th></tr>\n"
        "<tr><td rowspan=2>2024-01-05</td><td>收&nbsp;利息 &amp; "
        "手续费</td><td>1,286.43</td></tr>\n"
        "<tr><td>两行<br>摘要</td><td>  -20.00 </td></tr>\n"
        "<!-- <tr><td>注释</td></tr> -->"
        "<tr><td>6222020200112233445</td><td></td><td>&#165;5</td></tr></table></body></html>");
    QStringEncoder gb18030("GB18030");
    const QByteArray bytes = gb18030.encode(page);
    const QString path = write(u"statement.xls"_qs, bytes);
    const AreaText area = readArea(path, {}, {});
    EXPECT_EQ(area.sheetName, u"statement"_qs);
    EXPECT_EQ(area.range, u"$A$1:$C$5"_qs);
    EXPECT_EQ(area.selectionText,
              QStringLiteral("中国银行 交易明细\t\t\r\n日期\t摘要\t金额\r\n"
                             "2024-01-05\t收 利息 & 手续费\t1,286.43\r\n"
                             "\t两行 摘要\t-20.00\r\n6222020200112233445\t\t¥5\r\n"));
}

// Rows and cells an OpenDocument file repeats are expanded inside the area only: a million
// repeated rows cost what the area holds.
TEST(OdsRepeats, RepeatedRowsAndCellsCostOnlyTheArea) {
    const QByteArray content =
        "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" xmlns:text=\"x\">"
        "<office:body><office:spreadsheet><table:table table:name=\"流水\">"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>摘要</text:p>"
        "</table:table-cell><table:table-cell table:number-columns-repeated=\"2\"/>"
        "<table:table-cell office:value-type=\"float\" office:value=\"3\"><text:p>3.00</text:p>"
        "</table:table-cell></table:table-row>"
        "<table:table-row-group><table:table-row table:number-rows-repeated=\"1000000\">"
        "<table:table-cell table:number-columns-repeated=\"2\"><text:p>x<text:s text:c=\"2\"/>y"
        "</text:p></table:table-cell></table:table-row></table:table-row-group>"
        "<table:table-row table:number-rows-repeated=\"48575\"><table:table-cell "
        "table:number-columns-repeated=\"16384\"/></table:table-row>"
        "</table:table></office:spreadsheet></office:body></office:document-content>";
    const auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<OdsBook> book = OdsBook::fromContent(content);
    ASSERT_EQ(book->sheetNames(), QStringList{QStringLiteral("流水")});
    const SheetSource sheet = book->source(0);
    EXPECT_EQ(usedArea(sheet), (host::CellRect{1, 1, 1000001, 4}));
    const host::CellRect block{1000000, 1, 1000002, 3};
    SheetBlock cells(sheet, block);
    QString text;
    for (int row = block.top; row <= block.bottom; ++row)
        for (int column = block.left; column <= block.right; ++column) {
            cells.appendCell(row, column, text);
            text.append(u'|');
        }
    EXPECT_EQ(text, u"x  y|x  y||x  y|x  y|||||"_qs);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// A hidden first sheet is not the default one, as the spreadsheet opens on a shown sheet.
TEST(OdsSheets, TheFirstShownSheetIsTheDefault) {
    const auto book = OdsBook::fromContent(
        "<office:document-content><office:automatic-styles>"
        "<style:style style:name=\"ta1\"><style:table-properties table:display=\"true\"/>"
        "</style:style><style:style style:name=\"ta2\"><style:table-properties "
        "table:display=\"false\"/></style:style></office:automatic-styles><office:body>"
        "<office:spreadsheet><table:table table:name=\"隐藏\" table:style-name=\"ta2\"/>"
        "<table:table table:name=\"明细\" table:style-name=\"ta1\"/></office:spreadsheet>"
        "</office:body></office:document-content>");
    EXPECT_EQ(book->firstShownSheet(), 1);
}

}  // namespace
}  // namespace tallimo::area
