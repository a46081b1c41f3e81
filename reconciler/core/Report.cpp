#include "Report.h"
#include "SourceCopy.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace tallimo::core::detail {
namespace {

using host::CellRect;
using host::Worksheet;

constexpr int kFirstGroupRow = 7;
constexpr int kColumns = 9;  // A to I
constexpr int kHeaderFill = 15;
constexpr std::uint32_t kPlainHeaderFill = host::rgbColor(0, 112, 192);
const QString kHeaderFont = QStringLiteral("黑体");
// The host keeps at most this many characters in a cell; a longer row list is cut to fit
// rather than refused, which would leave the cell empty.
constexpr qsizetype kMaxCellText = 32767;

CellRect rowCells(int row, int first = 1, int last = kColumns) {
    return {row, first, row, last};
}

void fillHeaderRows(Worksheet& sheet, const CellRect& rect, bool colourMarking) {
    if (colourMarking)
        sheet.range(rect).interior().setColorIndex(kHeaderFill);
    else
        sheet.range(rect).interior().setColor(kPlainHeaderFill);
}

// The counted text key|count split at "|": the first field and the one before the count.
QStringView firstField(QStringView key) {
    const qsizetype bar = key.indexOf(u'|');
    return bar < 0 ? key : key.left(bar);
}

// Plain decimal texts (digits, at most one point, with `commaGroups` also "," between groups of
// three digits) are by far the most common sum texts once the sign is taken off; they skip the
// locale machinery. Anything else is left to the locale.
std::optional<double> plainDecimal(QStringView text, bool commaGroups) {
    char buffer[64];
    if (text.isEmpty() || text.size() >= qsizetype(sizeof buffer)) return std::nullopt;
    bool point = false;
    int digits = 0;        // since the last separator or point
    bool grouped = false;  // a separator was met
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch >= u'0' && ch <= u'9') {
            ++digits;
            buffer[length++] = char(ch);
        } else if (ch == u',' && commaGroups && !point && digits > 0 &&
                   (grouped ? digits == 3 : digits <= 3)) {
            grouped = true;
            digits = 0;
        } else if (ch == u'.' && !point && (!grouped || digits == 3)) {
            point = true;
            digits = 0;
            buffer[length++] = '.';
        } else {
            return std::nullopt;
        }
    }
    // Grouped numbers end in a full group or in decimals; other forms are the locale's to judge.
    if (grouped && (point ? digits == 0 : digits != 3)) return std::nullopt;
    if (length == (point ? 1 : 0)) return std::nullopt;
    double value = 0;
    if (std::from_chars(buffer, buffer + length, value).ec != std::errc()) return std::nullopt;
    return value;
}

// The number of a sum text without sign or currency: locale-aware, group separators allowed.
std::optional<double> plainNumber(QStringView text) {
    static const QLocale system = QLocale::system();
    static const QLocale c = QLocale::c();
    static const bool pointIsDot = system.decimalPoint() == u".";
    static const bool commaGroups = system.groupSeparator() == u",";
    if (pointIsDot)
        if (const auto value = plainDecimal(text, commaGroups)) return value;
    bool ok = false;
    double value = system.toDouble(text, &ok);
    if (!ok && system != c) value = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool isCurrencySign(QChar c) {
    return c == u'¥' || c == u'￥' || c == u'$' || c == u'€' || c == u'£';
}

struct ShownAmount {
    bool negative = false;
    QStringView digits;  // what is left once sign and currency are taken off
};

// An amount as a spreadsheet shows it: "¥1,234.50", "-$12", "¥-12", "(1,234.50)", "1,234.50-",
// with spaces around. One sign at most, before or after the currency sign, in brackets or
// trailing; what is left must start with a digit or the decimal point.
std::optional<ShownAmount> shownAmount(QStringView text) {
    ShownAmount shown;
    text = text.trimmed();
    if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
        shown.negative = true;
        text = text.sliced(1, text.size() - 2).trimmed();
    } else if (text.size() >= 2 && text.back() == u'-') {
        shown.negative = true;
        text = text.chopped(1).trimmed();
    }
    bool signTaken = shown.negative;
    const auto takeSign = [&] {
        if (signTaken || text.isEmpty() || (text.front() != u'-' && text.front() != u'+')) return;
        signTaken = true;
        shown.negative = text.front() == u'-';
        text = text.sliced(1).trimmed();
    };
    takeSign();
    if (!text.isEmpty() && isCurrencySign(text.front())) {
        text = text.sliced(1).trimmed();
        takeSign();
    }
    if (text.isEmpty()) return std::nullopt;
    static const QChar systemPoint = QLocale::system().decimalPoint().front();
    const QChar first = text.front();
    if (!first.isDigit() && first != u'.' && first != systemPoint) return std::nullopt;
    shown.digits = text;
    return shown;
}

}  // namespace

