#include "Palette.h"
#include "Xlsx.h"
#include "XlsxCommon.h"
#include "XlsxRowFeed.h"
#include "XlsxSelectionPatch.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tallimo::host {

namespace {

using namespace xlsx;

// Files hold at most this many characters in a header or footer.
constexpr int kMaxFooter = 255 - 2;  // the "&R" section code counts too
// What files may hold; spreadsheet programs refuse more.
constexpr double kMaxColumnWidth = 255;
constexpr double kMaxRowHeight = 409;
// Up to this many cells in the used range every cell is asked for a comment.
constexpr qint64 kCommentProbeCells = 32 << 20;

struct SaveFault {
    QString reason;
};

// Why the system refused a write, in the user's language.
QString systemReason(int error) {
    switch (error) {
        case ENOSPC:
            return QStringLiteral("磁盘空间不足");
        case EDQUOT:
            return QStringLiteral("超出磁盘配额");
        case EFBIG:
            return QStringLiteral("文件超出允许的大小");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有写入权限");
        case EROFS:
            return QStringLiteral("磁盘只读");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("文件夹不存在");
        case EIO:
            return QStringLiteral("磁盘读写错误");
        default:
            return QStringLiteral("系统错误 %1").arg(error);
    }
}

// The writer library's own texts are English; the user reads these instead. Failures of the
// file itself name the system's reason when it left one (a full disk above all).
QString libraryReason(lxw_error error, int systemError) {
    switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED:
            return QStringLiteral("内存不足");
        case LXW_ERROR_CREATING_XLSX_FILE:
        case LXW_ERROR_CREATING_TMPFILE:
        case LXW_ERROR_READING_TMPFILE:
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_PARAMETER_ERROR:
        case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        case LXW_ERROR_ZIP_INTERNAL_ERROR:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE: {
            const QString what =
                error == LXW_ERROR_CREATING_TMPFILE || error == LXW_ERROR_READING_TMPFILE
                    ? QStringLiteral("无法使用临时文件")
                : error == LXW_ERROR_CREATING_XLSX_FILE ? QStringLiteral("无法创建文件")
                                                        : QStringLiteral("写入文件失败");
            return systemError != 0 ? what + QStringLiteral("（") + systemReason(systemError) +
                                          QStringLiteral("）")
                                    : what;
        }
        case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
        case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
        case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
        case LXW_ERROR_SHEETNAME_ALREADY_USED:
            return QStringLiteral("工作表名称无效");
        case LXW_ERROR_32_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_128_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_255_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
            return QStringLiteral("文本过长");
        case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
            return QStringLiteral("行或列超出工作表范围");
        default:
            return QStringLiteral("写入库错误 %1").arg(int(error));
    }
}

// The reason the system gave for the last failed call, when it is one that failed a write.
// Cleared before each call whose failure is explained this way, so an old value never shows.
int savedSystemError() {
    return errno == ENOSPC || errno == EDQUOT || errno == EFBIG || errno == EACCES ||
                   errno == EPERM || errno == EROFS || errno == EIO || errno == ENOENT ||
                   errno == ENOTDIR
               ? errno
               : 0;
}

// `where` names the cell or part that failed; empty for the file as a whole.
[[noreturn]] void fail(lxw_error error, const QString& where) {
    const QString reason = libraryReason(error, savedSystemError());
    throw SaveFault{where.isEmpty() ? reason : QStringLiteral("%1：%2").arg(where, reason)};
}

void check(lxw_error error, const QString& where) {
    if (error != LXW_NO_ERROR) fail(error, where);
}

lxw_color_t libraryColor(std::uint32_t hostColor) {
    const std::uint32_t rgb = rgbFromHost(hostColor);
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : rgb;  // the library reads 0 as unset
}

std::optional<std::uint32_t> fontColorOf(const CellFormat& f) {
    std::uint32_t color = 0;
    if (f.fontColorSet) return f.fontColor;
    if (f.fontColorIndex > 0 && paletteColor(f.fontColorIndex, color)) return color;
    return std::nullopt;
}

std::optional<std::uint32_t> fillColorOf(const CellFormat& f) {
    std::uint32_t color = 0;
    if (f.fillSet) return f.fillColor;
    if (f.fillColorIndex > 0 && paletteColor(f.fillColorIndex, color)) return color;
    return std::nullopt;
}

