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

namespace tallimo::host {

// The operations of the spreadsheet host, flat. The object-model handles of Host.h forward here,
// so a back end (the memory model, a failure-injecting wrapper) implements one class.
// Every operation throws HostError on failure (unknown workbook or sheet, bad address, ...).
class HostBackend {
public:
    virtual ~HostBackend() = default;

    // Application
    virtual bool visible() const = 0;
    virtual void setVisible(bool on) = 0;
    virtual bool displayAlerts() const = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual bool enableEvents() const = 0;
    virtual void setEnableEvents(bool on) = 0;
    virtual QString version() const = 0;
    virtual qint64 windowHandle() const = 0;
    virtual QString userLibraryPath() const = 0;
    virtual void quit() = 0;
    // Freezes the panes of the active window above and left of the active sheet's active cell.
    virtual void freezePanes() = 0;

    // Add-ins; a registration outlives the process.
    virtual QString addInsAdd(const QString& fileName) = 0;  // returns the add-in's title
    virtual bool addInInstalled(const QString& title) const = 0;
    virtual void setAddInInstalled(const QString& title, bool installed) = 0;

    // Workbooks
    virtual BookId addWorkbook() = 0;
    virtual BookId openWorkbook(const QString& path) = 0;
    virtual int workbookCount() const = 0;
    virtual BookId workbookAt(int index) const = 0;  // 1-based
    virtual BookId workbookByName(const QString& name) const = 0;
    virtual BookId activeWorkbook() const = 0;
    virtual void activateWorkbook(BookId book) = 0;
    virtual QString workbookName(BookId book) const = 0;
    virtual QString workbookPath(BookId book) const = 0;  // empty until saved
    virtual void saveWorkbook(BookId book) = 0;
    virtual void saveWorkbookAs(BookId book, const QString& path) = 0;
    virtual void closeWorkbook(BookId book, bool saveChanges) = 0;
    // The file name (without folder and extension) for a workbook that is saved without ever
    // having had a path. A desktop spreadsheet asks the user instead, so by default it is unused.
    virtual void suggestFileName(BookId, const QString&) {}

    // Sheets
    virtual int sheetCount(BookId book) const = 0;
    virtual SheetId sheetAt(BookId book, int index) const = 0;  // 1-based
    virtual SheetId sheetByName(BookId book, const QString& name) const = 0;
    virtual SheetId activeSheet(BookId book) const = 0;
    virtual BookId sheetBook(SheetId sheet) const = 0;
    virtual int sheetIndex(SheetId sheet) const = 0;  // 1-based
    // Sheets.Add: the new sheet goes before `before` (the active sheet when empty) and is active.
    virtual SheetId addSheet(BookId book, std::optional<SheetId> before) = 0;
    virtual void selectSheet(SheetId sheet) = 0;
    virtual void deleteSheet(SheetId sheet) = 0;
    virtual SheetId copySheet(SheetId sheet, SheetId anchor, Placement where) = 0;
    virtual void moveSheet(SheetId sheet, SheetId anchor, Placement where) = 0;
    virtual QString sheetName(SheetId sheet) const = 0;
    virtual void setSheetName(SheetId sheet, const QString& name) = 0;
    virtual void setTabColor(SheetId sheet, std::uint32_t color) = 0;
    virtual std::optional<std::uint32_t> tabColor(SheetId sheet) const = 0;
    virtual void setDisplayGridlines(SheetId sheet, bool on) = 0;
    virtual CellRect usedRange(SheetId sheet) const = 0;
    virtual void setPageOrientation(SheetId sheet, int orientation) = 0;
    virtual void setFitToPagesWide(SheetId sheet, int pages) = 0;
    virtual void setCenterHorizontally(SheetId sheet, bool on) = 0;
    virtual void setRightFooter(SheetId sheet, const QString& text) = 0;
    // Sort rows of `range` by column `keyColumn` (sheet column number).
    virtual void sort(SheetId sheet, const CellRect& range, int keyColumn, SortOrder order,
                      bool hasHeader) = 0;

    // Cells
    virtual CellValue value(SheetId sheet, int row, int column) const = 0;
    // A text value is entered as a user would type it (a plain decimal number becomes a number).
    virtual void setValue(SheetId sheet, const CellRect& range, const CellValue& value) = 0;
    // Writes a block of texts, entered as typed, with its top-left cell at (row, column).
    virtual void setBlock(SheetId sheet, int row, int column, const TextGrid& texts) = 0;
    virtual QString formulaR1C1(SheetId sheet, int row, int column) const = 0;
    virtual QString formulaA1(SheetId sheet, int row, int column) const = 0;
    virtual void setFormulaR1C1(SheetId sheet, const CellRect& range, const QString& formula) = 0;
    virtual QString displayText(SheetId sheet, int row, int column) const = 0;
    virtual void clearContents(SheetId sheet, const CellRect& range) = 0;
    // Deletes cells; a range spanning every column deletes whole rows.
    virtual void deleteCells(SheetId sheet, const CellRect& range, Shift shift) = 0;
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
    virtual void copyRange(SheetId sheet, const CellRect& range, SheetId target, int row,
                           int column) = 0;
    virtual void merge(SheetId sheet, const CellRect& range) = 0;
    virtual QList<CellRect> merges(SheetId sheet) const = 0;
    virtual void selectRanges(SheetId sheet, const QList<CellRect>& ranges) = 0;
    virtual QList<CellRect> selection(SheetId sheet) const = 0;

