// HTML pages saved as workbooks: encodings, tags, entities, row and column spans.
#include "FuzzInput.h"
#include "HtmlTable.h"
#include "SheetBlock.h"

using namespace tallimo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    area::looksLikeHtml(bytes);
    const area::HtmlTable table(bytes);
    const area::SheetSource sheet = table.source(QStringLiteral("page"));
    area::usedArea(sheet);
    const host::CellRect block{1, 1, 64, 8};
    area::SheetBlock cells(sheet, block);
    QString text;
    for (int row = block.top; row <= block.bottom; ++row)
        for (int column = block.left; column <= block.right; ++column)
            cells.appendCell(row, column, text);
    return 0;
}
