#include "ColorBoxes.h"
#include "DupReport.h"
#include "MemoryHost.h"
#include "WorkingBook.h"

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace tallimo::dupfinder {
namespace {

using host::CellValue;

const QDateTime kTime(QDate(2016, 6, 28), QTime(9, 48, 36));
const QString kReport = QStringLiteral("报告");

AreaBlock blockOf(const QStringList& rows) {
    return *readAreaBlock(rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).block;
}

struct AreaRun {
    QString address;
    QStringList rows;
    std::vector<int> ticked;
    std::vector<int> boxes;
};

// The working workbook as the windows prepare it (written, reopened), then the report.
host::Workbook reportFor(host::Application& app, const AreaRun& run, const QString& folder,
                         QStringList* statuses = nullptr) {
    const AreaBlock block = blockOf(run.rows);
    const QString working = newWorkingBookPath(folder);
    prepareWorkingBook(working, block, searchAreaAt(run.address));
    DetectionOptions options{run.ticked, false, run.boxes};
    const Detection d =
        detectDuplicates(block, parseAreaAddress(run.address, Grid::Small), options);
    host::Workbook book = app.workbooks().open(working);
    writeReport(book, d, kTime, [statuses](const QString& s) {
        if (statuses) *statuses << s;
    });
    return book;
}

QString text(const host::Workbook& book, const QString& sheet, const QString& cell) {
    return book.sheets()[sheet].range(cell).text();
}

// An area in row 3, three rows equal over B and C; group 1 coloured with box 2.
const AreaRun kRowThree{
    QStringLiteral("$B$3:$C$7"), {"a\t1", "b\t2", "a\t1", "c\t3", "a\t1"}, {0, 1}, {2}};

void expectRowThreeReport(const host::Workbook& book) {
    ASSERT_EQ(book.sheets().count(), 3);
    EXPECT_EQ(book.sheets()[1].name(), u"数据");
    EXPECT_EQ(book.sheets()[2].name(), u"数据(去重)");
    EXPECT_EQ(book.sheets()[3].name(), u"报告");
    const auto& box = colorBoxes()[2];

    // The data with its caption; repeats carry a hidden comment and the group's colours.
    const host::Worksheet data = book.sheets()[QStringLiteral("数据")];
    EXPECT_EQ(data.range(u"B2"_qs).text(), u"【源数据(B3:C7)】");
    EXPECT_EQ(data.range(u"B2"_qs).format().horizontalAlignment, host::xl::kAlignLeft);
    EXPECT_EQ(data.range(u"C3"_qs).value(), CellValue::fromNumber(1));
    for (const QString& cell : {u"C5"_qs, u"C7"_qs}) {
        EXPECT_EQ(data.range(cell).comment().text(), u"重复组1");
    }
    EXPECT_FALSE(data.range(u"C5"_qs).comment().text().isEmpty());
    EXPECT_TRUE(data.range(u"C3"_qs).comment().text().isEmpty());
    EXPECT_EQ(data.range(u"B5"_qs).interior().color(), box.background);
    EXPECT_EQ(data.range(u"C7"_qs).format().fontColor, box.text);
    EXPECT_FALSE(data.range(u"B3"_qs).format().fillSet);
    EXPECT_FALSE(data.range(u"B4"_qs).format().fillSet);

    // The de-duplicated copy: first occurrences in order, caption kept, nothing marked.
    const host::Worksheet dedup = book.sheets()[QStringLiteral("数据(去重)")];
    const QStringList kept[] = {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"", ""}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dedup.cells(3 + i, 2).text(), kept[i][0]) << i;
        EXPECT_EQ(dedup.cells(3 + i, 3).text(), kept[i][1]) << i;
    }
    EXPECT_EQ(dedup.range(u"B2"_qs).text(), u"【源数据(B3:C7)】");
    EXPECT_TRUE(dedup.range(u"C5"_qs).comment().text().isEmpty());
    EXPECT_FALSE(dedup.range(u"B5"_qs).format().fillSet);

    // The report sheet, row by row.
    const host::Worksheet report = book.sheets()[kReport];
    EXPECT_EQ(report.range(u"A1"_qs).text(), u"[多列多行]查找重复报告");
    EXPECT_EQ(report.range(u"A2"_qs).text(), u"报告时间:2016/6/28 9:48:36");
    EXPECT_EQ(report.range(u"D3"_qs).text(), u"分布行号");
    const QStringList rows[] = {
        {"1|1", "a,1", "3", "3_5_7"}, {"2|0", "b,2", "1", "4"}, {"3|0", "c,3", "1", "6"}};
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(report.cells(4 + i, c + 1).text(), rows[i][c]) << i << "," << c;
    EXPECT_EQ(report.range(u"C4"_qs).value(), CellValue::fromNumber(3));
    EXPECT_EQ(report.range(u"D4:D4"_qs).interior().color(), box.background);
    EXPECT_EQ(report.range(u"A4"_qs).format().fontColor, box.text);
    EXPECT_FALSE(report.range(u"A5"_qs).format().fillSet);
    for (const QString& cell : {u"A4"_qs, u"D6"_qs}) {
        for (int edge = 0; edge < 4; ++edge)
            EXPECT_EQ(report.range(cell).format().borderLineStyle[edge], host::xl::kContinuous);
    }
    EXPECT_EQ(report.range(u"A7"_qs).text(),
              u"报告结论：共【3】组数据，其中【1】组重复、【2】组唯一。");
    EXPECT_EQ(report.range(u"A7"_qs).format().fontSize, 10);
    EXPECT_EQ(report.range(u"A7"_qs).format().fontColor, host::rgbColor(255, 0, 0));
    EXPECT_EQ(report.range(u"A7"_qs).format().horizontalAlignment, host::xl::kAlignGeneral);
    EXPECT_NE(report.range(u"A7"_qs).format().borderLineStyle[2], host::xl::kContinuous);
}

