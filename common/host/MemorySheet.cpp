#include "MemorySheet.h"

namespace tallimo::host {

std::uint32_t FormulaTable::intern(const QString& text) {
    // A formula written into a range hands the same text to each of its cells.
    if (lastText_ < texts_.size() && texts_[lastText_].isSharedWith(text)) return lastText_;
    auto found = textIds_.constFind(text);
    if (found == textIds_.cend()) {
        texts_.push_back(text);
        found = textIds_.insert(text, std::uint32_t(texts_.size() - 1));
    }
    lastText_ = *found;
    return lastText_;
}

std::uint64_t FormulaTable::add(const FormulaEntry& entry) {
    std::uint64_t slot;
    if (unused_.empty()) {
        slot = slots_.size();
        slots_.emplace_back();
    } else {
        slot = unused_.back();
        unused_.pop_back();
    }
    set(slot, entry);
    return slot;
}

void FormulaTable::set(std::uint64_t slot, const FormulaEntry& entry) {
    Slot& s = at(slot);
    s.text = intern(entry.text);
    s.supported = entry.supported;
    setCached(slot, entry.cached, entry.generation);
    s.fileValue = entry.fileValue;
}

FormulaEntry FormulaTable::entry(std::uint64_t slot) const {
    return {text(slot), supported(slot), cached(slot), generation(slot), at(slot).fileValue};
}

void FormulaTable::release(std::uint64_t slot) {
    at(slot) = {};
    if (!cachedTexts_.empty()) cachedTexts_.erase(slot);
    unused_.push_back(slot);
}

CellValue FormulaTable::cached(std::uint64_t slot) const {
    const Slot& s = at(slot);
    CellValue value{s.cachedKind, s.cachedNumber, {}};
    if (s.cachedKind == CellValue::Kind::Text || s.cachedKind == CellValue::Kind::Error)
        value.text = cachedTexts_.at(slot);
    return value;
}

void FormulaTable::setCached(std::uint64_t slot, const CellValue& value, quint64 generation) {
    Slot& s = at(slot);
    s.cachedKind = value.kind;
    s.cachedNumber = value.number;
    s.generation = generation;
    s.fileValue = false;
    if (value.kind == CellValue::Kind::Text || value.kind == CellValue::Kind::Error)
        cachedTexts_[slot] = value.text;
    else if (!cachedTexts_.empty())
        cachedTexts_.erase(slot);
}

void FormulaTable::settleOnCycle(std::uint64_t slot, quint64 generation) {
    Slot& s = at(slot);
    if (s.fileValue && s.cachedKind != CellValue::Kind::Empty) {
        s.generation = generation;
        return;
    }
    setCached(slot, CellValue::fromError(circularReferenceError()), generation);
}

}  // namespace tallimo::host
