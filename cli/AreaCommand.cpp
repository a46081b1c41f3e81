#include "AreaCommand.h"

#include "AreaReader.h"
#include "CliOptions.h"

namespace tallimo::cli {

namespace {

void writeLine(std::FILE* stream, const QString& text) {
    std::fputs((text + u'\n').toUtf8().constData(), stream);
}

}  // namespace

int runAreaCommand(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    if (wantsHelp(arguments)) {
        writeLine(arguments.isEmpty() ? err : out, areaUsageText());
        return arguments.isEmpty() ? kExitUsage : 0;
    }
    try {
        const AreaCommandOptions options = parseAreaArguments(arguments);
        const area::AreaText text = area::readArea(options.file, options.sheet, options.range);
        if (options.range.trimmed().isEmpty()) writeLine(err, area::chosenRangeNote(text));
        if (const QString note = area::flattenedCellsNote(text); !note.isEmpty())
            writeLine(err, note);
        const QByteArray bytes = text.selectionText.toUtf8();
        if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out) !=
                std::size_t(bytes.size()) ||
            std::fflush(out) != 0) {
            writeLine(err, QStringLiteral("无法写出选区文本"));
            return kExitInvalidInput;
        }
        return 0;
    } catch (const CliError& e) {
        writeLine(err, e.message());
        return e.exitCode();
    } catch (const area::AreaError& e) {
        writeLine(err, e.message());
        return kExitInvalidInput;
    }
}

}  // namespace tallimo::cli
