#include "FailingBackend.h"

namespace tallimo::host {

void FailingBackend::failOn(const QString& operation, int nthCall) {
    failures_.insert(operation, nthCall);
}

void FailingBackend::failOnCall(int nthCall) {
    failOverall_ = nthCall;
}

void FailingBackend::reset() {
    failures_.clear();
    failOverall_ = 0;
    calls_.clear();
    perOperation_.clear();
}

void FailingBackend::enter(const QString& operation) const {
    calls_.append(operation);
    const int nth = ++perOperation_[operation];
    const auto failure = failures_.constFind(operation);
    const bool byOperation = failure != failures_.cend() && (*failure == 0 || *failure == nth);
    const bool overall = failOverall_ > 0 && failOverall_ == calls_.size();
    if (byOperation || overall)
        throw HostError(
            QStringLiteral("模拟的宿主故障：%1（第 %2 次调用）").arg(operation).arg(nth));
}

bool FailingBackend::visible() const {
    enter(QStringLiteral("visible"));
    return inner_->visible();
}

void FailingBackend::setVisible(bool on) {
    enter(QStringLiteral("setVisible"));
    inner_->setVisible(on);
}

bool FailingBackend::displayAlerts() const {
    enter(QStringLiteral("displayAlerts"));
    return inner_->displayAlerts();
}

void FailingBackend::setDisplayAlerts(bool on) {
    enter(QStringLiteral("setDisplayAlerts"));
    inner_->setDisplayAlerts(on);
}

bool FailingBackend::enableEvents() const {
    enter(QStringLiteral("enableEvents"));
    return inner_->enableEvents();
}

void FailingBackend::setEnableEvents(bool on) {
    enter(QStringLiteral("setEnableEvents"));
    inner_->setEnableEvents(on);
}

QString FailingBackend::version() const {
    enter(QStringLiteral("version"));
    return inner_->version();
}

qint64 FailingBackend::windowHandle() const {
    enter(QStringLiteral("windowHandle"));
    return inner_->windowHandle();
}

QString FailingBackend::userLibraryPath() const {
    enter(QStringLiteral("userLibraryPath"));
    return inner_->userLibraryPath();
}

void FailingBackend::quit() {
    enter(QStringLiteral("quit"));
    inner_->quit();
}

void FailingBackend::freezePanes() {
    enter(QStringLiteral("freezePanes"));
    inner_->freezePanes();
}

QString FailingBackend::addInsAdd(const QString& fileName) {
    enter(QStringLiteral("addInsAdd"));
    return inner_->addInsAdd(fileName);
}

bool FailingBackend::addInInstalled(const QString& title) const {
    enter(QStringLiteral("addInInstalled"));
    return inner_->addInInstalled(title);
}

void FailingBackend::setAddInInstalled(const QString& title, bool installed) {
    enter(QStringLiteral("setAddInInstalled"));
    inner_->setAddInInstalled(title, installed);
}

BookId FailingBackend::addWorkbook() {
    enter(QStringLiteral("addWorkbook"));
    return inner_->addWorkbook();
}

BookId FailingBackend::openWorkbook(const QString& path) {
    enter(QStringLiteral("openWorkbook"));
    return inner_->openWorkbook(path);
}

int FailingBackend::workbookCount() const {
    enter(QStringLiteral("workbookCount"));
    return inner_->workbookCount();
}

BookId FailingBackend::workbookAt(int index) const {
    enter(QStringLiteral("workbookAt"));
    return inner_->workbookAt(index);
}

BookId FailingBackend::workbookByName(const QString& name) const {
    enter(QStringLiteral("workbookByName"));
    return inner_->workbookByName(name);
}

BookId FailingBackend::activeWorkbook() const {
    enter(QStringLiteral("activeWorkbook"));
    return inner_->activeWorkbook();
}

void FailingBackend::activateWorkbook(BookId book) {
    enter(QStringLiteral("activateWorkbook"));
    inner_->activateWorkbook(book);
}

QString FailingBackend::workbookName(BookId book) const {
    enter(QStringLiteral("workbookName"));
    return inner_->workbookName(book);
}

QString FailingBackend::workbookPath(BookId book) const {
    enter(QStringLiteral("workbookPath"));
    return inner_->workbookPath(book);
}

void FailingBackend::saveWorkbook(BookId book) {
    enter(QStringLiteral("saveWorkbook"));
    inner_->saveWorkbook(book);
}

void FailingBackend::saveWorkbookAs(BookId book, const QString& path) {
    enter(QStringLiteral("saveWorkbookAs"));
    inner_->saveWorkbookAs(book, path);
}

void FailingBackend::closeWorkbook(BookId book, bool saveChanges) {
    enter(QStringLiteral("closeWorkbook"));
    inner_->closeWorkbook(book, saveChanges);
}

int FailingBackend::sheetCount(BookId book) const {
    enter(QStringLiteral("sheetCount"));
    return inner_->sheetCount(book);
}

SheetId FailingBackend::sheetAt(BookId book, int index) const {
    enter(QStringLiteral("sheetAt"));
    return inner_->sheetAt(book, index);
}

SheetId FailingBackend::sheetByName(BookId book, const QString& name) const {
    enter(QStringLiteral("sheetByName"));
    return inner_->sheetByName(book, name);
}

SheetId FailingBackend::activeSheet(BookId book) const {
    enter(QStringLiteral("activeSheet"));
    return inner_->activeSheet(book);
}

BookId FailingBackend::sheetBook(SheetId sheet) const {
    enter(QStringLiteral("sheetBook"));
    return inner_->sheetBook(sheet);
}

int FailingBackend::sheetIndex(SheetId sheet) const {
    enter(QStringLiteral("sheetIndex"));
    return inner_->sheetIndex(sheet);
}

SheetId FailingBackend::addSheet(BookId book, std::optional<SheetId> before) {
    enter(QStringLiteral("addSheet"));
    return inner_->addSheet(book, before);
}

void FailingBackend::selectSheet(SheetId sheet) {
    enter(QStringLiteral("selectSheet"));
    inner_->selectSheet(sheet);
}

void FailingBackend::deleteSheet(SheetId sheet) {
    enter(QStringLiteral("deleteSheet"));
    inner_->deleteSheet(sheet);
}

SheetId FailingBackend::copySheet(SheetId sheet, SheetId anchor, Placement where) {
    enter(QStringLiteral("copySheet"));
    return inner_->copySheet(sheet, anchor, where);
}

void FailingBackend::moveSheet(SheetId sheet, SheetId anchor, Placement where) {
    enter(QStringLiteral("moveSheet"));
    inner_->moveSheet(sheet, anchor, where);
}

QString FailingBackend::sheetName(SheetId sheet) const {
    enter(QStringLiteral("sheetName"));
    return inner_->sheetName(sheet);
}

void FailingBackend::setSheetName(SheetId sheet, const QString& name) {
    enter(QStringLiteral("setSheetName"));
    inner_->setSheetName(sheet, name);
}

void FailingBackend::setTabColor(SheetId sheet, std::uint32_t color) {
    enter(QStringLiteral("setTabColor"));
    inner_->setTabColor(sheet, color);
}

std::optional<std::uint32_t> FailingBackend::tabColor(SheetId sheet) const {
    enter(QStringLiteral("tabColor"));
    return inner_->tabColor(sheet);
}

void FailingBackend::setDisplayGridlines(SheetId sheet, bool on) {
    enter(QStringLiteral("setDisplayGridlines"));
    inner_->setDisplayGridlines(sheet, on);
}

CellRect FailingBackend::usedRange(SheetId sheet) const {
    enter(QStringLiteral("usedRange"));
    return inner_->usedRange(sheet);
}

void FailingBackend::setPageOrientation(SheetId sheet, int orientation) {
    enter(QStringLiteral("setPageOrientation"));
    inner_->setPageOrientation(sheet, orientation);
}

void FailingBackend::setFitToPagesWide(SheetId sheet, int pages) {
    enter(QStringLiteral("setFitToPagesWide"));
    inner_->setFitToPagesWide(sheet, pages);
}

void FailingBackend::setCenterHorizontally(SheetId sheet, bool on) {
    enter(QStringLiteral("setCenterHorizontally"));
    inner_->setCenterHorizontally(sheet, on);
}

void FailingBackend::setRightFooter(SheetId sheet, const QString& text) {
    enter(QStringLiteral("setRightFooter"));
    inner_->setRightFooter(sheet, text);
}

void FailingBackend::sort(SheetId sheet, const CellRect& range, int keyColumn, SortOrder order,
                          bool hasHeader) {
    enter(QStringLiteral("sort"));
    inner_->sort(sheet, range, keyColumn, order, hasHeader);
}

CellValue FailingBackend::value(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("value"));
    return inner_->value(sheet, row, column);
}

