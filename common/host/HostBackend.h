#pragma once

#include "HostTypes.h"
#include "TextGrid.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The operations of the spreadsheet host, flat, each listed once below as
// X(result, name, (parameters), (arguments), qualifier). The lists declare HostBackend's pure
// virtuals, the members of the memory model's part that carries out each group and the
// memory model's forwarding to it, and the forwarding of back ends that wrap another one, so an
// operation is declared in one place, here.
// Every operation throws HostError on failure (unknown workbook or sheet, bad address, ...).

// The application, its add-ins, the workbooks and their sheets.
#define TALLIMO_HOST_BOOK_OPERATIONS(X)                                                            \
    X(bool, visible, (), (), const)                                                                \
    X(void, setVisible, (bool on), (on), )                                                         \
    X(bool, displayAlerts, (), (), const)                                                          \
    X(void, setDisplayAlerts, (bool on), (on), )                                                   \
    X(bool, enableEvents, (), (), const)                                                           \
    X(void, setEnableEvents, (bool on), (on), )                                                    \
    X(QString, version, (), (), const)                                                             \
    X(qint64, windowHandle, (), (), const)                                                         \
    X(QString, userLibraryPath, (), (), const)                                                     \
    X(void, quit, (), (), )                                                                        \
    /* Freezes the panes of the active window above and left of the active sheet's active          \
       cell. */                                                                                    \
    X(void, freezePanes, (), (), )                                                                 \
    /* Add-ins; a registration outlives the process. addInsAdd returns the add-in's title. */      \
    X(QString, addInsAdd, (const QString& fileName), (fileName), )                                 \
    X(bool, addInInstalled, (const QString& title), (title), const)                                \
    X(void, setAddInInstalled, (const QString& title, bool installed), (title, installed), )       \
    /* Workbooks; indices are 1-based, a path is empty until saved. */                             \
    X(BookId, addWorkbook, (), (), )                                                               \
    X(BookId, openWorkbook, (const QString& path), (path), )                                       \
    X(int, workbookCount, (), (), const)                                                           \
    X(BookId, workbookAt, (int index), (index), const)                                             \
    X(BookId, workbookByName, (const QString& name), (name), const)                                \
    X(BookId, activeWorkbook, (), (), const)                                                       \
    X(void, activateWorkbook, (BookId book), (book), )                                             \
    X(QString, workbookName, (BookId book), (book), const)                                         \
    X(QString, workbookPath, (BookId book), (book), const)                                         \
    X(void, saveWorkbook, (BookId book), (book), )                                                 \
    X(void, saveWorkbookAs, (BookId book, const QString& path), (book, path), )                    \
    X(void, closeWorkbook, (BookId book, bool saveChanges), (book, saveChanges), )                 \
    /* Sheets; indices are 1-based. */                                                             \
    X(int, sheetCount, (BookId book), (book), const)                                               \
    X(SheetId, sheetAt, (BookId book, int index), (book, index), const)                            \
    X(SheetId, sheetByName, (BookId book, const QString& name), (book, name), const)               \
    X(SheetId, activeSheet, (BookId book), (book), const)                                          \
    X(BookId, sheetBook, (SheetId sheet), (sheet), const)                                          \
    X(int, sheetIndex, (SheetId sheet), (sheet), const)                                            \
    /* Sheets.Add: the new sheet goes before `before` (the active sheet when empty) and is         \
       active. */                                                                                  \
    X(SheetId, addSheet, (BookId book, std::optional<SheetId> before), (book, before), )           \
    X(void, selectSheet, (SheetId sheet), (sheet), )                                               \
    X(void, deleteSheet, (SheetId sheet), (sheet), )                                               \
    X(SheetId, copySheet, (SheetId sheet, SheetId anchor, Placement where),                        \
      (sheet, anchor, where), )                                                                    \
    X(void, moveSheet, (SheetId sheet, SheetId anchor, Placement where), (sheet, anchor, where), ) \
    X(QString, sheetName, (SheetId sheet), (sheet), const)                                         \
    X(void, setSheetName, (SheetId sheet, const QString& name), (sheet, name), )                   \
    X(void, setTabColor, (SheetId sheet, std::uint32_t color), (sheet, color), )                   \
    X(std::optional<std::uint32_t>, tabColor, (SheetId sheet), (sheet), const)                     \
    X(void, setDisplayGridlines, (SheetId sheet, bool on), (sheet, on), )                          \
    X(void, setPageOrientation, (SheetId sheet, int orientation), (sheet, orientation), )          \
    X(void, setFitToPagesWide, (SheetId sheet, int pages), (sheet, pages), )                       \
    X(void, setCenterHorizontally, (SheetId sheet, bool on), (sheet, on), )                        \
    X(void, setRightFooter, (SheetId sheet, const QString& text), (sheet, text), )                 \
    X(void, selectRanges, (SheetId sheet, const QList<CellRect>& ranges), (sheet, ranges), )       \
    X(QList<CellRect>, selection, (SheetId sheet), (sheet), const)                                 \
    /* Sheet-wide settings as files carry them. */                                                 \
    X(SheetView, sheetView, (SheetId sheet), (sheet), const)                                       \
    X(void, setSheetView, (SheetId sheet, const SheetView& view), (sheet, view), )