std::uint8_t libraryBorder(int lineStyle) {
    switch (lineStyle) {
        case xl::kContinuous:
            return LXW_BORDER_THIN;
        case xlmore::kLineDash:
            return LXW_BORDER_DASHED;
        case xlmore::kLineDot:
            return LXW_BORDER_DOTTED;
        case xlmore::kLineDouble:
            return LXW_BORDER_DOUBLE;
        case xlmore::kLineDashDot:
            return LXW_BORDER_DASH_DOT;
        case xlmore::kLineDashDotDot:
            return LXW_BORDER_DASH_DOT_DOT;
        default:
            return LXW_BORDER_NONE;
    }
}

std::uint8_t libraryHorizontal(int alignment) {
    switch (alignment) {
        case xl::kAlignCenter:
        case xl::kAlignCenterAlt:
            return LXW_ALIGN_CENTER;
        case xl::kAlignLeft:
            return LXW_ALIGN_LEFT;
        case xl::kAlignRight:
            return LXW_ALIGN_RIGHT;
        case xlmore::kAlignFill:
            return LXW_ALIGN_FILL;
        case xlmore::kAlignJustify:
            return LXW_ALIGN_JUSTIFY;
        case xlmore::kAlignCenterAcross:
            return LXW_ALIGN_CENTER_ACROSS;
        case xlmore::kAlignDistributed:
            return LXW_ALIGN_DISTRIBUTED;
        default:
            return LXW_ALIGN_NONE;
    }
}

std::uint8_t libraryVertical(int alignment) {
    switch (alignment) {
        case xl::kAlignTop:
            return LXW_ALIGN_VERTICAL_TOP;
        case xl::kAlignCenter:
        case xl::kAlignCenterAlt:
            return LXW_ALIGN_VERTICAL_CENTER;
        case xlmore::kAlignJustify:
            return LXW_ALIGN_VERTICAL_JUSTIFY;
        case xlmore::kAlignDistributed:
            return LXW_ALIGN_VERTICAL_DISTRIBUTED;
        default:
            return LXW_ALIGN_NONE;
    }
}

class Writer {
public:
    Writer(const HostBackend& host, lxw_workbook* workbook, SelectionPatches& selections)
        : host_(host), workbook_(workbook), selections_(selections), default_(host.formatById(0)) {}

    void writeSheet(SheetId sheet, bool active);

private:
    using MergesByTop = std::multimap<int, CellRect>;

    void writeColumnWidths(SheetId sheet, lxw_worksheet* ws);
    void writeMergesUpTo(lxw_worksheet* ws, const MergesByTop& merges,
                         MergesByTop::const_iterator& next, int row);
    void writeBatch(lxw_worksheet* ws, const xlsx::RowBatch& batch, const MergesByTop& merges,
                    MergesByTop::const_iterator& nextMerge);
    void writeItem(lxw_worksheet* ws, const xlsx::RowBatch& batch, int row,
                   const xlsx::RowItem& item);
    void writeRichText(lxw_worksheet* ws, const xlsx::RowBatch& batch, int row,
                       const xlsx::RowItem& item);
    void writeComment(lxw_worksheet* ws, const xlsx::RowBatch& batch, int row,
                      const xlsx::RowItem& item);
    void writeView(SheetId sheet, lxw_worksheet* ws);
    void writeSelection(SheetId sheet, lxw_worksheet* ws);

    const CellFormat& formatOf(std::uint32_t formatId) const;
    lxw_format* cellFormat(std::uint32_t formatId);
    lxw_format* colouredFormat(std::uint32_t formatId, int colorIndex);
    lxw_format* buildFormat(const CellFormat& f);
    lxw_format* runFormat(std::uint32_t formatId, int colorIndex);
    void applyFont(lxw_format* format, const CellFormat& f);

public:
    // Palette indices used whose colour the palette also holds at a lower index.
    QString preferredIndices() const;

private:
    void notePaletteIndex(int index);

