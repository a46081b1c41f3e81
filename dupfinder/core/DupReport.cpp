#include "DupReport.h"

#include "ColorBoxes.h"

namespace tallimo::dupfinder {

namespace {

using host::CellRect;
using host::Worksheet;
namespace xl = host::xl;

const QString kSimSun = QStringLiteral("宋体");
constexpr int kFirstKeyRow = 4;

void setDefaultFormat(Worksheet sheet) {
    host::Range all = sheet.columns(1, host::kMaxColumns);
    all.font().setName(kSimSun);
    all.font().setSize(11);
    all.setHorizontalAlignment(xl::kAlignCenter);
    all.setVerticalAlignment(xl::kAlignCenter);
}

QString caption(const QString& loadedAddress) {
    return QStringLiteral("【源数据(") + plainAddress(loadedAddress) + QStringLiteral(")】");
}

void report(const StatusReporter& status, const QString& text) {
    if (status) status(text);
}

// A cell holds at most 32,767 characters; a longer text is cut and ends in "…".
QString fitCell(QString text) {
    constexpr qsizetype kMaxCellText = 32767;
    if (text.size() > kMaxCellText) {
        text.truncate(kMaxCellText - 1);
        text += u'…';
    }
    return text;
}

CellRect rowSpan(const AreaAddress& a, int row) {
    return {row, columnNumber(a.firstColumn), row, columnNumber(a.lastColumn)};
}

}  // namespace

host::Workbook buildTemplate(host::Application& app) {
    host::Workbook book = app.workbooks().add();
    while (book.sheets().count() < 2)
        book.sheets().add();
    while (book.sheets().count() > 2)
        book.sheets()[3].remove();
    Worksheet data = book.sheets()[1];
    Worksheet report = book.sheets()[2];
    data.setName(kDataSheet);
    report.setName(kReportSheet);
    for (Worksheet sheet : {data, report})
        setDefaultFormat(sheet);
    data.columns(1, host::kMaxColumns).setColumnWidth(9);

    const double widths[] = {9, 21.12, 9.25, 44.38};
    for (int column = 1; column <= 4; ++column)
        report.columns(column, column).setColumnWidth(widths[column - 1]);
    report.rows(1, 1).setRowHeight(37.5);
    report.rows(2, 2).setRowHeight(13.5);
    report.rows(3, 3).setRowHeight(25.5);
    report.setDisplayGridlines(false);

    host::Range title = report.range(QStringLiteral("A1:D1"));
    title.merge();
    title.setValue(QStringLiteral("[多列多行]查找重复报告"));
    title.font().setName(QStringLiteral("微软雅黑"));
    title.font().setSize(20);
    title.setHorizontalAlignment(xl::kAlignCenter);

    host::Range time = report.range(QStringLiteral("A2"));
    time.font().setName(QStringLiteral("楷体"));
    time.font().setSize(10);
    time.setHorizontalAlignment(xl::kAlignCenter);

    const QString headings[] = {QStringLiteral("序号"), QStringLiteral("数据"),
                                QStringLiteral("出现次数"), QStringLiteral("分布行号")};
    for (int column = 1; column <= 4; ++column)
        report.cells(3, column).setValue(headings[column - 1]);
    host::Range heads = report.range(QStringLiteral("A3:D3"));
    heads.font().setName(kSimSun);
    heads.font().setSize(11);
    heads.font().setBold(true);
    heads.font().setColor(host::rgbColor(153, 51, 0));
    heads.interior().setColor(host::rgbColor(255, 204, 153));
    for (int edge :
         {xl::kEdgeLeft, xl::kEdgeTop, xl::kEdgeBottom, xl::kEdgeRight, xl::kInsideVertical})
        heads.borders()(edge).setLineStyle(xl::kContinuous);
    heads.setHorizontalAlignment(xl::kAlignCenter);

    // Rows 1 to 3 stay in view; the report is the sheet the workbook opens on.
    book.activate();
    report.select();
    report.range(QStringLiteral("A4")).select();
    app.freezePanes();
    return book;
}

QString reportBookPath(const QString& folder, const QDateTime& time) {
    return folder + QStringLiteral("/Varnoq去重_") +
           time.toString(QStringLiteral("yyyy-MM-dd hh-mm-ss")) + QStringLiteral(".xlsx");
}

void fillWorkingBook(host::Workbook book, const AreaBlock& block, const SearchArea& area) {
    const AreaAddress& a = area.parts;
    const int first = columnNumber(a.firstColumn), last = columnNumber(a.lastColumn);
    if (a.isEmpty() || first == 0 || last < first || a.firstRow < 1 || a.firstRow > host::kMaxRows)
        throw host::HostError(QStringLiteral("无法识别的区域“%1”").arg(area.address));
    Worksheet data = book.sheets()[kDataSheet];
    data.select();
    data.cells(a.firstRow, first).select();
    const TextGrid table = block.cellTable(last - first + 1);
    if (a.firstRow + table.rowCount() - 1 > host::kMaxRows)
        throw host::HostError(
            QStringLiteral("区域“%1”的数据超出了工作表的最后一行").arg(plainAddress(area.address)));
    data.cells(a.firstRow, first).setValues(table);

    if (a.firstRow > 1) {
        host::Range above = data.cells(a.firstRow - 1, first);
        above.setValue(host::CellValue::fromText(caption(area.address)));
        above.setHorizontalAlignment(xl::kAlignLeft);
    } else {
        host::Range corner = data.cells(1, first);
        corner.addComment(caption(area.address));
        corner.comment().setVisible(false);
    }
    // Passed on as the host takes it.
    data.columns(first, last).setVerticalAlignment(2);
}

void checkReportFits(const Detection& d) {
    if (qint64(d.distinctCount()) + kFirstKeyRow > host::kMaxRows)
        throw host::HostError(
            QStringLiteral("共有%1组数据，查重报告超出了工作表的最大行数").arg(d.distinctCount()));
}

void writeReport(host::Workbook book, const Detection& d, const QDateTime& time,
                 const StatusReporter& status) {
    const AreaAddress& a = d.address;
    Worksheet data = book.sheets()[kDataSheet];
    Worksheet reportSheet = book.sheets()[kReportSheet];
    Worksheet dedup = data.copy(reportSheet, host::Placement::Before);
    dedup.setName(kDedupSheet);

    const int n = d.distinctCount();
    // Key rows go in as one block: sequence, key, count and row list per key.
    TextGrid rows(4);
    // About a dozen characters a key row beside the key texts, which the detection holds.
    rows.reserve(n, qsizetype(n) * 12 + d.keyCharacters());
    const auto& boxes = colorBoxes();
    for (int i = 0; i < n; ++i) {
        const DistinctKey& entry = d.entry(i);
        if (entry.group > 0) {
            if (status) status(QStringLiteral("正处理%1(重复)/%2...").arg(i + 1).arg(n));
            const std::vector<int> marked = d.rows(i);
            const QString comment = QStringLiteral("重复组") + QString::number(entry.group);
            const int lastColumn = columnNumber(a.lastColumn);
            for (std::size_t m = 1; m < marked.size(); ++m) {
                host::Range cell = data.cells(marked[m], lastColumn);
                cell.addComment(comment);
                cell.comment().setVisible(false);
                if (entry.colorBox >= 0) {
                    host::Range span = data.range(rowSpan(a, marked[m]));
                    span.interior().setColor(boxes[entry.colorBox].background);
                    span.font().setColor(boxes[entry.colorBox].text);
                }
            }
            if (entry.colorBox >= 0) {
                host::Range line =
                    reportSheet.range(CellRect{kFirstKeyRow + i, 1, kFirstKeyRow + i, 4});
                line.interior().setColor(boxes[entry.colorBox].background);
                line.font().setColor(boxes[entry.colorBox].text);
            }
        } else {
            if (status) status(QStringLiteral("正处理%1(唯一)/%2...").arg(i + 1).arg(n));
        }
        rows.addCell(QString::number(i + 1) + u'|' + QString::number(entry.group));
        rows.addCell(fitCell(d.key(i).toString()));
        rows.addCell(QString::number(entry.count));
        rows.addCell(fitCell(d.rowList(i)));
        rows.endRow();
    }
    if (n > 0) reportSheet.cells(kFirstKeyRow, 1).setValues(rows);

    report(status, QStringLiteral("正删除重复数据..."));
    dedup.select();
    QList<CellRect> repeats;
    for (int row : d.repeatRows()) {
        // Neighbouring repeat rows go as one block.
        if (!repeats.isEmpty() && repeats.back().bottom == row - 1)
            repeats.back().bottom = row;
        else
            repeats.append(rowSpan(a, row));
    }
    if (!repeats.isEmpty()) dedup.deleteAreas(repeats);

    report(status, QStringLiteral("正生成查重报告..."));
    if (n > 0)
        reportSheet.range(CellRect{kFirstKeyRow, 1, n + kFirstKeyRow - 1, 4})
            .borders()
            .setLineStyle(xl::kContinuous);
    host::Range when = reportSheet.range(QStringLiteral("A2"));
    when.setValue(host::CellValue::fromText(QStringLiteral("报告时间:") +
                                            time.toString(QStringLiteral("yyyy/M/d H:mm:ss"))));
    reportSheet.range(QStringLiteral("A2:D2")).merge();
    host::Range conclusion = reportSheet.cells(n + kFirstKeyRow, 1);
    conclusion.setValue(host::CellValue::fromText(conclusionText(d)));
    conclusion.setHorizontalAlignment(xl::kAlignGeneral);
    conclusion.font().setSize(10);
    conclusion.font().setColor(host::rgbColor(255, 0, 0));

    report(status, QStringLiteral("查重报告完成。"));
    data.select();
    data.cells(a.firstRow, columnNumber(a.firstColumn)).select();
}

}  // namespace tallimo::dupfinder
