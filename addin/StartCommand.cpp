#include "Commands.h"

#include "Entries.h"
#include "ProcessStarter.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "WindowSystem.h"

#include <QDir>
#include <optional>

namespace tallimo::addin {

namespace {

// What the add-in's button asks the main program to do at its start.
struct StartRequest {
    std::optional<entries::Setting> signal;  // written before the start
    QString signalValue;
    QStringList arguments;
};

std::optional<StartRequest> parseRequest(const QStringList& args) {
    if (args.isEmpty()) return StartRequest{};
    const QString& kind = args.first();
    if (kind == u"--dupfinder" && args.size() == 1)
        return StartRequest{
            entries::excel::diaoYongButtonCF(), entries::excel::duplicateFinderRequest(), {}};
    if (kind == u"--guard" && args.size() == 2 && !args[1].isEmpty())
        return StartRequest{std::nullopt, {}, {u'"' + QStringLiteral("-s|") + args[1] + u'"'}};
    if (kind != u"--select-area1") return std::nullopt;
    QString front;
    if (args.size() == 3 && args[1] == u"--front") {
        if (!platform::parseHandle(args[2])) return std::nullopt;
        front = args[2].trimmed();
    } else if (args.size() == 1) {
        // The window the main program brings back once the selection is open; 1 where the
        // display names no active window, so that the request still counts.
        front = platform::handleText(platform::createWindowSystem()->activeWindow().value_or(1));
    } else {
        return std::nullopt;
    }
    return StartRequest{entries::excel::diaoYongButton(), front, {}};
}

}  // namespace

int runStart(const QStringList& arguments) {
    QStringList args = arguments;
    // The stand-in lives one folder above the programs; the menu add-in names their folder.
    QString folder = QDir(programFolder()).filePath(QStringLiteral("Data"));
    if (const qsizetype at = args.indexOf(QStringLiteral("--folder")); at >= 0) {
        if (at + 1 >= args.size() || args[at + 1].isEmpty()) return usageError();
        folder = args[at + 1];
        args.remove(at, 2);
    }
    const auto request = parseRequest(args);
    if (!request) return usageError();
    const QString reconciler = QDir(folder).filePath(QStringLiteral("reconciler"));
    try {
        if (request->signal) request->signal->save(request->signalValue);
        platform::DetachedProcessStarter starter;
        if (!starter.start(reconciler, request->arguments)) {
            // A request left behind would surprise the next start of the main program.
            if (request->signal) request->signal->remove();
            return failWith(QStringLiteral("could not start ") + reconciler);
        }
    } catch (const SettingsError& error) {
        return failWith(QString::fromStdString(error.what()));
    }
    return kExitOk;
}

}  // namespace tallimo::addin