    const HostBackend& host_;
    lxw_workbook* workbook_;
    SelectionPatches& selections_;
    int sheetsWritten_ = 0;
    std::set<int> preferred_;
    CellFormat default_;
    // The cells' formats as the row feeds hand them over: only the feed reads the model while
    // rows are written.
    std::unordered_set<std::uint32_t> formatsSent_;
    std::unordered_map<std::uint32_t, CellFormat> cellFormats_;
    std::vector<lxw_rich_string_tuple> richTuples_;
    std::vector<lxw_rich_string_tuple*> richList_;
    std::unordered_map<std::uint32_t, lxw_format*> formats_;
    std::map<std::pair<std::uint32_t, int>, lxw_format*> runFormats_;
    std::map<std::pair<std::uint32_t, int>, lxw_format*> colouredFormats_;
};

void Writer::notePaletteIndex(int index) {
    std::uint32_t color = 0;
    if (paletteColor(index, color) && paletteIndexOf(color) != index) preferred_.insert(index);
}

QString Writer::preferredIndices() const {
    QStringList list;
    for (int index : preferred_)
        list.append(QString::number(index));
    return list.join(u' ');
}

void Writer::applyFont(lxw_format* format, const CellFormat& f) {
    if (!f.fontName.isEmpty() && f.fontName != default_.fontName)
        format_set_font_name(format, f.fontName.toStdString().c_str());
    if (f.fontSize > 0 && f.fontSize != default_.fontSize) format_set_font_size(format, f.fontSize);
    if (f.bold) format_set_bold(format);
}

const CellFormat& Writer::formatOf(std::uint32_t formatId) const {
    return formatId == 0 ? default_ : cellFormats_.at(formatId);
}

lxw_format* Writer::cellFormat(std::uint32_t formatId) {
    if (formatId == 0) return nullptr;
    if (auto found = formats_.find(formatId); found != formats_.end()) return found->second;
    lxw_format* format = buildFormat(formatOf(formatId));
    formats_.emplace(formatId, format);
    return format;
}

// The cell's format with the font colour of a run that covers all of its text.
lxw_format* Writer::colouredFormat(std::uint32_t formatId, int colorIndex) {
    const auto key = std::make_pair(formatId, colorIndex);
    if (auto found = colouredFormats_.find(key); found != colouredFormats_.end())
        return found->second;
    CellFormat f = formatOf(formatId);
    f.fontColorIndex = colorIndex;
    f.fontColorSet = paletteColor(colorIndex, f.fontColor);
    lxw_format* format = buildFormat(f);
    colouredFormats_.emplace(key, format);
    return format;
}

lxw_format* Writer::buildFormat(const CellFormat& f) {
    notePaletteIndex(f.fontColorIndex);
    notePaletteIndex(f.fillColorIndex);
    lxw_format* format = workbook_add_format(workbook_);
    applyFont(format, f);
    if (auto color = fontColorOf(f)) format_set_font_color(format, libraryColor(*color));
    if (auto color = fillColorOf(f)) {
        format_set_pattern(format, LXW_PATTERN_SOLID);
        format_set_bg_color(format, libraryColor(*color));
    }
    if (auto h = libraryHorizontal(f.horizontalAlignment); h != LXW_ALIGN_NONE)
        format_set_align(format, h);
    if (auto v = libraryVertical(f.verticalAlignment); v != LXW_ALIGN_NONE)
        format_set_align(format, v);
    if (f.wrapText) format_set_text_wrap(format);
    format_set_left(format, libraryBorder(f.borderLineStyle[0]));
    format_set_top(format, libraryBorder(f.borderLineStyle[1]));
    format_set_bottom(format, libraryBorder(f.borderLineStyle[2]));
    format_set_right(format, libraryBorder(f.borderLineStyle[3]));
    if (!f.numberFormat.isEmpty() && f.numberFormat.compare(u"General", Qt::CaseInsensitive) != 0)
        format_set_num_format(format, f.numberFormat.toStdString().c_str());
    return format;
}

// The font of a coloured run: the cell's font with the run's colour.
lxw_format* Writer::runFormat(std::uint32_t formatId, int colorIndex) {
    const auto key = std::make_pair(formatId, colorIndex);
    if (auto found = runFormats_.find(key); found != runFormats_.end()) return found->second;
    const CellFormat& f = formatOf(formatId);
    lxw_format* format = workbook_add_format(workbook_);
    applyFont(format, f);
    notePaletteIndex(colorIndex);
    std::uint32_t color = 0;
    if (paletteColor(colorIndex, color))
        format_set_font_color(format, libraryColor(color));
    else if (auto cellColor = fontColorOf(f))
        format_set_font_color(format, libraryColor(*cellColor));
    runFormats_.emplace(key, format);
    return format;
}

