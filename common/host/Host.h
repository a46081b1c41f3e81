#pragma once

#include "HostBackend.h"

#include <memory>

// The spreadsheet object model as the callers use it: Application, Workbooks, Workbook, Sheets,
// Worksheet, Range with Font, Interior, Borders, Characters, Comment, PageSetup, Sort and AddIns.
// The objects are small value handles that forward every call to a HostBackend.
namespace tallimo::host {

class Range;
class Worksheet;
class Workbook;

class Font {
public:
    Font(HostBackend& b, SheetId s, CellRect r) : b_(&b), s_(s), r_(r) {}
    void setName(const QString& name) { b_->setFontName(s_, r_, name); }
    void setSize(double size) { b_->setFontSize(s_, r_, size); }
    void setBold(bool bold) { b_->setFontBold(s_, r_, bold); }
    void setColorIndex(int index) { b_->setFontColorIndex(s_, r_, index); }
    void setColor(std::uint32_t color) { b_->setFontColor(s_, r_, color); }
    QString name() const { return b_->format(s_, r_.top, r_.left).fontName; }
    double size() const { return b_->format(s_, r_.top, r_.left).fontSize; }
    bool bold() const { return b_->format(s_, r_.top, r_.left).bold; }
    int colorIndex() const { return b_->format(s_, r_.top, r_.left).fontColorIndex; }

private:
    HostBackend* b_;
    SheetId s_;
    CellRect r_;
};

class Interior {
public:
    Interior(HostBackend& b, SheetId s, CellRect r) : b_(&b), s_(s), r_(r) {}
    void setColorIndex(int index) { b_->setFillColorIndex(s_, r_, index); }
    void setColor(std::uint32_t color) { b_->setFillColor(s_, r_, color); }
    int colorIndex() const { return b_->format(s_, r_.top, r_.left).fillColorIndex; }
    std::uint32_t color() const { return b_->format(s_, r_.top, r_.left).fillColor; }

private:
    HostBackend* b_;
    SheetId s_;
    CellRect r_;
};

class Border {
public:
    Border(HostBackend& b, SheetId s, CellRect r, int index) : b_(&b), s_(s), r_(r), i_(index) {}
    void setLineStyle(int style) { b_->setBorderLineStyle(s_, r_, i_, style); }

private:
    HostBackend* b_;
    SheetId s_;
    CellRect r_;
    int i_;
};

class Borders {
public:
    Borders(HostBackend& b, SheetId s, CellRect r) : b_(&b), s_(s), r_(r) {}
    Border operator()(int index) const { return Border(*b_, s_, r_, index); }
    // Borders.LineStyle: every edge and inside line of the range.
    void setLineStyle(int style) {
        for (int i = xl::kEdgeLeft; i <= xl::kInsideHorizontal; ++i)
            b_->setBorderLineStyle(s_, r_, i, style);
    }

private:
    HostBackend* b_;
    SheetId s_;
    CellRect r_;
};

class Characters {
public:
    Characters(HostBackend& b, SheetId s, int row, int column, int start, int length)
        : b_(&b), s_(s), row_(row), column_(column), start_(start), length_(length) {}
    void setFontColorIndex(int index) {
        b_->setCharactersColorIndex(s_, row_, column_, start_, length_, index);
    }

private:
    HostBackend* b_;
    SheetId s_;
    int row_, column_, start_, length_;
};

class Comment {
public:
    Comment(HostBackend& b, SheetId s, int row, int column)
        : b_(&b), s_(s), row_(row), column_(column) {}
    QString text() const { return b_->commentText(s_, row_, column_); }
    void setVisible(bool visible) { b_->setCommentVisible(s_, row_, column_, visible); }

private:
    HostBackend* b_;
    SheetId s_;
    int row_, column_;
};

class Range {
public:
    Range(HostBackend& b, SheetId s, CellRect r) : b_(&b), s_(s), r_(r) {}

    const CellRect& rect() const { return r_; }
    SheetId sheetId() const { return s_; }
    int row() const { return r_.top; }
    int column() const { return r_.left; }
    int rowCount() const { return r_.rowCount(); }
    int columnCount() const { return r_.columnCount(); }
    QString address() const { return absoluteAddress(r_); }

    // Value of the top-left cell; setting a value fills every cell of the range.
    CellValue value() const { return b_->value(s_, r_.top, r_.left); }
    void setValue(const CellValue& v) { b_->setValue(s_, r_, v); }
    void setValue(const QString& text) { b_->setValue(s_, r_, CellValue::fromText(text)); }
    void setValue(double number) { b_->setValue(s_, r_, CellValue::fromNumber(number)); }
    void setValues(const TextGrid& texts) { b_->setBlock(s_, r_.top, r_.left, texts); }
    QString text() const { return b_->displayText(s_, r_.top, r_.left); }
    QString formulaR1C1() const { return b_->formulaR1C1(s_, r_.top, r_.left); }
    QString formula() const { return b_->formulaA1(s_, r_.top, r_.left); }
    void setFormulaR1C1(const QString& f) { b_->setFormulaR1C1(s_, r_, f); }

