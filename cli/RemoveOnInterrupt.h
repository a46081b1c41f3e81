#pragma once

#include <QString>
#include <csignal>

namespace tallimo::cli {

// While alive, an interrupt (Ctrl-C, SIGTERM, SIGHUP) removes the given file before the process
// ends, so a run stopped while it writes leaves no half-written file behind. One at a time.
class RemoveOnInterrupt {
public:
    explicit RemoveOnInterrupt(const QString& path);
    ~RemoveOnInterrupt();
    RemoveOnInterrupt(const RemoveOnInterrupt&) = delete;
    RemoveOnInterrupt& operator=(const RemoveOnInterrupt&) = delete;

private:
    struct sigaction previous_[3];
};

}  // namespace tallimo::cli
