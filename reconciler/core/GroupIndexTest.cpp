#include "Reconcile.h"

#include <gtest/gtest.h>

namespace tallimo::core {
namespace {

TextGrid keyList(const QStringList& keys) {
    TextGrid grid(1);
    for (const QString& key : keys) {
        grid.addCell(key);
        grid.endRow();
    }
    return grid;
}

struct Group {
    QString key;
    QString rows;
    QString counted;
    bool operator==(const Group&) const = default;
};

void PrintTo(const Group& g, std::ostream* os) {
    *os << g.key.toStdString() << " / " << g.rows.toStdString() << " / " << g.counted.toStdString();
}

std::vector<Group> groupsOf(const GroupIndex& index) {
    std::vector<Group> groups;
    for (int g = 0; g < index.groupCount(); ++g)
        groups.push_back({index.key(g).toString(), index.rowListText(g), index.countedText(g)});
    return groups;
}

TEST(GroupIndex, GroupsTrimmedKeysInOrderOfFirstAppearance) {
    const TextGrid keys = keyList({"K", "abc", "", "  ", "K ", "ABC", " K", "x|1"});
    int pumped = 0;
    const GroupIndex index = buildGroupIndex(keys, 5, [&] { ++pumped; });
    EXPECT_EQ(groupsOf(index), (std::vector<Group>{{"K", "5_9_11", "K|3"},
                                                   {"abc", "6", "abc|1"},
                                                   {"ABC", "10", "ABC|1"},
                                                   {"x|1", "12", "x|1|1"}}));
    EXPECT_EQ(pumped, 8);
    EXPECT_EQ(index.find(u"K"), 0);
    EXPECT_EQ(index.find(u"k"), -1);
    EXPECT_EQ(index.find(u"ABC"), 2);
}

TEST(GroupIndex, FirstRowZeroCountsAsOne) {
    const GroupIndex index = buildGroupIndex(keyList({"a", "a"}), 0, {});
    EXPECT_EQ(index.rowListText(0), "1_2");
}

TEST(GroupIndex, LargeGroupsKeepEveryRow) {
    // Far beyond the 32,768 rows a group could hold with 16-bit indices.
    TextGrid keys(1);
    for (int i = 0; i < 70000; ++i) {
        keys.addCell(i % 2 ? u"odd" : u"even");
        keys.endRow();
    }
    const GroupIndex index = buildGroupIndex(keys, 1, {});
    ASSERT_EQ(index.groupCount(), 2);
    EXPECT_EQ(index.count(0), 35000);
    EXPECT_EQ(index.rows(1).back(), 70000);
}

TEST(GroupIndex, LongRowListsAreCutToTheCellLimit) {
    const GroupIndex index = buildGroupIndex(keyList({"a", "a", "a", "a", "b"}), 8, {});
    struct Case {
        qsizetype limit;
        const char* text;
    };
    for (const Case& c : {Case{-1, "8_9_10_11"}, Case{9, "8_9_10_11"}, Case{8, "8_9_…"},
                          Case{6, "8_9_…"}, Case{5, "8_…"}})
        EXPECT_EQ(index.rowListText(0, c.limit), QString::fromUtf8(c.text)) << c.limit;
}

}  // namespace
}  // namespace tallimo::core
