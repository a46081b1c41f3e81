// Fills one sheet of the memory host with 1,048,576 rows x 10 columns of short texts, the full
// height of the grid, then saves it as .xlsx; prints the time and the peak resident memory of
// each stage.
//
//     tallimo-bench-host [OUT.xlsx]     (default: a file in the temporary folder, removed after)

#include "Host.h"
#include "MemoryHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace tallimo;

namespace {

constexpr int kRows = host::kMaxRows;
constexpr int kColumns = 10;
constexpr int kRowsPerBlock = 65536;

// The process's peak resident set so far, in MiB.
double peakMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// Short texts of 5 to 8 characters, a few of them numbers as a ledger has.
void appendCell(TextGrid& grid, int row, int column) {
    static const char16_t* const prefixes[kColumns] = {u"左行", u"A", u"B", u"C", u"D",
                                                       u"E",    u"F", u"G", u"H", u"I"};
    if (column == 5) {
        grid.addCell(QString::number(row % 100000) + u".50"_qs);
        return;
    }
    grid.addCell(QString::fromUtf16(prefixes[column]) + QString::number(row, 36));
}

void report(const char* stage, const QElapsedTimer& timer) {
    std::printf("%-28s %8.2f s   peak RSS %8.1f MiB\n", stage, timer.elapsed() / 1000.0, peakMiB());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const bool keep = arguments.size() > 1;
    const QString out = keep ? QFileInfo(arguments[1]).absoluteFilePath()
                             : QDir::temp().filePath(QStringLiteral("tallimo-bench-host.xlsx"));
    std::printf("%d rows x %d columns of short texts\n", kRows, kColumns);
    std::printf("%-28s %10s   peak RSS %8.1f MiB\n", "start", "", peakMiB());

    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().add();
    host::Worksheet sheet = book.activeSheet();

    QElapsedTimer timer;
    timer.start();
    for (int first = 1; first <= kRows; first += kRowsPerBlock) {
        TextGrid grid(kColumns);
        grid.reserve(kRowsPerBlock, qsizetype(kRowsPerBlock) * kColumns * 8);
        for (int row = first; row < first + kRowsPerBlock; ++row) {
            for (int column = 0; column < kColumns; ++column)
                appendCell(grid, row, column);
            grid.endRow();
        }
        sheet.cells(first, 1).setValues(grid);
    }
    report("fill (block writes)", timer);

    timer.restart();
    const host::CellRect used = sheet.usedRange().rect();
    const QString last = sheet.cells(used.bottom, used.right).text();
    report("used range and read back", timer);
    if (used.bottom != kRows || last.isEmpty()) {
        std::fprintf(stderr, "the sheet does not hold what was written\n");
        return 1;
    }

    timer.restart();
    book.saveAs(out);
    report("save as .xlsx", timer);
    std::printf("file: %s, %.1f MiB\n", qPrintable(out), QFileInfo(out).size() / 1048576.0);
    if (!keep) QFile::remove(out);
    return 0;
}
