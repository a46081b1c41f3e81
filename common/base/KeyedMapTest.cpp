#include "KeyedMap.h"

#include <gtest/gtest.h>

namespace tallimo {
namespace {

TEST(KeyedMap, KeepsKeysInOrderOfFirstInsertion) {
    KeyedMap<int> map;
    map[QStringLiteral("b")] = 1;
    map[QStringLiteral("a")] = 2;
    map[QStringLiteral("b")] += 10;
    map[QStringLiteral("c")];
    ASSERT_EQ(map.count(), 3);
    const auto& items = map.items();
    EXPECT_EQ(items[0], std::make_pair(QString("b"), 11));
    EXPECT_EQ(items[1], std::make_pair(QString("a"), 2));
    EXPECT_EQ(items[2],
              std::make_pair(QString("c"), 0));  // a read adds the key, as a dictionary does
}

TEST(KeyedMap, ComparesKeysExactly) {
    KeyedMap<int> map;
    map[QStringLiteral("Key")] = 1;
    map[QStringLiteral("key")] = 2;
    map[QStringLiteral("key ")] = 3;
    EXPECT_EQ(map.count(), 3);
    EXPECT_TRUE(map.contains(QStringLiteral("Key")));
    EXPECT_FALSE(map.contains(QStringLiteral("KEY")));
    ASSERT_NE(map.find(QStringLiteral("key")), nullptr);
    EXPECT_EQ(*map.find(QStringLiteral("key")), 2);
    EXPECT_EQ(map.find(QStringLiteral("KEY")), nullptr);
}

TEST(KeyedMap, ItemsStayReachableAfterGrowthAndClear) {
    KeyedMap<QString> map;
    for (int i = 0; i < 1000; ++i)
        map[QString::number(i)] = QString::number(i * 2);
    EXPECT_EQ(*map.find(QStringLiteral("999")), QStringLiteral("1998"));
    EXPECT_EQ(map.items()[500].first, QStringLiteral("500"));
    map.clear();
    EXPECT_EQ(map.count(), 0);
    EXPECT_FALSE(map.contains(QStringLiteral("1")));
    map[QStringLiteral("x")] = QStringLiteral("y");
    EXPECT_EQ(map.items().front().first, QStringLiteral("x"));
}

}  // namespace
}  // namespace tallimo
