#include "AreaReader.h"

#include "Address.h"
#include "DelimitedText.h"
#include "HostBackend.h"
#include "MemoryHost.h"
#include "TypedEntry.h"
#include "Xlsx.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace tallimo::area {

namespace {

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

// What reading one area of a workbook may cost. A ledger of a million rows by fifteen columns
// fits; a sheet declaring tens of millions of cells or rows in a few compressed megabytes is
// refused in a few seconds, before it costs a gigabyte.
constexpr std::int64_t kWorkbookItemBudget = std::int64_t(1) << 24;
constexpr std::int64_t kWorkbookByteBudget = std::int64_t(1) << 30;

AreaText readWorkbookArea(const QString& path, const QString& sheet, const host::CellRect& block) {
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
    area.range = host::absoluteAddress(block);
    fillSelectionText(area, block, qsizetype(block.rowCount()) * block.columnCount() * 8,
                      [&](int row, int column, QString& out) {
                          out.append(backend->displayText(sheetId, row, column));
                      });
    return area;
}

AreaText readDelimitedArea(const QString& path, QChar delimiter, const QString& sheet,
                           const host::CellRect& block) {
    const QFileInfo info(path);
    const QString sheetName = info.completeBaseName();
    if (!sheet.isEmpty() && sheet != sheetName) {
        throw AreaError(QStringLiteral("文件“%1”中没有名为“%2”的工作表（它只有工作表“%3”）")
                            .arg(path, sheet, sheetName));
    }
    const QByteArray bytes = readWholeFile(path);

    // Every field goes through the host's typed entry, so that its display text is the one a
    // spreadsheet shows after opening the file. The fields are read straight into the selection
    // text: no grid of a million cells in between.
    AreaText area;
    area.workbookName = info.fileName();
    area.sheetName = sheetName;
    area.range = host::absoluteAddress(block);
    QString& out = area.selectionText;
    out.reserve(bytes.size() + qsizetype(block.rowCount()) * 2);
    const int lastColumn = block.columnCount() - 1;
    visitDelimitedFile(bytes, delimiter, block, [&](int row, int column, QStringView field) {
        if (column > 0) out.append(u'\t');
        const qsizetype from = out.size();
        host::appendTypedDisplayText(out, field);
        flattenCellText(area, from, block.top + row, block.left + column);
        if (column == lastColumn) out.append(u"\r\n");
    });
    return area;
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

QString flattenedCellsNote(const AreaText& area) {
    if (area.flattenedCells == 0) return {};
    return QStringLiteral("注意：%1 个单元格中的制表符或换行已各换成一个空格（第一个是 %2）")
        .arg(area.flattenedCells)
        .arg(area.firstFlattenedCell);
}

AreaText readArea(const QString& path, const QString& sheet, const QString& rangeA1) {
    const host::CellRect block = parseAreaRange(rangeA1);
    // Whole-sheet selections would cost gigabytes of empty cells; no ledger comes near this.
    constexpr qint64 kMaxCells = 50'000'000;
    if (qint64(block.rowCount()) * block.columnCount() > kMaxCells) {
        throw AreaError(
            QStringLiteral("区域“%1”过大：最多可读取 %2 个单元格").arg(rangeA1).arg(kMaxCells));
    }
    const QFileInfo info(path);
    if (!info.isFile()) throw AreaError(QStringLiteral("找不到文件“%1”").arg(path));
    const QString suffix = info.suffix().toLower();
    if (suffix == u"xlsx") return readWorkbookArea(path, sheet, block);
    if (suffix == u"csv") return readDelimitedArea(path, u',', sheet, block);
    if (suffix == u"tsv") return readDelimitedArea(path, u'\t', sheet, block);
    throw AreaError(QStringLiteral("不能读取文件“%1”：只支持 .xlsx、.csv 和 .tsv 文件").arg(path));
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
    fillSelectionText(area, block, qsizetype(block.rowCount()) * block.columnCount() * 8,
                      [&](int row, int column, QString& out) {
                          out.append(rows[row - block.top][column - block.left]);
                      });
    return area;
}

}  // namespace tallimo::area