class DupReport : public ::testing::Test {
protected:
    QTemporaryDir folder;
    host::Application app{host::makeMemoryHost()};
};

TEST_F(DupReport, AreaInRowThreeCellByCellAndAfterSavingAndOpening) {
    QStringList statuses;
    host::Workbook book = reportFor(app, kRowThree, folder.path(), &statuses);
    expectRowThreeReport(book);
    EXPECT_EQ(statuses,
              (QStringList{"正处理1(重复)/3...", "正处理2(唯一)/3...", "正处理3(唯一)/3...",
                           "正删除重复数据...", "正生成查重报告...", "查重报告完成。"}));
    EXPECT_EQ(app.activeWorkbook().activeSheet().name(), u"数据");

    // The template's report layout comes along.
    const host::Worksheet report = book.sheets()[kReport];
    const host::SheetView view = app.backend().sheetView(report.id());
    EXPECT_EQ(view.frozenRows, 3);
    EXPECT_FALSE(view.showGridlines);
    EXPECT_NEAR(report.range(u"D1"_qs).columnWidth(), 44.38, 0.1);
    EXPECT_DOUBLE_EQ(report.range(u"A1"_qs).rowHeight(), 37.5);
    EXPECT_TRUE(app.backend().merges(report.id()).contains(host::parseA1(u"A2:D2"_qs)));
    EXPECT_EQ(report.range(u"A3"_qs).format().fillColor, host::rgbColor(255, 204, 153));
    EXPECT_TRUE(report.range(u"B3"_qs).format().bold);

    const QString saved = folder.filePath(u"report.xlsx"_qs);
    book.saveAs(saved);
    host::Application other(host::makeMemoryHost());
    expectRowThreeReport(other.workbooks().open(saved));
}

TEST_F(DupReport, AreaInRowOneGetsItsCaptionAsAHiddenComment) {
    const AreaRun run{QStringLiteral("$A$1:$A$4"), {"x", "y", "x", "z"}, {0}, {}};
    host::Workbook book = reportFor(app, run, folder.path());
    const host::Worksheet data = book.sheets()[QStringLiteral("数据")];
    EXPECT_EQ(data.range(u"A1"_qs).text(), u"x");
    EXPECT_EQ(data.range(u"A1"_qs).comment().text(), u"【源数据(A1:A4)】");
    EXPECT_FALSE(app.backend().commentVisible(data.id(), 1, 1));
    EXPECT_EQ(data.range(u"A3"_qs).comment().text(), u"重复组1");
    EXPECT_FALSE(app.backend().commentVisible(data.id(), 3, 1));
    // No box ticked: nothing coloured, the rest written all the same.
    EXPECT_FALSE(data.range(u"A3"_qs).format().fillSet);
    const host::Worksheet dedup = book.sheets()[QStringLiteral("数据(去重)")];
    EXPECT_EQ(dedup.range(u"A3"_qs).text(), u"z");
    EXPECT_EQ(dedup.range(u"A1"_qs).comment().text(), u"【源数据(A1:A4)】");
    EXPECT_EQ(text(book, kReport, u"A4"_qs), u"1|1");
    EXPECT_EQ(text(book, kReport, u"A7"_qs),
              u"报告结论：共【3】组数据，其中【1】组重复、【2】组唯一。");
}

