#pragma once

#include "AddInRegistry.h"
#include "FormatTable.h"
#include "HostBackend.h"
#include "MemoryHost.h"
#include "MemorySheet.h"

#include <functional>
#include <memory>
#include <unordered_map>

namespace tallimo::host {

// The workbook model kept in memory. Workbooks are saved and opened as .xlsx files.
class MemoryBackend : public HostBackend {
public:
    explicit MemoryBackend(const MemoryHostOptions& options = {});
    ~MemoryBackend() override;

    bool visible() const override;
    void setVisible(bool on) override;
    bool displayAlerts() const override;
    void setDisplayAlerts(bool on) override;
    bool enableEvents() const override;
    void setEnableEvents(bool on) override;
    QString version() const override;
    qint64 windowHandle() const override;
    QString userLibraryPath() const override;
    void quit() override;
    void freezePanes() override;
    QString addInsAdd(const QString& fileName) override;
    bool addInInstalled(const QString& title) const override;
    void setAddInInstalled(const QString& title, bool installed) override;
    BookId addWorkbook() override;
    BookId openWorkbook(const QString& path) override;
    int workbookCount() const override;
    BookId workbookAt(int index) const override;
    BookId workbookByName(const QString& name) const override;
    BookId activeWorkbook() const override;
    void activateWorkbook(BookId book) override;
    QString workbookName(BookId book) const override;
    QString workbookPath(BookId book) const override;
    void saveWorkbook(BookId book) override;
    void saveWorkbookAs(BookId book, const QString& path) override;
    void suggestFileName(BookId book, const QString& stem) override;
    void closeWorkbook(BookId book, bool saveChanges) override;
    int sheetCount(BookId book) const override;
    SheetId sheetAt(BookId book, int index) const override;
    SheetId sheetByName(BookId book, const QString& name) const override;
    SheetId activeSheet(BookId book) const override;
    BookId sheetBook(SheetId sheet) const override;
    int sheetIndex(SheetId sheet) const override;
    SheetId addSheet(BookId book, std::optional<SheetId> before) override;
    void selectSheet(SheetId sheet) override;
    void deleteSheet(SheetId sheet) override;
    SheetId copySheet(SheetId sheet, SheetId anchor, Placement where) override;
    void moveSheet(SheetId sheet, SheetId anchor, Placement where) override;
    QString sheetName(SheetId sheet) const override;
    void setSheetName(SheetId sheet, const QString& name) override;
    void setTabColor(SheetId sheet, std::uint32_t color) override;
    std::optional<std::uint32_t> tabColor(SheetId sheet) const override;
    void setDisplayGridlines(SheetId sheet, bool on) override;
    CellRect usedRange(SheetId sheet) const override;
    void setPageOrientation(SheetId sheet, int orientation) override;
    void setFitToPagesWide(SheetId sheet, int pages) override;
    void setCenterHorizontally(SheetId sheet, bool on) override;
    void setRightFooter(SheetId sheet, const QString& text) override;
    void sort(SheetId sheet, const CellRect& range, int keyColumn, SortOrder order,
              bool hasHeader) override;
    CellValue value(SheetId sheet, int row, int column) const override;
    void setValue(SheetId sheet, const CellRect& range, const CellValue& value) override;
    void setBlock(SheetId sheet, int row, int column, const TextGrid& texts) override;
    QString formulaR1C1(SheetId sheet, int row, int column) const override;
    QString formulaA1(SheetId sheet, int row, int column) const override;
    void setFormulaR1C1(SheetId sheet, const CellRect& range, const QString& formula) override;
    QString displayText(SheetId sheet, int row, int column) const override;
    void clearContents(SheetId sheet, const CellRect& range) override;
    void deleteCells(SheetId sheet, const CellRect& range, Shift shift) override;
    void deleteCellsAreas(SheetId sheet, QList<CellRect> ranges, Shift shift) override;
    void copyRange(SheetId sheet, const CellRect& range, SheetId target, int row,
                   int column) override;
    void merge(SheetId sheet, const CellRect& range) override;
    QList<CellRect> merges(SheetId sheet) const override;
    void selectRanges(SheetId sheet, const QList<CellRect>& ranges) override;
    QList<CellRect> selection(SheetId sheet) const override;
    double columnWidth(SheetId sheet, int column) const override;
    void setColumnWidth(SheetId sheet, int firstColumn, int lastColumn, double width) override;
    void autoFitColumns(SheetId sheet, int firstColumn, int lastColumn) override;
    double rowHeight(SheetId sheet, int row) const override;
    void setRowHeight(SheetId sheet, int firstRow, int lastRow, double height) override;
    CellFormat format(SheetId sheet, int row, int column) const override;
    void setHorizontalAlignment(SheetId sheet, const CellRect& range, int alignment) override;
    void setVerticalAlignment(SheetId sheet, const CellRect& range, int alignment) override;
    void setWrapText(SheetId sheet, const CellRect& range, bool on) override;
    void setFillColorIndex(SheetId sheet, const CellRect& range, int colorIndex) override;
    void setFillColor(SheetId sheet, const CellRect& range, std::uint32_t color) override;
    void setFontName(SheetId sheet, const CellRect& range, const QString& name) override;
    void setFontSize(SheetId sheet, const CellRect& range, double size) override;
    void setFontBold(SheetId sheet, const CellRect& range, bool bold) override;
    void setFontColorIndex(SheetId sheet, const CellRect& range, int colorIndex) override;
    void setFontColor(SheetId sheet, const CellRect& range, std::uint32_t color) override;
    void setCharactersColorIndex(SheetId sheet, int row, int column, int start, int length,
                                 int colorIndex) override;
    QList<CharacterRun> characterRuns(SheetId sheet, int row, int column) const override;
    void setBorderLineStyle(SheetId sheet, const CellRect& range, int borderIndex,
                            int lineStyle) override;
    void setNumberFormat(SheetId sheet, const CellRect& range, const QString& format) override;
    void addComment(SheetId sheet, int row, int column, const QString& text) override;
    QString commentText(SheetId sheet, int row, int column) const override;
    bool commentVisible(SheetId sheet, int row, int column) const override;
    void setCommentVisible(SheetId sheet, int row, int column, bool visible) override;
    void setLiteral(SheetId sheet, int row, int column, const CellValue& value) override;
    void setFormulaA1(SheetId sheet, int row, int column, const QString& formula,
                      const CellValue& cachedValue) override;
    SheetView sheetView(SheetId sheet) const override;
    void setSheetView(SheetId sheet, const SheetView& view) override;
    QList<StoredCell> rowCells(SheetId sheet, int row) const override;
    CellFormat formatById(std::uint32_t formatId) const override;
    void visitRowCells(SheetId sheet, int row, const CellVisitor& visit) const override;
    SheetStyles usedStyles(SheetId sheet) const override;
    QList<CellComment> comments(SheetId sheet) const override;

private:
    MemoryBook& book(BookId id) const;
    MemorySheet& sheet(SheetId id) const;
    static void checkRect(const CellRect& rect);
    static void checkCell(int row, int column);
    // Writing a value or a format into each cell of a block has a limit, so that a mistaken
    // address cannot take the machine's memory; whole rows and columns are formatted as such.
    static constexpr qint64 kMaxCellsPerCall = qint64(1) << 25;
    static void checkCellCount(const CellRect& rect);
    BookId createBook(const QString& name);
    QString uniqueSheetName(const MemoryBook& book, const QString& wanted) const;
    void checkSheetName(const MemorySheet& sheet, const QString& name) const;
    SheetId createSheet(MemoryBook& book, const QString& name, int position);
    void placeSheet(MemoryBook& book, SheetId id, SheetId anchor, Placement where);
    void removeBook(BookId id);
    void showUnseenWorkbooks();
    void saveTo(BookId book, const QString& path);

