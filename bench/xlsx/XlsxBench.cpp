// Times saving and opening one sheet of short texts (by default the full grid height of
// 1,048,576 rows by 10 columns) and prints the file size and the peak resident memory of each
// stage.
//
//     tallimo-bench-xlsx [ROWS] [COLUMNS]

#include "MemoryHost.h"
#include "TextGrid.h"
#include "Xlsx.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace tallimo;

namespace {

double peakMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

void report(const char* stage, const QElapsedTimer& timer) {
    std::printf("%-8s %8.2f s %10.0f MiB peak\n", stage, timer.elapsed() / 1000.0, peakMiB());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : host::kMaxRows;
    const int columns = argc > 2 ? std::atoi(argv[2]) : 10;
    auto memory = host::makeMemoryHost();
    QElapsedTimer timer;

    timer.start();
    const host::BookId book = memory->addWorkbook();
    const host::SheetId sheet = memory->sheetAt(book, 1);
    TextGrid grid(columns);
    grid.reserve(rows, qsizetype(rows) * columns * 8);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            grid.addCell(QStringLiteral("%1-%2").arg(r + 1).arg(c + 1));
        grid.endRow();
    }
    memory->setBlock(sheet, 1, 1, grid);
    grid = TextGrid();
    report("fill", timer);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    resetPeak();
    timer.restart();
    host::writeXlsx(*memory, book, path);
    report("save", timer);
    std::printf("file     %8.1f MiB for %d x %d cells\n", QFileInfo(path).size() / 1048576.0, rows,
                columns);

    const host::CellValue last = memory->value(sheet, rows, columns);
    memory->closeWorkbook(book, false);

    resetPeak();
    timer.restart();
    const host::BookId opened = memory->addWorkbook();
    host::readXlsx(*memory, opened, path);
    report("open", timer);
    const bool same = memory->value(memory->sheetAt(opened, 1), rows, columns) == last;
    std::printf("last cell %s\n", same ? "matches" : "DIFFERS");
    return same ? 0 : 1;
}