    // Cells(row, column) relative to the range's top-left cell, 1-based.
    Range cells(int row, int column) const {
        const int r = r_.top + row - 1, c = r_.left + column - 1;
        return Range(*b_, s_, {r, c, r, c});
    }
    Range resize(int rows, int columns) const {
        return Range(*b_, s_, {r_.top, r_.left, r_.top + rows - 1, r_.left + columns - 1});
    }
    Range entireRow() const { return Range(*b_, s_, {r_.top, 1, r_.bottom, kMaxColumns}); }
    Range entireColumn() const { return Range(*b_, s_, {1, r_.left, kMaxRows, r_.right}); }

    void select() { b_->selectRanges(s_, {r_}); }
    void merge() { b_->merge(s_, r_); }
    void clearContents() { b_->clearContents(s_, r_); }
    void deleteCells(Shift shift = Shift::Up) { b_->deleteCells(s_, r_, shift); }
    void copyTo(const Range& destination) {
        b_->copyRange(s_, r_, destination.s_, destination.r_.top, destination.r_.left);
    }
    void autoFitColumns() { b_->autoFitColumns(s_, r_.left, r_.right); }
    double columnWidth() const { return b_->columnWidth(s_, r_.left); }
    void setColumnWidth(double width) { b_->setColumnWidth(s_, r_.left, r_.right, width); }
    double rowHeight() const { return b_->rowHeight(s_, r_.top); }
    void setRowHeight(double height) { b_->setRowHeight(s_, r_.top, r_.bottom, height); }
    void setWrapText(bool on) { b_->setWrapText(s_, r_, on); }
    void setNumberFormat(const QString& format) { b_->setNumberFormat(s_, r_, format); }
    void setHorizontalAlignment(int a) { b_->setHorizontalAlignment(s_, r_, a); }
    void setVerticalAlignment(int a) { b_->setVerticalAlignment(s_, r_, a); }
    CellFormat format() const { return b_->format(s_, r_.top, r_.left); }

    Interior interior() const { return Interior(*b_, s_, r_); }
    Font font() const { return Font(*b_, s_, r_); }
    Borders borders() const { return Borders(*b_, s_, r_); }
    Characters characters(int start, int length) const {
        return Characters(*b_, s_, r_.top, r_.left, start, length);
    }
    void addComment(const QString& text) { b_->addComment(s_, r_.top, r_.left, text); }
    Comment comment() const { return Comment(*b_, s_, r_.top, r_.left); }
    // A link from the top-left cell to a place in the workbook: 'Sheet name'!A12.
    void addHyperlink(const QString& location) { b_->addHyperlink(s_, r_.top, r_.left, location); }
    QString hyperlink() const { return b_->hyperlink(s_, r_.top, r_.left); }

private:
    HostBackend* b_;
    SheetId s_;
    CellRect r_;
};

class PageSetup {
public:
    PageSetup(HostBackend& b, SheetId s) : b_(&b), s_(s) {}
    void setOrientation(int o) { b_->setPageOrientation(s_, o); }
    void setFitToPagesWide(int pages) { b_->setFitToPagesWide(s_, pages); }
    void setCenterHorizontally(bool on) { b_->setCenterHorizontally(s_, on); }
    void setRightFooter(const QString& text) { b_->setRightFooter(s_, text); }

private:
    HostBackend* b_;
    SheetId s_;
};

// Worksheet.Sort: one key, a range, then Apply.
class Sort {
public:
    Sort(HostBackend& b, SheetId s) : b_(&b), s_(s) {}
    void addSortField(const Range& key, SortOrder order = SortOrder::Ascending) {
        key_ = key.column();
        order_ = order;
    }
    void setRange(const Range& range) { range_ = range.rect(); }
    void setHeader(bool hasHeader) { header_ = hasHeader; }
    void apply() {
        if (key_ == 0) throw HostError(QStringLiteral("排序缺少关键列"));
        b_->sort(s_, range_, key_, order_, header_);
    }

private:
    HostBackend* b_;
    SheetId s_;
    CellRect range_;
    int key_ = 0;
    SortOrder order_ = SortOrder::Ascending;
    bool header_ = false;
};

class Worksheet {
public:
    Worksheet(HostBackend& b, SheetId s) : b_(&b), s_(s) {}

    SheetId id() const { return s_; }
    QString name() const { return b_->sheetName(s_); }
    void setName(const QString& name) { b_->setSheetName(s_, name); }
    int index() const { return b_->sheetIndex(s_); }
    void select() { b_->selectSheet(s_); }
    void remove() { b_->deleteSheet(s_); }
    Worksheet copy(const Worksheet& anchor, Placement where) {
        return Worksheet(*b_, b_->copySheet(s_, anchor.s_, where));
    }
    void move(const Worksheet& anchor, Placement where) { b_->moveSheet(s_, anchor.s_, where); }

