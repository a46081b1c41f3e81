#include "MemoryBackend.h"

#include "MemoryHost.h"

namespace tallimo::host {

MemoryBackend::MemoryBackend() = default;
MemoryBackend::~MemoryBackend() = default;

std::unique_ptr<HostBackend> makeMemoryHost() {
    return std::make_unique<MemoryBackend>();
}

bool MemoryBackend::visible() const {
    throw HostError(QStringLiteral("visible: not implemented yet"));
}

void MemoryBackend::setVisible(bool /*on*/) {
    throw HostError(QStringLiteral("setVisible: not implemented yet"));
}

bool MemoryBackend::displayAlerts() const {
    throw HostError(QStringLiteral("displayAlerts: not implemented yet"));
}

void MemoryBackend::setDisplayAlerts(bool /*on*/) {
    throw HostError(QStringLiteral("setDisplayAlerts: not implemented yet"));
}

bool MemoryBackend::enableEvents() const {
    throw HostError(QStringLiteral("enableEvents: not implemented yet"));
}

void MemoryBackend::setEnableEvents(bool /*on*/) {
    throw HostError(QStringLiteral("setEnableEvents: not implemented yet"));
}

QString MemoryBackend::version() const {
    throw HostError(QStringLiteral("version: not implemented yet"));
}

qint64 MemoryBackend::windowHandle() const {
    throw HostError(QStringLiteral("windowHandle: not implemented yet"));
}

QString MemoryBackend::userLibraryPath() const {
    throw HostError(QStringLiteral("userLibraryPath: not implemented yet"));
}

void MemoryBackend::quit() {
    throw HostError(QStringLiteral("quit: not implemented yet"));
}

void MemoryBackend::freezePanes() {
    throw HostError(QStringLiteral("freezePanes: not implemented yet"));
}

QString MemoryBackend::addInsAdd(const QString& /*fileName*/) {
    throw HostError(QStringLiteral("addInsAdd: not implemented yet"));
}

bool MemoryBackend::addInInstalled(const QString& /*title*/) const {
    throw HostError(QStringLiteral("addInInstalled: not implemented yet"));
}

void MemoryBackend::setAddInInstalled(const QString& /*title*/, bool /*installed*/) {
    throw HostError(QStringLiteral("setAddInInstalled: not implemented yet"));
}

BookId MemoryBackend::addWorkbook() {
    throw HostError(QStringLiteral("addWorkbook: not implemented yet"));
}

BookId MemoryBackend::openWorkbook(const QString& /*path*/) {
    throw HostError(QStringLiteral("openWorkbook: not implemented yet"));
}

int MemoryBackend::workbookCount() const {
    throw HostError(QStringLiteral("workbookCount: not implemented yet"));
}

BookId MemoryBackend::workbookAt(int /*index*/) const {
    throw HostError(QStringLiteral("workbookAt: not implemented yet"));
}

BookId MemoryBackend::workbookByName(const QString& /*name*/) const {
    throw HostError(QStringLiteral("workbookByName: not implemented yet"));
}

BookId MemoryBackend::activeWorkbook() const {
    throw HostError(QStringLiteral("activeWorkbook: not implemented yet"));
}

void MemoryBackend::activateWorkbook(BookId /*book*/) {
    throw HostError(QStringLiteral("activateWorkbook: not implemented yet"));
}

QString MemoryBackend::workbookName(BookId /*book*/) const {
    throw HostError(QStringLiteral("workbookName: not implemented yet"));
}

QString MemoryBackend::workbookPath(BookId /*book*/) const {
    throw HostError(QStringLiteral("workbookPath: not implemented yet"));
}

void MemoryBackend::saveWorkbook(BookId /*book*/) {
    throw HostError(QStringLiteral("saveWorkbook: not implemented yet"));
}

void MemoryBackend::saveWorkbookAs(BookId /*book*/, const QString& /*path*/) {
    throw HostError(QStringLiteral("saveWorkbookAs: not implemented yet"));
}

void MemoryBackend::closeWorkbook(BookId /*book*/, bool /*saveChanges*/) {
    throw HostError(QStringLiteral("closeWorkbook: not implemented yet"));
}

int MemoryBackend::sheetCount(BookId /*book*/) const {
    throw HostError(QStringLiteral("sheetCount: not implemented yet"));
}

SheetId MemoryBackend::sheetAt(BookId /*book*/, int /*index*/) const {
    throw HostError(QStringLiteral("sheetAt: not implemented yet"));
}

SheetId MemoryBackend::sheetByName(BookId /*book*/, const QString& /*name*/) const {
    throw HostError(QStringLiteral("sheetByName: not implemented yet"));
}

SheetId MemoryBackend::activeSheet(BookId /*book*/) const {
    throw HostError(QStringLiteral("activeSheet: not implemented yet"));
}

BookId MemoryBackend::sheetBook(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("sheetBook: not implemented yet"));
}

