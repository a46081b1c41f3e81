#include "Commands.h"

#include "AreaReader.h"
#include "SelectionAnswer.h"
#include "WindowSystem.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QTimer>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace tallimo::addin {

namespace {

constexpr int kOwnershipCheckMilliseconds = 200;

struct SelectArguments {
    QString file;
    QHash<QString, QString> options;  // --sheet, --range, --for, --parent, --son

    QString option(const char* name) const { return options.value(QLatin1String(name)); }
    bool has(const char* name) const { return options.contains(QLatin1String(name)); }
};

std::optional<SelectArguments> parseArguments(const QStringList& args) {
    static const QStringList valued = {QStringLiteral("--sheet"), QStringLiteral("--range"),
                                       QStringLiteral("--for"), QStringLiteral("--parent"),
                                       QStringLiteral("--son")};
    SelectArguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (valued.contains(args[i]) && i + 1 < args.size()) {
            parsed.options.insert(args[i], args[i + 1]);
            ++i;
        } else if (!args[i].startsWith(u"--") && parsed.file.isEmpty()) {
            parsed.file = args[i];
        } else {
            return std::nullopt;
        }
    }
    const QString target = parsed.option("--for");
    if (parsed.file.isEmpty() || !parsed.has("--range") ||
        (!target.isEmpty() && target != u"reconciler" && target != u"dupfinder") ||
        parsed.has("--parent") != parsed.has("--son"))
        return std::nullopt;
    return parsed;
}

// The handles given on the command line, or the open range window and its text box.
std::optional<RangeWindow> rangeWindow(const SelectArguments& args, platform::WindowSystem& windows,
                                       QString& failure) {
    if (!args.has("--parent")) return findRangeWindow(windows, failure);
    const auto parent = platform::parseHandle(args.option("--parent"));
    const auto son = platform::parseHandle(args.option("--son"));
    if (!parent || !son) {
        failure = QStringLiteral("--parent and --son take window handles (non-zero numbers)");
        return std::nullopt;
    }
    return RangeWindow{*parent, *son};
}

// The display texts of the row above the area, for the titles key; none when the area starts in
// row 1 or the row cannot be read (the area itself was: the titles are only a help).
QStringList titlesAbove(const SelectArguments& args, const area::AreaText& area) {
    if (area.block.top <= 1) return {};
    const host::CellRect above{area.block.top - 1, area.block.left, area.block.top - 1,
                               area.block.right};
    try {
        const area::AreaText row = area::readAreaBlock(args.file, args.option("--sheet"), above);
        return row.selectionText.chopped(row.selectionText.endsWith(u"\r\n") ? 2 : 0).split(u'\t');
    } catch (const area::AreaError&) {
        return {};
    }
}

}  // namespace

int runSelect(const QStringList& arguments) {
    const auto args = parseArguments(arguments);
    if (!args) return usageError();
    const SelectionTarget target = args->option("--for") == u"dupfinder"
                                       ? SelectionTarget::DupFinder
                                       : SelectionTarget::Reconciler;

    area::AreaText area;
    try {
        area = area::readArea(args->file, args->option("--sheet"), args->option("--range"));
    } catch (const area::AreaError& error) {
        return failWith(error.message());
    }

    auto windows = platform::createWindowSystem();
    std::optional<RangeWindow> window;
    QString titles;
    if (target == SelectionTarget::Reconciler) {
        QString failure;
        window = rangeWindow(*args, *windows, failure);
        if (!window) return failWith(failure);
        titles = titlesText(titlesAbove(*args, area));
    }
    return answerSelection(area, titles, target, window, *windows);
}

int serveClipboard(int argc, char** argv) {
    QFile input;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly)) return kExitFailed;
    const QString text = QString::fromUtf8(input.readAll());
    input.close();

    QGuiApplication app(argc, argv);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    const auto windows = platform::createWindowSystem();
    const auto owner = windows->clipboardOwner();
    const bool owns = clipboard->ownsClipboard() && owner.has_value();
    const char answer = owns ? '1' : '0';
    (void)!::write(STDOUT_FILENO, &answer, 1);
    if (const int devNull = ::open("/dev/null", O_WRONLY); devNull >= 0)
        ::dup2(devNull, STDOUT_FILENO);
    if (!owns) return kExitFailed;
    // As clipboard tools do: serve the text until another program takes the clipboard over, or
    // until it has no owner at all (a program took it and ended at once, which Qt does not notice).
    QTimer ownership;
    QObject::connect(&ownership, &QTimer::timeout, &app, [&] {
        if (!clipboard->ownsClipboard() || windows->clipboardOwner() != owner) app.quit();
    });
    ownership.start(kOwnershipCheckMilliseconds);
    return app.exec();
}

}  // namespace tallimo::addin