void Writer::writeSheet(SheetId sheet, bool active) {
    const std::string name = host_.sheetName(sheet).toStdString();
    lxw_worksheet* ws = workbook_add_worksheet(workbook_, name.c_str());
    if (!ws) throw SaveFault{QStringLiteral("工作表名称 \"%1\" 无效").arg(host_.sheetName(sheet))};
    ++sheetsWritten_;
    if (active) worksheet_activate(ws);
    writeColumnWidths(sheet, ws);

    // The library streams rows to disk strictly in order and drops what comes for a row already
    // passed, so everything of a row is written in its turn: its height, the merges that start
    // there, its cells, its comments. A merge is written before the cells it covers: the
    // library puts an empty text into its top-left cell, which that cell's own value replaces.
    MergesByTop mergesByTop;
    for (const CellRect& m : host_.merges(sheet))
        if (m.rowCount() > 1 || m.columnCount() > 1) mergesByTop.emplace(m.top, m);
    xlsx::RowSpan span;
    span.sheet = sheet;
    span.used = host_.usedRange(sheet);
    span.firstRow =
        mergesByTop.empty() ? span.used.top : std::min(span.used.top, mergesByTop.begin()->first);
    span.lastRow = mergesByTop.empty() ? span.used.bottom
                                       : std::max(span.used.bottom, mergesByTop.rbegin()->first);
    span.defaultHeight = host_.rowHeight(sheet, kMaxRows);
    // On a sheet too large for a look at every cell, the cells with contents are asked for
    // comments.
    span.probeEveryCell =
        qint64(span.used.rowCount()) * span.used.columnCount() <= kCommentProbeCells;
    auto nextMerge = mergesByTop.cbegin();
    {
        // The model is read by the feed alone until it is gone.
        xlsx::RowFeed feed(host_, span, formatsSent_);
        while (std::unique_ptr<xlsx::RowBatch> batch = feed.next()) {
            writeBatch(ws, *batch, mergesByTop, nextMerge);
            feed.recycle(std::move(batch));
        }
    }
    writeMergesUpTo(ws, mergesByTop, nextMerge, kMaxRows);
    writeView(sheet, ws);
}

void Writer::writeColumnWidths(SheetId sheet, lxw_worksheet* ws) {
    // What a column never touched reports is the sheet's default.
    const double defaultWidth = host_.columnWidth(sheet, kMaxColumns);
    int first = 1;
    while (first < kMaxColumns) {
        const double width = host_.columnWidth(sheet, first);
        int last = first;
        while (last + 1 < kMaxColumns && host_.columnWidth(sheet, last + 1) == width)
            ++last;
        if (width != defaultWidth)
            check(worksheet_set_column(ws, first - 1, last - 1,
                                       std::clamp(width, 0.0, kMaxColumnWidth), nullptr),
                  QStringLiteral("列宽"));
        first = last + 1;
    }
}

void Writer::writeMergesUpTo(lxw_worksheet* ws, const MergesByTop& merges,
                             MergesByTop::const_iterator& next, int row) {
    for (; next != merges.end() && next->first <= row; ++next) {
        const CellRect& m = next->second;
        check(worksheet_merge_range(ws, m.top - 1, m.left - 1, m.bottom - 1, m.right - 1, "",
                                    nullptr),
              QStringLiteral("合并单元格 %1").arg(cellName(m.top, m.left)));
    }
}

void Writer::writeBatch(lxw_worksheet* ws, const xlsx::RowBatch& batch, const MergesByTop& merges,
                        MergesByTop::const_iterator& nextMerge) {
    for (const auto& [id, format] : batch.formats)
        cellFormats_.emplace(id, format);
    for (const xlsx::FedRow& fed : batch.rows) {
        writeMergesUpTo(ws, merges, nextMerge, fed.row - 1);
        if (fed.heightSet)
            check(worksheet_set_row(ws, fed.row - 1, std::clamp(fed.height, 0.0, kMaxRowHeight),
                                    nullptr),
                  QStringLiteral("行高"));
        writeMergesUpTo(ws, merges, nextMerge, fed.row);
        for (std::size_t i = fed.itemsBegin; i < fed.itemsEnd; ++i)
            writeItem(ws, batch, fed.row, batch.items[i]);
    }
}

