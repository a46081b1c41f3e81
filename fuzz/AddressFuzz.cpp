// Texts that name cells: area addresses, range texts, A1 ranges and formulas in both notations.
#include "Address.h"
#include "AreaReader.h"
#include "Formula.h"
#include "FuzzInput.h"

using namespace tallimo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    parseAreaAddress(text, Grid::Small);
    parseAreaAddress(text, Grid::Large);
    columnNumber(text);
    splitRangeText(text);
    try {
        area::parseAreaRange(text);
    } catch (const area::AreaError&) {
    }
    for (const host::Notation notation : {host::Notation::A1, host::Notation::R1C1}) {
        if (const auto formula = host::parseFormula(u'=' + text, notation, 7, 3)) {
            host::formulaText(*formula, host::Notation::A1, 7, 3);
            host::formulaText(*formula, host::Notation::R1C1, 7, 3);
        }
    }
    return 0;
}
