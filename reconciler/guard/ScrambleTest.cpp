#include "Scramble.h"

#include <gtest/gtest.h>

namespace tallimo::reconciler {
namespace {

// Stored forms as the original add-in reads them: each byte of every code unit XOR-ed with the
// key's 19 characters in turn.
TEST(ScrambleText, GivesTheStoredFormOfTheGuardEntries) {
    struct Case {
        QString text;
        std::u16string scrambled;
    };
    const Case cases[] = {
        {QString(), u""},
        {QStringLiteral("|N|42|"), u"\x5b27\x5b15\x5b27\x5b6f\x5b69\x5b27"},
        {QStringLiteral("C:/账/a.xlsx"),
         u"\x5b18\x5b61\x5b74\xd67d\x5b74\x5b3a\x5b75\x5b23\x5b37\x5b28\x5b23"},
    };
    for (const Case& c : cases) {
        const QString scrambled = scrambleText(c.text, ScrambleMode::Scramble);
        EXPECT_EQ(scrambled, QString::fromStdU16String(c.scrambled)) << c.text.toStdString();
        EXPECT_EQ(scrambleText(scrambled, ScrambleMode::Unscramble), c.text);
    }
}

TEST(ScrambleText, RestoresAnyCodeUnits) {
    // NUL, a lone surrogate and the units whose bytes equal the mask all come back.
    const QString text = QStringView(u"\0\xD801\x5b5b\xFFFFk", 5).toString();
    const QString scrambled = scrambleText(text, ScrambleMode::Scramble);
    EXPECT_EQ(scrambled.size(), text.size());
    EXPECT_EQ(scrambleText(scrambled, ScrambleMode::Unscramble), text);
}

}  // namespace
}  // namespace tallimo::reconciler