// An independent reader sees the same report in the saved file.
TEST_F(DupReport, SavedReportReadsTheSameWithOpenpyxl) {
    host::Workbook book = reportFor(app, kRowThree, folder.path());
    const QString saved = folder.filePath(u"report.xlsx"_qs);
    book.saveAs(saved);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TALLIMO_XLSX_TESTDATA "/describe_with_openpyxl.py"), saved});
    ASSERT_TRUE(python.waitForFinished(60000) && python.exitCode() == 0)
        << python.readAllStandardError().toStdString();
    const QJsonObject described = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    const auto sheets = described[u"sheets"].toArray();
    ASSERT_EQ(sheets.size(), 3);
    EXPECT_EQ(sheets[1].toObject()[u"name"].toString(), u"数据(去重)");
    const QJsonObject data = sheets[0].toObject()[u"cells"].toObject();
    EXPECT_EQ(data[u"C5"].toObject()[u"comment"].toString(), u"重复组1");
    EXPECT_EQ(data[u"B5"].toObject()[u"fill"].toString(), u"FFFFC000");
    const QJsonObject dedup = sheets[1].toObject()[u"cells"].toObject();
    EXPECT_EQ(dedup[u"B5"].toObject()[u"value"].toString(), u"c");
    EXPECT_FALSE(dedup.contains(u"B6"));
    const QJsonObject report = sheets[2].toObject();
    EXPECT_EQ(report[u"freeze"].toString(), u"A4");
    EXPECT_FALSE(report[u"gridlines"].toBool());
    const QJsonObject cells = report[u"cells"].toObject();
    EXPECT_EQ(cells[u"A4"].toObject()[u"value"].toString(), u"1|1");
    EXPECT_EQ(cells[u"D4"].toObject()[u"value"].toString(), u"3_5_7");
    EXPECT_EQ(cells[u"C4"].toObject()[u"value"].toInt(), 3);
    EXPECT_EQ(cells[u"A7"].toObject()[u"font"].toObject()[u"color"].toString(), u"FFFF0000");
    EXPECT_TRUE(report[u"merges"].toArray().contains(u"A2:D2"_qs));
}

// The report lists one row per distinct key from row 4: 1,048,573 keys would end past the
// sheet's last row, 1,048,576.
TEST(DupReportFit, RefusesAReportPastTheLastRow) {
    for (const auto& [keys, fits] : {std::pair{1048572, true}, std::pair{1048573, false}}) {
        SCOPED_TRACE(keys);
        QString text;
        text.reserve(qsizetype(keys) * 9);
        for (int i = 0; i < keys; ++i) {
            text += QString::number(i);
            text += u"\r\n";
        }
        const Detection d =
            detectDuplicates(*readAreaBlock(text).block,
                             parseAreaAddress(u"$A$1:$A$"_qs + QString::number(keys), Grid::Large),
                             {{0}, false, {}});
        ASSERT_EQ(d.distinctCount(), keys);
        if (fits) {
            EXPECT_NO_THROW(checkReportFits(d));
        } else {
            EXPECT_THROW(checkReportFits(d), host::HostError);
        }
    }
}

TEST(DupReportFiles, ReportAndWorkingBookNames) {
    EXPECT_EQ(reportBookPath(u"/docs/Varnoq Seek Dup"_qs, kTime),
              u"/docs/Varnoq Seek Dup/Varnoq去重_2016-06-28 09-48-36.xlsx");
    EXPECT_TRUE(newWorkingBookPath(u"/tmp"_qs)
                    .contains(QRegularExpression(QStringLiteral("^/tmp/Qucong_\\d{6}\\.xlsx$"))));
}

}  // namespace
}  // namespace tallimo::dupfinder
