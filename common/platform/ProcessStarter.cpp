#include "ProcessStarter.h"

#include <QProcess>

namespace tallimo::platform {

bool DetachedProcessStarter::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

}  // namespace tallimo::platform
