#include "FrmCF.h"
#include "Ini.h"
#include "ProgramFolder.h"
#include "SingleInstance.h"
#include "StandardTexts.h"
#include "StoreFailure.h"
#include "SystemInfo.h"

#include <QApplication>

using namespace tallimo;

int main(int argc, char* argv[]) {
    // A second copy ends at once, showing nothing.
    platform::FileInstanceLock instances;
    if (!instances.claim(QStringLiteral("dupfinder"))) return 0;

    QCoreApplication::setApplicationName(QStringLiteral("dupfinder"));
    ui::ReportingApplication app(argc, argv);
    // The selection window ends the program; the options window may hand back to it.
    app.setQuitOnLastWindowClosed(false);
    ui::loadChineseStandardTexts();

    ui::QtMessageBoxes messages;
    ui::SystemClipboardText clipboard;
    platform::DetachedProcessStarter starter;
    const dupfinder::DupServices services{messages,
                                          clipboard,
                                          starter,
                                          defaultIniPath(),
                                          platform::documentsFolder(),
                                          platform::temporaryFolder(),
                                          programFolder(),
                                          true};
    dupfinder::DupSession session;
    dupfinder::FrmCF window(session, services);
    window.start();
    return app.exec();
}
