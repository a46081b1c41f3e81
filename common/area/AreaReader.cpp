#include "AreaReader.h"

#include "Address.h"
#include "CompoundFile.h"
#include "DelimitedText.h"
#include "HostBackend.h"
#include "HtmlTable.h"
#include "MemoryHost.h"
#include "OdsBook.h"
#include "SheetBlock.h"
#include "TextEncoding.h"
#include "TypedEntry.h"
#include "XlsBook.h"
#include "Xlsx.h"
#include "XlsxCommon.h"
#include "XlsxPackage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace tallimo::area {

namespace {

// Whole-sheet selections would cost gigabytes of empty cells; no ledger comes near this.
constexpr qint64 kMaxAreaCells = 50'000'000;

int checkedRow(const QString& digits) {
    bool ok = false;
    const int row = digits.toInt(&ok);
    return ok && row >= 1 && row <= host::kMaxRows ? row : 0;
}

bool breaksSelectionText(QChar c) {
    return c == u'\t' || c == u'\n' || c == u'\r';
}

// The clipboard format has no way to carry a TAB or line break inside a cell that every reader
// of it understands, so each one the cell at (row, column) put into the selection text after
// `from` becomes one space, and no cell moves to another column or row.
void flattenCellText(AreaText& area, qsizetype from, int row, int column) {
    QString& out = area.selectionText;
    const auto cell = QStringView(out).sliced(from);
    if (std::none_of(cell.begin(), cell.end(), breaksSelectionText)) return;
    if (area.flattenedCells++ == 0)
        area.firstFlattenedCell = host::absoluteAddress({row, column, row, column});
    std::replace_if(out.begin() + from, out.end(), breaksSelectionText, QChar(u' '));
}

// The selection text of a block; appendCell(row, column, out) appends the display text of a cell.
template <typename AppendCell>
void fillSelectionText(AreaText& area, const host::CellRect& block, qsizetype expectedChars,
                       const AppendCell& appendCell) {
    QString& out = area.selectionText;
    out.reserve(expectedChars);
    for (int row = block.top; row <= block.bottom; ++row) {
        for (int column = block.left; column <= block.right; ++column) {
            if (column > block.left) out.append(u'\t');
            const qsizetype from = out.size();
            appendCell(row, column, out);
            flattenCellText(area, from, row, column);
        }
        out.append(u"\r\n");
    }
}

// Read rather than mapped: a mapped file that another program cuts short while it is read (an
// export written over it) would end the process with SIGBUS.
QByteArray readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AreaError(QStringLiteral("无法打开文件“%1”：%2").arg(path, file.errorString()));
    }
    return file.readAll();
}

host::SheetId chooseSheet(const host::HostBackend& backend, host::BookId book, const QString& path,
                          const QString& sheet) {
    if (sheet.isEmpty()) {
        if (backend.sheetCount(book) == 0) {
            throw AreaError(QStringLiteral("文件“%1”中没有工作表").arg(path));
        }
        return backend.sheetAt(book, 1);
    }
    try {
        return backend.sheetByName(book, sheet);
    } catch (const host::HostError&) {
        throw AreaError(QStringLiteral("文件“%1”中没有名为“%2”的工作表").arg(path, sheet));
    }
}

AreaError emptySheet(const QString& path, const QString& sheet) {
    return AreaError(
        QStringLiteral("文件“%1”的工作表“%2”中没有内容，无法确定区域").arg(path, sheet));
}

// The area a command left to the sheet: its used area, unless nothing is used or it is too
// large to read.
host::CellRect chosenArea(const std::optional<host::CellRect>& used, const QString& path,
                          const QString& sheet) {
    if (!used) throw emptySheet(path, sheet);
    if (qint64(used->rowCount()) * used->columnCount() > kMaxAreaCells) {
        throw AreaError(QStringLiteral("工作表“%1”的已用区域 %2 过大：最多可读取 %3 个单元格")
                            .arg(sheet, host::absoluteAddress(*used))
                            .arg(kMaxAreaCells));
    }
    return *used;
}

bool rowIsBlank(const host::HostBackend& backend, host::SheetId sheet, int row, int left,
                int right) {
    for (int column = left; column <= right; ++column)
        if (!backend.displayText(sheet, row, column).isEmpty()) return false;
    return true;
}

bool columnIsBlank(const host::HostBackend& backend, host::SheetId sheet, int column, int top,
                   int bottom) {
    for (int row = top; row <= bottom; ++row)
        if (!backend.displayText(sheet, row, column).isEmpty()) return false;
    return true;
}