int MemoryBackend::sheetIndex(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("sheetIndex: not implemented yet"));
}

SheetId MemoryBackend::addSheet(BookId /*book*/, std::optional<SheetId> /*before*/) {
    throw HostError(QStringLiteral("addSheet: not implemented yet"));
}

void MemoryBackend::selectSheet(SheetId /*sheet*/) {
    throw HostError(QStringLiteral("selectSheet: not implemented yet"));
}

void MemoryBackend::deleteSheet(SheetId /*sheet*/) {
    throw HostError(QStringLiteral("deleteSheet: not implemented yet"));
}

SheetId MemoryBackend::copySheet(SheetId /*sheet*/, SheetId /*anchor*/, Placement /*where*/) {
    throw HostError(QStringLiteral("copySheet: not implemented yet"));
}

void MemoryBackend::moveSheet(SheetId /*sheet*/, SheetId /*anchor*/, Placement /*where*/) {
    throw HostError(QStringLiteral("moveSheet: not implemented yet"));
}

QString MemoryBackend::sheetName(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("sheetName: not implemented yet"));
}

void MemoryBackend::setSheetName(SheetId /*sheet*/, const QString& /*name*/) {
    throw HostError(QStringLiteral("setSheetName: not implemented yet"));
}

void MemoryBackend::setTabColor(SheetId /*sheet*/, std::uint32_t /*color*/) {
    throw HostError(QStringLiteral("setTabColor: not implemented yet"));
}

std::optional<std::uint32_t> MemoryBackend::tabColor(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("tabColor: not implemented yet"));
}

void MemoryBackend::setDisplayGridlines(SheetId /*sheet*/, bool /*on*/) {
    throw HostError(QStringLiteral("setDisplayGridlines: not implemented yet"));
}

CellRect MemoryBackend::usedRange(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("usedRange: not implemented yet"));
}

void MemoryBackend::setPageOrientation(SheetId /*sheet*/, int /*orientation*/) {
    throw HostError(QStringLiteral("setPageOrientation: not implemented yet"));
}

void MemoryBackend::setFitToPagesWide(SheetId /*sheet*/, int /*pages*/) {
    throw HostError(QStringLiteral("setFitToPagesWide: not implemented yet"));
}

void MemoryBackend::setCenterHorizontally(SheetId /*sheet*/, bool /*on*/) {
    throw HostError(QStringLiteral("setCenterHorizontally: not implemented yet"));
}

void MemoryBackend::setRightFooter(SheetId /*sheet*/, const QString& /*text*/) {
    throw HostError(QStringLiteral("setRightFooter: not implemented yet"));
}

void MemoryBackend::sort(SheetId /*sheet*/, const CellRect& /*range*/, int /*keyColumn*/,
                         SortOrder /*order*/, bool /*hasHeader*/) {
    throw HostError(QStringLiteral("sort: not implemented yet"));
}

CellValue MemoryBackend::value(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("value: not implemented yet"));
}

void MemoryBackend::setValue(SheetId /*sheet*/, const CellRect& /*range*/,
                             const CellValue& /*value*/) {
    throw HostError(QStringLiteral("setValue: not implemented yet"));
}

