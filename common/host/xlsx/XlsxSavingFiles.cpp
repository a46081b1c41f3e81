#include "Xlsx.h"

#include <signal.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <limits>

namespace tallimo::host {

namespace {

const QLatin1StringView kSuffix(".tallimo-saving");

bool processIsAlive(qint64 pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    // The running process has not started its own save yet, so a file with its id is a
    // leftover of an earlier process that had the same id.
    if (pid == ::getpid()) return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

QString xlsxSavingName(const QString& path) {
    const QFileInfo target(path);
    return target.absoluteDir().filePath(
        QStringLiteral(".%1.%2%3").arg(target.fileName()).arg(::getpid()).arg(kSuffix));
}

int removeAbandonedSavingFiles(const QString& path, const QDateTime& runStart) {
    const QFileInfo target(path);
    const QRegularExpression pattern(QStringLiteral("^\\.%1\\.([0-9]{1,10})%2$")
                                         .arg(QRegularExpression::escape(target.fileName()),
                                              QRegularExpression::escape(kSuffix)));
    int removed = 0;
    const QDir folder = target.absoluteDir();
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = pattern.match(file.fileName());
        if (!match.hasMatch() || file.isSymLink()) continue;
        if (file.lastModified() >= runStart) continue;
        if (processIsAlive(match.captured(1).toLongLong())) continue;
        if (QFile::remove(file.absoluteFilePath())) ++removed;
    }
    return removed;
}

}  // namespace tallimo::host
