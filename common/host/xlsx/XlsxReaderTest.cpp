#include "MemoryHost.h"
#include "TestZip.h"
#include "Xlsx.h"
#include "XlsxCommon.h"
#include "XlsxTestBook.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <random>

namespace tallimo::host {
namespace {

using xlsx::test::minimalWorkbook;
using xlsx::test::Parts;
using xlsx::test::writeZip;

Parts without(Parts parts, const QString& name) {
    std::erase_if(parts, [&](const auto& p) { return p.first == name; });
    return parts;
}

Parts withStylesPart(Parts parts, const QByteArray& styles) {
    parts[3].second.replace(
        "</Relationships>",
        "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/></Relationships>");
    parts.emplace_back("xl/styles.xml", styles);
    return parts;
}

struct BadCase {
    const char* name;
    std::function<void(const QString& path)> make;
    const char* reason;  // a piece of the message
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << c.name;
}

void writeText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const BadCase kBadCases[] = {
    {"NotAZip", [](const QString& p) { writeText(p, "plain text, not a workbook"); }, "ZIP"},
    {"Missing", [](const QString&) {}, "ZIP"},
    {"TruncatedZip",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
         QFile f(p);
         f.open(QIODevice::ReadWrite);
         f.resize(f.size() / 2);
     },
     "ZIP"},
    {"BrokenSheetXml",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></row>"));
     },
     "XML"},
    {"MissingWorkbookPart",
     [](const QString& p) { writeZip(p, without(minimalWorkbook({}), "xl/workbook.xml")); },
     "缺少工作簿部件"},
    {"MissingSheetPart",
     [](const QString& p) {
         writeZip(p, without(minimalWorkbook({}), "xl/worksheets/sheet1.xml"));
     },
     "缺少工作表部件"},
    {"NoSheets",
     [](const QString& p) {
         Parts parts = minimalWorkbook({});
         parts[2].second = "<workbook><sheets/></workbook>";
         writeZip(p, parts);
     },
     "没有工作表"},
    {"DeclaredSizeOverCap",
     [](const QString& p) {
         writeZip(p, minimalWorkbook({}));
         xlsx::test::forgeUncompressedSizes(p, 0xC0000000u);
     },
     "超过上限"},
    {"StylesPastTheWholePartCap",
     [](const QString& p) {
         writeZip(p, withStylesPart(minimalWorkbook({}), "<styleSheet/>"));
         xlsx::test::forgeUncompressedSizes(p, 0x3FFFFFFF, "xl/styles.xml");
     },
     "xl/styles.xml"},
    {"DataLongerThanDeclared",
     [](const QString& p) {
         writeZip(p, minimalWorkbook({}));
         xlsx::test::forgeUncompressedSizes(p, 12);
     },
     ""},
    {"BillionRows",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1000000000\"><c><v>1</v></c></row>"));
     },
     "超出"},
    {"CellBeyondLastRow",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row><c r=\"A1048577\"><v>1</v></c></row>"));
     },
     "超出"},
    {"ColumnBeyondXfd",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"));
     },
     "XFD"},
    {"DimensionBeyondGrid",
     [](const QString& p) { writeZip(p, minimalWorkbook({}, "<dimension ref=\"A1:J2000000\"/>")); },
     "超出"},
    {"MergeBeyondGrid",
     [](const QString& p) {
         writeZip(p,
                  minimalWorkbook({}, {}, "<mergeCells><mergeCell ref=\"A1:XFE2\"/></mergeCells>"));
     },
     "超出"},
    {"SharedStringMissing",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"));
     },
     "共享字符串"},
    {"NumberNotANumber",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>"));
     },
     "数值"},
    // Readers taking the first of two parts of one name and those taking the last would see
    // two different workbooks.
    {"DuplicatePartName",
     [](const QString& p) {
         Parts parts = minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
         parts.emplace_back("xl/worksheets/sheet9.xml",
                            xlsx::test::sheetPart("<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"));
         writeZip(p, parts);
         xlsx::test::renameEntry(p, "xl/worksheets/sheet9.xml", "xl/worksheets/sheet1.xml");
     },
     "两个名为 xl/worksheets/sheet1.xml 的部件"},
    {"DuplicatePartNameInOtherCase",
     [](const QString& p) {
         Parts parts = minimalWorkbook({});
         parts.emplace_back("XL/Worksheets/Sheet1.xml", parts[4].second);
         writeZip(p, parts);
     },
     "XL/Worksheets/Sheet1.xml"},
    {"CellNameGarbage",
     [](const QString& p) {
         writeZip(p, minimalWorkbook("<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>"));
     },
     "单元格地址"},
};

