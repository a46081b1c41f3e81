#include "Palette.h"
#include "Xlsx.h"
#include "XlsxComments.h"
#include "XlsxCommon.h"
#include "XlsxDeflate.h"
#include "XlsxPackage.h"
#include "XlsxSheetData.h"
#include "XlsxZipOut.h"

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
// A sheet holds at most this many links; spreadsheet programs refuse a file with more. The
// library's own count lets one more through.
constexpr int kMaxHyperlinks = 65530;

struct SaveFault {
    QString reason;
};

// What the package needs of a sheet once the library has written its frame.
struct SheetPlan {
    SheetId sheet = 0;
    xlsx::RowSpan rows;
    xlsx::StyleIndex styles;
    std::string dimension;
    std::string selection;  // empty: the library's is whole
    // The comments are written beside the rows, not through the library.
    QList<CellComment> comments;
    ColumnPixels columns;
    CommentParts commentParts;
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

// Everything of a sheet but its rows and comments goes through the writer library: formats,
// column widths, merges, the view and the page. The rows and the comments are written into the
// library's package afterwards, straight from the model.
class FrameWriter {
public:
    FrameWriter(const HostBackend& host, lxw_workbook* workbook)
        : host_(host), workbook_(workbook), default_(host.formatById(0)) {}

    void writeSheet(SheetId sheet, bool active, SheetPlan& plan);
    // Palette indices used whose colour the palette also holds at a lower index.
    QString preferredIndices() const;

private:
    void writeColumnWidths(SheetId sheet, lxw_worksheet* ws, ColumnPixels& pixels);
    void writeMerges(SheetId sheet, lxw_worksheet* ws);
    void takeComments(SheetId sheet, SheetPlan& plan);
    void writeHyperlinks(SheetId sheet, lxw_worksheet* ws);
    void writeView(SheetId sheet, lxw_worksheet* ws, SheetPlan& plan);
    void registerStyles(SheetId sheet, SheetPlan& plan);
    int styleIndex(std::uint32_t formatId);
    // The package's style index of a format, made for it when new.
    int packageStyle(const CellFormat& f);
    lxw_format* buildFormat(const CellFormat& f);
    void applyFont(lxw_format* format, const CellFormat& f);
    void notePaletteIndex(int index);

