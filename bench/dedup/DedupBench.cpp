// Times the duplicate finder's stages on generated voucher data with 10% repeated rows, and
// writes the same data as CSV for timing tallimo-cli dedup.
//
//     tallimo-bench-dedup ROWS OUT.csv REPORT.xlsx
#include "BenchSupport.h"
#include "Detection.h"
#include "DupReport.h"
#include "MemoryHost.h"
#include "WorkingBook.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <random>

using namespace tallimo;

namespace {

// Voucher, date, customer, summary, amount: one line per row, CR LF ended, as the clipboard
// holds a selection. Every tenth row repeats an earlier one.
QString voucherText(int rows) {
    std::mt19937 rng(20240401);
    std::uniform_int_distribution<int> day(1, 28), customer(1, 5000), cents(100, 9999999);
    QStringList lines;
    lines.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        if (r > 10 && r % 10 == 0) {
            lines << lines[std::uniform_int_distribution<int>(0, r - 1)(rng)];
            continue;
        }
        lines << QStringLiteral("记-%1\t2024-03-%2\t客户%3\t收到货款\t%4.%5")
                     .arg(r + 1, 7, 10, QLatin1Char('0'))
                     .arg(day(rng), 2, 10, QLatin1Char('0'))
                     .arg(customer(rng))
                     .arg(cents(rng) / 100)
                     .arg(cents(rng) % 100, 2, 10, QLatin1Char('0'));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: tallimo-bench-dedup ROWS OUT.csv REPORT.xlsx\n", stderr);
        return 2;
    }
    const int rows = arguments[1].toInt();
    const dupfinder::SearchArea area =
        dupfinder::searchAreaAt(QStringLiteral("$A$2:$E$%1").arg(rows + 1));

    QString text = voucherText(rows);
    {
        QFile csv(arguments[2]);
        if (!csv.open(QIODevice::WriteOnly)) return 1;
        csv.write("凭证号,日期,客户,摘要,金额\r\n");
        csv.write(QString(text).replace(u'\t', u',').toUtf8());
    }

    bench::StageTable table("dedup stage");
    std::optional<dupfinder::AreaBlock> block;
    table.run("read block", [&] { block = dupfinder::readAreaBlock(std::move(text)).block; });
    dupfinder::DetectionOptions options{{0, 2, 4}, false, {2, 7}};
    dupfinder::Detection found;
    table.run("detection",
              [&] { found = dupfinder::detectDuplicates(*block, area.parts, options); });
    host::Application app(host::makeMemoryHost());
    std::optional<host::Workbook> book;
    table.run("working book", [&] {
        book = dupfinder::openTemplate(app);
        dupfinder::fillWorkingBook(*book, *block, area);
    });
    table.run("report",
              [&] { dupfinder::writeReport(*book, found, QDateTime::currentDateTime()); });
    table.run("save .xlsx", [&] { book->saveAs(arguments[3]); });
    table.printTotal();
    std::printf("%d rows: %d distinct keys, %d duplicate groups, %zu repeat rows\n", rows,
                found.distinctCount(), found.duplicateGroupCount, found.repeatRows().size());
    return 0;
}