class BadInput : public testing::TestWithParam<BadCase> {};

TEST_P(BadInput, RaisesHostErrorNamingFileAndReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.xlsx"));
    GetParam().make(path);
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    try {
        readXlsx(*host, book, path);
        FAIL() << "no error for " << GetParam().name;
    } catch (const HostError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().reason)))
            << e.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BadInput, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Damaged parts of a real workbook, cut, spliced and sprinkled with markup characters: every
// one either opens or raises a host error; nothing else escapes and nothing crashes.
TEST(XlsxReaderDamage, DamagedPartsOpenOrRaiseHostError) {
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("report.xlsx"));
    auto host = makeMemoryHost();
    writeXlsx(*host, xlsx::test::buildReportBook(*host), original);
    const Parts parts = xlsx::test::readZip(original);
    std::mt19937 random(20261210);
    const QByteArray alphabet = "<>/\"'&=:;#$0123456789AXFD_x \n";
    const QString damaged = dir.filePath(QStringLiteral("damaged.xlsx"));
    int opened = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        Parts copy = parts;
        QByteArray& data = copy[random() % copy.size()].second;
        if (data.isEmpty()) continue;
        const qsizetype at = qsizetype(random() % data.size());
        switch (random() % 3) {
            case 0:
                for (int i = 0; i < 4; ++i)
                    data[qsizetype(random() % data.size())] = alphabet[random() % alphabet.size()];
                break;
            case 1:
                data.remove(at, qsizetype(random() % 64) + 1);
                break;
            default:
                data.insert(at, data.mid(qsizetype(random() % data.size()), 40));
                break;
        }
        writeZip(damaged, copy);
        try {
            readXlsx(*host, host->addWorkbook(), damaged);
            ++opened;
        } catch (const HostError& e) {
            EXPECT_TRUE(e.message().contains(damaged)) << e.message().toStdString();
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(opened, 0);
}

// Forms that other writers use and that the reader must take.
TEST(XlsxReaderForms, InlineStringsPrefixesEscapesAndMissingReferences) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("forms.xlsx"));
    Parts parts = minimalWorkbook({});
    parts[4].second =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData>"
        "<x:row><x:c t=\"inlineStr\"><x:is><x:t>one_x000D_two</x:t></x:is></x:c>"
        "<x:c t=\"b\"><x:v>1</x:v></x:c><x:c t=\"e\"><x:v>#N/A</x:v></x:c></x:row>"
        "<x:row r=\"3\"><x:c r=\"C3\" t=\"inlineStr\"><x:is><x:r><x:t>a&amp;</x:t></x:r>"
        "<x:r><x:t xml:space=\"preserve\"> b</x:t></x:r></x:is></x:c>"
        "<x:c><x:v> 2.5e3 </x:v></x:c></x:row>"
        "</x:sheetData></x:worksheet>";
    writeZip(path, parts);
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    ASSERT_EQ(host->sheetCount(book), 1);
    const SheetId sheet = host->sheetAt(book, 1);
    EXPECT_EQ(host->sheetName(sheet), QStringLiteral("Data"));
    EXPECT_EQ(host->value(sheet, 1, 1), CellValue::fromText(QStringLiteral("one\rtwo")));
    EXPECT_EQ(host->value(sheet, 1, 2), CellValue::fromBool(true));
    EXPECT_EQ(host->value(sheet, 1, 3), CellValue::fromError(QStringLiteral("#N/A")));
    EXPECT_EQ(host->value(sheet, 3, 3), CellValue::fromText(QStringLiteral("a& b")));
    EXPECT_EQ(host->value(sheet, 3, 4), CellValue::fromNumber(2500));
}

