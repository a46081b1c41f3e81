#include "Entries.h"
#include "FrmMain.h"
#include "GuardedColumns.h"
#include "Scramble.h"
#include "Settings.h"
#include "StoreFixture.h"
#include "Twips.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryFile>

namespace tallimo::reconciler {
namespace {

// The scrambling as first described: the text's bytes (low byte first), XORed with each key
// character in turn; unscrambling takes the key backwards.
QString scrambleBytewise(const QString& text, ScrambleMode mode) {
    QString key = QStringLiteral("wk!*&(#&(#&5.[{;~)=");
    if (mode == ScrambleMode::Unscramble) std::reverse(key.begin(), key.end());
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    for (const QChar k : key)
        for (char& b : bytes)
            b = char(uchar(b) ^ k.unicode());
    QString result;
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        result += QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
    return result;
}

TEST(ScrambleText, MatchesTheByteRuleAndRestoresAnyCodeUnits) {
    const QString texts[] = {
        QString(),
        QStringLiteral("A"),
        QStringLiteral("/home/会计/账本 2024.xlsx"),
        QStringLiteral("|12|N|N|99|"),
        QString(QChar(0)) + QChar(char16_t(0xD800)) + QChar(char16_t(0xFFFF)),
        QString(QChar(char16_t(0x5B5B))) + QChar(char16_t(0xDC00)) + u'x',
    };
    for (const QString& text : texts) {
        const QString scrambled = scrambleText(text, ScrambleMode::Scramble);
        EXPECT_EQ(scrambled, scrambleBytewise(text, ScrambleMode::Scramble)) << text.toStdString();
        EXPECT_EQ(scrambled.size(), text.size());
        EXPECT_EQ(scrambleText(scrambled, ScrambleMode::Unscramble), text);
        EXPECT_EQ(scrambleText(text, ScrambleMode::Unscramble),
                  scrambleBytewise(text, ScrambleMode::Unscramble));
        if (!text.isEmpty()) {
            EXPECT_NE(scrambled, text);
        }
    }
}

QStringList partsOf(const QBitArray& ticked) {
    return columnListText(ticked).split(u'|');
}

TEST(ColumnList, HoldsATwoDigitNumberForEachTickedColumnAndNForTheOthers) {
    QBitArray ticked(guardedColumnCount);
    ticked.setBit(0);
    ticked.setBit(2);
    ticked.setBit(guardedColumnCount - 1);
    const QStringList parts = partsOf(ticked);
    ASSERT_EQ(parts.size(), guardedColumnCount + 2) << "a leading and a closing \"|\"";
    EXPECT_EQ(parts.front(), QString());
    EXPECT_EQ(parts.back(), QString());
    for (int column = 1; column <= guardedColumnCount; ++column) {
        const QString& part = parts[column];
        if (ticked.testBit(column - 1)) {
            bool ok = false;
            const int number = part.toInt(&ok);
            EXPECT_TRUE(ok && part.size() == 2 && number >= 10 && number <= 99)
                << part.toStdString();
        } else {
            EXPECT_EQ(part, QStringLiteral("N")) << "column " << column;
        }
    }
    EXPECT_EQ(ticksFromColumnList(columnListText(ticked)), ticked);
}

TEST(ColumnList, ReadsTicksFromWhatIsStored) {
    struct Case {
        const char* stored;
        QList<int> tickedColumns;  // empty with allTicked
        bool allTicked;
    };
    const Case cases[] = {
        {"", {}, true},
        {"no separator at all", {}, true},
        {"|12|N|34|", {1, 3}, false},
        {"|N|7|x|", {2}, false},
        {"|", {}, false},
        {"|N|N|N|N|N|55", {6}, false},
    };
    for (const Case& c : cases) {
        const QBitArray ticks = ticksFromColumnList(QString::fromUtf8(c.stored));
        ASSERT_EQ(ticks.size(), guardedColumnCount);
        for (int column = 1; column <= guardedColumnCount; ++column)
            EXPECT_EQ(ticks.testBit(column - 1), c.allTicked || c.tickedColumns.contains(column))
                << c.stored << " column " << column;
    }
}

class GuardDialogTest : public test::TemporaryStore {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tallimo_guard_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }

    static QList<int> tickedColumns(FrmMain& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("List1"));
        QList<int> ticked;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked) ticked.append(i + 1);
        return ticked;
    }
    static QList<int> allColumns() {
        QList<int> all;
        for (int column = 1; column <= guardedColumnCount; ++column)
            all.append(column);
        return all;
    }
    static void click(FrmMain& dialog, const char* button) {
        dialog.findChild<QPushButton*>(QLatin1String(button))->click();
    }
    static void tickOnly(FrmMain& dialog, const QList<int>& columns) {
        click(dialog, "Command5");
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("List1"));
        for (int column : columns)
            list->item(column - 1)->setCheckState(Qt::Checked);
    }

    const QString bookPath = QStringLiteral("/home/会计/账本.xlsx");
    ui::RecordingMessageBoxes messages;
};

TEST_F(GuardDialogTest, ANewWorkbookShowsEveryColumnTickedWithTheFirstSelected) {
    FrmMain dialog(bookPath, messages);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("List1"));
    ASSERT_EQ(list->count(), guardedColumnCount);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("A列"));
    EXPECT_EQ(list->item(26)->text(), QStringLiteral("AA列"));
    EXPECT_EQ(list->item(255)->text(), QStringLiteral("IV列"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(tickedColumns(dialog), allColumns());
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblWJ"))->text(), bookPath);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(dialog.size(), platform::TwipScale::of(dialog.screen()).toPixels(QSize(6045, 3900)));
}

TEST_F(GuardDialogTest, SavedTicksComeBackForTheSamePathOnly) {
    {
        FrmMain dialog(bookPath, messages);
        tickOnly(dialog, {1, 3});
        click(dialog, "Command1");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(entries::excel::inputNOmore().get(), QStringLiteral("1"));
    const QString stored =
        entries::guardedColumns::workbook(scrambleText(bookPath, ScrambleMode::Scramble)).get();
    const QStringList parts = scrambleText(stored, ScrambleMode::Unscramble).split(u'|');
    ASSERT_EQ(parts.size(), guardedColumnCount + 2);
    EXPECT_EQ(parts[2], QStringLiteral("N"));
    EXPECT_EQ(parts[1].size(), 2);
    EXPECT_EQ(parts[3].size(), 2);

    FrmMain again(bookPath, messages);
    EXPECT_EQ(tickedColumns(again), (QList<int>{1, 3}));
    FrmMain moved(QStringLiteral("/home/会计/归档/账本.xlsx"), messages);
    EXPECT_EQ(tickedColumns(moved), allColumns());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(GuardDialogTest, BulkButtonsTickInvertAndUntick) {
    FrmMain dialog(bookPath, messages);
    tickOnly(dialog, {2, 256});
    click(dialog, "Command4");
    QList<int> inverted = allColumns();
    inverted.removeOne(2);
    inverted.removeOne(256);
    EXPECT_EQ(tickedColumns(dialog), inverted);
    click(dialog, "Command5");
    EXPECT_EQ(tickedColumns(dialog), QList<int>());
    click(dialog, "Command3");
    EXPECT_EQ(tickedColumns(dialog), allColumns());
}

TEST_F(GuardDialogTest, LeavingWithoutSettingStoresNothing) {
    FrmMain dialog(bookPath, messages);
    tickOnly(dialog, {4});
    click(dialog, "Command2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(settingsFind(entries::guardedColumns::section(),
                              scrambleText(bookPath, ScrambleMode::Scramble)));
    EXPECT_FALSE(settingsFind(entries::excel::section(), entries::excel::inputNOmore().key));
}

TEST_F(GuardDialogTest, AShortStoredListTicksWhatItNamesAndLeavesTheRestUnticked) {
    entries::guardedColumns::workbook(scrambleText(bookPath, ScrambleMode::Scramble))
        .save(scrambleText(QStringLiteral("|N|40|N|12"), ScrambleMode::Scramble));
    FrmMain dialog(bookPath, messages);
    EXPECT_EQ(tickedColumns(dialog), (QList<int>{2, 4}));
}

TEST_F(GuardDialogTest, ASaveThatFailsIsReportedAndTheDialogStays) {
    QTemporaryFile notAFolder;
    ASSERT_TRUE(notAFolder.open());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(notAFolder.fileName()));
    FrmMain dialog(bookPath, messages);
    dialog.show();
    click(dialog, "Command1");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("设定未能保存")));
    EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
}  // namespace tallimo::reconciler
