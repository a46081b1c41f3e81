#include "DedupCommand.h"

#include "AreaReader.h"
#include "ColorBoxes.h"
#include "DedupJob.h"
#include "MemoryHost.h"
#include "ResultFile.h"

#include <QDateTime>
#include <algorithm>
#include <optional>

namespace tallimo::cli {

namespace {

std::vector<int> colorIndexes(const OptionTable& table, const QString& value) {
    std::vector<int> boxes;
    for (const QString& piece : value.split(u',')) {
        bool ok = false;
        const int index = piece.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= dupfinder::kColorBoxCount) {
            throw table.error(
                QStringLiteral("--colors 的值“%1”不是 0 到 11 的色块序号列表（例如 2,7）")
                    .arg(value));
        }
        boxes.push_back(index);
    }
    std::sort(boxes.begin(), boxes.end());
    boxes.erase(std::unique(boxes.begin(), boxes.end()), boxes.end());
    return boxes;
}

void report(const StageReporter& reportStage, const QString& stage) {
    if (reportStage) reportStage(stage);
}

// The ticked list positions of the given letters inside the block; the last column by default,
// as the options window ticks it.
std::vector<int> tickedPositions(const QStringList& columns, const host::CellRect& block) {
    if (columns.isEmpty()) return {block.columnCount() - 1};
    std::vector<int> positions;
    for (const QString& letters : columns) {
        const int column = columnNumber(letters);
        if (column < block.left || column > block.right) {
            throw CliError(kExitInvalidInput, QStringLiteral("列 %1 不在区域 %2 之内")
                                                  .arg(letters, host::absoluteAddress(block)));
        }
        positions.push_back(column - block.left);
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

}  // namespace

DedupOptions parseDedupArguments(const QStringList& arguments) {
    OptionTable table(dedupUsageText());
    if (arguments.isEmpty() || arguments.first() != u"dedup")
        throw table.error(QStringLiteral("缺少命令"));
    DedupOptions options;
    table.option(QStringLiteral("--input"), [&options](const QString& v) { options.input = v; });
    table.option(QStringLiteral("--sheet"), [&options](const QString& v) { options.sheet = v; });
    table.option(QStringLiteral("--range"), [&options](const QString& v) { options.range = v; });
    table.option(QStringLiteral("--columns"), [&](const QString& v) {
        options.columns =
            columnLetterList(table, QStringLiteral("--columns"), v, QStringLiteral("B,D"));
        options.columns.removeDuplicates();
    });
    table.option(QStringLiteral("--colors"),
                 [&](const QString& v) { options.colorBoxes = colorIndexes(table, v); });
    table.option(QStringLiteral("--output"), [&options](const QString& v) { options.output = v; });
    table.flag(QStringLiteral("--ignore-blanks"), [&options] { options.ignoreBlanks = true; });
    table.parse(arguments.mid(1));
    table.require(
        {{&options.input, QLatin1String("--input")}, {&options.output, QLatin1String("--output")}});
    return options;
}

QString dedupUsageText() {
    return QStringLiteral(
        "用法: tallimo-cli dedup --input FILE [--sheet NAME] [--range RANGE]\n"
        "    [--columns COL[,COL...]] [--ignore-blanks] [--colors I[,I...]] --output OUT.xlsx\n"
        "\n"
        "  FILE             .xlsx、.xls、.ods、.csv、.tsv 或 .txt 文件（按内容识别）\n"
        "  NAME             工作表名称，缺省为第一个工作表\n"
        "  RANGE            区域，如 B3:F20 或 $B$3:$F$20；缺省为工作表的已用区域\n"
        "  --columns        重复的条件：所有这些列均相同时视为重复，缺省为区域的最后一列\n"
        "  --ignore-blanks  忽略选中列中的空格\n"
        "  --colors         依次标重的色块序号 0-11（S1 为 0），缺省不标色\n"
        "\n"
        "有重复时写入 OUT.xlsx 并输出报告结论；无重复时输出提示，不写文件。\n"
        "退出码: 0 成功，1 文件或区域无效，2 命令行用法错误。");
}

QString runDedup(const DedupOptions& options, const StageReporter& reportStage,
                 const NoteSink& note) {
    prepareOutputPath(options.output, {options.input}, QDateTime::currentDateTime());
    // A given range is checked before the file is read, so a mistyped column fails at once.
    std::optional<host::CellRect> given;
    std::vector<int> ticked;
    if (!options.range.isEmpty()) {
        try {
            given = area::parseAreaRange(options.range);
        } catch (const area::AreaError& e) {
            throw CliError(kExitInvalidInput, e.message());
        }
        ticked = tickedPositions(options.columns, *given);
    }

    report(reportStage, QStringLiteral("读取区域"));
    area::AreaText text;
    try {
        text = area::readAreaBlock(options.input, options.sheet, given, options.range);
    } catch (const area::AreaError& e) {
        throw CliError(kExitInvalidInput, e.message());
    }
    const host::CellRect block = text.block;
    if (!given) ticked = tickedPositions(options.columns, block);
    if (note) {
        if (!given) note(area::chosenRangeNote(text));
        if (const QString flattened = area::flattenedCellsNote(text); !flattened.isEmpty())
            note(flattened);
    }
    dupfinder::AreaBlockReading reading = dupfinder::readAreaBlock(std::move(text.selectionText));
    if (!reading.block) {
        const QString title =
            reading.error.title.isEmpty() ? QString() : reading.error.title + u'：';
        throw CliError(kExitInvalidInput, title + reading.error.text);
    }

    dupfinder::DedupRequest request;
    request.block = &*reading.block;
    request.area = dupfinder::searchAreaOf(block);
    request.detection.tickedPositions = ticked;
    request.detection.ignoreBlanks = options.ignoreBlanks;
    request.detection.colorBoxes = options.colorBoxes;
    request.reportTime = QDateTime::currentDateTime();
    // Per-key texts would only flood the progress line: it shows the stages.
    const dupfinder::Progress progress{[&reportStage](const QString& s) {
        if (!s.startsWith(u"正处理")) report(reportStage, s);
    }};
    host::Application app(host::makeMemoryHost());
    try {
        const dupfinder::DedupResult result = dupfinder::findDuplicates(app, request, progress);
        if (!result.workbookName.isEmpty()) {
            report(reportStage, QStringLiteral("保存结果"));
            saveResult(app.workbooks()[result.workbookName], options.output);
        }
        return result.sentence;
    } catch (const host::HostError& e) {
        throw CliError(kExitInvalidInput, e.message());
    }
}

int runDedupCommandLine(const QStringList& arguments,
                        const std::function<void(const QString&)>& out,
                        const std::function<void(const QString&)>& err,
                        const StageReporter& reportStage) {
    if (wantsHelp(arguments)) {
        out(dedupUsageText());
        return 0;
    }
    try {
        out(runDedup(parseDedupArguments(arguments), reportStage, err));
        return 0;
    } catch (const CliError& e) {
        err(e.message());
        return e.exitCode();
    }
}

}  // namespace tallimo::cli