QStringView sumField(QStringView key) {
    return key.mid(key.lastIndexOf(u'|') + 1);
}

QString amountText(double amount) {
    // A figure past the double range shows as the spreadsheet shows such a number.
    if (!std::isfinite(amount)) return QStringLiteral("#NUM!");
    // Adding 0 turns -0 into 0; exponents are written as the spreadsheet writes them (1E+20).
    QString text = QString::number(amount + 0.0, 'g', 15).replace(u'e', u'E');
    const QString point = QLocale::system().decimalPoint();
    if (point != u".") text.replace(u'.', point);
    return text;
}

std::optional<double> toAmount(QStringView text) {
    const auto shown = shownAmount(text);
    if (!shown) return std::nullopt;
    const auto magnitude = plainNumber(shown->digits);
    if (!magnitude) return std::nullopt;
    return shown->negative ? 0.0 - *magnitude : *magnitude;
}

void writeReportHeader(Worksheet sheet, const ReportHeader& header, bool colourMarking) {
    sheet.cells(1, 1).setValue(QStringLiteral("数据比对报告"));
    sheet.rows(1, 1).setRowHeight(28);

    auto fromBracket = [](const QString& address) {
        return address.mid(std::max<qsizetype>(0, address.indexOf(u'[')));
    };
    sheet.cells(2, 1).setValue(QStringLiteral("比对项目:左") + fromBracket(header.leftAddress) +
                               header.leftItem + u'\n' + QString(9, u' ') + u'右' +
                               fromBracket(header.rightAddress) + header.rightItem);
    sheet.rows(2, 2).setRowHeight(27);

    auto legend = sheet.cells(3, 1);
    legend.font().setSize(10);
    if (colourMarking) {
        legend.setValue(QStringLiteral("色彩标志：◇左多于右 ○右多于左 ◆左独有 ●右独有 √核对相符"));
        legend.interior().setColorIndex(kHeaderFill);
        const std::pair<int, Outcome> marks[] = {{6, Outcome::LeftMore},
                                                 {12, Outcome::RightMore},
                                                 {18, Outcome::LeftOnly},
                                                 {23, Outcome::RightOnly},
                                                 {28, Outcome::Matched}};
        for (auto [position, outcome] : marks) {
            const OutcomeStyle& style = outcomeStyle(outcome);
            legend.characters(position, 1)
                .setFontColorIndex(outcome == Outcome::Matched ? style.fontIndex : style.fillIndex);
        }
        sheet.setTabColor(host::rgbColor(255, 0, 0));
    } else {
        legend.setValue(QStringLiteral("差值标志:左大于右为正,反之为负值"));
    }

    const std::pair<const char*, const char*> titles[] = {
        {"B4", "左项"},     {"E4", "右项"},     {"A4", "比较项"}, {"B5", "笔数"},
        {"C5", "合计"},     {"D5", "分布行号"}, {"E5", "笔数"},   {"F5", "合计"},
        {"G5", "分布行号"}, {"H5", "笔数"},     {"I5", "合计"},   {"H4", "左右差值"}};
    for (auto [cell, title] : titles)
        sheet.range(QString::fromLatin1(cell)).setValue(QString::fromUtf8(title));

    const double widths[kColumns] = {12, 7, 13, 22, 7, 13, 22, 7, 13};
    for (int column = 1; column <= kColumns; ++column)
        sheet.columns(column, column).setColumnWidth(widths[column - 1]);

    fillHeaderRows(sheet, {4, 1, 5, kColumns}, colourMarking);
    for (const char* area : {"A1:I1", "A2:I2", "A3:I3", "B4:D4", "E4:G4", "H4:I4", "A4:A5"})
        sheet.range(QString::fromLatin1(area)).merge();
    sheet.columns(1, 4).setWrapText(true);
    auto title = sheet.cells(1, 1).font();
    title.setBold(true);
    title.setSize(20);

    // From the header fonts on, a failing step no longer ends the pass.
    skipOnFailure([&] { sheet.cells(1, 1).font().setName(kHeaderFont); });
    skipOnFailure([&] { sheet.range(CellRect{4, 1, 5, kColumns}).font().setName(kHeaderFont); });
    skipOnFailure([&] { sheet.rows(4, 4).setRowHeight(22); });
}

