#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>

namespace tallimo {

FolderLock::FolderLock(const QString& file)
    : fd_(::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                 O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tallimo
