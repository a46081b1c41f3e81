#pragma once

#include "HostBackend.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

// The rows of a sheet read from the model on a thread of their own, in batches ready for the
// writer library: texts already in UTF-8, nothing left to ask of the model. Reading the model and
// feeding the library then run side by side, and the library's thread never touches the model.
namespace tallimo::host::xlsx {

// One thing the writer does for a row, in the order the model gives them.
struct RowItem {
    enum class Kind : std::uint8_t {
        Nothing,        // a cell that writes nothing, though its format is still made
        Blank,          // a cell with a format and no value
        Number,         // `number`
        Boolean,        // `number` != 0
        Text,           // `text`
        RichText,       // `pieces`
        FormulaNumber,  // `formula` with `number` cached
        FormulaText,    // `formula` with `text` cached
        Comment,        // `text`, shown when `visible`
    };
    Kind kind = Kind::Nothing;
    bool visible = false;
    int column = 0;
    std::uint32_t formatId = 0;
    double number = 0;
    std::size_t text = 0;     // offset of a NUL-ended UTF-8 text in the batch
    std::size_t formula = 0;  // likewise, without the leading "="
    std::size_t piecesBegin = 0, piecesEnd = 0;
};

// A part of a rich text with the colour index it is painted in.
struct TextPiece {
    std::size_t text = 0;
    int colorIndex = 0;
};

struct FedRow {
    int row = 0;
    bool heightSet = false;  // the row is not of the sheet's default height
    double height = 0;
    std::size_t itemsBegin = 0, itemsEnd = 0;
};

struct RowBatch {
    // The formats met for the first time in this batch; later batches refer to them by id.
    std::vector<std::pair<std::uint32_t, CellFormat>> formats;
    std::vector<FedRow> rows;
    std::vector<RowItem> items;
    std::vector<TextPiece> pieces;
    std::string texts;

    const char* textAt(std::size_t offset) const { return texts.data() + offset; }
    void clear();
};

// Which rows of a sheet to feed and how.
struct RowSpan {
    SheetId sheet = 0;
    int firstRow = 1, lastRow = 0;
    CellRect used;  // the rows in it have cells; the others only a height
    double defaultHeight = 0;
    // Comments may sit on empty cells, which only a look at every cell of `used` finds.
    bool probeEveryCell = true;
};

// Reads the rows of `span` on its own thread while the caller takes the batches. The model must
// not be used by anyone else until the feed is destroyed; destroying it early stops the reading.
class RowFeed {
public:
    // `formatsSent` holds the format ids already handed out by earlier feeds of the workbook.
    RowFeed(const HostBackend& host, const RowSpan& span,
            std::unordered_set<std::uint32_t>& formatsSent);
    ~RowFeed();
    RowFeed(const RowFeed&) = delete;
    RowFeed& operator=(const RowFeed&) = delete;

    // The next batch in row order; null once every row is fed. Whatever stopped the reading
    // (a HostError naming the cell, bad_alloc) is thrown here after the batches read before it.
    std::unique_ptr<RowBatch> next();
    // Hands a used batch back, so its buffers serve again.
    void recycle(std::unique_ptr<RowBatch> batch);

private:
    struct Stopped {};

    void read();
    void readRow(RowBatch& batch, int row);
    void addCell(RowBatch& batch, int row, const StoredCell& cell);
    void addComment(RowBatch& batch, int row, int column);
    std::unique_ptr<RowBatch> emptyBatch();
    void deliver(std::unique_ptr<RowBatch> batch);

    const HostBackend& host_;
    const RowSpan span_;
    std::unordered_set<std::uint32_t>& formatsSent_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<RowBatch>> ready_;
    std::vector<std::unique_ptr<RowBatch>> spare_;
    bool finished_ = false;
    bool stopRequested_ = false;
    std::exception_ptr failure_;
    std::thread reader_;
};

// Appends `text` as UTF-8 with a closing NUL, unpaired surrogates as "?" like QString::toUtf8,
// and returns where it starts.
std::size_t appendUtf8(std::string& out, QStringView text);

}  // namespace tallimo::host::xlsx
