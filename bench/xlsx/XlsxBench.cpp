// Times saving and opening one sheet of short texts (by default the full grid height of
// 1,048,576 rows by 10 columns) and prints the file size and the peak resident memory of each
// stage.
//
//     tallimo-bench-xlsx [ROWS] [COLUMNS]

#include "BenchSupport.h"
#include "MemoryHost.h"
#include "TextGrid.h"
#include "Xlsx.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace tallimo;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : host::kMaxRows;
    const int columns = argc > 2 ? std::atoi(argv[2]) : 10;
    auto memory = host::makeMemoryHost();
    bench::StageTable stages("stage");

    host::BookId book = 0;
    host::SheetId sheet = 0;
    stages.run("fill", [&] {
        book = memory->addWorkbook();
        sheet = memory->sheetAt(book, 1);
        TextGrid grid(columns);
        grid.reserve(rows, qsizetype(rows) * columns * 8);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                grid.addCell(QStringLiteral("%1-%2").arg(r + 1).arg(c + 1));
            grid.endRow();
        }
        memory->setBlock(sheet, 1, 1, grid);
    });

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    stages.run("save", [&] { host::writeXlsx(*memory, book, path); });

    const host::CellValue last = memory->value(sheet, rows, columns);
    memory->closeWorkbook(book, false);

    host::BookId opened = 0;
    stages.run("open", [&] {
        opened = memory->addWorkbook();
        host::readXlsx(*memory, opened, path);
    });
    std::printf("file %.1f MiB for %d x %d cells\n", QFileInfo(path).size() / 1048576.0, rows,
                columns);
    const bool same = memory->value(memory->sheetAt(opened, 1), rows, columns) == last;
    std::printf("last cell %s\n", same ? "matches" : "DIFFERS");
    return same ? 0 : 1;
}
