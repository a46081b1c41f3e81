#pragma once

#include "HostBackend.h"
#include "XlsxPackage.h"
#include "XlsxStyles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <unordered_map>
#include <vector>

namespace tallimo::host::xlsx {

// The shared-string table in one character buffer, so a million strings cost no million
// allocations; the coloured runs of rich strings are kept aside.
class SharedStrings {
public:
    SharedStrings() = default;
    SharedStrings(const Package& package, const QString& part, const PalettePreference& prefer);

    qsizetype size() const { return qsizetype(ends_.size()); }
    QString at(qsizetype index) const {
        const qsizetype begin = index == 0 ? 0 : qsizetype(ends_[std::size_t(index) - 1]);
        return chars_.mid(begin, ends_[std::size_t(index)] - begin);
    }
    QList<CharacterRun> runs(qsizetype index) const {
        const auto found = runs_.find(index);
        return found == runs_.end() ? QList<CharacterRun>() : found->second;
    }

private:
    QString chars_;
    std::vector<quint32> ends_;  // a part under the size cap holds fewer than 2^32 characters
    std::unordered_map<qsizetype, QList<CharacterRun>> runs_;
};

// The cells and rows, and the bytes, a read of a workbook may cost, and what it cost so far.
struct ReadBudget {
    std::int64_t maxItems = 0;  // <c> and <row> elements; 0 for no limit
    std::int64_t maxBytes = 0;  // decompressed, over all parts; 0 for no limit
    std::int64_t items = 0;
};

// "512 MiB" for whole mebibytes, "2000 字节" otherwise.
QString byteCountText(std::int64_t bytes);

// What every sheet of a workbook reads with.
struct BookParts {
    const SharedStrings& strings;
    const Styles& styles;
    const PalettePreference& prefer;
    bool date1904 = false;  // dates counted from 1904, as old Macintosh workbooks do
    ReadBudget* budget = nullptr;
};

// Reads one worksheet part into a host sheet: cells, formats, rows and columns, merges and the
// sheet settings. The rows are decompressed and parsed a few megabytes at a time, so a sheet of a
// million rows is never held whole, as text or as a document tree. Throws FileFault for what makes
// the part unreadable, and naming the sheet once the read goes past the book's budget.
void readSheet(HostBackend& host, SheetId sheet, const Package& package, const QString& part,
               const BookParts& book);

// The right-hand section of a header or footer text ("&L..&C..&R.."), with "&&" read as "&".
QString rightSection(const QString& headerFooter);

}  // namespace tallimo::host::xlsx
