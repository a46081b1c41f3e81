#pragma once

#include <QElapsedTimer>
#include <cstddef>
#include <vector>

namespace tallimo::bench {

// The process's peak resident set since the start or the last resetPeak(), in MiB; 0 where it
// cannot be read.
double peakMiB();

// Starts a new peak at the present resident set. Resetting needs Linux 4.0+; where it fails the
// figure is the peak since the start, which still bounds the stage.
void resetPeak();

// CPU seconds of the process; on a shared machine they show the work itself where the wall
// time also shows the neighbours.
double cpuSeconds();

// A table on standard output, one row per stage: wall and CPU seconds and the peak resident
// memory of the stage.
class StageTable {
public:
    // Prints the header; `title` heads the column of stage names.
    explicit StageTable(const char* title);

    template <typename Work>
    void run(const char* name, Work&& work) {
        resetPeak();
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuSeconds();
        work();
        printRow(name, double(timer.nsecsElapsed()) / 1e9, cpuSeconds() - cpuStart);
    }
    // The CPU seconds of a stage, counted from 0 in the order run.
    double cpu(std::size_t stage) const { return cpu_[stage]; }
    void printTotal() const;

private:
    void printRow(const char* name, double seconds, double cpu);

    std::vector<double> cpu_;
    double total_ = 0;
    double cpuTotal_ = 0;
};

}  // namespace tallimo::bench
