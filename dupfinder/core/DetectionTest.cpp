#include "Detection.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace tallimo::dupfinder {
namespace {

AreaBlock blockOf(const QStringList& rows) {
    return *readAreaBlock(rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).block;
}

// Every distinct key as "key|count|row list", in first-occurrence order.
QStringList distinctKeys(const Detection& d) {
    QStringList keys;
    for (int i = 0; i < d.distinctCount(); ++i)
        keys << d.key(i).toString() + u'|' + QString::number(d.entry(i).count) + u'|' +
                    d.rowList(i);
    return keys;
}

TEST(Detection, KeysCountsAndRowLists) {
    const QString wide = QStringLiteral("$B$2:$C$9");
    const struct {
        const char* name;
        QString address;
        QStringList rows;
        std::vector<int> ticked;
        bool ignoreBlanks;
        QStringList keys;
        std::vector<int> repeatRows;
        int nonEmpty;
    } cases[] = {
        {"rows with an empty key take no part",
         wide,
         {"\t", "x\ty", "\t", "x\ty"},
         {0, 1},
         false,
         {"x,y|2|3_5"},
         {5},
         2},
        {"a leading empty cell adds no separator, a trailing one does",
         wide,
         {"\tx", "x\t", "\tx"},
         {0, 1},
         false,
         {"x|2|2_4", "x,|1|3"},
         {4},
         3},
        {"a comma inside a cell meets the separator",
         wide,
         {"\ta,b", "a\tb"},
         {0, 1},
         false,
         {"a,b|2|2_3"},
         {3},
         2},
        {"only ticked cells count",
         wide,
         {"a\t1", "b\t1", "c\t2"},
         {1},
         false,
         {"1|2|2_3", "2|1|4"},
         {3},
         3},
        {"ignore blanks removes U+0020 only",
         QStringLiteral("$A$1:$A$3"),
         {"1 2", "12", QStringLiteral("1\u30002")},
         {0},
         true,
         {"12|2|1_2", QStringLiteral("1\u30002|1|3")},
         {2},
         3},
        {"spaces kept without ignore blanks",
         QStringLiteral("$A$1:$A$2"),
         {"1 2", "12"},
         {0},
         false,
         {"1 2|1|1", "12|1|2"},
         {},
         2},
        {"cells of one space still give their separator",
         wide,
         {" \t ", " \t "},
         {0, 1},
         true,
         {",|2|2_3"},
         {3},
         2},
        {"case matters",
         QStringLiteral("$A$1:$A$2"),
         {"ABC", "abc"},
         {0},
         false,
         {"ABC|1|1", "abc|1|2"},
         {},
         2},
        {"a one-column area keys on the whole line",
         QStringLiteral("$D$2:$D$4"),
         {"a\tb", "a\tc", "a\tb"},
         {0},
         false,
         {"a\tb|2|2_4", "a\tc|1|3"},
         {4},
         3},
        {"rows 5, 9 and 12",
         QStringLiteral("$B$5:$C$12"),
         {"k\t1", "m\t2", "n\t3", "o\t4", "k\t1", "p\t5", "q\t6", "k\t1"},
         {0, 1},
         false,
         {"k,1|3|5_9_12", "m,2|1|6", "n,3|1|7", "o,4|1|8", "p,5|1|10", "q,6|1|11"},
         {9, 12},
         8},
        {"a short line has empty cells past its end",
         wide,
         {"a\tb", "a"},
         {1},
         false,
         {"b|1|2"},
         {},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DetectionOptions options;
        options.tickedPositions = c.ticked;
        options.ignoreBlanks = c.ignoreBlanks;
        const Detection d =
            detectDuplicates(blockOf(c.rows), parseAreaAddress(c.address, Grid::Small), options);
        EXPECT_EQ(distinctKeys(d), c.keys);
        EXPECT_EQ(d.repeatRows(), c.repeatRows);
        EXPECT_EQ(d.nonEmptyRowCount, c.nonEmpty);
        EXPECT_EQ(d.hasDuplicates(), !c.repeatRows.empty());
    }
}

TEST(Detection, GroupsAreNumberedInWalkOrderAndCycleThroughTheTickedBoxes) {
    const AreaBlock block = blockOf({"a", "b", "u", "c", "d", "a", "d", "b", "c", "a"});
    DetectionOptions options;
    options.tickedPositions = {0};
    options.colorBoxes = {2, 7};
    StatusReporter none;
    QStringList statuses;
    const Detection d = detectDuplicates(block, parseAreaAddress(u"$A$1:$A$10", Grid::Small),
                                         options, [&statuses](const QString& s) { statuses << s; });
    EXPECT_EQ(statuses, QStringList{"正准备查重..."});
    std::vector<int> groups, boxes;
    for (int i = 0; i < d.distinctCount(); ++i) {
        groups.push_back(d.entry(i).group);
        boxes.push_back(d.entry(i).colorBox);
    }
    // a, b, u, c, d: u is unique.
    EXPECT_EQ(groups, (std::vector<int>{1, 2, 0, 3, 4}));
    EXPECT_EQ(boxes, (std::vector<int>{2, 7, -1, 2, 7}));
    EXPECT_EQ(d.duplicateGroupCount, 4);
    EXPECT_EQ(d.uniqueCount(), 1);
    EXPECT_EQ(d.repeatRangesText(), u"A6:A6,A7:A7,A8:A8,A9:A9,A10:A10");
    EXPECT_EQ(conclusionText(d), u"报告结论：共【5】组数据，其中【4】组重复、【1】组唯一。");

    options.colorBoxes.clear();
    const Detection plain =
        detectDuplicates(block, parseAreaAddress(u"$A$1:$A$10", Grid::Small), options, none);
    EXPECT_EQ(plain.entry(0).colorBox, -1);
    EXPECT_EQ(plain.entry(0).group, 1);
}

TEST(Detection, NoticeNamesTheAreaWithoutDollars) {
    EXPECT_EQ(noDuplicatesNotice(u"$B$3:$F$20"_qs),
              u"您选择的区域【B3:F20】中无符合条件的重复数据！");
}

}  // namespace
}  // namespace tallimo::dupfinder
