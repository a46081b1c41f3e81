#include "Clipboard.h"
#include "MemoryHost.h"
#include "MessageBoxes.h"
#include "Pictures.h"
#include "ProcessStarter.h"
#include "ProgramDialogs.h"
#include "ProgramFolder.h"
#include "SingleInstance.h"
#include "WindowSystem.h"
#include "aFrm.h"

#include <QApplication>
#include <QTimer>

using namespace tallimo;

namespace {

// A failure nobody caught (an unwritable settings store) is shown instead of ending the program.
class ReconcilerApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ui::QtMessageBoxes().show(ui::MessageIcon::Error, QString::fromUtf8(e.what()));
            return false;
        }
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    // Also the window class of the program's windows.
    QCoreApplication::setApplicationName(QStringLiteral("reconciler"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLIMO_VERSION));
    ReconcilerApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
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
    services.createHost = [] {
        return std::make_unique<host::Application>(host::makeMemoryHost());
    };
    services.clock = [] { return QDateTime::currentDateTime(); };
    services.programFolder = programFolder();
    services.endProgram = [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); };

    reconciler::aFrm panel(services);
    reconciler::connectProgramDialogs(panel);
    const QString commandLine = app.arguments().mid(1).join(u' ');
    try {
        if (!panel.startUp(commandLine, QCoreApplication::applicationVersion(), instances))
            return 0;
    } catch (const std::exception& e) {
        messages.show(ui::MessageIcon::Error, QString::fromUtf8(e.what()));
        return 1;
    }
    return app.exec();
}
