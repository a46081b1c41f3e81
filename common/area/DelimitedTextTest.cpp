#include "DelimitedText.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace tallimo::area {
namespace {

QStringList rowsOf(const TextGrid& grid) {
    QStringList rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.cell(r, c).toString();
        rows << cells.join(u'|');
    }
    return rows;
}

TEST(DecodeDelimitedFile, ReadsEveryEncodingChineseExportsComeIn) {
    const QString expected = QStringLiteral("日期,金额\n");
    const QByteArray utf8 = expected.toUtf8();
    EXPECT_EQ(decodeDelimitedFile(utf8), expected);
    EXPECT_EQ(decodeDelimitedFile("\xEF\xBB\xBF" + utf8), expected);
    EXPECT_EQ(decodeDelimitedFile("\xC8\xD5\xC6\xDA,\xBD\xF0\xB6\xEE\n"), expected);
    QByteArray utf16("\xFF\xFE");
    for (const QChar c : expected) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    EXPECT_EQ(decodeDelimitedFile(utf16), expected);
}

TEST(DecodeDelimitedFile, PlainAsciiIsTheSameInEitherEncoding) {
    EXPECT_EQ(decodeDelimitedFile("a,1.5\r\n"), QStringLiteral("a,1.5\r\n"));
}

TEST(ReadDelimitedBlock, CutsTheBlockOutOfTheText) {
    const QString text = QStringLiteral("h1,h2,h3,h4\r\nx,a,1,y\r\nx,b,2,y\r\nx,c,3,y\r\n");
    const TextGrid grid = readDelimitedBlock(text, u',', {2, 2, 3, 3});
    EXPECT_EQ(rowsOf(grid), (QStringList{"a|1", "b|2"}));
}

TEST(ReadDelimitedBlock, PadsShortLinesAndMissingRows) {
    const QString text = QStringLiteral("a,b,c\nd\n");
    EXPECT_EQ(rowsOf(readDelimitedBlock(text, u',', {1, 1, 4, 3})),
              (QStringList{"a|b|c", "d||", "||", "||"}));
}

TEST(ReadDelimitedBlock, FollowsQuotingRules) {
    struct Case {
        const char* line;
        QStringList cells;
    };
    const Case cases[] = {
        {"\"1,200.00\",x", {"1,200.00", "x"}},
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"\"\",x", {"", "x"}},
        {"5\" pipe,x", {"5\" pipe", "x"}},
        {"\"two\nlines\",x", {"two\nlines", "x"}},
    };
    for (const Case& c : cases) {
        const TextGrid grid = readDelimitedBlock(QString::fromUtf8(c.line), u',', {1, 1, 1, 2});
        EXPECT_EQ(rowsOf(grid), QStringList{c.cells.join(u'|')}) << c.line;
    }
}

TEST(ReadDelimitedBlock, AQuotedLineBreakDoesNotStartARow) {
    const QString text = QStringLiteral("\"a\r\nb\",1\r\nc,2\r\n");
    EXPECT_EQ(rowsOf(readDelimitedBlock(text, u',', {2, 1, 2, 2})), QStringList{"c|2"});
}

TEST(ReadDelimitedBlock, EveryLineEndStyleEndsARow) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"LF", "a,1\nb,2\nc,3\n"},
        {"CR LF", "a,1\r\nb,2\r\nc,3\r\n"},
        {"CR", "a,1\rb,2\rc,3\r"},
        {"mixed", "a,1\rb,2\r\nc,3\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rowsOf(readDelimitedBlock(QString::fromUtf8(c.text), u',', {2, 1, 4, 2})),
                  (QStringList{"b|2", "c|3", "|"}))
            << c.name;
    // A CR inside quotes is part of the field, not a line end.
    EXPECT_EQ(rowsOf(readDelimitedBlock(QStringLiteral("\"x\ry\",1\rz,2"), u',', {1, 1, 2, 2})),
              (QStringList{"x\ry|1", "z|2"}));
}

TEST(ReadDelimitedBlock, TabSeparatedKeepsCommas) {
    const QString text = QStringLiteral("1,200.00\t摘要,备注\n");
    EXPECT_EQ(rowsOf(readDelimitedBlock(text, u'\t', {1, 1, 1, 2})),
              QStringList{"1,200.00|摘要,备注"});
}

// Reading a file's bytes in place must give the cells that decoding the whole file first gives,
// whatever the encoding and however broken the bytes.
TEST(VisitDelimitedFile, GivesTheCellsOfTheDecodedFile) {
    const QString chinese =
        QStringLiteral("日期,金额\r\n2024-01-05,\"1,200.00\"\r\n\"摘\"\"要\",😀x\r\n");
    QByteArray utf16le("\xFF\xFE"), utf16be("\xFE\xFF");
    for (const QChar c : chinese) {
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8", chinese.toUtf8()},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + chinese.toUtf8()},
        {"UTF-8 with two marks", "\xEF\xBB\xBF\xEF\xBB\xBF" + chinese.toUtf8()},
        {"UTF-16 LE", utf16le},
        {"UTF-16 BE", utf16be},
        {"GB18030", "\xC8\xD5\xC6\xDA,\xBD\xF0\xB6\xEE\r\n1,2\r\n"},
        {"bad UTF-8 after a mark",
         "\xEF\xBB\xBF"
         "a,\xC8\r\nb,\xE6\x97\r\n"},
        {"overlong form", "a,\xC0\xAF\r\n"},
        {"surrogate", "a,\xED\xA0\x80\r\n"},
        {"past U+10FFFF", "a,\xF4\x90\x80\x80\r\n"},
        {"cut short at the end", "a,b\r\nc,\xE6\x97"},
        {"quote never closed", "a,\"b\r\nc,d\r\n"},
        {"text after a closing quote", "\"a\"b,c\r\nd,\"e\"\"\"\r\n"},
        {"empty", ""},
    };
    const host::CellRect block{1, 1, 4, 3};
    for (const auto& c : cases) {
        QStringList cells;
        visitDelimitedFile(c.bytes, u',', block, [&](int row, int column, QStringView cell) {
            cells << QStringLiteral("%1:%2=%3").arg(row).arg(column).arg(cell);
        });
        const TextGrid grid = readDelimitedBlock(decodeDelimitedFile(c.bytes), u',', block);
        QStringList expected;
        for (int r = 0; r < grid.rowCount(); ++r)
            for (int column = 0; column < grid.columnCount(); ++column)
                expected << QStringLiteral("%1:%2=%3").arg(r).arg(column).arg(grid.cell(r, column));
        EXPECT_EQ(cells, expected) << c.name;
    }
}

}  // namespace
}  // namespace tallimo::area
