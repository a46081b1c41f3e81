#include "MessageBoxes.h"
#include "StandardTexts.h"
#include "StoreFailure.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tallimo::ui {
namespace {

class UiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tallimo_ui_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }
};

// The standard buttons speak Chinese whatever the locale, as the rest of the programs do.
TEST_F(UiTest, StandardButtonsAreChineseInAnyLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(loadChineseStandardTexts());
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tallimo"), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(u'&'), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("取消"));
}

// A store write that fails stops the step and shows an error naming what failed.
TEST_F(UiTest, StoreFailureStopsTheStepAndIsShown) {
    RecordingMessageBoxes messages;
    bool after = false;
    EXPECT_FALSE(reportStoreFailure(messages, [&] {
        throw SettingsError("cannot write /home/kuaiji/.config/RivaDare4Ruzar/Set.ini: denied");
        after = true;
    }));
    EXPECT_FALSE(after);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].text.contains(
        QStringLiteral("/home/kuaiji/.config/RivaDare4Ruzar/Set.ini: denied")));
    EXPECT_TRUE(reportStoreFailure(messages, [] {}));
    EXPECT_EQ(messages.shown.size(), 1);
}

}  // namespace
}  // namespace tallimo::ui
