#include "SelectionText.h"

#include <gtest/gtest.h>
#include <QSet>

namespace tallimo {
namespace {

QStringList texts(const QList<QStringView>& views) {
    QStringList out;
    for (QStringView v : views)
        out << v.toString();
    return out;
}

TEST(SplitSelectionLines, CutsAtEveryCrLfKeepingTheLastPiece) {
    const std::pair<QString, QStringList> cases[] = {
        {"a\tb\r\nc\td\r\n", {"a\tb", "c\td", ""}},
        {"a\r\nb", {"a", "b"}},
        {"", {""}},
        {"\r\n\r\n", {"", "", ""}},
        // A lone LF or CR is cell text, not a line end.
        {"a\nb\rc\r\n", {"a\nb\rc", ""}},
        {"\n\r\n", {"\n", ""}},
        {"a\r\r\nb\n", {"a\r", "b\n"}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(texts(splitSelectionLines(text)), lines);
}

TEST(SplitSelectionCells, CutsAtEveryTab) {
    EXPECT_EQ(texts(splitSelectionCells(u"a\t\tb")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(texts(splitSelectionCells(u"\t")), (QStringList{"", ""}));
    EXPECT_EQ(texts(splitSelectionCells(u"one")), (QStringList{"one"}));
}

TEST(SumLabel, AddsAndDropsTheSuffix) {
    EXPECT_EQ(sumLabel(QStringLiteral("F")), QStringLiteral("F列"));
    EXPECT_EQ(sumLabelLetters(QStringLiteral("XFD列")), QStringLiteral("XFD"));
    EXPECT_EQ(sumLabelLetters(sumLabel(QStringLiteral("AB"))), QStringLiteral("AB"));
    // A text that is not a label has no letters rather than losing its last character.
    EXPECT_EQ(sumLabelLetters(QStringLiteral("F")), QString());
    EXPECT_EQ(sumLabelLetters(QString()), QString());
}

TEST(RandomNumberText, StaysWithinBoundsWithTheGivenDecimals) {
    QSet<QString> seen;
    for (int i = 0; i < 2000; ++i) {
        const QString whole = randomNumberText(1, 999999, 0);
        ASSERT_FALSE(whole.contains(u'.')) << whole.toStdString();
        const int value = whole.toInt();
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 999999);
        seen.insert(whole);

        const QString fraction = randomNumberText(10, 20, 2);
        ASSERT_EQ(fraction.size() - fraction.indexOf(u'.'), 3) << fraction.toStdString();
        ASSERT_GE(fraction.toDouble(), 10.0);
        ASSERT_LE(fraction.toDouble(), 20.0);
    }
    // Calls in quick succession must not repeat one another (busy tokens and file names).
    EXPECT_GT(seen.size(), 1900);
}

}  // namespace
}  // namespace tallimo
