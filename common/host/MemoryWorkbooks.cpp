#include "MemoryWorkbooks.h"

#include "MemoryChecks.h"
#include "xlsx/Xlsx.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace tallimo::host {

MemoryWorkbooks::MemoryWorkbooks(HostBackend& host, const MemoryHostOptions& options)
    : host_(host),
      visible_(options.visible),
      showFile_(options.showFile),
      addIns_(options.extensionsForAllUsers ? officeExtensions::Scope::AllUsers
                                            : officeExtensions::Scope::User) {}

MemoryWorkbooks::~MemoryWorkbooks() = default;

// ---- lookup

MemoryBook& MemoryWorkbooks::book(BookId id) const {
    const auto found = books_.find(id);
    if (found == books_.end()) throw HostError(QStringLiteral("找不到工作簿（编号 %1）").arg(id));
    return *found->second;
}

MemorySheet& MemoryWorkbooks::sheet(SheetId id) const {
    const auto found = sheets_.find(id);
    if (found == sheets_.end()) throw HostError(QStringLiteral("找不到工作表（编号 %1）").arg(id));
    return *found->second;
}

// ---- application

bool MemoryWorkbooks::visible() const {
    return visible_;
}

void MemoryWorkbooks::setVisible(bool on) {
    visible_ = on;
    if (on) showUnseenWorkbooks();
}

bool MemoryWorkbooks::displayAlerts() const {
    return displayAlerts_;
}
void MemoryWorkbooks::setDisplayAlerts(bool on) {
    displayAlerts_ = on;
}
bool MemoryWorkbooks::enableEvents() const {
    return enableEvents_;
}
void MemoryWorkbooks::setEnableEvents(bool on) {
    enableEvents_ = on;
}
QString MemoryWorkbooks::version() const {
    return QStringLiteral("16.0");
}

qint64 MemoryWorkbooks::windowHandle() const {
    // The model has no window; the desktop application that shows a saved workbook owns its own.
    return 0;
}

QString MemoryWorkbooks::userLibraryPath() const {
    return addIns_.libraryPath();
}

void MemoryWorkbooks::quit() {
    while (!bookOrder_.empty())
        removeBook(bookOrder_.back());
}

void MemoryWorkbooks::freezePanes() {
    MemorySheet& s = sheet(activeSheet(activeWorkbook()));
    const CellRect at = s.selection.isEmpty() ? CellRect{} : s.selection.front();
    s.view.frozenRows = at.top - 1;
    s.view.frozenColumns = at.left - 1;
}

QString MemoryWorkbooks::addInsAdd(const QString& fileName) {
    return addIns_.add(fileName);
}
bool MemoryWorkbooks::addInInstalled(const QString& title) const {
    return addIns_.installed(title);
}
void MemoryWorkbooks::setAddInInstalled(const QString& title, bool installed) {
    addIns_.setInstalled(title, installed);
}

// ---- workbooks

BookId MemoryWorkbooks::addWorkbook() {
    return createBook(QStringLiteral("Book%1").arg(nextBookNumber_++));
}

BookId MemoryWorkbooks::createBook(const QString& name) {
    auto created = std::make_unique<MemoryBook>();
    MemoryBook& b = *created;
    b.id = nextBookId_++;
    b.name = name;
    books_.emplace(b.id, std::move(created));
    bookOrder_.push_back(b.id);
    for (int i = 0; i < 3; ++i)
        createSheet(b, QStringLiteral("Sheet%1").arg(b.nextSheetNumber++), i);
    b.active = b.sheets.front();
    activeBook_ = b.id;
    return b.id;
}

BookId MemoryWorkbooks::openWorkbook(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) throw HostError(QStringLiteral("找不到工作簿文件：%1").arg(path));
    // Opening an open file again gives the open workbook; another file of the same name is refused.
    for (BookId id : bookOrder_) {
        if (book(id).path == info.absoluteFilePath()) {
            activeBook_ = id;
            return id;
        }
        if (book(id).name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            throw HostError(QStringLiteral("已打开同名的工作簿：%1").arg(info.fileName()));
    }
    const BookId id = createBook(info.fileName());
    try {
        readXlsx(host_, id, info.absoluteFilePath());
    } catch (...) {
        removeBook(id);
        throw;
    }
    MemoryBook& b = book(id);
    b.path = info.absoluteFilePath();
    if (std::find(b.sheets.begin(), b.sheets.end(), b.active) == b.sheets.end())
        b.active = b.sheets.front();
    activeBook_ = id;
    return id;
}

