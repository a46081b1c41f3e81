#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace tallimo {

// A rectangle of texts kept in one character buffer, so that a million-row area costs two
// allocations rather than one per cell.
class TextGrid {
public:
    TextGrid() = default;
    explicit TextGrid(int columnCount) : columns_(columnCount) {}

    int rowCount() const { return columns_ == 0 ? 0 : int(ends_.size() / columns_); }
    int columnCount() const { return columns_; }
    bool isEmpty() const { return ends_.empty(); }

    // 0-based row and column.
    QStringView cell(int row, int column) const {
        const std::size_t index = std::size_t(row) * columns_ + column;
        const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
        return QStringView(chars_).mid(begin, ends_[index] - begin);
    }

    void reserve(int rows, qsizetype chars) {
        ends_.reserve(std::size_t(rows) * columns_);
        chars_.reserve(chars);
    }

    // Cells are appended row by row; endRow() pads a short row with empty cells and cells past
    // the column count are dropped, so callers check widths first where that is an error.
    void addCell(QStringView text) {
        if (pendingCells_ < columns_) {
            chars_.append(text);
            ends_.push_back(std::uint32_t(chars_.size()));
            ++pendingCells_;
        }
    }
    void endRow() {
        while (pendingCells_ < columns_)
            addCell({});
        pendingCells_ = 0;
    }

private:
    int columns_ = 0;
    int pendingCells_ = 0;
    QString chars_;
    std::vector<std::uint32_t> ends_;
};

}  // namespace tallimo