void FailingBackend::setValue(SheetId sheet, const CellRect& range, const CellValue& value) {
    enter(QStringLiteral("setValue"));
    inner_->setValue(sheet, range, value);
}

void FailingBackend::setBlock(SheetId sheet, int row, int column, const TextGrid& texts) {
    enter(QStringLiteral("setBlock"));
    inner_->setBlock(sheet, row, column, texts);
}

QString FailingBackend::formulaR1C1(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("formulaR1C1"));
    return inner_->formulaR1C1(sheet, row, column);
}

QString FailingBackend::formulaA1(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("formulaA1"));
    return inner_->formulaA1(sheet, row, column);
}

void FailingBackend::setFormulaR1C1(SheetId sheet, const CellRect& range, const QString& formula) {
    enter(QStringLiteral("setFormulaR1C1"));
    inner_->setFormulaR1C1(sheet, range, formula);
}

QString FailingBackend::displayText(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("displayText"));
    return inner_->displayText(sheet, row, column);
}

void FailingBackend::clearContents(SheetId sheet, const CellRect& range) {
    enter(QStringLiteral("clearContents"));
    inner_->clearContents(sheet, range);
}

void FailingBackend::deleteCells(SheetId sheet, const CellRect& range, Shift shift) {
    enter(QStringLiteral("deleteCells"));
    inner_->deleteCells(sheet, range, shift);
}

