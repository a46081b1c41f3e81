#include "Commands.h"

#include <QCoreApplication>
#include <array>

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
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usageError();
    for (const Command& command : kCommands)
        if (args.first() == QLatin1String(command.name))
            return command.run(args.mid(1));
    return usageError();
}