ReportWriter::SideCells ReportWriter::writeSide(int row, int firstColumn, const GroupIndex& index,
                                                int group) {
    SideCells cells;
    cells.count = index.count(group);
    const QStringView key = index.key(group);
    skipOnFailure([&] { sheet_.cells(row, firstColumn).setValue(double(cells.count)); });
    if (const auto amount = toAmount(sumField(key))) {
        // A total past the double range stays empty and counts as 0, as a sum text that is no
        // number does.
        const double total = decimalProduct(*amount, cells.count);
        if (std::isfinite(total)) {
            cells.total = total;
            skipOnFailure([&] { sheet_.cells(row, firstColumn + 1).setValue(cells.total); });
        }
    }
    skipOnFailure([&] {
        sheet_.cells(row, firstColumn + 2).setValue(index.rowListText(group, kMaxCellText));
    });
    return cells;
}

void ReportWriter::writeGroup(Outcome outcome, const GroupIndex& left, int leftGroup,
                              const GroupIndex& right, int rightGroup) {
    const int row = ++lastRow_;
    const QStringView key = leftGroup >= 0 ? left.key(leftGroup) : right.key(rightGroup);
    const QStringView keyText = input_.compareListEmpty ? sumField(key) : firstField(key);
    skipOnFailure([&] { sheet_.cells(row, 1).setValue(keyText.toString()); });

    SideCells leftCells, rightCells;
    if (leftGroup >= 0) leftCells = writeSide(row, 2, left, leftGroup);
    if (rightGroup >= 0) rightCells = writeSide(row, 5, right, rightGroup);

    if (input_.options.colourMarking) {
        const OutcomeStyle& style = outcomeStyle(outcome);
        skipOnFailure(
            [&] { sheet_.range(rowCells(row)).interior().setColorIndex(style.fillIndex); });
        if (style.fontIndex != 0)
            skipOnFailure(
                [&] { sheet_.range(rowCells(row)).font().setColorIndex(style.fontIndex); });
    }

    ++figures_.groups[std::size_t(outcome)];
    figures_.recordTotal += leftCells.count + rightCells.count;
    const qint64 h = leftCells.count - rightCells.count;
    CompensatedSum difference;
    difference += leftCells.total;
    difference += -rightCells.total;
    const double i = difference.value();
    (h > 0 ? figures_.leftMoreCount : otherCounts_) += h;
    (i > 0 ? leftMoreAmounts_ : otherAmounts_) += i;
}

void ReportWriter::writeTotals(int totalsRow) {
    const bool noGroups = lastRow_ < kFirstGroupRow;
    // With no group the formulas would sum only the two rows deleted afterwards and turn into
    // reference errors; the totals of nothing are written as 0 instead.
    const QString sum = QStringLiteral("=SUM(R[-%1]C:R[-1]C)").arg(totalsRow - 6);
    for (int column : {3, 2, 5, 6, 8, 9}) {
        skipOnFailure([&] {
            auto cell = sheet_.cells(totalsRow, column);
            if (noGroups)
                cell.setValue(0.0);
            else
                cell.setFormulaR1C1(sum);
        });
    }
    skipOnFailure([&] { sheet_.cells(totalsRow, 4).setValue(QStringLiteral("-")); });
    skipOnFailure([&] { sheet_.cells(totalsRow, 7).setValue(QStringLiteral("-")); });
}

QString ReportWriter::conclusion() const {
    const PassFigures& f = figures_;
    return QStringLiteral("结论:共对") + QString::number(f.recordTotal) +
           QStringLiteral("笔记录进行了交叉比对，") +
           QString::number(2 * (f.matchedRecords + f.pairedRecords)) +
           QStringLiteral("笔核对相符，左项比右项多记") + QString::number(f.leftMoreCount) +
           QStringLiteral("笔,合计") + amountText(f.leftMoreAmount) +
           QStringLiteral(",右项比左项多记") + QString::number(f.rightMoreCount) +
           QStringLiteral("笔,合计") + amountText(f.rightMoreAmount);
}

