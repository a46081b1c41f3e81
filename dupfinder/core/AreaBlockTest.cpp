#include "AreaBlock.h"

#include <gtest/gtest.h>

namespace tallimo::dupfinder {
namespace {

TEST(AreaBlock, RefusesTextsWithoutTwoLines) {
    const QString noBreaks =
        QStringLiteral("读取数据源失败(无回车分隔)，请重新在EXCEL中拖拉出连续的选区！");
    const struct {
        const char* name;
        QString text;
        QString title;
    } cases[] = {
        {"empty", QString(), QString()},
        {"only line breaks", QStringLiteral("\r\n\r\n"), QString()},
        {"one line", QStringLiteral("a\tb\r\n"), QStringLiteral("至少两行")},
        {"one line without its break", QStringLiteral("a\tb"), QStringLiteral("至少两行")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AreaBlockReading reading = readAreaBlock(c.text);
        EXPECT_FALSE(reading.block);
        EXPECT_EQ(reading.error.text, noBreaks);
        EXPECT_EQ(reading.error.title, c.title);
    }
}

TEST(AreaBlock, CutsLinesAndCellsAndPadsTheTable) {
    const AreaBlockReading reading = readAreaBlock(QStringLiteral("a\tb\tc\r\nd\r\n\t\tf\tg\r\n"));
    ASSERT_TRUE(reading.block);
    const AreaBlock& block = *reading.block;
    EXPECT_EQ(block.lineCount(), 4);
    EXPECT_EQ(block.dataRowCount(), 3);
    EXPECT_EQ(block.columnCount(), 3);
    EXPECT_EQ(block.line(2), u"\t\tf\tg");
    EXPECT_TRUE(block.line(3).isEmpty());

    // The empty last line is left out; a short line is padded, a long one cut to the width.
    const TextGrid table = block.cellTable(3);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cell(1, 0), u"d");
    EXPECT_TRUE(table.cell(1, 2).isEmpty());
    EXPECT_EQ(table.cell(2, 2), u"f");

    // A text not ended by CR LF keeps its last line as a row of the table.
    const AreaBlockReading open = readAreaBlock(QStringLiteral("a\r\nb\r\nc"));
    ASSERT_TRUE(open.block);
    EXPECT_EQ(open.block->dataRowCount(), 2);
    EXPECT_EQ(open.block->cellTable(1).rowCount(), 3);
}

}  // namespace
}  // namespace tallimo::dupfinder
