// Registers add-in files with the host and switches them on or off, as environment maintenance
// does: `tallimo_calc_register FILE on|off...`. Prints each title; a host failure ends with its
// message and exit 1.
#include "Host.h"
#include "HostTypes.h"
#include "MemoryHost.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() % 2 != 0) {
        std::fputs("usage: tallimo_calc_register FILE on|off...\n", stderr);
        return 2;
    }
    tallimo::host::Application host(tallimo::host::makeMemoryHost());
    try {
        for (qsizetype i = 0; i < args.size(); i += 2) {
            const QString title = host.addIns().add(args[i]);
            host.addIns().setInstalled(title, args[i + 1] == u"on");
            std::printf("%s\n", title.toUtf8().constData());
        }
    } catch (const tallimo::host::HostError& error) {
        std::fprintf(stderr, "%s\n", error.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