// Files saved by spreadsheet programs write a formula copied down a column once and let the
// other cells refer to it; each cell gets the formula moved to its own place.
TEST(XlsxReaderForms, SharedFormulasAreMovedToEachCell) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.xlsx"));
    writeZip(path,
             minimalWorkbook("<row r=\"2\"><c r=\"C2\"><f t=\"shared\" ref=\"C2:D4\" si=\"0\">"
                             "A2*$B$1+SUM(A$2:B2)&amp;\"A1\"&amp;Data!B2</f><v>1</v></c>"
                             "<c r=\"D2\"><f t=\"shared\" si=\"0\"/><v>2</v></c></row>"
                             "<row r=\"4\"><c r=\"C4\"><f t=\"shared\" si=\"0\"/><v>3</v></c>"
                             "<c r=\"E4\" t=\"str\"><f>1/0</f><v>#DIV/0!</v></c>"
                             "<c r=\"F4\"><f t=\"shared\" si=\"7\"/><v>5</v></c></row>"));
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    const SheetId sheet = host->sheetAt(book, 1);
    EXPECT_EQ(host->formulaA1(sheet, 2, 3), QStringLiteral("=A2*$B$1+SUM(A$2:B2)&\"A1\"&Data!B2"));
    EXPECT_EQ(host->formulaA1(sheet, 2, 4), QStringLiteral("=B2*$B$1+SUM(B$2:C2)&\"A1\"&Data!C2"));
    EXPECT_EQ(host->formulaA1(sheet, 4, 3), QStringLiteral("=A4*$B$1+SUM(A$2:B4)&\"A1\"&Data!B4"));
    EXPECT_EQ(host->value(sheet, 4, 5), CellValue::fromError(QStringLiteral("#DIV/0!")));
    // A shared formula whose first cell is missing leaves the cached value.
    EXPECT_FALSE(host->formulaA1(sheet, 4, 6).startsWith(u'='));
    EXPECT_EQ(host->value(sheet, 4, 6), CellValue::fromNumber(5));
}

QString readBackPath(const Parts& parts, const char* name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    writeZip(path, parts);
    return path;
}

