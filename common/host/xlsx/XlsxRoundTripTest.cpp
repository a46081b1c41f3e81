#include "MemoryHost.h"
#include "Xlsx.h"
#include "XlsxTestBook.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

namespace tallimo::host {
namespace {

std::string at(int row, int column) {
    return "R" + std::to_string(row) + "C" + std::to_string(column);
}

void expectSameFormat(const CellFormat& a, const CellFormat& b, const std::string& where) {
    EXPECT_EQ(a.fontName, b.fontName) << where;
    EXPECT_EQ(a.fontSize, b.fontSize) << where;
    EXPECT_EQ(a.bold, b.bold) << where;
    EXPECT_EQ(a.fontColorIndex, b.fontColorIndex) << where;
    EXPECT_EQ(a.fontColorSet, b.fontColorSet) << where;
    if (a.fontColorSet) {
        EXPECT_EQ(a.fontColor, b.fontColor) << where;
    }
    EXPECT_EQ(a.fillColorIndex, b.fillColorIndex) << where;
    EXPECT_EQ(a.fillSet, b.fillSet) << where;
    if (a.fillSet) {
        EXPECT_EQ(a.fillColor, b.fillColor) << where;
    }
    EXPECT_EQ(a.horizontalAlignment, b.horizontalAlignment) << where;
    EXPECT_EQ(a.verticalAlignment, b.verticalAlignment) << where;
    EXPECT_EQ(a.wrapText, b.wrapText) << where;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a.borderLineStyle[i], b.borderLineStyle[i]) << where;
    EXPECT_EQ(a.numberFormat, b.numberFormat) << where;
}

bool sameRuns(const QList<CharacterRun>& a, const QList<CharacterRun>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.start == y.start && x.length == y.length && x.colorIndex == y.colorIndex;
    });
}

void expectSameSheet(const HostBackend& host, SheetId a, SheetId b) {
    EXPECT_EQ(host.sheetName(a), host.sheetName(b));
    EXPECT_EQ(host.sheetView(a), host.sheetView(b));
    EXPECT_EQ(host.selection(a), host.selection(b));
    auto mergesA = host.merges(a), mergesB = host.merges(b);
    const auto order = [](const CellRect& x, const CellRect& y) {
        return std::tie(x.top, x.left) < std::tie(y.top, y.left);
    };
    std::sort(mergesA.begin(), mergesA.end(), order);
    std::sort(mergesB.begin(), mergesB.end(), order);
    EXPECT_EQ(mergesA, mergesB);
    const CellRect used = host.usedRange(a);
    EXPECT_EQ(used, host.usedRange(b));
    for (int column = 1; column <= used.right + 2; ++column)
        EXPECT_EQ(host.columnWidth(a, column), host.columnWidth(b, column)) << column;
    for (int row = 1; row <= used.bottom + 2; ++row) {
        EXPECT_EQ(host.rowHeight(a, row), host.rowHeight(b, row)) << row;
        for (int column = 1; column <= used.right + 1; ++column) {
            const std::string where = host.sheetName(a).toStdString() + " " + at(row, column);
            EXPECT_EQ(host.value(a, row, column), host.value(b, row, column)) << where;
            EXPECT_EQ(host.formulaA1(a, row, column), host.formulaA1(b, row, column)) << where;
            expectSameFormat(host.format(a, row, column), host.format(b, row, column), where);
            EXPECT_TRUE(
                sameRuns(host.characterRuns(a, row, column), host.characterRuns(b, row, column)))
                << where;
            EXPECT_EQ(host.commentText(a, row, column), host.commentText(b, row, column)) << where;
            if (!host.commentText(a, row, column).isEmpty()) {
                EXPECT_EQ(host.commentVisible(a, row, column), host.commentVisible(b, row, column))
                    << where;
            }
        }
    }
}

TEST(XlsxRoundTrip, ReportBookComesBackIdentical) {
    auto host = makeMemoryHost();
    const BookId original = xlsx::test::buildReportBook(*host);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("报告.xlsx"));
    writeXlsx(*host, original, path);

    const BookId copy = host->addWorkbook();
    readXlsx(*host, copy, path);
    ASSERT_EQ(host->sheetCount(copy), host->sheetCount(original));
    EXPECT_EQ(host->sheetIndex(host->activeSheet(copy)),
              host->sheetIndex(host->activeSheet(original)));
    for (int i = 1; i <= host->sheetCount(original); ++i)
        expectSameSheet(*host, host->sheetAt(original, i), host->sheetAt(copy, i));
}