    const HostBackend& host_;
    lxw_workbook* workbook_;
    const CellFormat default_;
    std::set<int> preferred_;
    std::unordered_map<std::uint32_t, int> styles_;
};

void FrameWriter::notePaletteIndex(int index) {
    std::uint32_t color = 0;
    if (paletteColor(index, color) && paletteIndexOf(color) != index) preferred_.insert(index);
}

QString FrameWriter::preferredIndices() const {
    QStringList list;
    for (int index : preferred_)
        list.append(QString::number(index));
    return list.join(u' ');
}

void FrameWriter::applyFont(lxw_format* format, const CellFormat& f) {
    if (!f.fontName.isEmpty() && f.fontName != default_.fontName)
        format_set_font_name(format, f.fontName.toStdString().c_str());
    if (f.fontSize > 0 && f.fontSize != default_.fontSize) format_set_font_size(format, f.fontSize);
    if (f.bold) format_set_bold(format);
}

lxw_format* FrameWriter::buildFormat(const CellFormat& f) {
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

// The library numbers the cell styles of the package as they are first asked for, and keeps
// formats alike as one.
int FrameWriter::styleIndex(std::uint32_t formatId) {
    if (formatId == 0) return 0;
    if (auto found = styles_.find(formatId); found != styles_.end()) return found->second;
    const int index = packageStyle(host_.formatById(formatId));
    styles_.emplace(formatId, index);
    return index;
}

int FrameWriter::packageStyle(const CellFormat& f) {
    const int index = lxw_format_get_xf_index(buildFormat(f));
    if (index < 0) throw SaveFault{QStringLiteral("内存不足")};
    return index;
}

void FrameWriter::registerStyles(SheetId sheet, SheetPlan& plan) {
    const SheetStyles used = host_.usedStyles(sheet);
    for (std::uint32_t formatId : used.formatIds)
        plan.styles.byFormat.emplace(formatId, styleIndex(formatId));
    for (const auto& [formatId, colorIndex] : used.wholeTextColors) {
        CellFormat f = host_.formatById(formatId);
        f.fontColorIndex = colorIndex;
        f.fontColorSet = paletteColor(colorIndex, f.fontColor);
        plan.styles.byWholeTextColor.emplace(std::make_pair(formatId, colorIndex), packageStyle(f));
    }
    for (int colorIndex : used.runColorIndices)
        notePaletteIndex(colorIndex);
}

void FrameWriter::writeSheet(SheetId sheet, bool active, SheetPlan& plan) {
    const std::string name = host_.sheetName(sheet).toStdString();
    lxw_worksheet* ws = workbook_add_worksheet(workbook_, name.c_str());
    if (!ws) throw SaveFault{QStringLiteral("工作表名称 \"%1\" 无效").arg(host_.sheetName(sheet))};
    if (active) worksheet_activate(ws);
    plan.sheet = sheet;
    writeColumnWidths(sheet, ws, plan.columns);
    writeMerges(sheet, ws);
    takeComments(sheet, plan);
    writeHyperlinks(sheet, ws);
    writeView(sheet, ws, plan);
    registerStyles(sheet, plan);

    // Rows reach from the used range to every merge, so that a merge's rows keep their heights.
    const CellRect used = host_.usedRange(sheet);
    plan.rows.used = used;
    plan.rows.firstRow = used.top;
    plan.rows.lastRow = used.bottom;
    for (const CellRect& m : host_.merges(sheet)) {
        plan.rows.firstRow = std::min(plan.rows.firstRow, m.top);
        plan.rows.lastRow = std::max(plan.rows.lastRow, m.top);
    }
    plan.rows.defaultHeight = host_.rowHeight(sheet, kMaxRows);
    plan.dimension = absoluteAddress(used).remove(u'$').toStdString();
}

void FrameWriter::writeColumnWidths(SheetId sheet, lxw_worksheet* ws, ColumnPixels& pixels) {
    // What a column never touched reports is the sheet's default.
    const double defaultWidth = host_.columnWidth(sheet, kMaxColumns);
    int first = 1;
    while (first < kMaxColumns) {
        const double width = host_.columnWidth(sheet, first);
        int last = first;
        while (last + 1 < kMaxColumns && host_.columnWidth(sheet, last + 1) == width)
            ++last;
        if (width != defaultWidth) {
            const double kept = std::clamp(width, 0.0, kMaxColumnWidth);
            check(worksheet_set_column(ws, first - 1, last - 1, kept, nullptr),
                  QStringLiteral("列宽"));
            pixels.set(first, last, kept);
        }
        first = last + 1;
    }
}

void FrameWriter::writeMerges(SheetId sheet, lxw_worksheet* ws) {
    for (const CellRect& m : host_.merges(sheet)) {
        if (m.rowCount() == 1 && m.columnCount() == 1) continue;
        check(worksheet_merge_range(ws, m.top - 1, m.left - 1, m.bottom - 1, m.right - 1, "",
                                    nullptr),
              QStringLiteral("合并单元格 %1").arg(cellName(m.top, m.left)));
    }
}

// Checked here, so that a comment no file can hold fails the save before anything is written.
void FrameWriter::takeComments(SheetId sheet, SheetPlan& plan) {
    plan.comments = host_.comments(sheet);
    for (const CellComment& comment : plan.comments)
        if (!commentFits(comment.text))
            throw SaveFault{
                QStringLiteral("批注 %1：文本过长").arg(cellName(comment.row, comment.column))};
}

// Only the <hyperlinks> element the library adds to the frame is kept: the cell it writes with
// each link is dropped with its sheetData, so the cell shows and looks as the model holds it.
// That cell is written blank and unformatted (no display text, no link style, see writeFrames),
// so links add nothing to the shared strings or the styles. Links past the per-sheet limit are
// left out, the first ones by row and column kept, rather than failing the save.
void FrameWriter::writeHyperlinks(SheetId sheet, lxw_worksheet* ws) {
    const QList<CellHyperlink> links = host_.hyperlinks(sheet);
    for (qsizetype i = 0; i < std::min<qsizetype>(links.size(), kMaxHyperlinks); ++i) {
        const CellHyperlink& link = links[i];
        const std::string url = "internal:" + link.location.toStdString();
        check(worksheet_write_url_opt(ws, link.row - 1, link.column - 1, url.c_str(), nullptr, "",
                                      nullptr),
              QStringLiteral("超链接 %1").arg(cellName(link.row, link.column)));
    }
}

void FrameWriter::writeView(SheetId sheet, lxw_worksheet* ws, SheetPlan& plan) {
    // The library stores the first range of a selection; the whole list goes in when the
    // sheet's part is written.
    const QList<CellRect> selection = host_.selection(sheet);
    if (!selection.isEmpty()) {
        const CellRect& first = selection.front();
        worksheet_set_selection(ws, first.top - 1, first.left - 1, first.bottom - 1,
                                first.right - 1);
        if (selection.size() > 1) {
            QStringList ranges;
            for (const CellRect& range : selection)
                ranges << absoluteAddress(range).remove(u'$');
            plan.selection = ranges.join(u' ').toStdString();
        }
    }
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

// The library writes the package with every sheet's frame to `fileName`.
std::vector<SheetPlan> writeFrames(const HostBackend& host, BookId book,
                                   const std::string& fileName) {
    lxw_workbook_options options{};
    options.use_zip64 = LXW_FALSE;
    errno = 0;
    std::unique_ptr<lxw_workbook, WorkbookDiscarder> workbook(
        workbook_new_opt(fileName.c_str(), &options));
    if (!workbook) throw SaveFault{QStringLiteral("内存不足")};
    // Links take the format of their cell in the model, not the library's blue underline.
    workbook_unset_default_url_format(workbook.get());
    FrameWriter writer(host, workbook.get());
    const SheetId active = host.activeSheet(book);
    std::vector<SheetPlan> plans(std::size_t(host.sheetCount(book)));
    std::vector<qsizetype> commentCounts;
    for (int i = 1; i <= int(plans.size()); ++i) {
        const SheetId sheet = host.sheetAt(book, i);
        writer.writeSheet(sheet, sheet == active, plans[std::size_t(i - 1)]);
        commentCounts.push_back(plans[std::size_t(i - 1)].comments.size());
    }
    const std::vector<CommentParts> commentParts = numberCommentParts(commentCounts);
    for (std::size_t i = 0; i < plans.size(); ++i)
        plans[i].commentParts = commentParts[i];
    if (const QString preferred = writer.preferredIndices(); !preferred.isEmpty())
        check(workbook_set_custom_property_string(workbook.get(), "TallimoColorIndexes",
                                                  preferred.toStdString().c_str()),
              QStringLiteral("文档属性"));
    errno = 0;
    check(workbook_close(workbook.release()), QString());
    return plans;
}

[[noreturn]] void zipFailed(const ZipFault& fault) {
    const QString what = QStringLiteral("写入文件失败");
    throw SaveFault{fault.systemError != 0
                        ? what + QStringLiteral("（") + systemReason(fault.systemError) +
                              QStringLiteral("）")
                        : what};
}

// The n-th worksheet part, "xl/worksheets/sheet<n>.xml", 1-based; 0 for any other part.
int worksheetNumber(const std::string& name) {
    constexpr std::string_view prefix = "xl/worksheets/sheet";
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() < prefix.size() + 5 ||
        name.compare(name.size() - 4, 4, ".xml") != 0)
        return 0;
    int number = 0;
    for (std::size_t i = prefix.size(); i + 4 < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || number > 100000) return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// A large part, deflated on worker threads as `fill` makes it; `what` names it to the user.
template <typename Fill>
void writeStreamedPart(ZipOut& zip, const std::string& name, const QString& what, Fill fill) {
    zip.beginRaw(name);
    ChunkedDeflate stream([&zip](std::string_view piece) { zip.write(piece); });
    fill(stream);
    const ChunkedDeflate::Totals totals = stream.finish();
    // Without the large-file extension a part ends at 4 GiB; a file cut there would not open.
    if (totals.uncompressed > std::numeric_limits<std::uint32_t>::max() ||
        totals.compressed > std::numeric_limits<std::uint32_t>::max())
        throw SaveFault{QStringLiteral("%1超过 4 GB，无法保存").arg(what)};
    zip.endRaw(totals.crc, totals.uncompressed);
}

void writeSheetPart(const HostBackend& host, ZipOut& zip, const std::string& name,
                    const std::string& part, const SheetPlan& plan) {
    const QString sheetName = QStringLiteral("工作表 \"%1\" ").arg(host.sheetName(plan.sheet));
    SheetFrame frame;
    if (!cutSheetPart(part, plan.dimension, plan.selection, frame))
        throw SaveFault{sheetName + QStringLiteral("的框架无效")};
    if (plan.commentParts.number > 0)
        frame.tail.insert(frame.tail.rfind("</worksheet>"), kLegacyDrawing);
    writeStreamedPart(zip, name, sheetName, [&](ChunkedDeflate& stream) {
        stream.write(frame.head);
        SheetDataWriter(host, plan.sheet, plan.styles).write(stream, plan.rows);
        stream.write(frame.tail);
    });
    if (plan.commentParts.number == 0) return;
    // The frame's sheets have no relationships of their own (their links are internal), so the
    // comments' are the only ones.
    const int number = plan.commentParts.number;
    const QString comments = sheetName + QStringLiteral("的批注");
    writeStreamedPart(zip, commentsPartName(number), comments,
                      [&](ChunkedDeflate& stream) { writeCommentsPart(stream, plan.comments); });
    writeStreamedPart(zip, vmlDrawingName(number), comments, [&](ChunkedDeflate& stream) {
        writeVmlDrawing(stream, plan.comments, plan.columns, plan.commentParts.firstBlock);
    });
    zip.add(sheetRelationshipsName(name), sheetRelationships(number));
}

// Writes the workbook to `temporaryName` and renames it to `path`.
void writeWorkbook(const HostBackend& host, BookId book, const std::string& temporaryName,
                   const QString& path) {
    const std::vector<SheetPlan> plans = writeFrames(host, book, temporaryName);
    try {
        // The frame's parts are held while the same file is written anew; they are small.
        std::vector<std::pair<std::string, std::string>> parts;
        {
            const Package frame(QFile::decodeName(temporaryName.c_str()), Package::kPartCap,
                                Package::kPartCap);
            for (const QString& name : frame.partNames())
                parts.emplace_back(name.toStdString(), frame.read(name).toStdString());
        }
        int commentParts = 0;
        for (const SheetPlan& plan : plans)
            commentParts = std::max(commentParts, plan.commentParts.number);
        ZipOut zip(temporaryName);
        for (auto& [name, content] : parts) {
            const int number = worksheetNumber(name);
            if (number >= 1 && number <= int(plans.size())) {
                writeSheetPart(host, zip, name, content, plans[std::size_t(number - 1)]);
                continue;
            }
            if (name == "[Content_Types].xml") addCommentContentTypes(content, commentParts);
            if (name == "xl/styles.xml" && commentParts > 0) addCommentFont(content);
            zip.add(name, content);
        }
        zip.close();
    } catch (const ZipFault& fault) {
        zipFailed(fault);
    } catch (const FileFault& fault) {
        throw SaveFault{QStringLiteral("无法读回写入库的输出（%1）").arg(fault.reason)};
    }
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
        writeWorkbook(host, book, temporaryName, path);
    } catch (const SaveFault& f) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：%2").arg(path, f.reason));
    } catch (const HostError& e) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：%2").arg(path, e.message()));
    } catch (const std::bad_alloc&) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：内存不足").arg(path));
    } catch (const std::system_error& e) {
        QFile::remove(temporary);
        throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：%2")
                            .arg(path, QString::fromLocal8Bit(e.what())));
    }
}

}  // namespace tallimo::host
