#pragma once

#include <QHash>
#include <QSet>
#include <QString>

namespace tallimo::platform {

// One running copy per program and user.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when no other copy of `program` runs for this user; this process then counts as the
    // running copy until it ends.
    virtual bool claim(const QString& program) = 0;
};

// A lock file per program in the user's runtime folder, held with flock(): the kernel drops
// the lock when the process ends in any way, so a copy that crashed never blocks the next start.
class FileInstanceLock final : public InstanceLock {
public:
    // `folder` empty: lockFolder().
    explicit FileInstanceLock(QString folder = {});
    ~FileInstanceLock() override;
    FileInstanceLock(const FileInstanceLock&) = delete;
    FileInstanceLock& operator=(const FileInstanceLock&) = delete;

    bool claim(const QString& program) override;

    // $XDG_RUNTIME_DIR when it names a folder, else /tmp/tallimo-<uid> (created private).
    static QString lockFolder();

private:
    QString folder_;
    QHash<QString, int> held_;  // program -> descriptor of its lock file
};

// A test double: the programs already running are listed.
class FakeInstanceLock final : public InstanceLock {
public:
    QSet<QString> running;
    bool claim(const QString& program) override {
        if (running.contains(program)) return false;
        running.insert(program);
        return true;
    }
};

}  // namespace tallimo::platform