// Cell formats, column widths and row heights.
#define TALLIMO_HOST_FORMAT_OPERATIONS(X)                                                       \
    X(double, columnWidth, (SheetId sheet, int column), (sheet, column), const)                 \
    X(void, setColumnWidth, (SheetId sheet, int firstColumn, int lastColumn, double width),     \
      (sheet, firstColumn, lastColumn, width), )                                                \
    X(void, autoFitColumns, (SheetId sheet, int firstColumn, int lastColumn),                   \
      (sheet, firstColumn, lastColumn), )                                                       \
    X(double, rowHeight, (SheetId sheet, int row), (sheet, row), const)                         \
    X(void, setRowHeight, (SheetId sheet, int firstRow, int lastRow, double height),            \
      (sheet, firstRow, lastRow, height), )                                                     \
    X(CellFormat, format, (SheetId sheet, int row, int column), (sheet, row, column), const)    \
    X(void, setHorizontalAlignment, (SheetId sheet, const CellRect& range, int alignment),      \
      (sheet, range, alignment), )                                                              \
    X(void, setVerticalAlignment, (SheetId sheet, const CellRect& range, int alignment),        \
      (sheet, range, alignment), )                                                              \
    X(void, setWrapText, (SheetId sheet, const CellRect& range, bool on), (sheet, range, on), ) \
    X(void, setFillColorIndex, (SheetId sheet, const CellRect& range, int colorIndex),          \
      (sheet, range, colorIndex), )                                                             \
    X(void, setFillColor, (SheetId sheet, const CellRect& range, std::uint32_t color),          \
      (sheet, range, color), )                                                                  \
    X(void, setFontName, (SheetId sheet, const CellRect& range, const QString& name),           \
      (sheet, range, name), )                                                                   \
    X(void, setFontSize, (SheetId sheet, const CellRect& range, double size),                   \
      (sheet, range, size), )                                                                   \
    X(void, setFontBold, (SheetId sheet, const CellRect& range, bool bold),                     \
      (sheet, range, bold), )                                                                   \
    X(void, setFontColorIndex, (SheetId sheet, const CellRect& range, int colorIndex),          \
      (sheet, range, colorIndex), )                                                             \
    X(void, setFontColor, (SheetId sheet, const CellRect& range, std::uint32_t color),          \
      (sheet, range, color), )                                                                  \
    /* borderIndex 7..12 as the host numbers them; applied over the whole range. */             \
    X(void, setBorderLineStyle,                                                                 \
      (SheetId sheet, const CellRect& range, int borderIndex, int lineStyle),                   \
      (sheet, range, borderIndex, lineStyle), )                                                 \
    X(void, setNumberFormat, (SheetId sheet, const CellRect& range, const QString& format),     \
      (sheet, range, format), )                                                                 \
    /* Format ids as rowCells gives them. */                                                    \
    X(CellFormat, formatById, (std::uint32_t formatId), (formatId), const)

