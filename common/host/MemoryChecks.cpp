#include "MemoryChecks.h"

namespace tallimo::host {

void checkRect(const CellRect& r) {
    if (r.top < 1 || r.left < 1 || r.bottom > kMaxRows || r.right > kMaxColumns ||
        r.top > r.bottom || r.left > r.right)
        throw HostError(QStringLiteral("区域超出工作表范围：行 %1-%2，列 %3-%4")
                            .arg(r.top)
                            .arg(r.bottom)
                            .arg(r.left)
                            .arg(r.right));
}

void checkCell(int row, int column) {
    checkRect({row, column, row, column});
}

void checkCellCount(const CellRect& r) {
    checkRect(r);
    if (qint64(r.rowCount()) * r.columnCount() > kMaxCellsPerCall)
        throw HostError(QStringLiteral("区域过大：%1 个单元格（一次最多 %2 个）")
                            .arg(qint64(r.rowCount()) * r.columnCount())
                            .arg(kMaxCellsPerCall));
}

}  // namespace tallimo::host
