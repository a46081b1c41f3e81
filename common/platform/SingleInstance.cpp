#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallimo::platform {

namespace {

// A folder of this user's own that nobody else may write into; empty when there is none.
QString privateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    ::mkdir(native.constData(), 0700);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)))
        return {};
    return path;
}

}  // namespace

FileInstanceLock::FileInstanceLock(QString folder) : folder_(std::move(folder)) {
    if (folder_.isEmpty()) folder_ = lockFolder();
}

FileInstanceLock::~FileInstanceLock() {
    for (int descriptor : std::as_const(held_))
        ::close(descriptor);
}

QString FileInstanceLock::lockFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    return privateFolder(QDir::tempPath() + QStringLiteral("/tallimo-") +
                         QString::number(::geteuid()));
}

bool FileInstanceLock::claim(const QString& program) {
    if (held_.contains(program)) return true;
    // Without a place for the lock the rule cannot be kept; refusing every start would be worse.
    if (folder_.isEmpty()) return true;
    const QByteArray path = QFile::encodeName(folder_ + QStringLiteral("/tallimo-") + program +
                                              QStringLiteral(".lock"));
    // Close-on-exec: the programs this one starts must not inherit its lock.
    const int descriptor =
        ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) return true;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return false;
    }
    held_.insert(program, descriptor);
    return true;
}

}  // namespace tallimo::platform
