#include "Clipboard.h"
#include "MemoryHost.h"
#include "MessageBoxes.h"
#include "Pictures.h"
#include "ProcessStarter.h"
#include "ProgramDialogs.h"
#include "ProgramFolder.h"
#include "ReconcilerWindows.h"
#include "ResultShown.h"
#include "SingleInstance.h"
#include "StandardTexts.h"
#include "StoreFailure.h"
#include "WindowSystem.h"
#include "aFrm.h"

#include <QApplication>
#include <QTimer>

#include <unistd.h>

using namespace tallimo;

int main(int argc, char* argv[]) {
    // Also the window class of the program's windows.
    QCoreApplication::setApplicationName(QStringLiteral("reconciler"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLIMO_VERSION));
    ui::ReportingApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ui::loadChineseStandardTexts();
    app.setFont(reconciler::panelFont(9));

    ui::QtMessageBoxes messages;
    ui::SystemClipboardText clipboard;
    platform::DetachedProcessStarter processes;
    const std::unique_ptr<platform::WindowSystem> windows = platform::createWindowSystem();
    platform::FileInstanceLock instances;

    reconciler::Services services;
    services.messages = &messages;
    services.clipboard = &clipboard;
    services.processes = &processes;
    services.windows = windows.get();
    services.createHost = [&messages] {
        host::MemoryHostOptions options;
        options.showFile = ui::showResultOrTell(messages, QStringLiteral("对账结果"));
        // The extension manager refuses root a profile of its own: as root, maintenance sets the
        // spreadsheet up for every user of the machine.
        options.extensionsForAllUsers = ::geteuid() == 0;
        return std::make_unique<host::Application>(host::makeMemoryHost(options));
    };
    services.clock = [] { return QDateTime::currentDateTime(); };
    services.programFolder = programFolder();
    services.endProgram = [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); };

    reconciler::ReconcilerWindows reconcilerWindows(services);
    reconciler::connectProgramDialogs(reconcilerWindows);
    const QString commandLine = app.arguments().mid(1).join(u' ');
    try {
        if (!reconcilerWindows.panel().startUp(commandLine, QCoreApplication::applicationVersion(),
                                               instances))
            return 0;
    } catch (const std::exception& e) {
        messages.show(ui::MessageIcon::Error, QString::fromUtf8(e.what()));
        return 1;
    }
    return app.exec();
}
