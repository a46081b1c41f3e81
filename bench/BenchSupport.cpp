#include "BenchSupport.h"

#include <QFile>
#include <cstdio>
#include <ctime>

namespace tallimo::bench {

double peakMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

StageTable::StageTable(const char* title) {
    std::printf("| %-36s | %9s | %9s | %10s |\n|%s|%s|%s|%s|\n", title, "wall s", "cpu s",
                "peak MiB", "--------------------------------------", "-----------", "-----------",
                "------------");
    std::fflush(stdout);
}

void StageTable::printRow(const char* name, double seconds, double cpu) {
    total_ += seconds;
    cpuTotal_ += cpu;
    std::printf("| %-36s | %9.3f | %9.3f | %10.0f |\n", name, seconds, cpu, peakMiB());
    std::fflush(stdout);
    cpu_.push_back(cpu);
}

void StageTable::printTotal() const {
    std::printf("| %-36s | %9.3f | %9.3f | %10s |\n", "total", total_, cpuTotal_, "");
}

}  // namespace tallimo::bench
