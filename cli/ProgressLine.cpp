#include "ProgressLine.h"

#include <unistd.h>
#include <cstdio>

namespace tallimo::cli {

ProgressLine::ProgressLine()
    : enabled_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {
    if (!enabled_) return;
    if (const int fd = dup(STDERR_FILENO); fd >= 0) terminal_ = fdopen(fd, "w");
    if (terminal_ != nullptr) thread_ = std::thread([this] { run(); });
}

ProgressLine::~ProgressLine() {
    if (terminal_ == nullptr) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    if (!shownLine_.isEmpty()) std::fputs("\r\033[K", terminal_);
    std::fclose(terminal_);
}

void ProgressLine::setStage(const QString& stage) {
    std::lock_guard lock(mutex_);
    stage_ = stage;
}

void ProgressLine::run() {
    using namespace std::chrono;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, milliseconds(250), [this] { return stopping_; })) {
        const auto seconds = duration_cast<std::chrono::seconds>(steady_clock::now() - start_);
        if (seconds.count() < 1) continue;
        const QString line = QStringLiteral("\r\033[K%1… %2 秒").arg(stage_).arg(seconds.count());
        if (line == shownLine_) continue;
        shownLine_ = line;
        std::fputs(line.toLocal8Bit().constData(), terminal_);
        std::fflush(terminal_);
    }
}

}  // namespace tallimo::cli
