#pragma once

#include "HostTypes.h"
#include "TextGrid.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

namespace tallimo::area {

// The text of a .csv or .tsv file: UTF-16 after a UTF-16 byte-order mark; UTF-8 (a leading
// byte-order mark dropped) when the bytes are valid UTF-8; GB18030 otherwise.
QString decodeDelimitedFile(const QByteArray& bytes);

// Rows top..bottom and columns left..right (1-based sheet numbering) of delimited text, as a grid
// of the block's size. A field may be quoted with double quotes ("" stands for one quote inside)
// and then hold delimiters and line breaks; lines end with LF, CR LF or a lone CR (as old
// Macintosh exports write them). Cells past the end of a
// short line or of the text are empty.
TextGrid readDelimitedBlock(QStringView text, QChar delimiter, const host::CellRect& block);

// The same block without building the grid: `visit` gets every cell of it in row order, with its
// 0-based row and column inside the block. A cell is a view into `text` (or, for a quoted field
// with "" inside, into a buffer reused for the next cell), valid only during the call.
using BlockCellVisitor = std::function<void(int row, int column, QStringView cell)>;
void visitDelimitedBlock(QStringView text, QChar delimiter, const host::CellRect& block,
                         const BlockCellVisitor& visit);
// The same block of a file's bytes, decoded as decodeDelimitedFile decodes them. Well-formed
// UTF-8 is read where it lies, a field at a time, without a decoded copy of the whole file.
void visitDelimitedFile(QByteArrayView bytes, QChar delimiter, const host::CellRect& block,
                        const BlockCellVisitor& visit);

// From the first to the last row and column of delimited text holding a field that is not
// empty (1-based); nothing when every field is empty. The file form decodes as
// visitDelimitedFile does.
std::optional<host::CellRect> usedDelimitedArea(QStringView text, QChar delimiter);
std::optional<host::CellRect> usedDelimitedFileArea(QByteArrayView bytes, QChar delimiter);

}  // namespace tallimo::area
