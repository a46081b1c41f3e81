#include "DupReport.h"
#include "MemoryHost.h"

#include <QCoreApplication>
#include <cstdio>

// Writes the report template with the project's own workbook writer, at build time.
int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: dupfinder-template OUT.xlsx\n", stderr);
        return 2;
    }
    try {
        tallimo::host::Application app(tallimo::host::makeMemoryHost());
        tallimo::dupfinder::buildTemplate(app).saveAs(arguments[1]);
    } catch (const tallimo::host::HostError& e) {
        std::fputs((e.message() + u'\n').toUtf8().constData(), stderr);
        return 1;
    }
    return 0;
}