void Writer::writeItem(lxw_worksheet* ws, const xlsx::RowBatch& batch, int row,
                       const xlsx::RowItem& item) {
    using Kind = xlsx::RowItem::Kind;
    if (item.kind == Kind::Comment) {
        writeComment(ws, batch, row, item);
        return;
    }
    const lxw_row_t r = row - 1;
    const lxw_col_t c = item.column - 1;
    lxw_format* format = cellFormat(item.formatId);
    lxw_error error = LXW_NO_ERROR;
    switch (item.kind) {
        case Kind::Nothing:
        case Kind::Comment:
            return;
        case Kind::Blank:
            if (format) error = worksheet_write_blank(ws, r, c, format);
            break;
        case Kind::Number:
            error = worksheet_write_number(ws, r, c, item.number, format);
            break;
        case Kind::Boolean:
            error = worksheet_write_boolean(ws, r, c, item.number != 0, format);
            break;
        case Kind::Text:
            error = worksheet_write_string(ws, r, c, batch.textAt(item.text), format);
            break;
        case Kind::FormulaNumber:
            error = worksheet_write_formula_num(ws, r, c, batch.textAt(item.formula), format,
                                                item.number);
            break;
        case Kind::FormulaText:
            error = worksheet_write_formula_str(ws, r, c, batch.textAt(item.formula), format,
                                                batch.textAt(item.text));
            break;
        case Kind::RichText:
            writeRichText(ws, batch, row, item);
            return;
    }
    if (error != LXW_NO_ERROR) fail(error, cellName(row, item.column));
}

void Writer::writeRichText(lxw_worksheet* ws, const xlsx::RowBatch& batch, int row,
                           const xlsx::RowItem& item) {
    richTuples_.clear();
    for (std::size_t i = item.piecesBegin; i < item.piecesEnd; ++i) {
        const xlsx::TextPiece& piece = batch.pieces[i];
        richTuples_.push_back({runFormat(item.formatId, piece.colorIndex),
                               const_cast<char*>(batch.textAt(piece.text))});
    }
    lxw_error error = LXW_NO_ERROR;
    // Files cannot hold a rich text of one piece; a run over the whole text is the same as
    // the cell's own font colour, and is saved as that.
    if (richTuples_.size() == 1) {
        const xlsx::TextPiece& piece = batch.pieces[item.piecesBegin];
        error = worksheet_write_string(ws, row - 1, item.column - 1, richTuples_.front().string,
                                       colouredFormat(item.formatId, piece.colorIndex));
    } else {
        richList_.clear();
        for (lxw_rich_string_tuple& tuple : richTuples_)
            richList_.push_back(&tuple);
        richList_.push_back(nullptr);
        error = worksheet_write_rich_string(ws, row - 1, item.column - 1, richList_.data(),
                                            cellFormat(item.formatId));
    }
    if (error != LXW_NO_ERROR) fail(error, cellName(row, item.column));
}

void Writer::writeComment(lxw_worksheet* ws, const xlsx::RowBatch& batch, int row,
                          const xlsx::RowItem& item) {
    lxw_comment_options options{};
    options.visible = item.visible ? LXW_COMMENT_DISPLAY_VISIBLE : LXW_COMMENT_DISPLAY_HIDDEN;
    const lxw_error error = worksheet_write_comment_opt(ws, row - 1, item.column - 1,
                                                        batch.textAt(item.text), &options);
    if (error != LXW_NO_ERROR)
        fail(error, QStringLiteral("批注 %1").arg(cellName(row, item.column)));
}

// The library stores the first range; a list of ranges goes in while the workbook is packed.
void Writer::writeSelection(SheetId sheet, lxw_worksheet* ws) {
    const QList<CellRect> selection = host_.selection(sheet);
    if (selection.isEmpty()) return;
    const CellRect& first = selection.front();
    worksheet_set_selection(ws, first.top - 1, first.left - 1, first.bottom - 1, first.right - 1);
    if (selection.size() == 1) return;
    QStringList ranges;
    for (const CellRect& range : selection)
        ranges << absoluteAddress(range).remove(u'$');
    selections_.add(sheetsWritten_, ranges.join(u' ').toStdString());
}

