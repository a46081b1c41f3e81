#pragma once

#include "HostBackend.h"

#include <QHash>
#include <QStringList>
#include <memory>

namespace tallimo::host {

// Wraps a back end and makes chosen calls fail with HostError, so tests can drive a caller into
// each of its error paths. Every call is recorded by its operation name (the member's name, e.g.
// "setValue") before it is checked and forwarded.
class FailingBackend : public HostBackend {
public:
    explicit FailingBackend(HostBackend& inner) : inner_(&inner) {}
    explicit FailingBackend(std::unique_ptr<HostBackend> inner)
        : owned_(std::move(inner)), inner_(owned_.get()) {}

    // Fails every call of `operation`, or only its n-th call (1-based) when nthCall > 0.
    void failOn(const QString& operation, int nthCall = 0);
    // Fails the n-th call overall (1-based, counted from construction or the last reset).
    void failOnCall(int nthCall);
    // Forgets the failures, the recorded calls and the counters.
    void reset();

    const QStringList& calls() const { return calls_; }
    int callCount(const QString& operation) const { return perOperation_.value(operation); }
    HostBackend& inner() const { return *inner_; }

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

private:
    void enter(const QString& operation) const;

    std::unique_ptr<HostBackend> owned_;
    HostBackend* inner_;
    QHash<QString, int> failures_;  // operation -> n-th call to fail, 0 for every call
    int failOverall_ = 0;
    mutable QStringList calls_;
    mutable QHash<QString, int> perOperation_;
};

}  // namespace tallimo::host
