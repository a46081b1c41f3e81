#pragma once

#include "HostBackend.h"

#include <QString>

// Office Open XML workbooks (.xlsx) for the in-memory host: the memory back end saves and opens
// its workbooks through these two calls. Both throw HostError naming the file and the reason.
namespace tallimo::host {

// Writes every sheet of `book` with its cells, formulas and cached values, formats, merges,
// layout, comments and sheet settings.
void writeXlsx(const HostBackend& host, BookId book, const QString& path);

// Fills `emptyBook`, a freshly added workbook, from the file: its default sheets are replaced
// by the file's sheets.
void readXlsx(HostBackend& host, BookId emptyBook, const QString& path);

}  // namespace tallimo::host