QString ReportWriter::close(host::Application& app, host::Workbook book) {
    const int lastGroupRow = lastRow_;
    const int totalsRow = lastGroupRow + 2;
    const bool colour = input_.options.colourMarking;
    figures_.rightMoreCount = std::abs(otherCounts_);
    figures_.leftMoreAmount = leftMoreAmounts_.value();
    figures_.rightMoreAmount = std::abs(otherAmounts_.value());

    skipOnFailure([&] { fillHeaderRows(sheet_, rowCells(totalsRow), colour); });
    skipOnFailure([&] { sheet_.cells(totalsRow, 1).setValue(QStringLiteral("合计")); });
    skipOnFailure(
        [&] { sheet_.rows(4, totalsRow).setHorizontalAlignment(host::xl::kAlignCenter); });
    writeTotals(totalsRow);
    if (input_.options.reportTableLines)
        skipOnFailure([&] {
            sheet_.range(CellRect{4, 1, totalsRow, kColumns})
                .borders()
                .setLineStyle(host::xl::kContinuous);
        });
    // The differences of all group rows in one relative formula; the figures were summed while
    // the rows were written, from the same counts and totals.
    if (lastGroupRow >= kFirstGroupRow)
        skipOnFailure([&] {
            sheet_.range(CellRect{kFirstGroupRow, 8, lastGroupRow, 9})
                .setFormulaR1C1(QStringLiteral("=RC[-6]-RC[-3]"));
        });
    skipOnFailure([&] { sheet_.rows(totalsRow, totalsRow).setRowHeight(20); });

    const QString sentence = conclusion();
    const int conclusionRow = totalsRow + 1;
    skipOnFailure([&] { sheet_.range(rowCells(conclusionRow)).merge(); });
    skipOnFailure([&] { sheet_.cells(conclusionRow, 1).setValue(sentence); });
    skipOnFailure(
        [&] { sheet_.cells(conclusionRow, 1).setHorizontalAlignment(host::xl::kAlignLeft); });
    skipOnFailure([&] { sheet_.cells(conclusionRow, 1).font().setColorIndex(3); });

    const int timeRow = totalsRow + 2;
    skipOnFailure([&] { sheet_.range(rowCells(timeRow, 1, 6)).merge(); });
    skipOnFailure([&] {
        sheet_.cells(timeRow, 1)
            .setValue(QStringLiteral("报告时间:") +
                      input_.reportTime.toString(QStringLiteral("yyyy/M/d H:mm:ss")));
    });
    skipOnFailure([&] {
        sheet_.cells(timeRow, kColumns).setValue(QStringLiteral("报告人:") + input_.logonName);
    });
    skipOnFailure(
        [&] { sheet_.cells(timeRow, kColumns).setHorizontalAlignment(host::xl::kAlignRight); });

    // The panes freeze on the active sheet; in a two-pass run the source copy moved last is
    // active here, so the report is activated first or its header would scroll away.
    skipOnFailure([&] { sheet_.select(); });
    skipOnFailure([&] { sheet_.cells(6, 1).select(); });
    skipOnFailure([&] { app.freezePanes(); });
    if (lastGroupRow >= kFirstGroupRow)
        skipOnFailure([&] {
            auto sort = sheet_.sort();
            sort.addSortField(sheet_.cells(kFirstGroupRow, 1), host::SortOrder::Ascending);
            sort.setRange(sheet_.range(CellRect{kFirstGroupRow, 1, lastGroupRow, kColumns}));
            sort.setHeader(false);
            sort.apply();
        });
    skipOnFailure([&] { sheet_.rows(lastGroupRow + 1, lastGroupRow + 1).deleteCells(); });
    skipOnFailure([&] { sheet_.rows(6, 6).deleteCells(); });

    skipOnFailure([&] {
        const bool alerts = app.displayAlerts();
        app.setDisplayAlerts(false);
        auto sheets = book.sheets();
        for (int index = sheets.count(); index >= 1; --index) {
            auto sheet = sheets[index];
            skipOnFailure([&] {
                if (sheet.cells(1, 1).value().isEmpty()) sheet.remove();
            });
        }
        app.setDisplayAlerts(alerts);
    });
    applyPageSetup(sheet_, [](auto&& step) { skipOnFailure(step); });
    return sentence;
}

}  // namespace tallimo::core::detail