// A file written again from what was read is the same workbook once more: nothing drifts.
TEST(XlsxRoundTrip, SecondGenerationMatchesFirst) {
    auto host = makeMemoryHost();
    const BookId original = xlsx::test::buildReportBook(*host);
    QTemporaryDir dir;
    writeXlsx(*host, original, dir.filePath(QStringLiteral("1.xlsx")));
    const BookId first = host->addWorkbook();
    readXlsx(*host, first, dir.filePath(QStringLiteral("1.xlsx")));
    writeXlsx(*host, first, dir.filePath(QStringLiteral("2.xlsx")));
    const BookId second = host->addWorkbook();
    readXlsx(*host, second, dir.filePath(QStringLiteral("2.xlsx")));
    for (int i = 1; i <= host->sheetCount(original); ++i)
        expectSameSheet(*host, host->sheetAt(first, i), host->sheetAt(second, i));
}

// Files hold no rich text of a single piece: a run over the whole text comes back as the cell's
// font colour, which shows the same.
TEST(XlsxWrite, RunOverTheWholeTextBecomesTheFontColour) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    host->setLiteral(sheet, 1, 1, CellValue::fromText(QStringLiteral("√")));
    host->setFontBold(sheet, {1, 1, 1, 1}, true);
    host->setCharactersColorIndex(sheet, 1, 1, 1, 1, 10);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mark.xlsx"));
    writeXlsx(*host, book, path);
    const BookId copy = host->addWorkbook();
    readXlsx(*host, copy, path);
    const SheetId read = host->sheetAt(copy, 1);
    EXPECT_EQ(host->value(read, 1, 1), CellValue::fromText(QStringLiteral("√")));
    EXPECT_EQ(host->format(read, 1, 1).fontColorIndex, 10);
    EXPECT_TRUE(host->format(read, 1, 1).bold);
    EXPECT_TRUE(host->characterRuns(read, 1, 1).isEmpty());
}

// Every part is packed at the fastest deflate level: the local headers' bits 1 and 2 say so.
TEST(XlsxWrite, PartsArePackedWithFastDeflate) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    host->setLiteral(host->sheetAt(book, 1), 1, 1, CellValue::fromText(QStringLiteral("x")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fast.xlsx"));
    writeXlsx(*host, book, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    int parts = 0;
    for (qsizetype at = bytes.indexOf("PK\x03\x04"); at >= 0 && at + 10 <= bytes.size();
         at = bytes.indexOf("PK\x03\x04", at + 4)) {
        const int method = quint8(bytes[at + 8]) | quint8(bytes[at + 9]) << 8;
        const int flags = quint8(bytes[at + 6]);
        if (method != 8) continue;
        EXPECT_EQ(flags & 6, 6) << "part at byte " << at;
        ++parts;
    }
    EXPECT_GT(parts, 3);
}

TEST(XlsxWrite, FailedSaveKeepsThePreviousFileAndLeavesNoLeftovers) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    host->setLiteral(sheet, 1, 1, CellValue::fromText(QStringLiteral("kept")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    writeXlsx(*host, book, path);

    // A comment longer than files may hold: the save must fail as a whole.
    host->setLiteral(sheet, 2, 1, CellValue::fromText(QStringLiteral("new")));
    host->addComment(sheet, 2, 1, QString(40000, u'x'));
    try {
        writeXlsx(*host, book, path);
        FAIL() << "an over-long cell was saved";
    } catch (const HostError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("A2"))) << e.message().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("book.xlsx")});
    const BookId reread = host->addWorkbook();
    readXlsx(*host, reread, path);
    EXPECT_EQ(host->value(host->sheetAt(reread, 1), 1, 1),
              CellValue::fromText(QStringLiteral("kept")));
    EXPECT_TRUE(host->value(host->sheetAt(reread, 1), 2, 1).isEmpty());
}

TEST(XlsxWrite, UnwritableFolderRaisesHostError) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const QString path = QStringLiteral("/nonexistent-folder/book.xlsx");
    try {
        writeXlsx(*host, book, path);
        FAIL() << "saved into a missing folder";
    } catch (const HostError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
    }
}

}  // namespace
}  // namespace tallimo::host
