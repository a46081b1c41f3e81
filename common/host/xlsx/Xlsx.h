#pragma once

#include "HostBackend.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

// Office Open XML workbooks (.xlsx) for the in-memory host: the memory back end saves and opens
// its workbooks through these two calls. Both throw HostError naming the file and the reason.
namespace tallimo::host {

// Writes every sheet of `book` with its cells, formulas and cached values, formats, merges,
// layout, comments and sheet settings.
void writeXlsx(const HostBackend& host, BookId book, const QString& path);

// The file a save of `path` writes before renaming it over `path`: beside it, hidden, with the
// saving process's id ("/d/.out.xlsx.4711.tallimo-saving"), so that two programs saving the same
// file never share one and a file left by a killed save can be told from one being written.
QString xlsxSavingName(const QString& path);

// Removes the files that saves of `path` killed before they ended left beside it: files of the
// saving name's pattern, last written before `runStart`, whose process is gone. Anything else in
// the folder is left alone. Returns how many were removed.
int removeAbandonedSavingFiles(const QString& path, const QDateTime& runStart);

// What one read of a workbook fills and may cost. By default every sheet is read, bounded only
// by the caps on each part.
struct XlsxReading {
    // Only the sheet of this name (in any case; the first sheet when empty) is read, the others
    // only listed as empty sheets of their names.
    std::optional<QString> onlySheet;
    std::int64_t maxItems = 0;  // cells and rows of the sheets read; 0 for no limit
    std::int64_t maxBytes = 0;  // bytes decompressed from all parts; 0 for no limit
};

// Fills `emptyBook`, a freshly added workbook, from the file: its default sheets are replaced
// by the file's sheets. Past a budget of `reading` the file is refused, naming the sheet.
void readXlsx(HostBackend& host, BookId emptyBook, const QString& path,
              const XlsxReading& reading = {});

}  // namespace tallimo::host
