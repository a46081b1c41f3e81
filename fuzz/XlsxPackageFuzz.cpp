// Whole workbook files: the container, every part, and the display texts of what they hold.
#include "FuzzInput.h"
#include "MemoryHost.h"
#include "Xlsx.h"

#include <algorithm>

using namespace tallimo;
using namespace tallimo::host;

namespace {

// Reads a workbook and asks for the display text of its first cells, so the number formats and
// formulas it carries are computed as the programs would.
void readAndShow(const QString& path) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    try {
        readXlsx(*host, book, path);
    } catch (const HostError&) {
        return;
    }
    for (int i = 1; i <= host->sheetCount(book); ++i) {
        const SheetId sheet = host->sheetAt(book, i);
        const CellRect used = host->usedRange(sheet);
        if (used.top == 0) continue;
        for (int row = used.top; row <= std::min(used.bottom, used.top + 63); ++row)
            for (int column = used.left; column <= std::min(used.right, used.left + 15); ++column)
                host->displayText(sheet, row, column);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    readAndShow(fuzz::writeInput(fuzz::bytesOf(data, size), QStringLiteral(".xlsx")));
    return 0;
}
