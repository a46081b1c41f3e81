#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Crafted workbook files for the tests: ZIP containers made with libzip from given parts.
namespace tallimo::host::xlsx::test {

using Parts = std::vector<std::pair<QString, QByteArray>>;

void writeZip(const QString& path, const Parts& parts);
Parts readZip(const QString& path);

// The smallest workbook: one sheet "Data" whose part holds the given sheetData content.
Parts minimalWorkbook(const QByteArray& sheetData, const QByteArray& beforeSheetData = {},
                      const QByteArray& afterSheetData = {});

// A workbook of the given sheets, each a name and the whole XML of its part.
Parts workbookOfSheets(const std::vector<std::pair<QByteArray, QByteArray>>& sheets);
// A worksheet part around the given sheetData content.
QByteArray sheetPart(const QByteArray& sheetData, const QByteArray& beforeSheetData = {},
                     const QByteArray& afterSheetData = {});

// Sets the declared uncompressed size of every entry (or of the one named `only`), in the local
// and central headers alike.
void forgeUncompressedSizes(const QString& path, quint32 size, const QByteArray& only = {});

// Renames the entry `from` to `to`, of the same length, in the local and central headers alike:
// how a test makes what libzip will not write, two entries of one name.
void renameEntry(const QString& path, const QByteArray& from, const QByteArray& to);

}  // namespace tallimo::host::xlsx::test
