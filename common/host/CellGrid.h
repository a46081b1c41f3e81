#pragma once

#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

namespace tallimo::host {

enum class CellKind : std::uint8_t { Empty, Number, Text, Boolean, Error, Formula };

// One stored cell. Texts live in the sheet's text pool; a formula's text and cached value live in
// the sheet's formula table, in the slot the payload names. An Empty cell exists only to carry a
// format.
struct Cell {
    std::uint16_t column = 0;
    CellKind kind = CellKind::Empty;
    std::uint32_t formatId = 0;
    std::uint64_t payload = 0;  // a number's bits, a text's pool reference or a formula's slot
};
static_assert(sizeof(Cell) == 16);

// Texts of one sheet in 1M-character chunks, so that millions of short texts cost their
// characters plus nothing per text, and growing the pool never copies it. A copied pool (a copied
// sheet) shares the chunks it was copied from; neither copy writes into a shared chunk again.
class TextPool {
public:
    static constexpr int kMaxTextLength = 32767;

    std::uint64_t add(QStringView text);
    QStringView view(std::uint64_t ref) const;
    // Reuses the old text's place when the new text fits into it.
    std::uint64_t replace(std::uint64_t ref, QStringView text);

private:
    static constexpr int kChunkBits = 20;
    static constexpr std::uint32_t kChunkSize = 1u << kChunkBits;
    using Chunk = std::vector<char16_t>;
    // Only the pool that holds a chunk alone writes into it.
    bool writable(const std::shared_ptr<Chunk>& chunk) const { return chunk.use_count() == 1; }
    std::vector<std::shared_ptr<Chunk>> chunks_;
};

using CellRow = std::vector<Cell>;  // sorted by column

// The cells of one sheet: a vector of rows, each a sorted vector of compact cells.
class CellGrid {
public:
    const Cell* find(int row, int column) const;
    Cell* find(int row, int column);
    // The cell at (row, column), inserted as Empty with `formatId` when absent.
    Cell& obtain(int row, int column, std::uint32_t formatId);
    void erase(int row, int column);

    int rowCount() const { return int(rows_.size()); }
    const CellRow* row(int row) const;
    CellRow* mutableRow(int row);
    // Row storage, index 0 for sheet row 1.
    std::vector<CellRow>& rows() { return rows_; }
    const std::vector<CellRow>& rows() const { return rows_; }
    void reserveRows(int rows);
    // Room for `cells` more cells in a row about to be filled, so it does not grow by doubling.
    void reserveInRow(int row, int cells);

    QStringView text(const Cell& cell) const { return pool.view(cell.payload); }
    void setText(Cell& cell, QStringView text);
    static double number(const Cell& cell);
    static void setNumber(Cell& cell, CellKind kind, double value);

    TextPool pool;

private:
    std::vector<CellRow> rows_;
};

}  // namespace tallimo::host