// The host's used range counts cells that only carry a format; the area starts and ends at
// cells that show something.
std::optional<host::CellRect> shownArea(const host::HostBackend& backend, host::SheetId sheet) {
    host::CellRect used = backend.usedRange(sheet);
    if (backend.value(sheet, used.top, used.left).isEmpty() && used.rowCount() == 1 &&
        used.columnCount() == 1)
        return std::nullopt;
    while (used.top <= used.bottom && rowIsBlank(backend, sheet, used.top, used.left, used.right))
        ++used.top;
    if (used.top > used.bottom) return std::nullopt;
    while (rowIsBlank(backend, sheet, used.bottom, used.left, used.right))
        --used.bottom;
    while (columnIsBlank(backend, sheet, used.left, used.top, used.bottom))
        ++used.left;
    while (columnIsBlank(backend, sheet, used.right, used.top, used.bottom))
        --used.right;
    return used;
}

// What reading one area of a workbook may cost. A ledger of a million rows by fifteen columns
// fits; a sheet declaring tens of millions of cells or rows in a few compressed megabytes is
// refused in a few seconds, before it costs a gigabyte.
constexpr std::int64_t kWorkbookItemBudget = std::int64_t(1) << 24;
constexpr std::int64_t kWorkbookByteBudget = std::int64_t(1) << 30;

AreaText readWorkbookArea(const QString& path, const QString& sheet,
                          const std::optional<host::CellRect>& requested) {
    auto backend = host::makeMemoryHost();
    const host::BookId book = backend->addWorkbook();
    try {
        // Only the sheet of the area is read; the others are only listed.
        host::readXlsx(*backend, book, path, {sheet, kWorkbookItemBudget, kWorkbookByteBudget});
    } catch (const host::HostError& e) {
        throw AreaError(QStringLiteral("无法读取工作簿“%1”：%2").arg(path, e.message()));
    }
    const host::SheetId sheetId = chooseSheet(*backend, book, path, sheet);
    AreaText area;
    area.workbookName = QFileInfo(path).fileName();
    area.sheetName = backend->sheetName(sheetId);
    const host::CellRect block =
        requested ? *requested : chosenArea(shownArea(*backend, sheetId), path, area.sheetName);
    area.range = host::absoluteAddress(block);
    area.block = block;
    fillSelectionText(area, block, qsizetype(block.rowCount()) * block.columnCount() * 8,
                      [&](int row, int column, QString& out) {
                          out.append(backend->displayText(sheetId, row, column));
                      });
    return area;
}

// An area of a sheet that one of the file readers (legacy workbook, OpenDocument, HTML) gives.
AreaText readSourceArea(const QString& path, const SheetSource& source,
                        const std::optional<host::CellRect>& requested) {
    AreaText area;
    area.workbookName = QFileInfo(path).fileName();
    area.sheetName = source.sheetName;
    const host::CellRect block =
        requested ? *requested : chosenArea(usedArea(source), path, area.sheetName);
    area.range = host::absoluteAddress(block);
    area.block = block;
    SheetBlock cells(source, block);
    fillSelectionText(
        area, block, qsizetype(block.rowCount()) * block.columnCount() * 4,
        [&](int row, int column, QString& out) { cells.appendCell(row, column, out); });
    return area;
}

// The delimiter of a text file named as neither .csv nor .tsv (a .txt export, or text saved
// under a workbook's name): TAB when its first line holds one, as such exports are, else comma.
QChar delimiterOf(const QString& suffix, QStringView firstLine) {
    if (suffix == u"csv") return u',';
    if (suffix == u"tsv") return u'\t';
    return firstLine.contains(u'\t') ? QChar(u'\t') : QChar(u',');
}