void FailingBackend::copyRange(SheetId sheet, const CellRect& range, SheetId target, int row,
                               int column) {
    enter(QStringLiteral("copyRange"));
    inner_->copyRange(sheet, range, target, row, column);
}

void FailingBackend::merge(SheetId sheet, const CellRect& range) {
    enter(QStringLiteral("merge"));
    inner_->merge(sheet, range);
}

QList<CellRect> FailingBackend::merges(SheetId sheet) const {
    enter(QStringLiteral("merges"));
    return inner_->merges(sheet);
}

void FailingBackend::selectRanges(SheetId sheet, const QList<CellRect>& ranges) {
    enter(QStringLiteral("selectRanges"));
    inner_->selectRanges(sheet, ranges);
}

QList<CellRect> FailingBackend::selection(SheetId sheet) const {
    enter(QStringLiteral("selection"));
    return inner_->selection(sheet);
}

double FailingBackend::columnWidth(SheetId sheet, int column) const {
    enter(QStringLiteral("columnWidth"));
    return inner_->columnWidth(sheet, column);
}

void FailingBackend::setColumnWidth(SheetId sheet, int firstColumn, int lastColumn, double width) {
    enter(QStringLiteral("setColumnWidth"));
    inner_->setColumnWidth(sheet, firstColumn, lastColumn, width);
}

void FailingBackend::autoFitColumns(SheetId sheet, int firstColumn, int lastColumn) {
    enter(QStringLiteral("autoFitColumns"));
    inner_->autoFitColumns(sheet, firstColumn, lastColumn);
}

double FailingBackend::rowHeight(SheetId sheet, int row) const {
    enter(QStringLiteral("rowHeight"));
    return inner_->rowHeight(sheet, row);
}

void FailingBackend::setRowHeight(SheetId sheet, int firstRow, int lastRow, double height) {
    enter(QStringLiteral("setRowHeight"));
    inner_->setRowHeight(sheet, firstRow, lastRow, height);
}

CellFormat FailingBackend::format(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("format"));
    return inner_->format(sheet, row, column);
}

void FailingBackend::setHorizontalAlignment(SheetId sheet, const CellRect& range, int alignment) {
    enter(QStringLiteral("setHorizontalAlignment"));
    inner_->setHorizontalAlignment(sheet, range, alignment);
}

void FailingBackend::setVerticalAlignment(SheetId sheet, const CellRect& range, int alignment) {
    enter(QStringLiteral("setVerticalAlignment"));
    inner_->setVerticalAlignment(sheet, range, alignment);
}

void FailingBackend::setWrapText(SheetId sheet, const CellRect& range, bool on) {
    enter(QStringLiteral("setWrapText"));
    inner_->setWrapText(sheet, range, on);
}

