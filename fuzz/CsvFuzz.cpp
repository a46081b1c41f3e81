// Delimited files as the area reader takes them: decoding, quoting and the typed entry of
// every field. The first byte chooses comma or TAB.
#include "AreaReader.h"
#include "DelimitedText.h"
#include "FuzzInput.h"

using namespace tallimo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool tab = data[0] & 1;
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    area::readDelimitedBlock(area::decodeDelimitedFile(bytes), tab ? u'\t' : u',',
                             {2 + data[0] % 5, 1 + data[0] % 3, 40, 12});
    try {
        area::readArea(
            fuzz::writeInput(bytes, tab ? QStringLiteral(".tsv") : QStringLiteral(".csv")), {},
            QStringLiteral("A1:H64"));
    } catch (const area::AreaError&) {
    }
    return 0;
}
