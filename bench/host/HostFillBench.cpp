// Fills one sheet of the memory host with 1,048,576 rows x 10 columns of short texts, the full
// height of the grid, computes a running-balance column on another sheet, then saves the book as
// .xlsx; prints the time and the peak resident memory of each stage.
//
//     tallimo-bench-host [OUT.xlsx]     (default: a file in the temporary folder, removed after)

#include "BenchSupport.h"
#include "Host.h"
#include "MemoryHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace tallimo;

namespace {

constexpr int kRows = host::kMaxRows;
constexpr int kColumns = 10;
constexpr int kRowsPerBlock = 65536;

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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const bool keep = arguments.size() > 1;
    const QString out = keep ? QFileInfo(arguments[1]).absoluteFilePath()
                             : QDir::temp().filePath(QStringLiteral("tallimo-bench-host.xlsx"));
    std::printf("%d rows x %d columns of short texts\n", kRows, kColumns);
    std::printf("peak RSS at the start %.1f MiB\n", bench::peakMiB());

    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().add();
    host::Worksheet sheet = book.activeSheet();

    bench::StageTable stages("stage");
    stages.run("fill (block writes)", [&] {
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
    });

    host::CellRect used;
    QString last;
    stages.run("used range and read back", [&] {
        used = sheet.usedRange().rect();
        last = sheet.cells(used.bottom, used.right).text();
    });
    if (used.bottom != kRows || last.isEmpty()) {
        std::fprintf(stderr, "the sheet does not hold what was written\n");
        return 1;
    }

    // A running-balance column over 100,000 rows on a sheet of its own, every balance read.
    constexpr int kBalanceRows = 100000;
    host::Worksheet ledger = book.sheets().add();
    double lastBalance = 0;
    stages.run("running balance, 100,000 rows", [&] {
        for (int row = 2; row <= kBalanceRows + 1; ++row) {
            ledger.cells(row, 4).setValue(double(row % 977));
            ledger.cells(row, 5).setValue(double(row % 13));
        }
        ledger.range(host::CellRect{2, 6, kBalanceRows + 1, 6})
            .setFormulaR1C1(u"=SUM(R2C[-2]:RC[-2])-SUM(R2C[-1]:RC[-1])"_qs);
        for (int row = 2; row <= kBalanceRows + 1; ++row)
            lastBalance = ledger.cells(row, 6).value().number;
    });
    if (lastBalance <= 0) {
        std::fprintf(stderr, "the running balance is wrong\n");
        return 1;
    }

    stages.run("save as .xlsx", [&] { book.saveAs(out); });
    std::printf("file: %s, %.1f MiB\n", qPrintable(out), QFileInfo(out).size() / 1048576.0);
    if (!keep) QFile::remove(out);
    return 0;
}
