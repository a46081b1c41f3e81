// Format codes of any shape applied to numbers and texts. The first eight bytes are the number.
#include "FuzzInput.h"
#include "NumberFormat.h"

#include <cmath>
#include <cstring>

using namespace tallimo;
using namespace tallimo::host;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double number = 0;
    if (size < sizeof number) return 0;
    std::memcpy(&number, data, sizeof number);
    // No cell holds an infinity or NaN: the reader refuses them and formulas give #NUM!.
    if (!std::isfinite(number)) return 0;
    const QString code =
        QString::fromUtf8(fuzz::bytesOf(data + sizeof number, size - sizeof number));
    formatCellValue(CellValue::fromNumber(number), code);
    formatCellValue(CellValue::fromText(QStringLiteral("文本")), code);
    formatCellValue(CellValue::fromBool(true), code);
    return 0;
}