    // Cells
    std::uint32_t effectiveFormatId(const MemorySheet& s, int row, int column) const;
    Cell& obtainCell(MemorySheet& s, int row, int column);
    void dropCellIfBare(MemorySheet& s, int row, int column);
    void clearCell(MemorySheet& s, int row, int column);
    void storeValue(MemorySheet& s, int row, int column, const CellValue& value);
    void storeTyped(MemorySheet& s, int row, int column, QStringView text);
    CellValue cellValue(MemorySheet& s, int row, int column) const;
    std::optional<FormulaNode> parsedFormula(MemorySheet& s, std::uint64_t slot, int row,
                                             int column, FormulaShape* shape = nullptr) const;
    // The value as evaluation sees it: a formula's cached value, which settle() brought up to date.
    CellValue rawValue(MemorySheet& s, int row, int column) const;
    // Computes the formula at `key` and every formula it reads that is not up to date, without
    // recursion from cell to cell (MemorySettle.cpp).
    void settle(MemorySheet& s, CellKey key) const;
    // Computes one formula whose inputs are all up to date.
    void computeFormula(MemorySheet& s, int row, int column, std::uint64_t slot) const;
    // The running totals and settled rows of blocks belong to one generation of the sheet.
    void forgetStaleBlocks(MemorySheet& s) const;
    static quint64 blockKey(const CellRect& block) {
        return (quint64(block.top) << 32) | (quint64(block.left) << 16) | quint64(block.right);
    }
    // What SUM makes of a block; costs what the block's stored cells cost, and blocks of many
    // rows keep running totals for the next SUM down from the same top row.
    CellValue blockSum(MemorySheet& s, const CellRect& block) const;
    // Adds the numbers of one row of the block to `total`; false with `error` at an error.
    bool addRowNumbers(MemorySheet& s, int row, const CellRect& block, CompensatedSum& total,
                       CellValue& error) const;
    static constexpr int kRunningSumMinRows = 16;
    static constexpr std::size_t kMaxRunningSumRows = std::size_t(1) << 20;
    void forEachCell(const CellRect& rect, const std::function<void(int, int)>& visit) const;
    // Puts the cells of source row sourceRows[i] (columns of `span`) into row span.top + i.
    void moveRowSpan(MemorySheet& s, const CellRect& span, const std::vector<int>& sourceRows);

    // Formats
    void changeFormat(SheetId sheet, const CellRect& range,
                      const std::function<void(CellFormat&)>& change);
    void changeRowFormat(MemorySheet& s, int row, int left, int right, FormatChange& changed);

    bool visible_;
    std::function<void(const QString&)> showFile_;
    bool displayAlerts_ = true;
    bool enableEvents_ = true;
    FormatTable formats_;
    AddInRegistry addIns_;
    QHash<QPair<std::uint32_t, QString>, std::uint32_t> typedFormats_;  // format + typed format
    std::unordered_map<BookId, std::unique_ptr<MemoryBook>> books_;
    std::vector<BookId> bookOrder_;
    std::unordered_map<SheetId, std::unique_ptr<MemorySheet>> sheets_;
    BookId activeBook_ = 0;
    BookId nextBookId_ = 1;
    SheetId nextSheetId_ = 1;
    int nextBookNumber_ = 1;
};

}  // namespace tallimo::host
