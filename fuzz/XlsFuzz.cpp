// Files as the area reader recognises them by content: OLE compound files and the legacy
// workbooks inside them above all, but any bytes named .xls (HTML pages, text, other
// containers) take the same path.
#include "AreaReader.h"
#include "FuzzInput.h"

using namespace tallimo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::writeInput(fuzz::bytesOf(data, size), QStringLiteral(".xls"));
    try {
        area::readArea(path, {}, QStringLiteral("A1:H64"));
    } catch (const area::AreaError&) {
    }
    return 0;
}