void FailingBackend::setFillColorIndex(SheetId sheet, const CellRect& range, int colorIndex) {
    enter(QStringLiteral("setFillColorIndex"));
    inner_->setFillColorIndex(sheet, range, colorIndex);
}

void FailingBackend::setFillColor(SheetId sheet, const CellRect& range, std::uint32_t color) {
    enter(QStringLiteral("setFillColor"));
    inner_->setFillColor(sheet, range, color);
}

void FailingBackend::setFontName(SheetId sheet, const CellRect& range, const QString& name) {
    enter(QStringLiteral("setFontName"));
    inner_->setFontName(sheet, range, name);
}

void FailingBackend::setFontSize(SheetId sheet, const CellRect& range, double size) {
    enter(QStringLiteral("setFontSize"));
    inner_->setFontSize(sheet, range, size);
}

void FailingBackend::setFontBold(SheetId sheet, const CellRect& range, bool bold) {
    enter(QStringLiteral("setFontBold"));
    inner_->setFontBold(sheet, range, bold);
}

void FailingBackend::setFontColorIndex(SheetId sheet, const CellRect& range, int colorIndex) {
    enter(QStringLiteral("setFontColorIndex"));
    inner_->setFontColorIndex(sheet, range, colorIndex);
}

void FailingBackend::setFontColor(SheetId sheet, const CellRect& range, std::uint32_t color) {
    enter(QStringLiteral("setFontColor"));
    inner_->setFontColor(sheet, range, color);
}

void FailingBackend::setCharactersColorIndex(SheetId sheet, int row, int column, int start,
                                             int length, int colorIndex) {
    enter(QStringLiteral("setCharactersColorIndex"));
    inner_->setCharactersColorIndex(sheet, row, column, start, length, colorIndex);
}

QList<CharacterRun> FailingBackend::characterRuns(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("characterRuns"));
    return inner_->characterRuns(sheet, row, column);
}

void FailingBackend::setBorderLineStyle(SheetId sheet, const CellRect& range, int borderIndex,
                                        int lineStyle) {
    enter(QStringLiteral("setBorderLineStyle"));
    inner_->setBorderLineStyle(sheet, range, borderIndex, lineStyle);
}

void FailingBackend::setNumberFormat(SheetId sheet, const CellRect& range, const QString& format) {
    enter(QStringLiteral("setNumberFormat"));
    inner_->setNumberFormat(sheet, range, format);
}

void FailingBackend::addComment(SheetId sheet, int row, int column, const QString& text) {
    enter(QStringLiteral("addComment"));
    inner_->addComment(sheet, row, column, text);
}

QString FailingBackend::commentText(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("commentText"));
    return inner_->commentText(sheet, row, column);
}

bool FailingBackend::commentVisible(SheetId sheet, int row, int column) const {
    enter(QStringLiteral("commentVisible"));
    return inner_->commentVisible(sheet, row, column);
}

void FailingBackend::setCommentVisible(SheetId sheet, int row, int column, bool visible) {
    enter(QStringLiteral("setCommentVisible"));
    inner_->setCommentVisible(sheet, row, column, visible);
}

void FailingBackend::setLiteral(SheetId sheet, int row, int column, const CellValue& value) {
    enter(QStringLiteral("setLiteral"));
    inner_->setLiteral(sheet, row, column, value);
}

void FailingBackend::setFormulaA1(SheetId sheet, int row, int column, const QString& formula,
                                  const CellValue& cachedValue) {
    enter(QStringLiteral("setFormulaA1"));
    inner_->setFormulaA1(sheet, row, column, formula, cachedValue);
}

SheetView FailingBackend::sheetView(SheetId sheet) const {
    enter(QStringLiteral("sheetView"));
    return inner_->sheetView(sheet);
}

void FailingBackend::setSheetView(SheetId sheet, const SheetView& view) {
    enter(QStringLiteral("setSheetView"));
    inner_->setSheetView(sheet, view);
}

QList<StoredCell> FailingBackend::rowCells(SheetId sheet, int row) const {
    enter(QStringLiteral("rowCells"));
    return inner_->rowCells(sheet, row);
}

CellFormat FailingBackend::formatById(std::uint32_t formatId) const {
    enter(QStringLiteral("formatById"));
    return inner_->formatById(formatId);
}
}  // namespace tallimo::host
