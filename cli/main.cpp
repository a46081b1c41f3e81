#include "AreaCommand.h"
#include "DedupCommand.h"
#include "LargePages.h"
#include "LocalTimeZone.h"
#include "ProgressLine.h"
#include "ReconcileCommand.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    tallimo::cli::restartWithLargePages(argv);
    tallimo::cli::nameLocalTimeZone();
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.value(0) == u"area")
        return tallimo::cli::runAreaCommand(arguments.mid(1), stdout, stderr);

    // Everything is printed after the progress line has been wiped, so no message shares its
    // line with it.
    QStringList out, err;
    int exitCode = 0;
    {
        tallimo::cli::ProgressLine progress;
        const auto run = !arguments.isEmpty() && arguments.first() == u"dedup"
                             ? tallimo::cli::runDedupCommandLine
                             : tallimo::cli::runCommandLine;
        exitCode = run(
            arguments, [&out](const QString& text) { out << text; },
            [&err](const QString& text) { err << text; },
            [&progress](const QString& stage) { progress.setStage(stage); });
    }
    for (const QString& text : err)
        std::fputs((text + u'\n').toUtf8().constData(), stderr);
    for (const QString& text : out)
        std::fputs((text + u'\n').toUtf8().constData(), stdout);
    return exitCode;
}
