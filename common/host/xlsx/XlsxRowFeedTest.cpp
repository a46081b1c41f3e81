#include "FailingBackend.h"
#include "MemoryHost.h"
#include "Xlsx.h"
#include "XlsxRowFeed.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tallimo::host::xlsx {
namespace {

TEST(AppendUtf8, EncodesAsQtDoes) {
    const QString cases[] = {
        QString(),
        QStringLiteral("plain & <ascii>"),
        QStringLiteral("借方金额 ±é"),
        QString::fromUtf8("\xF0\x9F\x98\x80 pair"),
        QString(QChar(0xD83D)),                                  // high surrogate at the end
        QString(QChar(0xDE00)) + u'x',                           // low surrogate alone
        QString(QChar(0xD83D)) + QChar(0xD83D) + QChar(0xDE00),  // high before a pair
    };
    for (const QString& text : cases) {
        std::string out = "prefix";
        const std::size_t at = appendUtf8(out, text);
        EXPECT_EQ(at, 6u);
        EXPECT_EQ(out.size(), at + std::size_t(text.toUtf8().size()) + 1);
        EXPECT_STREQ(out.c_str() + at, text.toUtf8().constData()) << text.toStdString();
    }
}

// A sheet of `rows` rows, two cells each.
SheetId fillSheet(HostBackend& host, BookId book, int rows) {
    const SheetId sheet = host.sheetAt(book, 1);
    for (int row = 1; row <= rows; ++row) {
        host.setLiteral(sheet, row, 1, CellValue::fromText(QStringLiteral("行%1").arg(row)));
        host.setLiteral(sheet, row, 2, CellValue::fromNumber(row));
    }
    return sheet;
}

// Every used row of the sheet, as the writer feeds it.
RowSpan wholeSheet(const HostBackend& host, SheetId sheet) {
    RowSpan span;
    span.sheet = sheet;
    span.used = host.usedRange(sheet);
    span.firstRow = 1;
    span.lastRow = span.used.bottom;
    span.defaultHeight = host.rowHeight(sheet, kMaxRows);
    return span;
}

TEST(RowFeed, DeliversEveryRowInOrderInBoundedBatches) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = fillSheet(*host, book, 5000);
    host->setFontBold(sheet, {4000, 2, 4000, 2}, true);
    const RowSpan span = wholeSheet(*host, sheet);
    std::unordered_set<std::uint32_t> sent;
    RowFeed feed(*host, span, sent);
    int expected = 1;
    int formats = 0;
    while (std::unique_ptr<RowBatch> batch = feed.next()) {
        EXPECT_LE(batch->rows.size(), 1024u);
        formats += int(batch->formats.size());
        for (const FedRow& row : batch->rows) {
            ASSERT_EQ(row.row, expected);
            ASSERT_EQ(row.itemsEnd - row.itemsBegin, 2u);
            const RowItem& text = batch->items[row.itemsBegin];
            EXPECT_EQ(text.kind, RowItem::Kind::Text);
            EXPECT_EQ(QString::fromUtf8(batch->textAt(text.text)),
                      QStringLiteral("行%1").arg(expected));
            EXPECT_EQ(batch->items[row.itemsBegin + 1].number, expected);
            ++expected;
        }
        feed.recycle(std::move(batch));
    }
    EXPECT_EQ(expected, 5001);
    EXPECT_EQ(formats, 1);  // the bold cell's format, handed over once
}

TEST(RowFeed, StopsWhenTheWriterGivesUp) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = fillSheet(*host, book, 50000);
    const RowSpan span = wholeSheet(*host, sheet);
    std::unordered_set<std::uint32_t> sent;
    auto feed = std::make_unique<RowFeed>(*host, span, sent);
    ASSERT_TRUE(feed->next());
    feed.reset();  // must return without reading the remaining rows into a full queue
}

// A fault found while reading the model reaches the caller after the rows before it, a fault of
// the writer library stops the reading; either way the file is named and nothing is left behind.
TEST(RowFeed, FaultsOnEitherSideFailTheSave) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    const auto expectFailure = [&](const HostBackend& host, BookId book, const QString& reason) {
        try {
            writeXlsx(host, book, path);
            ADD_FAILURE() << "saved";
        } catch (const HostError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(reason)) << e.message().toStdString();
        }
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    };

    FailingBackend model(makeMemoryHost());
    const BookId book = model.addWorkbook();
    const SheetId sheet = fillSheet(model, book, 20000);
    model.failOn(QStringLiteral("rowCells"), 15000);
    expectFailure(model, book, QStringLiteral("rowCells"));

    model.reset();
    model.addComment(sheet, 300, 3, QString(40000, u'x'));  // more than a file can hold
    expectFailure(model, book, QStringLiteral("批注 C300"));
}

}  // namespace
}  // namespace tallimo::host::xlsx