AreaText readDelimitedArea(const QString& path, const QByteArray& bytes, TextEncoding encoding,
                           const QString& sheet, const std::optional<host::CellRect>& requested) {
    const QFileInfo info(path);
    const QString sheetName = info.completeBaseName();
    if (!sheet.isEmpty() && sheet != sheetName) {
        throw AreaError(QStringLiteral("文件“%1”中没有名为“%2”的工作表（它只有工作表“%3”）")
                            .arg(path, sheet, sheetName));
    }
    // UTF-8 (nearly every file) is read where it lies; other encodings are decoded first.
    const bool utf8 = encoding == TextEncoding::Utf8;
    const QString decoded = utf8 ? QString() : decodeText(bytes, encoding);
    const QString head =
        utf8 ? QString::fromUtf8(bytes.first(std::min<qsizetype>(bytes.size(), 65536)))
             : decoded.first(std::min<qsizetype>(decoded.size(), 65536));
    const QChar delimiter =
        delimiterOf(info.suffix().toLower(), QStringView(head).left(head.indexOf(u'\n')));
    const host::CellRect block = requested
                                     ? *requested
                                     : chosenArea(utf8 ? usedDelimitedFileArea(bytes, delimiter)
                                                       : usedDelimitedArea(decoded, delimiter),
                                                  path, sheetName);

    // Every field goes through the host's typed entry, so that its display text is the one a
    // spreadsheet shows after opening the file. The fields are read straight into the selection
    // text: no grid of a million cells in between.
    AreaText area;
    area.workbookName = info.fileName();
    area.sheetName = sheetName;
    area.range = host::absoluteAddress(block);
    area.block = block;
    QString& out = area.selectionText;
    out.reserve(bytes.size() + qsizetype(block.rowCount()) * 2);
    const int lastColumn = block.columnCount() - 1;
    const BlockCellVisitor visit = [&](int row, int column, QStringView field) {
        if (column > 0) out.append(u'\t');
        const qsizetype from = out.size();
        host::appendTypedDisplayText(out, field);
        flattenCellText(area, from, block.top + row, block.left + column);
        if (column == lastColumn) out.append(u"\r\n");
    };
    if (utf8) {
        visitDelimitedFile(bytes, delimiter, block, visit);
    } else {
        visitDelimitedBlock(decoded, delimiter, block, visit);
    }
    return area;
}

AreaError unreadable(const QString& path, const QString& why) {
    return AreaError(QStringLiteral("无法读取文件“%1”：%2").arg(path, why));
}

template <typename Open>
AreaText readBookArea(const QString& path, const QString& sheet, const QStringList& names,
                      int firstShown, const std::optional<host::CellRect>& requested,
                      const Open& open) {
    int index = firstShown;
    if (!sheet.isEmpty()) {
        index = int(names.indexOf(sheet));
        if (index < 0) {
            for (int i = 0; i < names.size(); ++i)
                if (names[i].compare(sheet, Qt::CaseInsensitive) == 0) index = i;
        }
        if (index < 0)
            throw AreaError(QStringLiteral("文件“%1”中没有名为“%2”的工作表").arg(path, sheet));
    }
    if (index < 0 || index >= names.size())
        throw AreaError(QStringLiteral("文件“%1”中没有工作表").arg(path));
    return readSourceArea(path, open(index), requested);
}

// An OLE compound file: a legacy workbook, an encrypted one, or another program's document.
AreaText readCompoundFile(const QString& path, const QByteArray& bytes, const QString& sheet,
                          const std::optional<host::CellRect>& requested) {
    const CompoundFile file(bytes);
    if (file.hasRootStream(u"EncryptionInfo"_qs) || file.hasRootStream(u"EncryptedPackage"_qs))
        throw unreadable(path, passwordProtectedMessage());
    if (file.hasRootStream(u"Workbook"_qs)) {
        const XlsBook book(file.readRootStream(u"Workbook"_qs));
        QStringList names;
        int firstShown = -1;
        for (const XlsBook::Sheet& s : book.sheets()) {
            if (firstShown < 0 && !s.hidden) firstShown = int(names.size());
            names.append(s.name);
        }
        return readBookArea(path, sheet, names, std::max(firstShown, 0), requested,
                            [&](int index) { return book.source(book.sheets()[index]); });
    }
    if (file.hasRootStream(u"Book"_qs))
        throw unreadable(
            path, QStringLiteral(
                      "这是 Excel 5.0/95 工作簿，不能读取，请在电子表格中另存为 .xlsx 后再试"));
    if (file.hasRootStream(u"WordDocument"_qs))
        throw unreadable(path, QStringLiteral("这是 Word 97-2003 文档，不是工作簿"));
    if (file.hasRootStream(u"PowerPoint Document"_qs))
        throw unreadable(path, QStringLiteral("这是 PowerPoint 97-2003 演示文稿，不是工作簿"));
    throw unreadable(path, QStringLiteral("这是不含工作簿的 OLE 复合文档"));
}