    Range range(const QString& a1) const { return Range(*b_, s_, parseA1(a1)); }
    Range range(const CellRect& rect) const { return Range(*b_, s_, rect); }
    Range cells(int row, int column) const { return Range(*b_, s_, {row, column, row, column}); }
    Range rows(int first, int last) const { return Range(*b_, s_, {first, 1, last, kMaxColumns}); }
    Range columns(int first, int last) const { return Range(*b_, s_, {1, first, kMaxRows, last}); }
    Range usedRange() const { return Range(*b_, s_, b_->usedRange(s_)); }
    // Range("A1:A3,C1:C3").Select
    void selectAreas(const QString& a1List) { b_->selectRanges(s_, parseA1List(a1List)); }
    // Range("B9:F9,B12:F12").Delete: the blocks must not overlap.
    void deleteAreas(const QList<CellRect>& areas, Shift shift = Shift::Up) {
        b_->deleteCellsAreas(s_, areas, shift);
    }

    void setTabColor(std::uint32_t color) { b_->setTabColor(s_, color); }
    void setDisplayGridlines(bool on) { b_->setDisplayGridlines(s_, on); }
    PageSetup pageSetup() const { return PageSetup(*b_, s_); }
    Sort sort() const { return Sort(*b_, s_); }

private:
    HostBackend* b_;
    SheetId s_;
};

class Sheets {
public:
    Sheets(HostBackend& b, BookId w) : b_(&b), w_(w) {}
    int count() const { return b_->sheetCount(w_); }
    Worksheet operator[](int index) const { return Worksheet(*b_, b_->sheetAt(w_, index)); }
    Worksheet operator[](const QString& name) const {
        return Worksheet(*b_, b_->sheetByName(w_, name));
    }
    // Sheets.Add: before the active sheet, and the new sheet becomes active.
    Worksheet add() { return Worksheet(*b_, b_->addSheet(w_, std::nullopt)); }
    Worksheet addBefore(const Worksheet& before) {
        return Worksheet(*b_, b_->addSheet(w_, before.id()));
    }

private:
    HostBackend* b_;
    BookId w_;
};

class Workbook {
public:
    Workbook(HostBackend& b, BookId w) : b_(&b), w_(w) {}
    BookId id() const { return w_; }
    QString name() const { return b_->workbookName(w_); }
    QString path() const { return b_->workbookPath(w_); }
    Sheets sheets() const { return Sheets(*b_, w_); }
    Worksheet activeSheet() const { return Worksheet(*b_, b_->activeSheet(w_)); }
    void activate() { b_->activateWorkbook(w_); }
    void save() { b_->saveWorkbook(w_); }
    void saveAs(const QString& path) { b_->saveWorkbookAs(w_, path); }
    void suggestFileName(const QString& stem) { b_->suggestFileName(w_, stem); }
    void close(bool saveChanges = false) { b_->closeWorkbook(w_, saveChanges); }

private:
    HostBackend* b_;
    BookId w_;
};

class Workbooks {
public:
    explicit Workbooks(HostBackend& b) : b_(&b) {}
    int count() const { return b_->workbookCount(); }
    Workbook operator[](int index) const { return Workbook(*b_, b_->workbookAt(index)); }
    Workbook operator[](const QString& name) const {
        return Workbook(*b_, b_->workbookByName(name));
    }
    Workbook add() { return Workbook(*b_, b_->addWorkbook()); }
    Workbook open(const QString& path) { return Workbook(*b_, b_->openWorkbook(path)); }

private:
    HostBackend* b_;
};

class AddIns {
public:
    explicit AddIns(HostBackend& b) : b_(&b) {}
    QString add(const QString& fileName) { return b_->addInsAdd(fileName); }
    bool installed(const QString& title) const { return b_->addInInstalled(title); }
    void setInstalled(const QString& title, bool on) { b_->setAddInInstalled(title, on); }

private:
    HostBackend* b_;
};

// The Application object. It owns its back end when made from one.
class Application {
public:
    explicit Application(std::unique_ptr<HostBackend> backend)
        : owned_(std::move(backend)), b_(owned_.get()) {}
    explicit Application(HostBackend& backend) : b_(&backend) {}

    HostBackend& backend() const { return *b_; }
    Workbooks workbooks() const { return Workbooks(*b_); }
    Workbook activeWorkbook() const { return Workbook(*b_, b_->activeWorkbook()); }
    AddIns addIns() const { return AddIns(*b_); }
    void freezePanes() { b_->freezePanes(); }
    bool visible() const { return b_->visible(); }
    void setVisible(bool on) { b_->setVisible(on); }
    bool displayAlerts() const { return b_->displayAlerts(); }
    void setDisplayAlerts(bool on) { b_->setDisplayAlerts(on); }
    bool enableEvents() const { return b_->enableEvents(); }
    void setEnableEvents(bool on) { b_->setEnableEvents(on); }
    QString version() const { return b_->version(); }
    qint64 hwnd() const { return b_->windowHandle(); }
    QString userLibraryPath() const { return b_->userLibraryPath(); }
    void quit() { b_->quit(); }

private:
    std::unique_ptr<HostBackend> owned_;
    HostBackend* b_;
};

}  // namespace tallimo::host