// What writers other than the spreadsheet program put in cells: empty values, lower-case
// references, CDATA, ISO dates and formulas saved without their results.
TEST(XlsxReaderForms, CellFormsOfOtherWriters) {
    const QString path = readBackPath(
        minimalWorkbook(
            "<row r=\"1\"><c r=\"a1\"><v>5</v></c><c r=\"b1\"><v></v></c><c r=\"C1\" "
            "t=\"s\"><v/></c>"
            "<c r=\"D1\"><f>A1*2</f><v></v></c><c r=\"E1\" t=\"b\"><v/></c>"
            "<c r=\"F1\"><f>VLOOKUP(A1,B1:C9,2)</f></c>"
            "<c r=\"G1\" t=\"inlineStr\"><is><t><![CDATA[a<b & c]]></t></is></c>"
            "<c r=\"H1\" t=\"str\"><f>LEFT(A1,0)&amp;\"\"</f><v></v></c>"
            "<c r=\"I1\" t=\"inlineStr\"><is><t>x<![CDATA[<y>]]>z</t></is></c>"
            "<c r=\"J1\" t=\"str\"><f>A1*3</f><v></v></c><c r=\"K1\" t=\"str\"><f>B1</f><v/></c>"
            "</row>"
            "<row r=\"2\"><c r=\"A2\" t=\"d\"><v>2024-03-15</v></c>"
            "<c r=\"B2\" t=\"d\"><v>2024-03-15T18:00:00</v></c>"
            "<c r=\"C2\" t=\"d\"><v>1900-02-28</v></c><c r=\"D2\" t=\"d\"><v>1900-03-01</v></c>"
            "<c r=\"E2\" t=\"d\"><v>1899-12-30T06:00:00</v></c><c r=\"F2\" t=\"d\"><v>10:30</v></c>"
            "<c r=\"G2\" t=\"d\"><v>2024-03-15T00:00:00.000Z</v></c>"
            "<c r=\"H2\" t=\"d\"><v>not a date</v></c><c r=\"I2\" t=\"d\"><v/></c>"
            "<c r=\"J2\" t=\"d\"><v>2024-02-30</v></c><c r=\"K2\" "
            "t=\"d\"><v>12:00:30.5+08:00</v></c>"
            "</row>"
            // The sheet's last cell, so no later change makes it look stale: computed only
            // because it has no value of its own.
            "<row r=\"3\"><c r=\"A3\"><f>SUM(A1,D1)</f></c></row>",
            "<dimension ref=\"1:4\"/>"),
        "forms.xlsx");
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    const SheetId sheet = host->sheetAt(book, 1);
    const struct {
        int row, column;
        CellValue value;
    } cases[] = {
        {1, 1, CellValue::fromNumber(5)},
        {1, 2, {}},
        {1, 3, {}},
        {1, 4, CellValue::fromNumber(10)},
        {1, 5, {}},
        {1, 6, {}},
        {1, 7, CellValue::fromText(QStringLiteral("a<b & c"))},
        {1, 8, CellValue::fromText(QString())},
        {1, 9, CellValue::fromText(QStringLiteral("x<y>z"))},
        // A supported formula's empty cached text is a writer's blank, computed anew.
        {1, 10, CellValue::fromNumber(15)},
        {1, 11, CellValue::fromNumber(0)},
        {2, 1, CellValue::fromNumber(45366)},
        {2, 2, CellValue::fromNumber(45366.75)},
        {2, 3, CellValue::fromNumber(59)},
        {2, 4, CellValue::fromNumber(61)},
        {2, 5, CellValue::fromNumber(0.25)},
        {2, 6, CellValue::fromNumber(0.4375)},
        {2, 7, CellValue::fromNumber(45366)},
        {2, 8, CellValue::fromText(QStringLiteral("not a date"))},
        {2, 9, {}},
        {2, 10, CellValue::fromText(QStringLiteral("2024-02-30"))},
        {2, 11, CellValue::fromNumber((12 * 3600 + 30.5) / 86400)},
        {3, 1, CellValue::fromNumber(15)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host->value(sheet, c.row, c.column), c.value)
            << xlsx::cellName(c.row, c.column).toStdString();
    EXPECT_EQ(host->formulaA1(sheet, 1, 6), QStringLiteral("=VLOOKUP(A1,B1:C9,2)"));
}

// The dimension is a hint; forms that name no block of cells do not refuse the file.
TEST(XlsxReaderForms, DimensionFormsThatNameNoCellBlock) {
    for (const char* ref : {"1:4", "A:C", "", "a1:c4", "$A$1:$C$4", "A1:", "XFD1048576"}) {
        const QString path =
            readBackPath(minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>",
                                         "<dimension ref=\"" + QByteArray(ref) + "\"/>"),
                         "dimension.xlsx");
        auto host = makeMemoryHost();
        const BookId book = host->addWorkbook();
        ASSERT_NO_THROW(readXlsx(*host, book, path)) << ref;
        EXPECT_EQ(host->value(host->sheetAt(book, 1), 1, 1), CellValue::fromNumber(1)) << ref;
    }
}

// Other writers keep a selection per pane; the one of the pane the user works in counts.
TEST(XlsxReaderForms, SelectionOfTheActivePaneIsRead) {
    struct Case {
        const char* what;
        QByteArray views;
        QList<CellRect> selection;
    };
    const Case cases[] = {
        {"list of ranges",
         "<selection activeCell=\"B2\" sqref=\"B2:B9 e2:e9  H5\"/>",
         {parseA1("B2:B9"), parseA1("E2:E9"), parseA1("H5")}},
        {"active pane of three",
         "<pane xSplit=\"1\" ySplit=\"5\" activePane=\"bottomRight\" state=\"frozen\"/>"
         "<selection pane=\"topRight\" activeCell=\"C1\" sqref=\"C1\"/>"
         "<selection pane=\"bottomRight\" activeCell=\"C7\" sqref=\"C7:D8\"/>"
         "<selection pane=\"bottomLeft\" activeCell=\"A6\" sqref=\"A6\"/>",
         {parseA1("C7:D8")}},
        {"active cell only", "<selection activeCell=\"D4\"/>", {parseA1("D4")}},
        {"not a range list", "<selection sqref=\"B2:\"/>", {parseA1("A1")}},
        {"none", "", {parseA1("A1")}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("views.xlsx"));
        writeZip(path, minimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>",
                                       "<sheetViews><sheetView workbookViewId=\"0\">" + c.views +
                                           "</sheetView></sheetViews>"));
        auto host = makeMemoryHost();
        const BookId book = host->addWorkbook();
        readXlsx(*host, book, path);
        EXPECT_EQ(host->selection(host->sheetAt(book, 1)), c.selection) << c.what;
    }
}

