#include "Commands.h"

#include <QCoreApplication>
#include <array>
#include <cstring>

namespace tallimo::addin {

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const QStringList&);
};

const std::array kCommands{
    Command{"settings", "settings get SECTION KEY | set SECTION KEY VALUE | delete SECTION [KEY]",
            runSettings},
    Command{"ini", "ini get|set|delete SECTION KEY [VALUE] [--file PATH]", runIni},
    Command{"select",
            "select FILE [--sheet NAME] --range RANGE [--for reconciler|dupfinder] "
            "[--parent ID --son ID]",
            runSelect},
    Command{"start",
            "start [--select-area1 [--front ID] | --dupfinder | --guard PATH] [--folder DIR]",
            runStart},
    Command{"waiting", "waiting", runWaiting},
    Command{"report",
            "report --workbook NAME --sheet NAME --range RANGE [--for reconciler|dupfinder] "
            "< CELLS.json",
            runReport},
    Command{"guard", "guard PATH", runGuard},
};

}  // namespace

int usageError() {
    std::fputs("usage:\n", stderr);
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  tallimo-addin %s\n", command.usage);
    return kExitUsage;
}

}  // namespace tallimo::addin

int main(int argc, char** argv) {
    using namespace tallimo::addin;
    // Before any application object: the clipboard server makes a window-system one.
    if (argc == 2 && std::strcmp(argv[1], kServeClipboardCommand) == 0)
        return serveClipboard(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usageError();
    for (const Command& command : kCommands)
        if (args.first() == QLatin1String(command.name)) return command.run(args.mid(1));
    return usageError();
}
