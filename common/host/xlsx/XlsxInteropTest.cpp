#include "MemoryHost.h"
#include "TestZip.h"
#include "Xlsx.h"
#include "XlsxTestBook.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <optional>

namespace tallimo::host {
namespace {

const QString kTestData = QStringLiteral(TALLIMO_XLSX_TESTDATA);

// The system's Python, which carries the distribution's openpyxl.
const QString kPython = QStringLiteral("/usr/bin/python3");

QJsonObject describeWithOpenpyxl(const QString& path) {
    QProcess python;
    python.start(kPython, {kTestData + QStringLiteral("/describe_with_openpyxl.py"), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

TEST(XlsxInterop, OpenpyxlReadsWhatTheHostWrote) {
    if (!QFile::exists(kPython)) GTEST_SKIP() << "no system Python";
    auto host = makeMemoryHost();
    const BookId book = xlsx::test::buildReportBook(*host);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.xlsx"));
    writeXlsx(*host, book, path);

    const QJsonArray sheets = describeWithOpenpyxl(path)[u"sheets"].toArray();
    ASSERT_GE(sheets.size(), 2);
    const QJsonObject report = sheets[0].toObject();
    EXPECT_EQ(report[u"name"].toString(), QStringLiteral("1.(金额)比对报告√"));
    const QJsonObject cells = report[u"cells"].toObject();
    const auto cell = [&](const char* name) { return cells[QLatin1String(name)].toObject(); };

    EXPECT_EQ(cell("A1")[u"value"].toString(), QStringLiteral("数据比对报告"));
    EXPECT_EQ(cell("A1")[u"font"][u"name"].toString(), QStringLiteral("黑体"));
    EXPECT_EQ(cell("A1")[u"font"][u"size"].toDouble(), 20);
    EXPECT_TRUE(cell("A1")[u"font"][u"bold"].toBool());
    EXPECT_EQ(cell("A3")[u"value"].toString(), QString::fromUtf8(xlsx::test::kLegend));
    EXPECT_EQ(cell("A3")[u"fill"].toString(), QStringLiteral("FFC0C0C0"));
    EXPECT_EQ(cell("A6")[u"value"].toString(), QStringLiteral("00123"));
    EXPECT_EQ(cell("A6")[u"fill"].toString(), QStringLiteral("FFCCFFFF"));
    EXPECT_EQ(cell("B7")[u"fill"].toString(), QStringLiteral("FF0070C0"));
    EXPECT_EQ(cell("B7")[u"value"].toDouble(), -1234.5);
    EXPECT_TRUE(cell("C6")[u"value"].toBool());
    EXPECT_EQ(cell("B8")[u"formula"].toString(), QStringLiteral("=SUM(B6:B7)"));
    EXPECT_EQ(cell("B8")[u"value"].toDouble(), -1232.5);
    EXPECT_EQ(cell("A8")[u"value"].toString(), QStringLiteral("00123x"));
    EXPECT_EQ(cell("A8")[u"font"][u"color"].toString(), QStringLiteral("FFFF0000"));
    EXPECT_EQ(cell("D7")[u"value"].toString(), QStringLiteral("a & b < c"));
    EXPECT_EQ(cell("B6")[u"comment"].toString(), QStringLiteral("左行5"));
    EXPECT_EQ(cell("B7")[u"comment"].toString(), QStringLiteral("hidden note"));
    EXPECT_EQ(cell("E2")[u"comment"].toString(), QStringLiteral("on an empty cell"));

    QStringList merges;
    for (const auto& m : report[u"merges"].toArray())
        merges.append(m.toString());
    EXPECT_EQ(merges, (QStringList{QStringLiteral("A1:I1"), QStringLiteral("A3:I3"),
                                   QStringLiteral("A4:A5"), QStringLiteral("B4:D4")}));
    EXPECT_EQ(report[u"freeze"].toString(), QStringLiteral("A6"));
    EXPECT_EQ(report[u"tab"].toString(), QStringLiteral("FFFF0000"));
    EXPECT_FALSE(report[u"gridlines"].toBool());
    // Files keep widths with the cell padding: 22 characters are 159 pixels.
    EXPECT_NEAR(report[u"widths"][u"D"].toDouble(), 159.0 / 7, 0.01);
    EXPECT_TRUE(report[u"landscape"].toBool());
    EXPECT_EQ(report[u"fitToWidth"].toInt(), 1);
    EXPECT_TRUE(report[u"centered"].toBool());
    // openpyxl shows the footer as stored, with "&" doubled.
    EXPECT_EQ(report[u"footer"].toString(),
              QString::fromUtf8(xlsx::test::kFooter).replace(u'&', QStringLiteral("&&")));

    const QJsonObject second = sheets[1].toObject();
    EXPECT_EQ(second[u"name"].toString(), QStringLiteral("比对1"));
    EXPECT_EQ(second[u"cells"][u"C2"][u"value"].toDouble(), 0.1);
}

TEST(XlsxInterop, OpenpyxlFollowsLinksToPlacesInTheWorkbook) {
    if (!QFile::exists(kPython)) GTEST_SKIP() << "no system Python";
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId report = host->sheetAt(book, 1);
    host->setLiteral(report, 3, 2, CellValue::fromNumber(12));
    host->addHyperlink(report, 3, 2, QStringLiteral("'▲(F列_D列)源▲'!A12"));
    host->setLiteral(report, 4, 2, CellValue::fromText(QStringLiteral("第4行")));
    host->addHyperlink(report, 4, 2, QStringLiteral("'it''s \"x\" & y!'!B2"));
    host->addHyperlink(report, 5, 3, QStringLiteral("Sheet1!A1"));  // on an empty cell
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("links.xlsx"));
    writeXlsx(*host, book, path);

    const QJsonObject cells = describeWithOpenpyxl(path)[u"sheets"][0][u"cells"].toObject();
    const struct {
        const char* cell;
        QString location;
        std::optional<QJsonValue> value;  // openpyxl shows the place in a linked empty cell
    } expected[] = {
        {"B3", QStringLiteral("'▲(F列_D列)源▲'!A12"), 12.0},
        {"B4", QStringLiteral("'it''s \"x\" & y!'!B2"), QStringLiteral("第4行")},
        {"C5", QStringLiteral("Sheet1!A1"), std::nullopt},
    };
    for (const auto& e : expected) {
        const QJsonObject cell = cells[QLatin1String(e.cell)].toObject();
        EXPECT_EQ(cell[u"hyperlink"][u"location"].toString(), e.location) << e.cell;
        EXPECT_TRUE(cell[u"hyperlink"][u"target"].isNull()) << e.cell;  // not another file
        if (e.value) {
            EXPECT_EQ(cell[u"value"], *e.value) << e.cell;
        }
        EXPECT_FALSE(cell[u"font"][u"color"].isString()) << e.cell;  // no link colour forced
    }
}

// A balance statement's checks: readers that take the values the file holds, without computing,
// see the texts, truth values and errors the formulas gave, and the formulas come back as well.
TEST(XlsxInterop, FormulaResultsOfEveryKindAreHeldInTheFile) {
    if (!QFile::exists(kPython)) GTEST_SKIP() << "no system Python";
    const QString check =
        QStringLiteral("=IF(ROUND(B%1-D%1,2)=0,\"平衡\",\"不平衡，差额\"&TEXT(B%1-D%1,\"0.00\"))");
    const struct {
        const char* cell;
        QString formula;  // empty: a number
        double number;
        CellValue value;
    } cells[] = {
        {"B5", {}, 1000.10, {}},
        {"B6", {}, 250.20, {}},
        {"B7", {}, 49.97, {}},
        {"E12", {}, 1200.00, {}},
        {"E20", {}, 0.34, {}},
        {"B9", {}, 5, {}},
        {"B8", QStringLiteral("=B5+B6-B7"), 0, CellValue::fromNumber(1200.33)},
        {"D8", QStringLiteral("=SUM(E12:E20)"), 0, CellValue::fromNumber(1200.34)},
        {"D9", QStringLiteral("=ABS(-5)"), 0, CellValue::fromNumber(5)},
        {"C10", check.arg(8), 0, CellValue::fromText(QStringLiteral("不平衡，差额-0.01"))},
        {"C11", check.arg(9), 0, CellValue::fromText(QStringLiteral("平衡"))},
        {"C12", QStringLiteral("=B8>D8"), 0, CellValue::fromBool(false)},
        {"C13", QStringLiteral("=B8/(D9-5)"), 0, CellValue::fromError(QStringLiteral("#DIV/0!"))},
        {"C14", QStringLiteral("=IF(D9=5,\"\")"), 0, CellValue::fromText({})},
    };
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    const auto place = [](const char* cell) { return parseA1(QLatin1String(cell)); };
    for (const auto& c : cells) {
        const CellRect at = place(c.cell);
        if (c.formula.isEmpty())
            host->setLiteral(sheet, at.top, at.left, CellValue::fromNumber(c.number));
        else
            host->setFormulaA1(sheet, at.top, at.left, c.formula, {});
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("statement.xlsx"));
    writeXlsx(*host, book, path);

    const QJsonObject seen =
        describeWithOpenpyxl(path)[u"sheets"].toArray()[0].toObject()[u"cells"].toObject();
    const BookId copy = host->addWorkbook();
    readXlsx(*host, copy, path);
    const SheetId back = host->sheetAt(copy, 1);
    for (const auto& c : cells) {
        if (c.formula.isEmpty()) continue;
        const CellRect at = place(c.cell);
        const QJsonObject cell = seen[QLatin1String(c.cell)].toObject();
        EXPECT_EQ(cell[u"formula"].toString(), c.formula) << c.cell;
        EXPECT_EQ(host->value(back, at.top, at.left), c.value) << c.cell;
        EXPECT_EQ(host->formulaA1(back, at.top, at.left), c.formula) << c.cell;
        const QJsonValue cached = cell[u"value"];
        switch (c.value.kind) {
            case CellValue::Kind::Number:
                EXPECT_EQ(cached.toDouble(), c.value.number) << c.cell;
                break;
            case CellValue::Kind::Boolean:
                EXPECT_EQ(cached, QJsonValue(c.value.number != 0)) << c.cell;
                break;
            case CellValue::Kind::Text:
            case CellValue::Kind::Error:
                // openpyxl reads an empty cached text as no value.
                EXPECT_EQ(cached.toString(), c.value.text) << c.cell;
                break;
            case CellValue::Kind::Empty:
                break;
        }
    }
}

// Rows and cells that follow the previous ones are saved without their references; those after
// a gap carry them. Every reader must find each cell where it was.
TEST(XlsxInterop, CellsAfterGapsKeepTheirPlaces) {
    if (!QFile::exists(kPython)) GTEST_SKIP() << "no system Python";
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    const struct {
        const char* cell;
        double number;
    } cells[] = {{"A1", 1}, {"B1", 2}, {"D1", 4}, {"C4", 34}, {"D4", 44}, {"B5", 52}, {"AA5", 527}};
    for (const auto& c : cells) {
        const CellRect at = parseA1(QLatin1String(c.cell));
        host->setLiteral(sheet, at.top, at.left, CellValue::fromNumber(c.number));
    }
    host->setRowHeight(sheet, 3, 3, 30);  // a row with a height and no cells
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gaps.xlsx"));
    writeXlsx(*host, book, path);

    for (const auto& [name, data] : xlsx::test::readZip(path)) {
        if (name != u"xl/worksheets/sheet1.xml") continue;
        EXPECT_TRUE(data.contains(
            "<sheetData><row><c><v>1</v></c><c><v>2</v></c><c r=\"D1\"><v>4</v></c></row>"
            "<row r=\"3\" ht=\"30\" customHeight=\"1\"/>"
            "<row><c r=\"C4\"><v>34</v></c><c><v>44</v></c></row>"
            "<row><c r=\"B5\"><v>52</v></c><c r=\"AA5\"><v>527</v></c></row></sheetData>"))
            << data.toStdString();
    }

    const QJsonObject seen = describeWithOpenpyxl(path)[u"sheets"][0][u"cells"].toObject();
    const BookId copy = host->addWorkbook();
    readXlsx(*host, copy, path);
    const SheetId back = host->sheetAt(copy, 1);
    EXPECT_EQ(seen.size(), qsizetype(std::size(cells)));
    for (const auto& c : cells) {
        const CellRect at = parseA1(QLatin1String(c.cell));
        EXPECT_EQ(seen[QLatin1String(c.cell)][u"value"].toDouble(), c.number) << c.cell;
        EXPECT_EQ(host->value(back, at.top, at.left), CellValue::fromNumber(c.number)) << c.cell;
    }
    EXPECT_EQ(host->rowHeight(back, 3), 30);

    // pandas, as accountants' scripts read a sheet: every value in its row and column.
    QProcess pandas;
    pandas.start(kPython, {QStringLiteral("-c"), QStringLiteral(R"(
import sys, pandas
frame = pandas.read_excel(sys.argv[1], header=None)
for (row, column), value in frame.stack().items():
    print("%d,%d,%g" % (row + 1, column + 1, value))
)"),
                           path});
    ASSERT_TRUE(pandas.waitForFinished(60000));
    if (pandas.exitCode() != 0 && pandas.readAllStandardError().contains("ModuleNotFoundError"))
        GTEST_SKIP() << "no pandas";
    QStringList expected;
    for (const auto& c : cells) {
        const CellRect at = parseA1(QLatin1String(c.cell));
        expected << QStringLiteral("%1,%2,%3").arg(at.top).arg(at.left).arg(c.number);
    }
    expected.sort();
    QStringList read =
        QString::fromUtf8(pandas.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    read.sort();
    EXPECT_EQ(read, expected);
}

// Saved by LibreOffice from a small ledger (testdata/make_libreoffice_ledger.py).
TEST(XlsxInterop, LibreOfficeLedgerOpensWithItsValuesAndLayout) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, kTestData + QStringLiteral("/libreoffice_ledger.xlsx"));
    ASSERT_EQ(host->sheetCount(book), 2);
    const SheetId ledger = host->sheetAt(book, 1);
    EXPECT_EQ(host->sheetName(ledger), QStringLiteral("账目"));
    EXPECT_EQ(host->sheetName(host->sheetAt(book, 2)), QStringLiteral("Second"));

    EXPECT_EQ(host->value(ledger, 1, 1), CellValue::fromText(QStringLiteral("银行对账单")));
    EXPECT_TRUE(host->format(ledger, 1, 1).bold);
    EXPECT_EQ(host->format(ledger, 1, 1).fontSize, 16);
    EXPECT_EQ(host->merges(ledger), QList<CellRect>{(CellRect{1, 1, 1, 4})});
    EXPECT_EQ(host->value(ledger, 3, 1), CellValue::fromNumber(45366));  // 2024-03-15
    EXPECT_EQ(host->format(ledger, 3, 1).numberFormat, QStringLiteral("yyyy\\-mm\\-dd"));
    EXPECT_EQ(host->value(ledger, 3, 2), CellValue::fromText(QStringLiteral("Rent & fees")));
    EXPECT_EQ(host->value(ledger, 4, 2), CellValue::fromText(QStringLiteral("  leading spaces")));
    EXPECT_EQ(host->value(ledger, 3, 3), CellValue::fromNumber(1234.5));
    EXPECT_EQ(host->value(ledger, 3, 4), CellValue::fromBool(true));
    EXPECT_EQ(host->value(ledger, 5, 3), CellValue::fromNumber(1214.25));
    EXPECT_EQ(host->value(ledger, 5, 2), CellValue::fromText(QStringLiteral("Rent & fees!")));
    EXPECT_FALSE(host->formulaA1(ledger, 5, 3).isEmpty());
    EXPECT_EQ(host->format(ledger, 2, 3).fillColorIndex, 6);  // yellow
    EXPECT_EQ(host->format(ledger, 2, 3).horizontalAlignment, xl::kAlignRight);
    EXPECT_EQ(host->format(ledger, 2, 2).borderLineStyle[0], xl::kContinuous);
    EXPECT_EQ(host->columnWidth(ledger, 2), 29.29);  // 30 with the padding
    EXPECT_EQ(host->rowHeight(ledger, 1), 27.75);
    EXPECT_EQ(host->value(host->sheetAt(book, 2), 2, 2), CellValue::fromNumber(42));
}

// The report book written by the host, opened and saved again by LibreOffice: every property
// still arrives the way LibreOffice writes it.
TEST(XlsxInterop, ReportSavedByLibreOfficeKeepsItsProperties) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    readXlsx(*host, book, kTestData + QStringLiteral("/libreoffice_report.xlsx"));
    const SheetId report = host->sheetAt(book, 1);
    EXPECT_EQ(host->sheetName(report), QStringLiteral("1.(金额)比对报告√"));
    EXPECT_EQ(host->value(report, 1, 1), CellValue::fromText(QStringLiteral("数据比对报告")));
    // LibreOffice puts its own substitute in place of a font this machine lacks (黑体).
    EXPECT_TRUE(host->format(report, 1, 1).bold);
    EXPECT_EQ(host->format(report, 1, 1).fontSize, 20);
    EXPECT_EQ(host->value(report, 6, 1), CellValue::fromText(QStringLiteral("00123")));
    EXPECT_EQ(host->value(report, 7, 2), CellValue::fromNumber(-1234.5));
    EXPECT_EQ(host->value(report, 6, 3), CellValue::fromBool(true));
    EXPECT_EQ(host->value(report, 6, 4), CellValue::fromNumber(45366));
    EXPECT_EQ(host->formulaA1(report, 8, 2), QStringLiteral("=SUM(B6:B7)"));
    EXPECT_EQ(host->value(report, 8, 2), CellValue::fromNumber(-1232.5));
    EXPECT_EQ(host->value(report, 8, 1), CellValue::fromText(QStringLiteral("00123x")));
    EXPECT_EQ(host->format(report, 8, 1).fontColorIndex, 3);
    EXPECT_EQ(host->format(report, 3, 1).fillColorIndex, 15);
    EXPECT_EQ(host->format(report, 6, 1).fillColorIndex, 34);
    EXPECT_EQ(host->format(report, 7, 1).fillColor, rgbColor(0, 112, 192));
    EXPECT_EQ(host->format(report, 4, 1).borderLineStyle[0], xl::kContinuous);
    QList<int> runColors;
    for (const CharacterRun& run : host->characterRuns(report, 3, 1))
        runColors.append(run.colorIndex);
    EXPECT_EQ(runColors, (QList<int>{19, 34, 6, 33, 48}));
    auto merges = host->merges(report);
    EXPECT_EQ(merges.size(), 4);
    EXPECT_TRUE(merges.contains(CellRect{4, 1, 5, 1}));
    EXPECT_EQ(host->columnWidth(report, 4), 22);
    EXPECT_EQ(host->rowHeight(report, 2), 27);
    EXPECT_EQ(host->commentText(report, 6, 2), QStringLiteral("左行5"));
    EXPECT_TRUE(host->commentVisible(report, 6, 2));
    EXPECT_FALSE(host->commentVisible(report, 7, 2));
    const SheetView view = host->sheetView(report);
    EXPECT_EQ(view.tabColor, std::optional<std::uint32_t>(255));
    EXPECT_EQ(view.orientation, xl::kLandscape);
    EXPECT_EQ(view.fitToPagesWide, 1);
    EXPECT_TRUE(view.centerHorizontally);
    EXPECT_EQ(view.rightFooter, QString::fromUtf8(xlsx::test::kFooter));
}

}  // namespace
}  // namespace tallimo::host
