#include "FaultInjectingBackend.h"
#include "MemoryHost.h"
#include "Xlsx.h"
#include "XlsxDeflate.h"
#include "XlsxSheetData.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <random>

namespace tallimo::host::xlsx {
namespace {

TEST(SheetXml, TextsAreEscapedSoThatTheyReadBackUnchanged) {
    const struct {
        QString text;
        std::string xml;
    } cases[] = {
        {QString(), ""},
        {QStringLiteral("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;"},
        {QStringLiteral("借方 ±é"), "借方 ±é"},
        {QStringLiteral("tab\tline\nreturn\r"), "tab\tline\nreturn_x000D_"},
        {QString(QChar(0x01)) + QChar(0x1F), "_x0001__x001F_"},
        // Written as it stands, "_x0041_" would be read back as "A".
        {QStringLiteral("_x0041_ _x12_ _xZZZZ_"), "_x005F_x0041_ _x12_ _xZZZZ_"},
        {QString::fromUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80"},
        {QString(QChar(0xD83D)) + u'x', "?x"},                       // high surrogate alone
        {QString(QChar(0xDE00)), "?"},                               // low surrogate alone
        {QString(QChar(0xFFFE)) + QChar(0xFFFF), "_xFFFE__xFFFF_"},  // not XML characters
    };
    for (const auto& c : cases) {
        std::string out = "<";
        appendEscaped(out, c.text);
        EXPECT_EQ(out, "<" + c.xml) << c.text.toStdString();
    }
}

// What the reader makes of the escapes is the text that was saved.
TEST(SheetXml, TextsAndNumbersComeBackThroughAFile) {
    const QList<CellValue> values = {
        CellValue::fromText(QStringLiteral("a<b>&\"c\" _x0041_ _x005F_")),
        CellValue::fromText(QStringLiteral(" lead and trail\t")),
        CellValue::fromText(QStringLiteral("line\nreturn\r") + QChar(0x01)),
        CellValue::fromText(QString::fromUtf8("借方 \xF0\x9F\x98\x80")),
        CellValue::fromNumber(91887.39999999999),
        CellValue::fromNumber(0.1 + 0.2),
        CellValue::fromNumber(-1e-300),
        CellValue::fromBool(true),
        CellValue::fromError(QStringLiteral("#N/A")),
    };
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    for (int i = 0; i < values.size(); ++i)
        host->setLiteral(sheet, i + 1, 2, values[i]);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("texts.xlsx"));
    writeXlsx(*host, book, path);
    const BookId copy = host->addWorkbook();
    readXlsx(*host, copy, path);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(host->value(host->sheetAt(copy, 1), i + 1, 2), values[i]) << i;
}

TEST(SheetXml, NumbersAndCellNames) {
    const double numbers[] = {0,         -0.5, 1,       271,      91887.39999999999,
                              0.1 + 0.2, 1e20, -1e-300, 4.9e-324, 1.7976931348623157e308};
    for (double n : numbers) {
        std::string out;
        appendNumber(out, n);
        EXPECT_EQ(std::strtod(out.c_str(), nullptr), n) << out;
    }
    std::string integral;
    appendNumber(integral, 271);
    EXPECT_EQ(integral, "271");

    const struct {
        int row, column;
        const char* name;
    } names[] = {{1, 1, "A1"},    {9, 26, "Z9"},   {10, 27, "AA10"}, {1048576, 16384, "XFD1048576"},
                 {2, 702, "ZZ2"}, {3, 703, "AAA3"}};
    for (const auto& n : names) {
        std::string out;
        appendCellName(out, n.row, n.column);
        EXPECT_EQ(out, n.name);
    }
}

std::string inflateRaw(const std::string& compressed) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    std::string out;
    char buffer[1 << 16];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    EXPECT_EQ(status, Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u);  // nothing after the stream's end
    inflateEnd(&z);
    return out;
}

// Pieces made on several threads must still be one stream in the order written, with the
// checksum and sizes of the whole.
TEST(ChunkedDeflate, PiecesMakeOneStreamInOrder) {
    std::mt19937 random(7);
    for (const std::size_t size :
         {std::size_t(0), std::size_t(1000), 3 * ChunkedDeflate::kChunkBytes + 12345}) {
        std::string data;
        while (data.size() < size) {
            data += "<c r=\"A" + std::to_string(random() % 100000) + "\"><v>";
            data += std::to_string(random()) + "</v></c>";
        }
        data.resize(size);
        std::string compressed;
        ChunkedDeflate stream([&](std::string_view piece) { compressed.append(piece); }, 3);
        // Written in uneven pieces, as rows arrive.
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t piece = std::min<std::size_t>(data.size() - at, random() % 70000);
            stream.write(std::string_view(data).substr(at, piece));
            at += piece;
        }
        const ChunkedDeflate::Totals totals = stream.finish();
        EXPECT_EQ(inflateRaw(compressed), data);
        EXPECT_EQ(totals.uncompressed, data.size());
        EXPECT_EQ(totals.compressed, compressed.size());
        EXPECT_EQ(totals.crc, crc32_z(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
        if (size > ChunkedDeflate::kChunkBytes) {
            EXPECT_LT(compressed.size(), data.size() / 2);
        }
    }
}

TEST(ChunkedDeflate, AFailingSinkStopsTheStream) {
    ChunkedDeflate stream([](std::string_view) { throw std::runtime_error("disk full"); }, 2);
    const std::string chunk(ChunkedDeflate::kChunkBytes, 'x');
    EXPECT_THROW(
        {
            for (int i = 0; i < 8; ++i)
                stream.write(chunk);
            stream.finish();
        },
        std::runtime_error);
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

// A fault found while reading the model, or a cell no file can hold, fails the save with the
// file named, and nothing is left behind.
TEST(SheetXml, FaultsFailTheSave) {
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

    FaultInjectingBackend model(makeMemoryHost());
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
