#pragma once

#include "HostTypes.h"

#include <QString>
#include <optional>
#include <stdexcept>

namespace tallimo::area {

// Why an area could not be read. The message is Chinese, names the file, sheet or range, and is
// meant to be shown to the user as it stands.
class AreaError : public std::runtime_error {
public:
    explicit AreaError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// A rectangular area of a workbook as a selection in the spreadsheet delivers it.
struct AreaText {
    QString workbookName;  // the file name with extension ("ledger.xlsx", "bank.csv")
    QString sheetName;
    QString range;         // absolute A1 form: "$B$2:$F$40", or "$B$2" for one cell
    host::CellRect block;  // the same range as a block
    // The cells' display texts as the spreadsheet copies them to the clipboard: one line per
    // sheet row, each ended by CR LF, cells separated by TAB. A TAB, CR or LF inside a cell's
    // text becomes one space each, so every line holds exactly the area's cells.
    QString selectionText;
    // The cells whose TAB, CR or LF became spaces: how many, and the address of the first.
    int flattenedCells = 0;
    QString firstFlattenedCell{};  // "$D$3"; empty when there is none
};

// The note to show when cells were flattened; empty when none was.
QString flattenedCellsNote(const AreaText& area);

// The note naming the range a reading chose itself: "已用区域：$A$2:$E$310".
QString chosenRangeNote(const AreaText& area);

// An A1 range with or without "$" ("B2:F40", "$B$2:$F$40", "b2", "F40:B2"), as a block with
// top <= bottom and left <= right. Whole rows or columns ("A:C", "3:5") are not accepted: an
// area is a block of cells. Throws AreaError naming the text.
host::CellRect parseAreaRange(const QString& rangeA1);

// Reads an area of a file; an empty `rangeA1` reads the sheet's used area, from the first to the
// last row and column that show a text. What a file is comes from its content, not its name
// (a text saved as .xls reads as text, an HTML table as a table); only the names .xlsx, .xlsm,
// .xls, .ods, .csv, .tsv and .txt are taken.
// - .xls (legacy workbooks, BIFF8): numbers, texts, truth values, errors and formula results in
//   the number formats the workbook keeps, in either date system; merged cells show in their
//   top-left cell; hidden sheets read by name. Encrypted workbooks, older versions and other
//   programs' documents are refused with a message saying what the file is.
// - .ods: the texts the file carries for each cell; hidden sheets read by name.
// Without a sheet name, legacy and OpenDocument workbooks give their first sheet not hidden.
// - HTML pages: the rows of their tables, each cell entered as typed.
// - .xlsx: the workbook is opened in the memory host; the cells' display texts are the texts the
//   spreadsheet shows (numbers in their number formats, dates in their date formats).
// - .csv (comma), .tsv (TAB) and other text (TAB when its first line holds one, else comma):
//   UTF-8 after its byte-order mark, UTF-16 after its mark or recognised by its byte pattern,
//   UTF-8, GB18030 (the encoding of Chinese spreadsheet exports), each decoded strictly; bytes
//   that no encoding decodes, or that hold NUL and other control characters, are refused. Fields
//   follow the usual quoting rules (double quotes around a field, "" inside it, line breaks allowed
//   inside quotes). The workbook is named after the file ("bank.csv") and its only sheet after the
//   file without extension
//   ("bank"), as a spreadsheet application names them when it opens the file. Every field is
//   entered as typed in the spreadsheet (the host's typed entry), so a field 1,200.00 becomes the
//   number 1200 shown as 1,200.00, a field 100 shows 100, and fields that are no plain number
//   (dates such as 2024-01-05, account numbers with leading zeros) stay the text they are.
// `sheet` empty chooses the first sheet. Throws AreaError for a missing or unreadable file, an
// unknown file type, an unknown sheet or a bad range.
AreaText readArea(const QString& path, const QString& sheet, const QString& rangeA1);
// The same with the range already parsed (none: the used area); `rangeA1` is the range as the
// user gave it, for the messages.
AreaText readAreaBlock(const QString& path, const QString& sheet,
                       const std::optional<host::CellRect>& requested, const QString& rangeA1 = {});

// An area whose display texts the spreadsheet itself handed over, one list of cell texts per
// row of the range. Throws AreaError for a bad range or rows that do not fill it exactly.
AreaText areaOfCells(const QString& workbookName, const QString& sheetName, const QString& rangeA1,
                     const QList<QStringList>& rows);

}  // namespace tallimo::area
