#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace tallimo::cli {

// A self-rewriting line on stderr that names the current stage and the seconds spent. It shows
// only once the work has taken longer than a second, and only when stderr is a terminal, so
// short runs and redirected output stay clean.
class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void setStage(const QString& stage);

private:
    void run();

    const bool enabled_;
    // Standard error, through a descriptor of its own that stays open while the process
    // silences its standard error.
    std::FILE* terminal_ = nullptr;
    const std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable wake_;
    QString stage_;
    bool stopping_ = false;
    QString shownLine_;
    std::thread thread_;
};

}  // namespace tallimo::cli
