#include "X11TestSupport.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>

namespace tallimo::testsupport {

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void startX11Application(const char* programName) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
    qputenv("QT_QPA_PLATFORM", "xcb");
    // The application keeps argc and argv for its whole life.
    static int argc = 1;
    static QByteArray name = programName;
    static char* argv[] = {name.data(), nullptr};
    new QApplication(argc, argv);
}

}  // namespace tallimo::testsupport
