#pragma once

#include "HostBackend.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The rows of a worksheet part, serialised straight from the model into the bytes of the
// <sheetData> element: no per-cell formatting calls, no per-cell allocation.
namespace tallimo::host::xlsx {

class ChunkedDeflate;

// Which rows of a sheet to write and how.
struct RowSpan {
    int firstRow = 1, lastRow = 0;
    CellRect used;  // the rows in it have cells; the others only a height
    double defaultHeight = 0;
};

// The package's cell style index of every format the sheet's cells use.
struct StyleIndex {
    std::unordered_map<std::uint32_t, int> byFormat;
    // A text painted in one colour is kept as its format with that font colour.
    std::map<std::pair<std::uint32_t, int>, int> byWholeTextColor;
};

class SheetDataWriter {
public:
    SheetDataWriter(const HostBackend& host, SheetId sheet, const StyleIndex& styles);

    // Appends the <sheetData> element to `out`. Throws HostError naming a cell a file cannot
    // hold.
    void write(ChunkedDeflate& out, const RowSpan& span);

private:
    void writeRow(int row);
    // False when the cell writes nothing.
    bool writeCell(std::string& xml, int row, const CellView& cell);
    int styleOf(int row, const CellView& cell, std::optional<int> wholeTextColor);
    void writeRuns(std::string& xml, const CellView& cell, const std::vector<int>& colorOf);
    void writeRunFont(std::string& xml, const CellFormat& format, int colorIndex);
    const CellFormat& formatOf(std::uint32_t formatId);

    const HostBackend& host_;
    const SheetId sheet_;
    const StyleIndex& styles_;
    const CellFormat default_;
    std::unordered_map<std::uint32_t, CellFormat> formats_;
    ChunkedDeflate* out_ = nullptr;
    int cellsInRow_ = 0;
    int lastRow_ = 0;     // the last row written, 0 before the first
    int lastColumn_ = 0;  // the last cell's column in the row being written
    std::uint32_t lastFormatId_ = 0;
    int lastStyle_ = 0;
};

// Pieces of the XML, shared with the tests.
// Appends `text` as XML character data in UTF-8: markup characters as entities, characters XML
// cannot carry (and "_x" sequences that would read as such) in the _xHHHH_ form spreadsheet
// files use, unpaired surrogates as "?".
void appendEscaped(std::string& out, QStringView text);
// The shortest text that reads back as the same double.
void appendNumber(std::string& out, double value);
// "AB12"
void appendCellName(std::string& out, int row, int column);

}  // namespace tallimo::host::xlsx