// A ZIP container: an .xlsx or .ods workbook, or another program's package.
AreaText readZipFile(const QString& path, const QString& sheet,
                     const std::optional<host::CellRect>& requested) {
    QString kind;
    try {
        const host::xlsx::Package package(path);
        if (package.contains(u"xl/workbook.xml"_qs))
            return readWorkbookArea(path, sheet, requested);
        if (package.contains(u"mimetype"_qs))
            kind = QString::fromUtf8(package.read(u"mimetype"_qs)).trimmed();
        else if (package.contains(u"word/document.xml"_qs))
            kind = u"word"_qs;
        else if (package.contains(u"ppt/presentation.xml"_qs))
            kind = u"ppt"_qs;
    } catch (const host::xlsx::FileFault& fault) {
        throw unreadable(path, fault.reason);
    }
    if (kind == u"application/vnd.oasis.opendocument.spreadsheet") {
        const OdsBook book(path);
        return readBookArea(path, sheet, book.sheetNames(), book.firstShownSheet(), requested,
                            [&](int index) { return book.source(index); });
    }
    if (kind.startsWith(u"application/vnd.oasis.opendocument."))
        throw unreadable(path, QStringLiteral("这是 OpenDocument 文档（%1），不是表格").arg(kind));
    if (kind == u"word") throw unreadable(path, QStringLiteral("这是 Word 文档，不是工作簿"));
    if (kind == u"ppt")
        throw unreadable(path, QStringLiteral("这是 PowerPoint 演示文稿，不是工作簿"));
    throw unreadable(path, QStringLiteral("这是不含工作簿的 ZIP 压缩包"));
}

// What a file is, told by its first bytes rather than its name.
bool startsWith(const QByteArray& bytes, std::string_view prefix) {
    return bytes.startsWith(QByteArrayView(prefix.data(), qsizetype(prefix.size())));
}

AreaText readFileArea(const QString& path, const QString& sheet,
                      const std::optional<host::CellRect>& requested) {
    QByteArray bytes;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw AreaError(QStringLiteral("无法打开文件“%1”：%2").arg(path, file.errorString()));
        const QByteArray head = file.read(4096);
        if (startsWith(head, "PK\x03\x04") || startsWith(head, "PK\x05\x06"))
            return readZipFile(path, sheet, requested);
        // Legacy workbooks and pages are read whole, so they get the bound of a workbook part.
        if ((CompoundFile::hasSignature(head) || looksLikeHtml(head)) &&
            file.size() > CompoundFile::kStreamCap) {
            throw unreadable(path, QStringLiteral("文件过大：工作簿文件最多 %1 MiB")
                                       .arg(CompoundFile::kStreamCap >> 20));
        }
    }
    bytes = readWholeFile(path);
    if (CompoundFile::hasSignature(bytes)) return readCompoundFile(path, bytes, sheet, requested);
    const bool oldBiff =
        bytes.size() >= 4 && bytes[0] == 0x09 &&
        (bytes[1] == 0x00 || bytes[1] == 0x02 || bytes[1] == 0x04 || bytes[1] == 0x08) &&
        bytes[3] == 0x00;
    if (oldBiff)
        throw unreadable(
            path, QStringLiteral("这是早期版本（Excel "
                                 "2.1–4.0）的工作簿，不能读取，请在电子表格中另存为 .xlsx 后再试"));
    if (startsWith(bytes, "%PDF"))
        throw unreadable(path, QStringLiteral("这是 PDF 文件，不是工作簿"));
    if (bytes.first(std::min<qsizetype>(bytes.size(), 4096))
            .contains("urn:schemas-microsoft-com:office:spreadsheet") &&
        !looksLikeHtml(bytes))
        throw unreadable(
            path, QStringLiteral(
                      "这是 XML 电子表格 2003 文件，不能读取，请在电子表格中另存为 .xlsx 后再试"));
    if (looksLikeHtml(bytes)) {
        const HtmlTable table(bytes);
        const QString sheetName = QFileInfo(path).completeBaseName();
        if (!sheet.isEmpty() && sheet != sheetName) {
            throw AreaError(QStringLiteral("文件“%1”中没有名为“%2”的工作表（它只有工作表“%3”）")
                                .arg(path, sheet, sheetName));
        }
        return readSourceArea(path, table.source(sheetName), requested);
    }
    // Banks save text exports under the legacy workbook name, never under the newer ones; a
    // text named so is more likely a damaged or mistaken file than a statement.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx" || suffix == u"xlsm" || suffix == u"ods") {
        throw AreaError(
            QStringLiteral("无法读取工作簿“%1”：它不是 .%2 工作簿，而是文本或未知格式的文件；"
                           "若是文本，请改名为 .csv 或 .txt 后再试")
                .arg(path, suffix));
    }
    const std::optional<TextEncoding> encoding = detectTextEncoding(bytes);
    if (!encoding) {
        throw unreadable(path,
                         QStringLiteral("它不是文本文件（含有 NUL 等控制字符，或不是 "
                                        "UTF-8、UTF-16、GB18030 编码），也不是可识别的工作簿"));
    }
    return readDelimitedArea(path, bytes, *encoding, sheet, requested);
}

}  // namespace