void MemoryBackend::setBlock(SheetId /*sheet*/, int /*row*/, int /*column*/,
                             const TextGrid& /*texts*/) {
    throw HostError(QStringLiteral("setBlock: not implemented yet"));
}

QString MemoryBackend::formulaR1C1(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("formulaR1C1: not implemented yet"));
}

QString MemoryBackend::formulaA1(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("formulaA1: not implemented yet"));
}

void MemoryBackend::setFormulaR1C1(SheetId /*sheet*/, const CellRect& /*range*/,
                                   const QString& /*formula*/) {
    throw HostError(QStringLiteral("setFormulaR1C1: not implemented yet"));
}

QString MemoryBackend::displayText(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("displayText: not implemented yet"));
}

void MemoryBackend::clearContents(SheetId /*sheet*/, const CellRect& /*range*/) {
    throw HostError(QStringLiteral("clearContents: not implemented yet"));
}

void MemoryBackend::deleteCells(SheetId /*sheet*/, const CellRect& /*range*/, Shift /*shift*/) {
    throw HostError(QStringLiteral("deleteCells: not implemented yet"));
}

void MemoryBackend::copyRange(SheetId /*sheet*/, const CellRect& /*range*/, SheetId /*target*/,
                              int /*row*/, int /*column*/) {
    throw HostError(QStringLiteral("copyRange: not implemented yet"));
}

void MemoryBackend::merge(SheetId /*sheet*/, const CellRect& /*range*/) {
    throw HostError(QStringLiteral("merge: not implemented yet"));
}

QList<CellRect> MemoryBackend::merges(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("merges: not implemented yet"));
}

void MemoryBackend::selectRanges(SheetId /*sheet*/, const QList<CellRect>& /*ranges*/) {
    throw HostError(QStringLiteral("selectRanges: not implemented yet"));
}

QList<CellRect> MemoryBackend::selection(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("selection: not implemented yet"));
}

double MemoryBackend::columnWidth(SheetId /*sheet*/, int /*column*/) const {
    throw HostError(QStringLiteral("columnWidth: not implemented yet"));
}

void MemoryBackend::setColumnWidth(SheetId /*sheet*/, int /*firstColumn*/, int /*lastColumn*/,
                                   double /*width*/) {
    throw HostError(QStringLiteral("setColumnWidth: not implemented yet"));
}

void MemoryBackend::autoFitColumns(SheetId /*sheet*/, int /*firstColumn*/, int /*lastColumn*/) {
    throw HostError(QStringLiteral("autoFitColumns: not implemented yet"));
}

double MemoryBackend::rowHeight(SheetId /*sheet*/, int /*row*/) const {
    throw HostError(QStringLiteral("rowHeight: not implemented yet"));
}

void MemoryBackend::setRowHeight(SheetId /*sheet*/, int /*firstRow*/, int /*lastRow*/,
                                 double /*height*/) {
    throw HostError(QStringLiteral("setRowHeight: not implemented yet"));
}

CellFormat MemoryBackend::format(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("format: not implemented yet"));
}

void MemoryBackend::setHorizontalAlignment(SheetId /*sheet*/, const CellRect& /*range*/,
                                           int /*alignment*/) {
    throw HostError(QStringLiteral("setHorizontalAlignment: not implemented yet"));
}

void MemoryBackend::setVerticalAlignment(SheetId /*sheet*/, const CellRect& /*range*/,
                                         int /*alignment*/) {
    throw HostError(QStringLiteral("setVerticalAlignment: not implemented yet"));
}

void MemoryBackend::setWrapText(SheetId /*sheet*/, const CellRect& /*range*/, bool /*on*/) {
    throw HostError(QStringLiteral("setWrapText: not implemented yet"));
}

void MemoryBackend::setFillColorIndex(SheetId /*sheet*/, const CellRect& /*range*/,
                                      int /*colorIndex*/) {
    throw HostError(QStringLiteral("setFillColorIndex: not implemented yet"));
}

void MemoryBackend::setFillColor(SheetId /*sheet*/, const CellRect& /*range*/,
                                 std::uint32_t /*color*/) {
    throw HostError(QStringLiteral("setFillColor: not implemented yet"));
}