    // Layout
    virtual double columnWidth(SheetId sheet, int column) const = 0;
    virtual void setColumnWidth(SheetId sheet, int firstColumn, int lastColumn, double width) = 0;
    virtual void autoFitColumns(SheetId sheet, int firstColumn, int lastColumn) = 0;
    virtual double rowHeight(SheetId sheet, int row) const = 0;
    virtual void setRowHeight(SheetId sheet, int firstRow, int lastRow, double height) = 0;

    // Formats
    virtual CellFormat format(SheetId sheet, int row, int column) const = 0;
    virtual void setHorizontalAlignment(SheetId sheet, const CellRect& range, int alignment) = 0;
    virtual void setVerticalAlignment(SheetId sheet, const CellRect& range, int alignment) = 0;
    virtual void setWrapText(SheetId sheet, const CellRect& range, bool on) = 0;
    virtual void setFillColorIndex(SheetId sheet, const CellRect& range, int colorIndex) = 0;
    virtual void setFillColor(SheetId sheet, const CellRect& range, std::uint32_t color) = 0;
    virtual void setFontName(SheetId sheet, const CellRect& range, const QString& name) = 0;
    virtual void setFontSize(SheetId sheet, const CellRect& range, double size) = 0;
    virtual void setFontBold(SheetId sheet, const CellRect& range, bool bold) = 0;
    virtual void setFontColorIndex(SheetId sheet, const CellRect& range, int colorIndex) = 0;
    virtual void setFontColor(SheetId sheet, const CellRect& range, std::uint32_t color) = 0;
    virtual void setCharactersColorIndex(SheetId sheet, int row, int column, int start, int length,
                                         int colorIndex) = 0;
    virtual QList<CharacterRun> characterRuns(SheetId sheet, int row, int column) const = 0;
    // borderIndex 7..12 as the host numbers them; applied over the whole range.
    virtual void setBorderLineStyle(SheetId sheet, const CellRect& range, int borderIndex,
                                    int lineStyle) = 0;

    virtual void setNumberFormat(SheetId sheet, const CellRect& range, const QString& format) = 0;

    // Comments
    virtual void addComment(SheetId sheet, int row, int column, const QString& text) = 0;
    virtual QString commentText(SheetId sheet, int row, int column) const = 0;
    virtual bool commentVisible(SheetId sheet, int row, int column) const = 0;
    virtual void setCommentVisible(SheetId sheet, int row, int column, bool visible) = 0;

    // What file readers and writers need beyond the object model.
    // A value stored as given, without the typed-entry conversion (a text stays a text).
    virtual void setLiteral(SheetId sheet, int row, int column, const CellValue& value) = 0;
    // An A1 formula as files keep it, with its cached value; without one (an empty value) a
    // formula the host can compute is computed when read, any other reads as empty.
    virtual void setFormulaA1(SheetId sheet, int row, int column, const QString& formula,
                              const CellValue& cachedValue) = 0;
    virtual SheetView sheetView(SheetId sheet) const = 0;
    virtual void setSheetView(SheetId sheet, const SheetView& view) = 0;
    // Cells and formats in a compact form for serialisers: the non-empty cells of one row in
    // column order, each with the id of its format; format ids resolve through formatById.
    virtual QList<StoredCell> rowCells(SheetId sheet, int row) const = 0;
    virtual CellFormat formatById(std::uint32_t formatId) const = 0;

    // What a file writer walks through, in forms that copy nothing per cell. These ask only
    // what rowCells and the comment calls answer, and a back end may answer them faster.
    using CellVisitor = std::function<void(const CellView&)>;
    // The cells rowCells gives, in the same order.
    virtual void visitRowCells(SheetId sheet, int row, const CellVisitor& visit) const;
    // The formats of the cells rowCells gives over the whole sheet, and the colours their runs
    // paint with.
    virtual SheetStyles usedStyles(SheetId sheet) const;
    // Every comment of the sheet, by row and then column.
    virtual QList<CellComment> comments(SheetId sheet) const;
};

}  // namespace tallimo::host