int MemoryWorkbooks::workbookCount() const {
    return int(bookOrder_.size());
}

BookId MemoryWorkbooks::workbookAt(int index) const {
    if (index < 1 || index > int(bookOrder_.size()))
        throw HostError(QStringLiteral("工作簿序号超出范围：%1").arg(index));
    return bookOrder_[index - 1];
}

BookId MemoryWorkbooks::workbookByName(const QString& name) const {
    for (BookId id : bookOrder_)
        if (book(id).name.compare(name, Qt::CaseInsensitive) == 0) return id;
    for (BookId id : bookOrder_)
        if (QFileInfo(book(id).name).completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
            return id;
    throw HostError(QStringLiteral("找不到工作簿：\"%1\"").arg(name));
}

BookId MemoryWorkbooks::activeWorkbook() const {
    if (bookOrder_.empty()) throw HostError(QStringLiteral("没有打开的工作簿"));
    return activeBook_;
}

void MemoryWorkbooks::activateWorkbook(BookId id) {
    book(id);
    activeBook_ = id;
}

QString MemoryWorkbooks::workbookName(BookId id) const {
    return book(id).name;
}
QString MemoryWorkbooks::workbookPath(BookId id) const {
    return book(id).path;
}

void MemoryWorkbooks::saveWorkbook(BookId id) {
    MemoryBook& b = book(id);
    if (b.path.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                               QStringLiteral("/Tallimo");
        if (!QDir().mkpath(folder))
            throw HostError(QStringLiteral("无法创建文件夹：%1").arg(folder));
        const QString stem = (b.fileStem.isEmpty() ? b.name : b.fileStem) + u'_' +
                             QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_qs);
        QString path = folder + u'/' + stem + QStringLiteral(".xlsx");
        for (int n = 2; QFileInfo::exists(path); ++n)
            path = folder + u'/' + stem + QStringLiteral(" (%1).xlsx").arg(n);
        saveTo(id, path);
        return;
    }
    saveTo(id, b.path);
}

void MemoryWorkbooks::suggestFileName(BookId id, const QString& stem) {
    // A name that would leave the folder or hide the file is no file name of its own.
    QString name = stem;
    name.replace(u'/', u'_');
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    book(id).fileStem = name;
}

void MemoryWorkbooks::saveWorkbookAs(BookId id, const QString& path) {
    book(id);
    const QFileInfo info(path);
    saveTo(id, info.absoluteFilePath());
    book(id).name = info.fileName();
}

void MemoryWorkbooks::saveTo(BookId id, const QString& path) {
    writeXlsx(host_, id, path);
    book(id).path = path;
}

void MemoryWorkbooks::closeWorkbook(BookId id, bool saveChanges) {
    book(id);
    if (saveChanges) saveWorkbook(id);
    removeBook(id);
}

void MemoryWorkbooks::removeBook(BookId id) {
    for (SheetId s : book(id).sheets)
        sheets_.erase(s);
    books_.erase(id);
    bookOrder_.erase(std::find(bookOrder_.begin(), bookOrder_.end(), id));
    if (activeBook_ == id) activeBook_ = bookOrder_.empty() ? 0 : bookOrder_.back();
}

// A workbook that cannot be saved does not keep the others from being shown; the first failure
// is reported once all were tried.
void MemoryWorkbooks::showUnseenWorkbooks() {
    std::optional<HostError> failure;
    for (BookId id : std::vector<BookId>(bookOrder_)) {
        MemoryBook& b = book(id);
        if (b.seen) continue;
        try {
            saveWorkbook(id);
        } catch (const HostError& e) {
            if (!failure) failure = e;
            continue;
        }
        b.seen = true;
        if (showFile_) {
            showFile_(b.path);
        } else {
            // A desktop without xdg-open or without a display simply shows nothing.
            QProcess::startDetached(QStringLiteral("xdg-open"), {b.path});
        }
    }
    if (failure) throw *failure;
}

// ---- sheets

int MemoryWorkbooks::sheetCount(BookId id) const {
    return int(book(id).sheets.size());
}

