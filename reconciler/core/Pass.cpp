#include "Report.h"
#include "SourceCopy.h"

namespace tallimo::core {
namespace {

using detail::SourceLayout;
using host::Placement;
using host::Worksheet;

struct Sheets {
    Worksheet source;
    Worksheet report;
    detail::ReportHeader header;
};

// Pass 1: the new result workbook with "比对1" (and its copy "比对2") before the default sheets,
// then both sheets named and placed. Any host failure here ends the pass.
Sheets prepareFirstPass(host::Application& app, const SourceLayout& layout, const PassInput& input,
                        PassResult& result) {
    host::Workbook book = app.workbooks().add();
    const QString firstSheetName = book.sheets()[1].name();
    Worksheet source = book.sheets().add();
    source.setName(QStringLiteral("比对1"));
    detail::buildSourceCopy(source, layout, input);
    if (input.secondPassNeeded) {
        Worksheet copy = source.copy(source, Placement::After);
        copy.setName(QStringLiteral("比对2"));
        for (const host::CellRect& column : detail::sumColumns(layout, input, 1))
            copy.range(column).font().setBold(false);
    }
    book = app.activeWorkbook();
    result.workbookName = book.name();

    source.setName(result.sourceSheetName);
    Worksheet first = book.sheets()[firstSheetName];
    first.select();
    Sheets sheets{source, first, {}};
    if (input.secondPassNeeded) {
        sheets.report = book.activeSheet();
        sheets.report.setName(result.reportSheetName);
        source.move(sheets.report, Placement::Before);
        sheets.header.leftItem = u'(' + input.left->relationItems[0] + u')';
        sheets.header.rightItem = u'(' + input.right->relationItems[0] + u')';
    } else {
        first.setName(result.reportSheetName);
        first.select();
    }
    return sheets;
}

// Pass 2 works in the active workbook: "比对2" adapted, a report sheet added before it.
Sheets prepareSecondPass(host::Application& app, const SourceLayout& layout, const PassInput& input,
                         PassResult& result) {
    host::Workbook book = app.activeWorkbook();
    result.workbookName = book.name();
    Worksheet source = book.sheets()[QStringLiteral("比对2")];
    detail::prepareSecondSourceCopy(source, layout, input);
    book.sheets().addBefore(source);
    source.setName(result.sourceSheetName);
    Sheets sheets{source, book.activeSheet(), {}};
    sheets.report.setName(result.reportSheetName);
    source.move(sheets.report, Placement::Before);
    sheets.header.leftItem = u'(' + input.left->relationItems[1] + u')';
    sheets.header.rightItem = u'(' + input.right->relationItems[1] + u')';
    return sheets;
}

Outcome classify(qint32 leftCount, qint32 rightCount) {
    if (leftCount == rightCount) return Outcome::Matched;
    return leftCount > rightCount ? Outcome::LeftMore : Outcome::RightMore;
}

// The rows markGroup marks ◇ ○ ◆ ●, for the caller that explains them.
void handOverUnexplained(const PassInput& input, Outcome outcome, QStringView key,
                         const detail::GroupRows& rows, qint32 difference) {
    if (!input.unexplainedRows) return;
    switch (outcome) {
        case Outcome::Matched:
            return;
        case Outcome::LeftMore:
            input.unexplainedRows(Side::Left, rows.left.last(std::size_t(difference)), key);
            return;
        case Outcome::RightMore:
            input.unexplainedRows(Side::Right, rows.right.last(std::size_t(difference)), key);
            return;
        case Outcome::LeftOnly:
            input.unexplainedRows(Side::Left, rows.left, key);
            return;
        case Outcome::RightOnly:
            input.unexplainedRows(Side::Right, rows.right, key);
            return;
    }
}

// Right keys in order of first appearance (both-sided and right-only interleaved), then the
// left-only keys in order of first appearance on the left.
void walkGroups(const GroupIndex& left, const GroupIndex& right, const Sheets& sheets,
                const SourceLayout& layout, const PassInput& input, detail::ReportWriter& report) {
    std::vector<bool> paired(std::size_t(left.groupCount()), false);
    for (int rg = 0; rg < right.groupCount(); ++rg) {
        if (input.pump) input.pump();
        const int lg = left.find(right.key(rg));
        if (lg < 0) {
            report.writeGroup(Outcome::RightOnly, left, -1, right, rg);
            const detail::GroupRows rows{{}, right.rows(rg)};
            detail::markGroup(sheets.source, layout, input, Outcome::RightOnly, rows, 0);
            handOverUnexplained(input, Outcome::RightOnly, right.key(rg), rows, 0);
            continue;
        }
        paired[std::size_t(lg)] = true;
        const qint32 leftCount = left.count(lg), rightCount = right.count(rg);
        const Outcome outcome = classify(leftCount, rightCount);
        report.writeGroup(outcome, left, lg, right, rg);
        if (outcome == Outcome::Matched)
            report.addMatched(leftCount);
        else
            report.addPaired(std::min(leftCount, rightCount));
        const detail::GroupRows rows{left.rows(lg), right.rows(rg)};
        const qint32 difference = std::abs(leftCount - rightCount);
        detail::markGroup(sheets.source, layout, input, outcome, rows, difference);
        handOverUnexplained(input, outcome, right.key(rg), rows, difference);
    }
    for (int lg = 0; lg < left.groupCount(); ++lg) {
        if (input.pump) input.pump();
        if (paired[std::size_t(lg)]) continue;
        report.writeGroup(Outcome::LeftOnly, left, lg, right, -1);
        const detail::GroupRows rows{left.rows(lg), {}};
        detail::markGroup(sheets.source, layout, input, Outcome::LeftOnly, rows, 0);
        handOverUnexplained(input, Outcome::LeftOnly, left.key(lg), rows, 0);
    }
}

int groupRowCount(const GroupIndex& left, const GroupIndex& right) {
    int rows = right.groupCount();
    for (int lg = 0; lg < left.groupCount(); ++lg)
        if (right.find(left.key(lg)) < 0) ++rows;
    return rows;
}

// Both sheets must fit the host's grid; a pass that could not write all its rows would leave a
// partial result behind that looks complete.
QString capacityProblem(const SourceLayout& layout, int groupRows) {
    if (layout.left.lastRow > host::kMaxRows || layout.right.lastRow > host::kMaxRows)
        return QStringLiteral("选区的行数超出工作表的最大行数，无法写出数据源副本");
    if (layout.right.markColumn() > host::kMaxColumns)
        return QStringLiteral("两个选区的列数之和超出工作表的最大列数，无法写出数据源副本");
    // Header rows, the empty rows 6 and R+1, totals, conclusion and time.
    if (qint64(groupRows) + 10 > host::kMaxRows)
        return QStringLiteral("分组数(%1)超出工作表的最大行数，无法写出比对报告").arg(groupRows);
    return {};
}

void runPass(host::Application& app, const PassInput& input, int pass, PassResult& result) {
    const PreparedSide& left = *input.left;
    const PreparedSide& right = *input.right;
    const std::size_t slot = std::size_t(pass - 1);
    const QString pair = left.relationItems[slot] + u'_' + right.relationItems[slot];
    result.sourceSheetName = QStringLiteral("▲(") + pair + QStringLiteral(")源▲");
    result.reportSheetName =
        QString::number(pass) + QStringLiteral(".(") + pair + QStringLiteral(")比对报告√");

    // The indexes need no host, so they are built before anything is written.
    const GroupIndex leftIndex =
        buildGroupIndex(left.keyLists[slot], left.area.firstRow, input.pump);
    const GroupIndex rightIndex =
        buildGroupIndex(right.keyLists[slot], right.area.firstRow, input.pump);
    const SourceLayout layout = detail::sourceLayout(left.area, right.area);
    result.failure = capacityProblem(layout, groupRowCount(leftIndex, rightIndex));
    if (!result.failure.isEmpty()) return;

    Sheets sheets = pass == 1 ? prepareFirstPass(app, layout, input, result)
                              : prepareSecondPass(app, layout, input, result);
    if (pass == 1 && input.textsCopied) input.textsCopied();
    sheets.header.leftAddress = left.addressText;
    sheets.header.rightAddress = right.addressText;
    detail::writeReportHeader(sheets.report, sheets.header, input.options.colourMarking);

    detail::ReportWriter report(sheets.report, input);
    walkGroups(leftIndex, rightIndex, sheets, layout, input, report);

    host::Workbook book = app.workbooks()[result.workbookName];
    result.conclusion = report.close(app, book);
    result.figures = report.figures();
    detail::skipOnFailure([&] { book.sheets()[1].select(); });
    result.completed = true;
}

}  // namespace

PassResult runComparisonPass(host::Application& app, const PassInput& input, int passNumber) {
    PassResult result;
    if (passNumber != 1 && passNumber != 2) {
        result.failure = QStringLiteral("无效的比对序号%1").arg(passNumber);
        return result;
    }
    if (!input.left || !input.right) {
        result.failure = QStringLiteral("缺少选区数据");
        return result;
    }
    try {
        runPass(app, input, passNumber, result);
    } catch (const host::HostError& error) {
        result.failure = error.message();
    }
    return result;
}

}  // namespace tallimo::core
