#include "MemoryHost.h"
#include "TestZip.h"
#include "Xlsx.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <ctime>

namespace tallimo::host {
namespace {

using xlsx::test::sheetPart;
using xlsx::test::workbookOfSheets;
using xlsx::test::writeZip;

QByteArray numberRow(int row, int cells) {
    QByteArray xml = "<row r=\"" + QByteArray::number(row) + "\">";
    for (int c = 0; c < cells; ++c)
        xml += "<c><v>" + QByteArray::number(row * 100 + c) + "</v></c>";
    return xml + "</row>";
}

class BoundedReading : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(const std::vector<std::pair<QByteArray, QByteArray>>& sheets) {
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        writeZip(path, workbookOfSheets(sheets));
        return path;
    }
    BookId read(const QString& path, const XlsxReading& reading) {
        const BookId book = host->addWorkbook();
        readXlsx(*host, book, path, reading);
        return book;
    }
    QString refusal(const QString& path, const XlsxReading& reading) {
        try {
            read(path, reading);
        } catch (const HostError& e) {
            return e.message();
        }
        return {};
    }

    QTemporaryDir dir;
    std::unique_ptr<HostBackend> host = makeMemoryHost();
};

// The sheets beside the one asked for are listed by name and never parsed: a broken one does
// not stop the read, and costs nothing.
TEST_F(BoundedReading, OnlyTheSheetAskedForIsParsed) {
    const QString path = write({{"First", sheetPart(numberRow(1, 1))},
                                {"Broken", "<worksheet><sheetData><row>"},
                                {"Third", sheetPart(numberRow(2, 2))}});
    for (const QString& asked : {u"third"_qs, u"Third"_qs}) {
        const BookId book = read(path, {asked});
        ASSERT_EQ(host->sheetCount(book), 3);
        EXPECT_EQ(host->sheetName(host->sheetAt(book, 2)), u"Broken"_qs);
        EXPECT_EQ(host->value(host->sheetAt(book, 3), 2, 2), CellValue::fromNumber(201));
        EXPECT_EQ(host->usedRange(host->sheetAt(book, 1)), CellRect{});
    }
    const BookId first = read(path, {QString()});
    EXPECT_EQ(host->value(host->sheetAt(first, 1), 1, 1), CellValue::fromNumber(100));
    EXPECT_EQ(host->usedRange(host->sheetAt(first, 3)), CellRect{});
    // A name the file lacks reads no sheet; the caller says which is missing.
    EXPECT_EQ(host->sheetCount(read(path, {u"Other"_qs})), 3);
    EXPECT_FALSE(refusal(path, {}).isEmpty());  // everything read: the broken sheet refuses
}

TEST_F(BoundedReading, BudgetsRefuseNamingTheSheet) {
    QByteArray rows;
    for (int r = 1; r <= 20; ++r)
        rows += numberRow(r, 10);
    const QString path = write({{"封面", sheetPart(numberRow(1, 1))}, {"大表", sheetPart(rows)}});
    struct Case {
        XlsxReading reading;
        const char16_t* refused;  // a piece of the message; empty when the read fits
    };
    const Case cases[] = {
        {{u"大表"_qs, 220, 0}, u""},  // 200 cells in 20 rows
        {{u"大表"_qs, 219, 0}, u"工作表“大表”过大：读取区域时每个文件最多读入 219 个单元格和行"},
        {{u"封面"_qs, 2, 0}, u""},  // the other sheet's cells are not counted
        {{std::nullopt, 220, 0}, u"工作表“大表”"},
        {{u"大表"_qs, 0, 1 << 20}, u""},
        {{u"大表"_qs, 0, 2000}, u"最多解压 2000 字节"},
    };
    for (const Case& c : cases) {
        const QString message = refusal(path, c.reading);
        const QString refused = QString::fromUtf16(c.refused);
        if (refused.isEmpty())
            EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        else
            EXPECT_TRUE(message.contains(refused) && message.contains(path))
                << message.toStdString();
    }
}

// No sheet has more rows than the grid: one row repeated past that is refused at once, not read
// millions of times over.
TEST_F(BoundedReading, MoreRowsThanTheGridAreRefused) {
    QByteArray rows;
    for (int i = 0; i <= kMaxRows; ++i)
        rows += "<row r=\"1\"/>";
    const QString path = write({{"Rows", sheetPart(rows)}});
    EXPECT_EQ(refusal(path, {}).toStdString(), "");  // unbounded, as the programs open files
    EXPECT_TRUE(refusal(path, {u"Rows"_qs, std::int64_t(1) << 24, 0})
                    .contains(u"工作表“Rows”过大：其中的行多于表格的 1048576 行"_qs));
}

// Every sheet is named and found in constant time, so a workbook of many sheets opens in time
// linear in their count (comparing each name with every other once took minutes).
TEST_F(BoundedReading, ManySheetsOpenInLinearTime) {
    constexpr int kSheets = 30000;
    std::vector<std::pair<QByteArray, QByteArray>> sheets;
    for (int i = 1; i <= kSheets; ++i)
        sheets.emplace_back("S" + QByteArray::number(i),
                            sheetPart(i == kSheets ? numberRow(1, 1) : QByteArray()));
    const QString path = write(sheets);
    const std::clock_t start = std::clock();
    const BookId listed = read(path, {u"s30000"_qs});
    const BookId whole = read(path, {});
    // Linear, this takes about a second of processor time; comparing every pair took half a
    // minute.
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 10.0);
    for (const BookId book : {listed, whole}) {
        ASSERT_EQ(host->sheetCount(book), kSheets);
        EXPECT_EQ(host->sheetName(host->sheetAt(book, 12345)), u"S12345"_qs);
        EXPECT_EQ(host->value(host->sheetByName(book, u"S30000"_qs), 1, 1),
                  CellValue::fromNumber(100));
    }
    EXPECT_THROW(host->setSheetName(host->sheetAt(whole, 1), u"s2"_qs), HostError);
}

}  // namespace
}  // namespace tallimo::host