SheetId MemoryWorkbooks::sheetAt(BookId id, int index) const {
    const MemoryBook& b = book(id);
    if (index < 1 || index > int(b.sheets.size()))
        throw HostError(QStringLiteral("工作表序号超出范围：%1（工作簿 %2 有 %3 张工作表）")
                            .arg(index)
                            .arg(b.name)
                            .arg(b.sheets.size()));
    return b.sheets[index - 1];
}

SheetId MemoryWorkbooks::sheetByName(BookId id, const QString& name) const {
    const MemoryBook& b = book(id);
    if (const auto found = b.sheetsByName.constFind(name.toCaseFolded());
        found != b.sheetsByName.cend())
        return *found;
    throw HostError(QStringLiteral("工作簿 %1 中找不到工作表：\"%2\"").arg(b.name, name));
}

SheetId MemoryWorkbooks::activeSheet(BookId id) const {
    return book(id).active;
}
BookId MemoryWorkbooks::sheetBook(SheetId id) const {
    return sheet(id).book;
}

int MemoryWorkbooks::sheetIndex(SheetId id) const {
    const MemoryBook& b = book(sheet(id).book);
    // From the end: sheets are mostly added in front of one of the last (a file's sheets go in
    // front of the new book's default sheets), so a workbook of many sheets opens in linear time.
    const auto at = std::find(b.sheets.rbegin(), b.sheets.rend(), id);
    return int(b.sheets.rend() - at);
}

SheetId MemoryWorkbooks::createSheet(MemoryBook& b, const QString& name, int position) {
    auto created = std::make_unique<MemorySheet>();
    created->id = nextSheetId_++;
    created->book = b.id;
    created->name = name;
    const SheetId id = created->id;
    sheets_.emplace(id, std::move(created));
    b.sheets.insert(b.sheets.begin() + position, id);
    b.sheetsByName.insert(name.toCaseFolded(), id);
    return id;
}

QString MemoryWorkbooks::uniqueSheetName(const MemoryBook& b, const QString& wanted) const {
    const auto taken = [&](const QString& name) {
        return b.sheetsByName.contains(name.toCaseFolded());
    };
    if (!taken(wanted)) return wanted;
    // A copy of "Name" is "Name (2)"; a copy of "Name (2)" is "Name (3)".
    static const QRegularExpression numbered(QStringLiteral("^(.*) \\((\\d+)\\)$"));
    const auto match = numbered.match(wanted);
    const QString base = match.hasMatch() ? match.captured(1) : wanted;
    for (int n = match.hasMatch() ? match.captured(2).toInt() + 1 : 2;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        const QString name = base.left(31 - suffix.size()) + suffix;
        if (!taken(name)) return name;
    }
}

SheetId MemoryWorkbooks::addSheet(BookId id, std::optional<SheetId> before) {
    MemoryBook& b = book(id);
    const SheetId anchor = before.value_or(b.active);
    if (sheet(anchor).book != id)
        throw HostError(QStringLiteral("工作表不属于工作簿 %1").arg(b.name));
    QString name;
    do {
        name = QStringLiteral("Sheet%1").arg(b.nextSheetNumber++);
    } while (uniqueSheetName(b, name) != name);
    const int position = sheetIndex(anchor) - 1;
    b.active = createSheet(b, name, position);
    return b.active;
}

void MemoryWorkbooks::selectSheet(SheetId id) {
    MemorySheet& s = sheet(id);
    book(s.book).active = id;
}

void MemoryWorkbooks::deleteSheet(SheetId id) {
    MemoryBook& b = book(sheet(id).book);
    if (b.sheets.size() == 1)
        throw HostError(
            QStringLiteral("不能删除工作簿 %1 的唯一一张工作表 %2").arg(b.name, sheet(id).name));
    const auto at = std::find(b.sheets.begin(), b.sheets.end(), id);
    const auto position = at - b.sheets.begin();
    b.sheets.erase(at);
    b.sheetsByName.remove(sheet(id).name.toCaseFolded());
    sheets_.erase(id);
    if (b.active == id) b.active = b.sheets[std::min<std::size_t>(position, b.sheets.size() - 1)];
}

void MemoryWorkbooks::placeSheet(MemoryBook& b, SheetId id, SheetId anchor, Placement where) {
    b.sheets.erase(std::find(b.sheets.begin(), b.sheets.end(), id));
    auto at = std::find(b.sheets.begin(), b.sheets.end(), anchor);
    if (where == Placement::After) ++at;
    b.sheets.insert(at, id);
}

