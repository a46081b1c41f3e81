// The content part of an OpenDocument spreadsheet: its tables, repeated rows and cells, spans
// and paragraphs, read for the used area and for one block of every sheet.
#include "FuzzInput.h"
#include "OdsBook.h"
#include "SheetBlock.h"

using namespace tallimo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const std::unique_ptr<area::OdsBook> book =
            area::OdsBook::fromContent(fuzz::bytesOf(data, size));
        for (int i = 0; i < book->sheetNames().size(); ++i) {
            const area::SheetSource sheet = book->source(i);
            area::usedArea(sheet);
            const host::CellRect block{1, 1, 64, 8};
            area::SheetBlock cells(sheet, block);
            QString text;
            for (int row = block.top; row <= block.bottom; ++row)
                for (int column = block.left; column <= block.right; ++column)
                    cells.appendCell(row, column, text);
        }
    } catch (const area::FormatError&) {
    }
    return 0;
}