void Writer::writeView(SheetId sheet, lxw_worksheet* ws) {
    writeSelection(sheet, ws);
    const SheetView view = host_.sheetView(sheet);
    if (view.frozenRows > 0 || view.frozenColumns > 0)
        worksheet_freeze_panes(ws, view.frozenRows, view.frozenColumns);
    if (!view.showGridlines) worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);
    if (view.tabColor) worksheet_set_tab_color(ws, libraryColor(*view.tabColor));
    if (view.orientation == xl::kLandscape) worksheet_set_landscape(ws);
    if (view.fitToPagesWide > 0) worksheet_fit_to_pages(ws, view.fitToPagesWide, 0);
    if (view.centerHorizontally) worksheet_center_horizontally(ws);
    if (!view.rightFooter.isEmpty()) {
        QString footer = view.rightFooter;
        footer.replace(u'&', QStringLiteral("&&"));
        if (footer.size() > kMaxFooter)
            throw SaveFault{QStringLiteral("页脚超过 %1 个字符").arg(kMaxFooter)};
        check(worksheet_set_footer(ws, ("&R" + footer).toStdString().c_str()),
              QStringLiteral("页脚"));
    }
}

// A workbook abandoned by a failure is discarded without writing anything.
struct WorkbookDiscarder {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

// Writes the workbook to `temporaryName` and renames it to `path`. Every call into the writer
// library happens on the thread that runs this.
void writeWorkbook(const HostBackend& host, BookId book, const std::string& temporaryName,
                   const QString& path) {
    lxw_workbook_options options{};
    // Rows go to disk as they are written: a million-row sheet needs a few hundred MiB
    // rather than several GiB, and strings are written inline.
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_FALSE;
    errno = 0;
    std::unique_ptr<lxw_workbook, WorkbookDiscarder> workbook(
        workbook_new_opt(temporaryName.c_str(), &options));
    if (!workbook) throw SaveFault{QStringLiteral("内存不足")};
    SelectionPatches selections;
    Writer writer(host, workbook.get(), selections);
    const SheetId active = host.activeSheet(book);
    for (int i = 1, n = host.sheetCount(book); i <= n; ++i) {
        const SheetId sheet = host.sheetAt(book, i);
        writer.writeSheet(sheet, sheet == active);
    }
    if (const QString preferred = writer.preferredIndices(); !preferred.isEmpty())
        check(workbook_set_custom_property_string(workbook.get(), "TallimoColorIndexes",
                                                  preferred.toStdString().c_str()),
              QStringLiteral("文档属性"));
    errno = 0;
    check(workbook_close(workbook.release()), QString());
    if (std::rename(temporaryName.c_str(), QFile::encodeName(path).constData()) != 0)
        throw SaveFault{QStringLiteral("无法替换文件（%1）").arg(systemReason(errno))};
}

}  // namespace

void writeXlsx(const HostBackend& host, BookId book, const QString& path) {
    // Written beside the target and renamed over it at the end, so a failed save leaves the
    // previous file whole.
    const QString temporary = xlsxSavingName(path);
    const std::string temporaryName = QFile::encodeName(temporary).toStdString();
    try {
        // The library allocates several small blocks for every cell. On the calling thread they
        // share the heap that the model has filled and fragmented, where allocating took a third
        // of the library's time; a thread of its own starts with a fresh heap arena. The caller
        // waits meanwhile, so the model is still read by one thread at a time.
        std::exception_ptr failure;
        std::thread writing;
        try {
            writing = std::thread([&] {
                try {
                    writeWorkbook(host, book, temporaryName, path);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error& e) {
            throw SaveFault{
                QStringLiteral("无法启动写入线程：%1").arg(QString::fromLocal8Bit(e.what()))};
        }
        writing.join();
        if (failure) std::rethrow_exception(failure);
    } catch (const SaveFault& f) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：%2").arg(path, f.reason));
    } catch (const HostError& e) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：%2").arg(path, e.message()));
    } catch (const std::bad_alloc&) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：内存不足").arg(path));
    }
}

}  // namespace tallimo::host