SheetId MemoryWorkbooks::copySheet(SheetId id, SheetId anchor, Placement where) {
    const MemorySheet& source = sheet(id);
    MemoryBook& target = book(sheet(anchor).book);
    auto copy = std::make_unique<MemorySheet>(source);
    copy->id = nextSheetId_++;
    copy->book = target.id;
    copy->name = uniqueSheetName(target, source.name);
    const SheetId copyId = copy->id;
    target.sheetsByName.insert(copy->name.toCaseFolded(), copyId);
    sheets_.emplace(copyId, std::move(copy));
    target.sheets.push_back(copyId);
    placeSheet(target, copyId, anchor, where);
    target.active = copyId;
    activeBook_ = target.id;
    return copyId;
}

void MemoryWorkbooks::moveSheet(SheetId id, SheetId anchor, Placement where) {
    MemoryBook& b = book(sheet(id).book);
    if (sheet(anchor).book != b.id)
        throw HostError(QStringLiteral("只能在同一工作簿内移动工作表：%1").arg(sheet(id).name));
    if (anchor == id) return;
    placeSheet(b, id, anchor, where);
    b.active = id;
}

QString MemoryWorkbooks::sheetName(SheetId id) const {
    return sheet(id).name;
}

void MemoryWorkbooks::checkSheetName(const MemorySheet& s, const QString& name) const {
    static const QRegularExpression forbidden(QStringLiteral("[\\[\\]:*?/\\\\]"));
    if (name.isEmpty() || name.size() > 31 || name.contains(forbidden) || name.startsWith(u'\'') ||
        name.endsWith(u'\''))
        throw HostError(
            QStringLiteral("工作表名称无效：\"%1\"（1 到 31 个字符，不含 [ ] : * ? / \\，"
                           "首尾不能是单引号）")
                .arg(name));
    const SheetId holder = book(s.book).sheetsByName.value(name.toCaseFolded(), 0);
    if (holder != 0 && holder != s.id)
        throw HostError(QStringLiteral("工作表名称已被使用：\"%1\"").arg(name));
}

void MemoryWorkbooks::setSheetName(SheetId id, const QString& name) {
    MemorySheet& s = sheet(id);
    checkSheetName(s, name);
    MemoryBook& b = book(s.book);
    b.sheetsByName.remove(s.name.toCaseFolded());
    b.sheetsByName.insert(name.toCaseFolded(), id);
    s.name = name;
}

void MemoryWorkbooks::setTabColor(SheetId id, std::uint32_t color) {
    sheet(id).view.tabColor = color;
}
std::optional<std::uint32_t> MemoryWorkbooks::tabColor(SheetId id) const {
    return sheet(id).view.tabColor;
}
void MemoryWorkbooks::setDisplayGridlines(SheetId id, bool on) {
    sheet(id).view.showGridlines = on;
}

void MemoryWorkbooks::setPageOrientation(SheetId id, int orientation) {
    if (orientation != xl::kPortrait && orientation != xl::kLandscape)
        throw HostError(QStringLiteral("无效的页面方向：%1").arg(orientation));
    sheet(id).view.orientation = orientation;
}

void MemoryWorkbooks::setFitToPagesWide(SheetId id, int pages) {
    if (pages < 0 || pages > 32767) throw HostError(QStringLiteral("无效的页宽数：%1").arg(pages));
    sheet(id).view.fitToPagesWide = pages;
}

void MemoryWorkbooks::setCenterHorizontally(SheetId id, bool on) {
    sheet(id).view.centerHorizontally = on;
}

void MemoryWorkbooks::setRightFooter(SheetId id, const QString& text) {
    sheet(id).view.rightFooter = text;
}

SheetView MemoryWorkbooks::sheetView(SheetId id) const {
    return sheet(id).view;
}
void MemoryWorkbooks::setSheetView(SheetId id, const SheetView& view) {
    sheet(id).view = view;
}

// ---- selection

void MemoryWorkbooks::selectRanges(SheetId id, const QList<CellRect>& ranges) {
    if (ranges.isEmpty()) throw HostError(QStringLiteral("选区为空"));
    for (const CellRect& r : ranges)
        checkRect(r);
    sheet(id).selection = ranges;
}

QList<CellRect> MemoryWorkbooks::selection(SheetId id) const {
    return sheet(id).selection;
}

}  // namespace tallimo::host
