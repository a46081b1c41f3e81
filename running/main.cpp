#include "BusyWindow.h"
#include "Entries.h"
#include "SingleInstance.h"

#include <QApplication>

using namespace tallimo;

int main(int argc, char* argv[]) {
    platform::FileInstanceLock instances;
    if (!instances.claim(QStringLiteral("busylight"))) return 0;

    // Also the window class, by which the indicator can be looked up.
    QCoreApplication::setApplicationName(QStringLiteral("busylight"));
    QApplication app(argc, argv);

    running::BusyWindow window(entries::hiSet::rCode().get(), running::panelPositionFromSettings());
    window.show();
    return app.exec();
}
