#include "SystemInfo.h"

#include <QDir>
#include <QStandardPaths>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace tallimo::platform {

namespace {

QString accountName() {
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? size_t(bufferSize) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    char login[256] = {};
    if (::getlogin_r(login, sizeof login) == 0) return QString::fromLocal8Bit(login);
    return {};
}

QString withoutTrailingSeparator(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

}  // namespace

QString loggedOnUserName() {
    const QString name = accountName();
    return name.isEmpty() ? QStringLiteral("0") : name;
}

QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return withoutTrailingSeparator(documents.isEmpty() ? QDir::homePath() : documents);
}

QString temporaryFolder() {
    return withoutTrailingSeparator(QDir::tempPath());
}

}  // namespace tallimo::platform