// Sizes beyond what spreadsheet programs allow open at those limits instead of failing.
TEST(XlsxReaderForms, OversizedLayoutOpensAtTheLimits) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.xlsx"));
    writeZip(path, minimalWorkbook("<row r=\"2\" ht=\"5000\" customHeight=\"1\"/>",
                                   "<cols><col min=\"2\" max=\"20000\" width=\"9999\" "
                                   "customWidth=\"1\"/></cols>"));
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    const SheetId sheet = host->sheetAt(book, 1);
    EXPECT_EQ(host->rowHeight(sheet, 2), 409);
    EXPECT_EQ(host->columnWidth(sheet, 2), 255);
    EXPECT_EQ(host->columnWidth(sheet, kMaxColumns), 255);
}

// A workbook with a styles part: custom number formats and the cell formats using them.
Parts withStyles(Parts parts, const char* numFmts, const char* cellXfs) {
    parts[3].second.replace(
        "</Relationships>",
        "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/></Relationships>");
    parts.emplace_back("xl/styles.xml",
                       QByteArray("<styleSheet><numFmts>") + numFmts +
                           "</numFmts><fonts><font><sz val=\"11\"/><name val=\"Calibri\"/>"
                           "</font></fonts><cellXfs>" +
                           cellXfs + "</cellXfs></styleSheet>");
    return parts;
}

// Old Macintosh workbooks count dates from 1904; their dates arrive as the same days, numbers
// without a date format stay as they are, and so do durations, which no date system moves.
TEST(XlsxReaderForms, DatesOf1904WorkbooksKeepTheirDay) {
    Parts parts = withStyles(
        minimalWorkbook("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>43904</v></c>"
                        "<c r=\"B1\" s=\"2\"><v>43904</v></c>"
                        "<c r=\"C1\"><v>43904</v></c>"
                        "<c r=\"D1\" s=\"3\"><v>1.5</v></c>"
                        "<c r=\"E1\" s=\"4\"><v>0.75</v></c>"
                        // An ISO date names its day whatever the book counts from.
                        "<c r=\"F1\" s=\"1\" t=\"d\"><v>2024-03-15</v></c></row>"),
        "<numFmt numFmtId=\"164\" formatCode=\"&quot;Day &quot;#,##0\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"[h]:mm\"/>",
        "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/>"
        "<xf numFmtId=\"20\"/>");
    parts[2].second.replace("<sheets>", "<workbookPr date1904=\"1\"/><sheets>");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mac.xlsx"));
    writeZip(path, parts);
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    const SheetId sheet = host->sheetAt(book, 1);
    EXPECT_EQ(host->value(sheet, 1, 1), CellValue::fromNumber(43904 + 1462));  // 2024-03-15
    EXPECT_EQ(host->displayText(sheet, 1, 1), u"2024/3/15"_qs);
    EXPECT_EQ(host->value(sheet, 1, 2), CellValue::fromNumber(43904));  // "Day " is quoted text
    EXPECT_EQ(host->value(sheet, 1, 3), CellValue::fromNumber(43904));
    EXPECT_EQ(host->displayText(sheet, 1, 4), u"36:00"_qs);
    EXPECT_EQ(host->displayText(sheet, 1, 5), u"18:00"_qs);
    EXPECT_EQ(host->value(sheet, 1, 6), CellValue::fromNumber(45366));
}

