#pragma once

#include "FormatTable.h"
#include "HostBackend.h"
#include "MemoryWorkbooks.h"

#include <QHash>
#include <QPair>
#include <functional>

namespace tallimo::host {

// Cell formats, shared by all workbooks of the host as ids into one table, the formats of whole
// rows and columns, and the column widths and row heights.
class MemoryFormats {
public:
    explicit MemoryFormats(MemoryWorkbooks& books) : books_(books) {}

    TALLIMO_HOST_FORMAT_OPERATIONS(TALLIMO_HOST_MEMBER)

    const FormatTable& table() const { return formats_; }
    // The format a cell shows: its own, else its row's, else its column's.
    std::uint32_t effectiveFormatId(const MemorySheet& s, int row, int column) const;
    // The format `formatId` with the number format that typed entry gave a number.
    std::uint32_t withTypedNumberFormat(std::uint32_t formatId, const QString& numberFormat);

private:
    void changeFormat(SheetId sheet, const CellRect& range,
                      const std::function<void(CellFormat&)>& change);
    void changeRowFormat(MemorySheet& s, int row, int left, int right, FormatChange& changed);

    MemoryWorkbooks& books_;
    FormatTable formats_;
    QHash<QPair<std::uint32_t, QString>, std::uint32_t> typedFormats_;  // format + typed format
};

}  // namespace tallimo::host