// Cell contents: values, formulas, merges, comments, links and coloured characters, and moving
// cells.
#define TALLIMO_HOST_CELL_OPERATIONS(X)                                                           \
    X(CellRect, usedRange, (SheetId sheet), (sheet), const)                                       \
    /* Sort rows of `range` by column `keyColumn` (sheet column number). */                       \
    X(void, sort,                                                                                 \
      (SheetId sheet, const CellRect& range, int keyColumn, SortOrder order, bool hasHeader),     \
      (sheet, range, keyColumn, order, hasHeader), )                                              \
    X(CellValue, value, (SheetId sheet, int row, int column), (sheet, row, column), const)        \
    /* A text value is entered as a user would type it (a plain decimal number becomes a          \
       number). */                                                                                \
    X(void, setValue, (SheetId sheet, const CellRect& range, const CellValue& value),             \
      (sheet, range, value), )                                                                    \
    /* Writes a block of texts, entered as typed, with its top-left cell at (row, column). */     \
    X(void, setBlock, (SheetId sheet, int row, int column, const TextGrid& texts),                \
      (sheet, row, column, texts), )                                                              \
    X(QString, formulaR1C1, (SheetId sheet, int row, int column), (sheet, row, column), const)    \
    X(QString, formulaA1, (SheetId sheet, int row, int column), (sheet, row, column), const)      \
    X(void, setFormulaR1C1, (SheetId sheet, const CellRect& range, const QString& formula),       \
      (sheet, range, formula), )                                                                  \
    X(QString, displayText, (SheetId sheet, int row, int column), (sheet, row, column), const)    \
    X(void, clearContents, (SheetId sheet, const CellRect& range), (sheet, range), )              \
    /* Deletes cells; a range spanning every column deletes whole rows. */                        \
    X(void, deleteCells, (SheetId sheet, const CellRect& range, Shift shift),                     \
      (sheet, range, shift), )                                                                    \
    X(void, copyRange,                                                                            \
      (SheetId sheet, const CellRect& range, SheetId target, int row, int column),                \
      (sheet, range, target, row, column), )                                                      \
    X(void, merge, (SheetId sheet, const CellRect& range), (sheet, range), )                      \
    X(QList<CellRect>, merges, (SheetId sheet), (sheet), const)                                   \
    X(void, setCharactersColorIndex,                                                              \
      (SheetId sheet, int row, int column, int start, int length, int colorIndex),                \
      (sheet, row, column, start, length, colorIndex), )                                          \
    X(QList<CharacterRun>, characterRuns, (SheetId sheet, int row, int column),                   \
      (sheet, row, column), const)                                                                \
    X(void, addComment, (SheetId sheet, int row, int column, const QString& text),                \
      (sheet, row, column, text), )                                                               \
    X(QString, commentText, (SheetId sheet, int row, int column), (sheet, row, column), const)    \
    X(bool, commentVisible, (SheetId sheet, int row, int column), (sheet, row, column), const)    \
    X(void, setCommentVisible, (SheetId sheet, int row, int column, bool visible),                \
      (sheet, row, column, visible), )                                                            \
    /* A link to a place in the same workbook ('Sheet name'!A12, the sheet quoted as a formula    \
       quotes it); a later link on the cell replaces it. hyperlink is empty without one. */       \
    X(void, addHyperlink, (SheetId sheet, int row, int column, const QString& location),          \
      (sheet, row, column, location), )                                                           \
    X(QString, hyperlink, (SheetId sheet, int row, int column), (sheet, row, column), const)      \
    /* What file readers and writers need beyond the object model. A value stored as given,       \
       without the typed-entry conversion (a text stays a text). */                               \
    X(void, setLiteral, (SheetId sheet, int row, int column, const CellValue& value),             \
      (sheet, row, column, value), )                                                              \
    /* An A1 formula as files keep it, with its cached value; without one (an empty value) a      \
       formula the host can compute is computed when read, any other reads as empty. */           \
    X(void, setFormulaA1,                                                                         \
      (SheetId sheet, int row, int column, const QString& formula, const CellValue& cachedValue), \
      (sheet, row, column, formula, cachedValue), )                                               \
    /* Cells and formats in a compact form for serialisers: the non-empty cells of one row in     \
       column order, each with the id of its format; format ids resolve through formatById. */    \
    X(QList<StoredCell>, rowCells, (SheetId sheet, int row), (sheet, row), const)

#define TALLIMO_HOST_OPERATIONS(X)  \
    TALLIMO_HOST_BOOK_OPERATIONS(X) \
    TALLIMO_HOST_FORMAT_OPERATIONS(X) TALLIMO_HOST_CELL_OPERATIONS(X)

#define TALLIMO_HOST_PURE_VIRTUAL(result, name, parameters, arguments, qualifier) \
    virtual result name parameters qualifier = 0;
// An operation as a plain member of a class that carries it out for a back end.
#define TALLIMO_HOST_MEMBER(result, name, parameters, arguments, qualifier) \
    result name parameters qualifier;

namespace tallimo::host {

// The object-model handles of Host.h forward here, so a back end (the memory model, a wrapper in
// the tests) implements one class.
class HostBackend {
public:
    virtual ~HostBackend() = default;

    TALLIMO_HOST_OPERATIONS(TALLIMO_HOST_PURE_VIRTUAL)

    // The file name (without folder and extension) for a workbook that is saved without ever
    // having had a path. A desktop spreadsheet asks the user instead, so by default it is unused.
    virtual void suggestFileName(BookId, const QString&) {}

    // Deletes several blocks in one step, as a range of several areas is deleted: the result is
    // that of deleting them one by one from the last to the first, so that no deletion moves a
    // block still to be deleted. The blocks must not overlap. Back ends may do it in one pass.
    virtual void deleteCellsAreas(SheetId sheet, QList<CellRect> ranges, Shift shift) {
        std::sort(ranges.begin(), ranges.end(), [shift](const CellRect& a, const CellRect& b) {
            return shift == Shift::Up ? a.top > b.top : a.left > b.left;
        });
        for (const CellRect& range : std::as_const(ranges))
            deleteCells(sheet, range, shift);
    }

    // What a file writer walks through, in forms that copy nothing per cell. These ask only
    // what rowCells and the comment and link calls answer, and a back end may answer them faster.
    using CellVisitor = std::function<void(const CellView&)>;
    // The cells rowCells gives, in the same order.
    virtual void visitRowCells(SheetId sheet, int row, const CellVisitor& visit) const;
    // The formats of the cells rowCells gives over the whole sheet, and the colours their runs
    // paint with.
    virtual SheetStyles usedStyles(SheetId sheet) const;
    // Every comment of the sheet, by row and then column.
    virtual QList<CellComment> comments(SheetId sheet) const;
    // Every link of the sheet, by row and then column.
    virtual QList<CellHyperlink> hyperlinks(SheetId sheet) const;
};

}  // namespace tallimo::host
