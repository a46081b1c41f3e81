#pragma once

#include "FormatCode.h"
#include "HostTypes.h"

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tallimo::host {

// Every distinct cell format once, shared by all workbooks of a host; cells hold the id.
// Id 0 is the default format.
class FormatTable {
public:
    FormatTable();

    std::uint32_t intern(const CellFormat& format);
    const CellFormat& at(std::uint32_t id) const;
    bool contains(std::uint32_t id) const { return id < formats_.size(); }
    // The format's number format code, compiled on first use: cells are shown far more often
    // than formats change.
    const numfmt::FormatCode& numberFormatCode(std::uint32_t id) const;

private:
    std::vector<CellFormat> formats_;
    mutable std::vector<std::shared_ptr<const numfmt::FormatCode>> compiled_;
    QHash<QByteArray, std::uint32_t> ids_;
};

// One formatting step over many cells: each distinct old id is changed and interned once.
class FormatChange {
public:
    FormatChange(FormatTable& table, std::function<void(CellFormat&)> change)
        : table_(table), change_(std::move(change)) {}
    std::uint32_t operator()(std::uint32_t oldId);

private:
    FormatTable& table_;
    std::function<void(CellFormat&)> change_;
    QHash<std::uint32_t, std::uint32_t> done_;
    std::uint32_t lastOld_ = std::uint32_t(-1);  // ids are indexes, so this one never occurs
    std::uint32_t lastNew_ = 0;
};

}  // namespace tallimo::host
