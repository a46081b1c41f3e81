#include "SystemInfo.h"

#include <QDir>
#include <QStandardPaths>

namespace tallimo::platform {

namespace {

QString withoutTrailingSeparator(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

}  // namespace

QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return withoutTrailingSeparator(documents.isEmpty() ? QDir::homePath() : documents);
}

QString temporaryFolder() {
    return withoutTrailingSeparator(QDir::tempPath());
}

}  // namespace tallimo::platform
