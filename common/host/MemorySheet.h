#pragma once

#include "CellGrid.h"
#include "CompensatedSum.h"
#include "Formula.h"
#include "HostTypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace tallimo::host {

// Side tables are keyed by the cell's position.
using CellKey = quint64;
inline CellKey cellKey(int row, int column) {
    return (quint64(row) << 16) | quint64(column);
}
inline int keyRow(CellKey key) {
    return int(key >> 16);
}
inline int keyColumn(CellKey key) {
    return int(key & 0xffff);
}

// A formula is kept as its R1C1 text, which stays the same wherever the cell moves; its value
// is computed when read after the sheet changed.
struct FormulaEntry {
    QString text;           // R1C1, or the file's A1 text when outside the supported grammar
    bool supported = true;  // false: never recomputed, `cached` is the file's value
    CellValue cached;
    quint64 generation = 0;  // the sheet generation `cached` belongs to
    // `cached` is the value the file holds, kept while the formula is never computed otherwise:
    // a formula on a circular reference shows it.
    bool fileValue = false;
};

// The running totals of a block that SUM reads, row by row from its top. A running balance
// (SUM(D$2:Dn) down a column) then costs one pass over the column instead of one per row, and
// each total is summed in the same order as the block read on its own.
struct RunningSum {
    std::vector<CompensatedSum> totals;  // totals[i]: the block's numbers through row top + i
    CellValue error;                     // the first error, met in the row after the last total
};

// The formulas of one sheet, each in a slot that its cell's payload names. A formula moves with
// its cell, so moving or deleting rows costs nothing for the formulas whose text stays the same.
// Slots are small: the texts are kept once each (a formula written into a range shares one), and
// cached texts and errors, which few formulas give, beside the slots.
class FormulaTable {
public:
    std::uint64_t add(const FormulaEntry& entry);
    void set(std::uint64_t slot, const FormulaEntry& entry);
    FormulaEntry entry(std::uint64_t slot) const;
    void release(std::uint64_t slot);
    bool empty() const { return slots_.size() == unused_.size(); }

    std::uint32_t textId(std::uint64_t slot) const { return at(slot).text; }
    const QString& text(std::uint64_t slot) const { return texts_[at(slot).text]; }
    void setText(std::uint64_t slot, const QString& text) { at(slot).text = intern(text); }
    bool supported(std::uint64_t slot) const { return at(slot).supported; }
    quint64 generation(std::uint64_t slot) const { return at(slot).generation; }
    // True when the cached value is the one for the sheet's generation, or never recomputed.
    bool settled(std::uint64_t slot, quint64 sheetGeneration) const {
        return !at(slot).supported || at(slot).generation == sheetGeneration;
    }
    CellValue cached(std::uint64_t slot) const;
    // A computed value; the file's value is gone.
    void setCached(std::uint64_t slot, const CellValue& value, quint64 generation);
    // The value of a formula on a circular reference: the file's value, or the error.
    void settleOnCycle(std::uint64_t slot, quint64 generation);

private:
    struct Slot {
        std::uint32_t text = 0;
        CellValue::Kind cachedKind = CellValue::Kind::Empty;
        bool supported = true;
        bool fileValue = false;
        double cachedNumber = 0;
        quint64 generation = 0;
    };
    Slot& at(std::uint64_t slot) { return slots_[std::size_t(slot)]; }
    const Slot& at(std::uint64_t slot) const { return slots_[std::size_t(slot)]; }
    std::uint32_t intern(const QString& text);

    std::vector<Slot> slots_;
    std::vector<std::uint64_t> unused_;
    std::vector<QString> texts_;
    QHash<QString, std::uint32_t> textIds_;
    std::uint32_t lastText_ = 0;                              // the text interned last
    std::unordered_map<std::uint64_t, QString> cachedTexts_;  // by slot
};

struct CommentEntry {
    QString text;
    bool visible = false;
};

// Each formula text parsed once, at the cell it was first read for; cells sharing the text move
// its references to their own place. Texts are never renumbered, so entries never go stale; a
// copied sheet starts without any, as its texts may be numbered differently.
struct FormulaParseCache {
    struct Parsed {
        std::optional<FormulaNode> node;  // none: not movable, parsed anew for every cell
        int row = 0, column = 0;
        FormulaShape shape;
    };
    std::unordered_map<std::uint32_t, Parsed> byText;

    FormulaParseCache() = default;
    FormulaParseCache(const FormulaParseCache&) {}
    FormulaParseCache& operator=(const FormulaParseCache&) {
        byText.clear();
        return *this;
    }
};

struct MemorySheet {
    SheetId id = 0;
    BookId book = 0;
    QString name;
    CellGrid cells;
    FormulaTable formulas;  // slots of the Formula cells
    FormulaParseCache parsed;
    // Running totals by top row and columns, for the cells as they were at `runningSumsAt`.
    std::unordered_map<quint64, RunningSum> runningSums;
    quint64 runningSumsAt = 0;
    std::size_t runningSumRows = 0;  // totals held over all blocks
    // By block, like the running totals: how many rows from its top hold no formula that is not
    // up to date, for the same generation.
    std::unordered_map<quint64, int> settledBlockRows;
    std::map<CellKey, CommentEntry> comments;  // ordered: a row's comments are one range
    std::map<CellKey, QString> hyperlinks;     // the places the cells link to
    std::map<CellKey, QList<CharacterRun>> runs;
    QList<CellRect> merges;
    std::map<int, double> columnWidths;
    std::map<int, double> rowHeights;
    std::map<int, std::uint32_t> columnFormats;
    std::map<int, std::uint32_t> rowFormats;
    SheetView view;
    QList<CellRect> selection{CellRect{}};
    quint64 generation = 1;  // grows with every change of a cell
};

struct MemoryBook {
    BookId id = 0;
    QString name;
    QString path;
    std::vector<SheetId> sheets;
    // The sheets by case-folded name: names are unique without regard to case, and a workbook
    // of many sheets checks each new name without going through all the others.
    QHash<QString, SheetId> sheetsByName;
    SheetId active = 0;
    int nextSheetNumber = 1;
    bool seen = false;  // handed to the desktop for the user to see
    QString fileStem;   // the first save's file name when the book has no path
};

}  // namespace tallimo::host
