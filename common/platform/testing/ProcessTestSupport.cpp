#include "ProcessTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace tallimo::testsupport {

bool writeScript(const QString& path, const QByteArray& text) {
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) || script.write(text) != text.size()) return false;
    script.close();
    return script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}

bool waitForFile(const QString& path, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(path) && clock.elapsed() < milliseconds)
        QThread::msleep(20);
    return QFile::exists(path);
}

}  // namespace tallimo::testsupport