host::CellRect parseAreaRange(const QString& rangeA1) {
    static const QRegularExpression form(QStringLiteral(
        "^\\$?([A-Za-z]{1,3})\\$?([0-9]{1,7})(?::\\$?([A-Za-z]{1,3})\\$?([0-9]{1,7}))?$"));
    const QRegularExpressionMatch m = form.match(rangeA1.trimmed());
    const auto bad = [&] {
        return AreaError(
            QStringLiteral("区域“%1”不是有效的单元格区域（应为 B2:F40 这样的写法）").arg(rangeA1));
    };
    if (!m.hasMatch()) throw bad();
    const bool oneCell = m.captured(3).isEmpty();
    const int column1 = columnNumber(m.captured(1).toUpper());
    const int row1 = checkedRow(m.captured(2));
    const int column2 = oneCell ? column1 : columnNumber(m.captured(3).toUpper());
    const int row2 = oneCell ? row1 : checkedRow(m.captured(4));
    if (column1 < 1 || column2 < 1 || column1 > host::kMaxColumns || column2 > host::kMaxColumns ||
        row1 == 0 || row2 == 0) {
        throw bad();
    }
    return {std::min(row1, row2), std::min(column1, column2), std::max(row1, row2),
            std::max(column1, column2)};
}

QString chosenRangeNote(const AreaText& area) {
    return QStringLiteral("已用区域：%1").arg(area.range);
}

QString flattenedCellsNote(const AreaText& area) {
    if (area.flattenedCells == 0) return {};
    return QStringLiteral("注意：%1 个单元格中的制表符或换行已各换成一个空格（第一个是 %2）")
        .arg(area.flattenedCells)
        .arg(area.firstFlattenedCell);
}

AreaText readArea(const QString& path, const QString& sheet, const QString& rangeA1) {
    std::optional<host::CellRect> requested;
    if (!rangeA1.trimmed().isEmpty()) requested = parseAreaRange(rangeA1);
    return readAreaBlock(path, sheet, requested, rangeA1);
}

AreaText readAreaBlock(const QString& path, const QString& sheet,
                       const std::optional<host::CellRect>& requested, const QString& rangeA1) {
    if (requested && qint64(requested->rowCount()) * requested->columnCount() > kMaxAreaCells) {
        throw AreaError(QStringLiteral("区域“%1”过大：最多可读取 %2 个单元格")
                            .arg(rangeA1.isEmpty() ? host::absoluteAddress(*requested) : rangeA1)
                            .arg(kMaxAreaCells));
    }
    const QFileInfo info(path);
    if (!info.isFile()) throw AreaError(QStringLiteral("找不到文件“%1”").arg(path));
    static const QStringList readable = {u"xlsx"_qs, u"xlsm"_qs, u"xls"_qs, u"ods"_qs,
                                         u"csv"_qs,  u"tsv"_qs,  u"txt"_qs};
    if (!readable.contains(info.suffix().toLower())) {
        throw AreaError(
            QStringLiteral("不能读取文件“%1”：只支持 .xlsx、.xls、.ods、.csv、.tsv 和 .txt 文件")
                .arg(path));
    }
    try {
        return readFileArea(path, sheet, requested);
    } catch (const FormatError& e) {
        throw unreadable(path, e.message());
    }
}

AreaText areaOfCells(const QString& workbookName, const QString& sheetName, const QString& rangeA1,
                     const QList<QStringList>& rows) {
    const host::CellRect block = parseAreaRange(rangeA1);
    const bool filled = rows.size() == block.rowCount() &&
                        std::all_of(rows.begin(), rows.end(), [&](const QStringList& row) {
                            return row.size() == block.columnCount();
                        });
    if (!filled) throw AreaError(QStringLiteral("区域“%1”的单元格数与给出的行列不符").arg(rangeA1));
    AreaText area;
    area.workbookName = workbookName;
    area.sheetName = sheetName;
    area.range = host::absoluteAddress(block);
    area.block = block;
    fillSelectionText(area, block, qsizetype(block.rowCount()) * block.columnCount() * 8,
                      [&](int row, int column, QString& out) {
                          out.append(rows[row - block.top][column - block.left]);
                      });
    return area;
}

}  // namespace tallimo::area
