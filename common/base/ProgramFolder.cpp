#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tallimo {

QString programFolder() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    // Helpers and tests may run before (or without) an application object.
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

}  // namespace tallimo
