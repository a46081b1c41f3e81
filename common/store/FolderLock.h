#pragma once

#include <QString>

namespace tallimo {

// An exclusive advisory lock on the folder that holds a file, kept until destruction. The
// store's programs take it around work that must not interleave with another program's on the
// same folder. Without a folder to open it holds nothing, and the work goes on unguarded.
class FolderLock {
public:
    explicit FolderLock(const QString& file);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

}  // namespace tallimo
