#include "RemoveOnInterrupt.h"

#include <unistd.h>
#include <QFile>
#include <cstring>

namespace tallimo::cli {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

// Kept as bytes ready for unlink(), since the handler may call nothing but async-signal-safe
// functions.
char pendingPath[4096];

extern "C" void removePendingAndExit(int signal) {
    if (pendingPath[0] != '\0') unlink(pendingPath);
    _exit(128 + signal);
}

}  // namespace

RemoveOnInterrupt::RemoveOnInterrupt(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    if (std::size_t(bytes.size()) < sizeof pendingPath) {
        std::memcpy(pendingPath, bytes.constData(), std::size_t(bytes.size()) + 1);
    }
    struct sigaction action {};
    action.sa_handler = removePendingAndExit;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &action, &previous_[i]);
}

RemoveOnInterrupt::~RemoveOnInterrupt() {
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
    pendingPath[0] = '\0';
}

}  // namespace tallimo::cli
