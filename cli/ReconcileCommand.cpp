#include "ReconcileCommand.h"

#include "AreaPreparation.h"
#include "AreaReader.h"
#include "Host.h"
#include "LogonName.h"
#include "MemoryHost.h"
#include "ResultFile.h"

#include <QDateTime>
#include <algorithm>
#include <functional>
#include <future>
#include <optional>

namespace tallimo::cli {

namespace {

void report(const StageReporter& reportStage, const QString& stage) {
    if (reportStage) reportStage(stage);
}

struct AreaRequest {
    const AreaOptions* options;
    core::Side side;
    bool readTitles;                      // the row above the area, for the balance statement
    std::optional<host::CellRect> block;  // the given range; none: the sheet's used area
    std::optional<ColumnRoles> roles;     // resolved once the area is known when no range is given
};

struct PreparedArea {
    core::PreparedSide side;
    QString note;  // what the reading changed, for the user; empty when nothing
};

// The titles in the row above the area; none when the area starts in row 1 or that row is
// empty (the area's own first row may then hold them).
QStringList titlesAbove(const AreaRequest& request, const host::CellRect& block) {
    if (block.top <= 1) return {};
    const host::CellRect above{block.top - 1, block.left, block.top - 1, block.right};
    area::AreaText row;
    try {
        row = area::readAreaBlock(request.options->file, request.options->sheet, above);
    } catch (const area::AreaError&) {
        return {};
    }
    QStringList titles =
        row.selectionText.chopped(row.selectionText.endsWith(u"\r\n") ? 2 : 0).split(u'\t');
    for (QString& title : titles)
        title = title.trimmed();
    const bool empty =
        std::all_of(titles.cbegin(), titles.cend(), [](const QString& t) { return t.isEmpty(); });
    return empty ? QStringList() : titles;
}

PreparedArea readAndPrepare(const AreaRequest& request) {
    area::AreaText text;
    try {
        text = area::readAreaBlock(request.options->file, request.options->sheet, request.block,
                                   request.options->range);
    } catch (const area::AreaError& e) {
        throw CliError(kExitInvalidInput,
                       areaName(request.side) + QStringLiteral("：") + e.message());
    }
    if (text.block.rowCount() == 1 && text.block.columnCount() == 1) {
        throw CliError(
            kExitInvalidInput,
            areaName(request.side) +
                QStringLiteral("：区域“%1”只有一个单元格，请给出 B2:F40 这样的连续区域")
                    .arg(request.options->range.isEmpty() ? text.range : request.options->range));
    }
    const ColumnRoles roles = request.roles
                                  ? *request.roles
                                  : resolveColumnRoles(*request.options, text.block, request.side);
    QStringList notes;
    if (request.options->range.isEmpty()) notes.append(area::chosenRangeNote(text));
    if (const QString flattened = area::flattenedCellsNote(text); !flattened.isEmpty())
        notes.append(flattened);
    for (QString& line : notes)
        line.prepend(areaName(request.side) + QStringLiteral("："));
    PreparedArea prepared{prepareArea(text, roles, request.side), notes.join(u'\n')};
    if (request.readTitles) prepared.side.columnHeaders = titlesAbove(request, text.block);
    return prepared;
}

// A column the suggestions are told to use, as a position in the area.
int positionInArea(const QString& letters, const core::PreparedSide& side, core::Side which,
                   const QString& what) {
    const int first = columnNumber(side.area.firstColumn);
    const int last = columnNumber(side.area.lastColumn);
    const int column = columnNumber(letters);
    if (column < first || column > last)
        throw CliError(kExitInvalidInput,
                       areaName(which) + QStringLiteral("：%1%2不在区域 %3%4:%5%6 内")
                                             .arg(what, letters, side.area.firstColumn)
                                             .arg(side.area.firstRow)
                                             .arg(side.area.lastColumn)
                                             .arg(side.area.lastRow));
    return column - first + 1;
}

core::SuggestionColumns suggestionColumns(const AreaOptions& options,
                                          const core::PreparedSide& side, core::Side which) {
    core::SuggestionColumns columns;
    if (!options.dateColumn.isEmpty())
        columns.date = positionInArea(options.dateColumn, side, which, QStringLiteral("日期列"));
    for (const QString& letters : options.nameColumns)
        columns.names.append(positionInArea(letters, side, which, QStringLiteral("名称列")));
    return columns;
}

core::SuggestionRequest suggestionRequest(const ReconcileOptions& options,
                                          const core::ReconcileRequest& request) {
    core::SuggestionRequest wanted;
    wanted.windowDays = options.suggest.windowDays;
    wanted.feeLimitCents = options.suggest.feeLimitCents;
    wanted.left = suggestionColumns(options.left, request.left, core::Side::Left);
    wanted.right = suggestionColumns(options.right, request.right, core::Side::Right);
    return wanted;
}

// Each pass's conclusion, and after it what its suggestions came to.
QStringList outputLines(const core::ReconcileResult& result) {
    QStringList lines;
    for (const core::PassResult& pass : result.passes) {
        if (!pass.completed) continue;
        lines.append(pass.conclusion);
        if (!pass.suggestions) continue;
        lines.append(
            pass.suggestions->failure.isEmpty()
                ? QStringLiteral("疑似匹配: %1").arg(pass.suggestions->suggestions)
                : QStringLiteral("疑似匹配: 未能写出建议表：%1").arg(pass.suggestions->failure));
    }
    if (const auto& statement = result.balanceStatement) {
        if (!statement->reason.isEmpty())
            lines.append(QStringLiteral("余额调节表: 未生成，") + statement->reason);
        else if (!statement->failure.isEmpty())
            lines.append(QStringLiteral("余额调节表: 未能写出：") + statement->failure);
        else if (!statement->check.isEmpty())
            lines.append(QStringLiteral("核对结果: ") + statement->check);
        else
            lines.append(QStringLiteral("核对结果: 缺少期末余额，请在余额调节表中填入"));
    }
    return lines;
}

}  // namespace

QStringList runReconcile(const ReconcileOptions& options, const StageReporter& reportStage,
                         const NoteSink& note) {
    const QDateTime runStart = QDateTime::currentDateTime();
    prepareOutputPath(options.output, {options.left.file, options.right.file}, runStart);
    // The arguments are checked before any file is read, so a mistyped column fails at once.
    std::vector<AreaRequest> requests;
    for (const auto& [areaOptions, side] : {std::pair{&options.left, core::Side::Left},
                                            std::pair{&options.right, core::Side::Right}}) {
        if (areaOptions->range.isEmpty()) {
            requests.push_back(
                {areaOptions, side, options.statement.wanted, std::nullopt, std::nullopt});
            continue;
        }
        host::CellRect block;
        try {
            block = area::parseAreaRange(areaOptions->range);
        } catch (const area::AreaError& e) {
            throw CliError(kExitInvalidInput, areaName(side) + QStringLiteral("：") + e.message());
        }
        requests.push_back({areaOptions, side, options.statement.wanted, block,
                            resolveColumnRoles(*areaOptions, block, side)});
    }

    // The two files are independent, so the right one is read beside the left one. A failure of
    // the left area is still the one reported when both fail: its exception leaves first, and the
    // future's destructor waits for the right reading to end.
    report(reportStage, QStringLiteral("读取左区"));
    std::future<PreparedArea> rightReading =
        std::async(std::launch::async, readAndPrepare, std::cref(requests[1]));
    PreparedArea leftArea = readAndPrepare(requests[0]);
    report(reportStage, QStringLiteral("读取右区"));
    PreparedArea rightArea = rightReading.get();
    for (const PreparedArea* prepared : {&leftArea, &rightArea})
        if (note && !prepared->note.isEmpty()) note(prepared->note);

    core::ReconcileRequest request;
    request.left = std::move(leftArea.side);
    request.right = std::move(rightArea.side);
    request.options = {options.colourMarking, options.reportTableLines, options.sourceTableLines};
    // The area prepared last answers whether the comparison-column list is empty.
    request.compareListEmpty = requests[1].options->compareColumns.isEmpty();
    request.reportTime = QDateTime::currentDateTime();
    request.logonName = loggedOnUserName();
    if (options.suggest.wanted) request.suggestions = suggestionRequest(options, request);
    if (options.statement.wanted)
        request.balanceStatement = core::BalanceStatementRequest{
            options.statement.receiptsPass, options.statement.statementOnLeft,
            options.statement.leftClosingCents, options.statement.rightClosingCents};
    core::Progress progress;
    progress.passStarted = [&](int pass) {
        report(reportStage, QStringLiteral("第%1遍比对").arg(pass));
    };

    host::Application app(host::makeMemoryHost());
    const core::ReconcileResult result = core::reconcile(app, std::move(request), progress);
    if (const int failed = result.failedPass()) {
        throw CliError(kExitInvalidInput, QStringLiteral("第%1遍比对未能完成：%2")
                                              .arg(failed)
                                              .arg(result.passes[std::size_t(failed - 1)].failure));
    }
    report(reportStage, QStringLiteral("保存结果"));
    saveResult(app.workbooks()[result.workbookName()], options.output);
    return outputLines(result);
}

int runCommandLine(const QStringList& arguments, const std::function<void(const QString&)>& out,
                   const std::function<void(const QString&)>& err,
                   const StageReporter& reportStage) {
    if (arguments.isEmpty()) {
        err(usageText());
        return kExitUsage;
    }
    if (wantsHelp(arguments)) {
        out(usageText());
        return 0;
    }
    try {
        for (const QString& line : runReconcile(parseArguments(arguments), reportStage, err)) {
            out(line);
        }
        return 0;
    } catch (const CliError& e) {
        err(e.message());
        return e.exitCode();
    }
}

}  // namespace tallimo::cli
