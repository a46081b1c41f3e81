#include "CellGrid.h"

#include <algorithm>
#include <bit>

namespace tallimo::host {

std::uint64_t TextPool::add(QStringView text) {
    const auto length = std::uint32_t(text.size());
    if (chunks_.empty() || !writable(chunks_.back()) ||
        chunks_.back()->size() + length > kChunkSize) {
        chunks_.push_back(std::make_shared<Chunk>());
        chunks_.back()->reserve(kChunkSize);
    }
    Chunk& chunk = *chunks_.back();
    const auto offset = std::uint32_t(chunk.size());
    chunk.insert(chunk.end(), reinterpret_cast<const char16_t*>(text.utf16()),
                 reinterpret_cast<const char16_t*>(text.utf16()) + length);
    const std::uint32_t place = (std::uint32_t(chunks_.size() - 1) << kChunkBits) | offset;
    return (std::uint64_t(length) << 32) | place;
}

QStringView TextPool::view(std::uint64_t ref) const {
    const auto length = std::uint32_t(ref >> 32);
    if (length == 0) return {};
    const auto place = std::uint32_t(ref);
    const Chunk& chunk = *chunks_[place >> kChunkBits];
    return QStringView(chunk.data() + (place & (kChunkSize - 1)), qsizetype(length));
}

std::uint64_t TextPool::replace(std::uint64_t ref, QStringView text) {
    const auto oldLength = std::uint32_t(ref >> 32);
    if (oldLength == 0 || std::uint32_t(text.size()) > oldLength) return add(text);
    const auto place = std::uint32_t(ref);
    std::shared_ptr<Chunk>& chunk = chunks_[place >> kChunkBits];
    if (!writable(chunk)) return add(text);
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(),
                chunk->data() + (place & (kChunkSize - 1)));
    return (std::uint64_t(text.size()) << 32) | place;
}

namespace {
auto findInRow(const CellRow& row, int column) {
    return std::lower_bound(row.begin(), row.end(), column,
                            [](const Cell& cell, int c) { return cell.column < c; });
}
}  // namespace

const Cell* CellGrid::find(int row, int column) const {
    if (row < 1 || row > int(rows_.size())) return nullptr;
    const CellRow& cells = rows_[row - 1];
    // Rows are mostly filled left to right: a cell past the last one is no search.
    if (cells.empty() || cells.back().column < column) return nullptr;
    const auto it = findInRow(cells, column);
    return it != cells.end() && it->column == column ? &*it : nullptr;
}

Cell* CellGrid::find(int row, int column) {
    return const_cast<Cell*>(std::as_const(*this).find(row, column));
}

Cell& CellGrid::obtain(int row, int column, std::uint32_t formatId) {
    if (row > int(rows_.size())) rows_.resize(row);
    CellRow& cells = rows_[row - 1];
    const Cell added{std::uint16_t(column), CellKind::Empty, formatId, 0};
    // Rows are mostly short and written once: they grow by half rather than double, so a row of
    // nine cells keeps room for twelve, not sixteen.
    const auto makeRoom = [&cells] {
        if (cells.size() == cells.capacity())
            cells.reserve(cells.size() + std::max<std::size_t>(4, cells.size() / 2));
    };
    if (cells.empty() || cells.back().column < column) {
        makeRoom();
        cells.push_back(added);
        return cells.back();
    }
    const auto at = findInRow(std::as_const(cells), column);
    if (at != cells.cend() && at->column == column) return cells[std::size_t(at - cells.cbegin())];
    const auto index = at - cells.cbegin();
    makeRoom();
    return *cells.insert(cells.begin() + index, added);
}

void CellGrid::erase(int row, int column) {
    if (row < 1 || row > int(rows_.size())) return;
    CellRow& cells = rows_[row - 1];
    const auto it = findInRow(cells, column);
    if (it != cells.end() && it->column == column) cells.erase(it);
}

const CellRow* CellGrid::row(int row) const {
    return row >= 1 && row <= int(rows_.size()) ? &rows_[row - 1] : nullptr;
}

CellRow* CellGrid::mutableRow(int row) {
    return row >= 1 && row <= int(rows_.size()) ? &rows_[row - 1] : nullptr;
}

void CellGrid::reserveRows(int rows) {
    if (rows > int(rows_.size())) rows_.reserve(rows);
}

void CellGrid::reserveInRow(int row, int cells) {
    if (row > int(rows_.size())) rows_.resize(row);
    CellRow& target = rows_[row - 1];
    target.reserve(target.size() + std::size_t(cells));
}

void CellGrid::setText(Cell& cell, QStringView text) {
    const bool hadText = cell.kind == CellKind::Text || cell.kind == CellKind::Error;
    cell.payload = hadText ? pool.replace(cell.payload, text) : pool.add(text);
}

double CellGrid::number(const Cell& cell) {
    return std::bit_cast<double>(cell.payload);
}

void CellGrid::setNumber(Cell& cell, CellKind kind, double value) {
    cell.kind = kind;
    cell.payload = std::bit_cast<std::uint64_t>(value);
}

}  // namespace tallimo::host