// Texts show through the text section of their cell's format; numbers through the others.
TEST(XlsxReaderForms, TextCellsShowThroughTheTextSection) {
    Parts parts = withStyles(
        minimalWorkbook("<row r=\"1\"><c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>A-7</t></is></c>"
                        "<c r=\"B1\" s=\"1\"><v>-3</v></c>"
                        "<c r=\"C1\" s=\"2\" t=\"inlineStr\"><is><t>备注</t></is></c>"
                        "<c r=\"D1\" s=\"3\" t=\"inlineStr\"><is><t>plain</t></is></c></row>"),
        "<numFmt numFmtId=\"164\" formatCode=\"0;(0);&quot;-&quot;;&quot;No. &quot;@\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"0.00\"/>",
        "<xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"44\"/><xf numFmtId=\"165\"/>");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("text.xlsx"));
    writeZip(path, parts);
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    const SheetId sheet = host->sheetAt(book, 1);
    EXPECT_EQ(host->displayText(sheet, 1, 1), u"No. A-7"_qs);
    EXPECT_EQ(host->displayText(sheet, 1, 2), u"(3)"_qs);
    EXPECT_EQ(host->displayText(sheet, 1, 3), u" 备注 "_qs);
    EXPECT_EQ(host->displayText(sheet, 1, 4), u"plain"_qs);
}

// Cell data is parsed a few megabytes at a time; rows on both sides of every cut must arrive.
TEST(XlsxReaderForms, LargeSheetArrivesWhole) {
    constexpr int kRows = 300000;
    QByteArray data;
    data.reserve(kRows * 60);
    for (int r = 1; r <= kRows; ++r)
        data += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                "\"><v>" + QByteArray::number(r) + "</v></c><c r=\"B" + QByteArray::number(r) +
                "\" t=\"inlineStr\"><is><t>r" + QByteArray::number(r) + "</t></is></c></row>";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.xlsx"));
    writeZip(path, minimalWorkbook(data));
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, path);
    const SheetId sheet = host->sheetAt(book, 1);
    EXPECT_EQ(host->usedRange(sheet), (CellRect{1, 1, kRows, 2}));
    for (int r = 1; r <= kRows; ++r) {
        ASSERT_EQ(host->value(sheet, r, 1), CellValue::fromNumber(r)) << r;
        ASSERT_EQ(host->value(sheet, r, 2), CellValue::fromText(QStringLiteral("r%1").arg(r)));
    }
}

// A circle of formulas shows the values the file holds, whatever order the cells come in; one
// without a value shows the circular-reference error, which is saved as the formula alone, so
// that the file carries no error value it has no code for and reads back the same.
TEST(XlsxReaderForms, CirclesShowTheValuesTheFileHolds) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("circle.xlsx"));
    writeZip(path, minimalWorkbook("<row r=\"1\"><c r=\"A1\"><f>A2+1</f><v>5</v></c>"
                                   "<c r=\"B1\"><f>A1+A2</f><v>0</v></c></row>"
                                   "<row r=\"2\"><c r=\"A2\"><f>A1+1</f><v>6</v></c></row>"
                                   "<row r=\"3\"><c r=\"A3\"><f>A3*2</f></c></row>"));
    auto host = makeMemoryHost();
    const auto expectValues = [&](const QString& file) {
        const BookId book = host->addWorkbook();
        readXlsx(*host, book, file);
        const SheetId sheet = host->sheetAt(book, 1);
        EXPECT_EQ(host->value(sheet, 2, 1), CellValue::fromNumber(6));
        EXPECT_EQ(host->value(sheet, 1, 1), CellValue::fromNumber(5));
        EXPECT_EQ(host->value(sheet, 1, 2), CellValue::fromNumber(11));
        EXPECT_EQ(host->displayText(sheet, 3, 1), u"Err:522"_qs);
        return book;
    };
    const BookId book = expectValues(path);
    const QString saved = dir.filePath(QStringLiteral("saved.xlsx"));
    writeXlsx(*host, book, saved);
    for (const auto& [name, data] : xlsx::test::readZip(saved))
        if (name == u"xl/worksheets/sheet1.xml") {
            EXPECT_TRUE(data.contains("<row><c><f>A3*2</f></c></row>")) << data.toStdString();
        }
    expectValues(saved);
}

}  // namespace
}  // namespace tallimo::host