void MemoryBackend::setFontName(SheetId /*sheet*/, const CellRect& /*range*/,
                                const QString& /*name*/) {
    throw HostError(QStringLiteral("setFontName: not implemented yet"));
}

void MemoryBackend::setFontSize(SheetId /*sheet*/, const CellRect& /*range*/, double /*size*/) {
    throw HostError(QStringLiteral("setFontSize: not implemented yet"));
}

void MemoryBackend::setFontBold(SheetId /*sheet*/, const CellRect& /*range*/, bool /*bold*/) {
    throw HostError(QStringLiteral("setFontBold: not implemented yet"));
}

void MemoryBackend::setFontColorIndex(SheetId /*sheet*/, const CellRect& /*range*/,
                                      int /*colorIndex*/) {
    throw HostError(QStringLiteral("setFontColorIndex: not implemented yet"));
}

void MemoryBackend::setFontColor(SheetId /*sheet*/, const CellRect& /*range*/,
                                 std::uint32_t /*color*/) {
    throw HostError(QStringLiteral("setFontColor: not implemented yet"));
}

void MemoryBackend::setCharactersColorIndex(SheetId /*sheet*/, int /*row*/, int /*column*/,
                                            int /*start*/, int /*length*/, int /*colorIndex*/) {
    throw HostError(QStringLiteral("setCharactersColorIndex: not implemented yet"));
}

QList<CharacterRun> MemoryBackend::characterRuns(SheetId /*sheet*/, int /*row*/,
                                                 int /*column*/) const {
    throw HostError(QStringLiteral("characterRuns: not implemented yet"));
}

void MemoryBackend::setBorderLineStyle(SheetId /*sheet*/, const CellRect& /*range*/,
                                       int /*borderIndex*/, int /*lineStyle*/) {
    throw HostError(QStringLiteral("setBorderLineStyle: not implemented yet"));
}

void MemoryBackend::setNumberFormat(SheetId /*sheet*/, const CellRect& /*range*/,
                                    const QString& /*format*/) {
    throw HostError(QStringLiteral("setNumberFormat: not implemented yet"));
}

void MemoryBackend::addComment(SheetId /*sheet*/, int /*row*/, int /*column*/,
                               const QString& /*text*/) {
    throw HostError(QStringLiteral("addComment: not implemented yet"));
}

QString MemoryBackend::commentText(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("commentText: not implemented yet"));
}

bool MemoryBackend::commentVisible(SheetId /*sheet*/, int /*row*/, int /*column*/) const {
    throw HostError(QStringLiteral("commentVisible: not implemented yet"));
}

void MemoryBackend::setCommentVisible(SheetId /*sheet*/, int /*row*/, int /*column*/,
                                      bool /*visible*/) {
    throw HostError(QStringLiteral("setCommentVisible: not implemented yet"));
}

void MemoryBackend::setLiteral(SheetId /*sheet*/, int /*row*/, int /*column*/,
                               const CellValue& /*value*/) {
    throw HostError(QStringLiteral("setLiteral: not implemented yet"));
}

void MemoryBackend::setFormulaA1(SheetId /*sheet*/, int /*row*/, int /*column*/,
                                 const QString& /*formula*/, const CellValue& /*cachedValue*/) {
    throw HostError(QStringLiteral("setFormulaA1: not implemented yet"));
}

SheetView MemoryBackend::sheetView(SheetId /*sheet*/) const {
    throw HostError(QStringLiteral("sheetView: not implemented yet"));
}

void MemoryBackend::setSheetView(SheetId /*sheet*/, const SheetView& /*view*/) {
    throw HostError(QStringLiteral("setSheetView: not implemented yet"));
}

QList<StoredCell> MemoryBackend::rowCells(SheetId /*sheet*/, int /*row*/) const {
    throw HostError(QStringLiteral("rowCells: not implemented yet"));
}

CellFormat MemoryBackend::formatById(std::uint32_t /*formatId*/) const {
    throw HostError(QStringLiteral("formatById: not implemented yet"));
}
}  // namespace tallimo::host
