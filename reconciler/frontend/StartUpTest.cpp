#include "FrontendTestSupport.h"

#include "Entries.h"
#include "Ini.h"
#include "Settings.h"

#include <QCheckBox>
#include <QLabel>

namespace tallimo::reconciler::test {
namespace {

TEST(CommandLineTest, GuardWorkbookPathFromTheCommandLine) {
    const struct {
        QString commandLine;
        std::optional<QString> path;
    } cases[] = {
        {QStringLiteral("\"-s|C:\\Books\\a.xlsx\""), QStringLiteral("C:\\Books\\a.xlsx")},
        {QStringLiteral("  \"-s|/home/u/账本 1.xlsx\"  "), QStringLiteral("/home/u/账本 1.xlsx")},
        {QStringLiteral("x-s|abcy"), QStringLiteral("abc")},
        {QStringLiteral("\"/books/b.xlsx\""), QStringLiteral("/books/b.xlsx")},
        {QStringLiteral("0"), std::nullopt},
        {QStringLiteral(""), std::nullopt},
        {QStringLiteral("   "), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guardWorkbookPath(c.commandLine), c.path) << c.commandLine.toStdString();
}

TEST(CommandLineTest, TitleNamesMinorVersionAndRevision) {
    EXPECT_EQ(panelTitle(QStringLiteral("1.1.0.1")), QStringLiteral("Tallimo(Y1.1版)"));
    EXPECT_EQ(panelTitle(QStringLiteral("2.3.4.5")), QStringLiteral("Tallimo(Y3.5版)"));
    EXPECT_EQ(panelTitle(QStringLiteral("0.1")), QStringLiteral("Tallimo(Y1.0版)"));
}

using StartUpTest = PanelFixture;

TEST_F(StartUpTest, SecondCopyIsRefused) {
    instances.running.insert(QStringLiteral("reconciler"));
    EXPECT_FALSE(startUp());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("软件已在运行中，必须先完成上一个任务再继续。"));
    EXPECT_EQ(messages.shown[0].title, ui::applicationTitle());
    EXPECT_TRUE(entries::excel::workingSoftHwnd().get().isEmpty());
}

TEST_F(StartUpTest, NormalStartRecordsThePanelAndLoadsTheOptions) {
    ASSERT_TRUE(startUp(QStringLiteral("0")));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Tallimo20160511$132523"));
    EXPECT_EQ(panel->lblTop()->text(), QStringLiteral("Tallimo(Y1.1版)"));
    EXPECT_EQ(entries::excel::workingSoftHwnd().get(),
              platform::handleText(platform::handleOf(panel)));
    EXPECT_TRUE(panel->Timer1()->isActive());
    EXPECT_TRUE(panel->PicCF()->isVisibleTo(panel));
    EXPECT_EQ(firstStartMaintenances, 0);
    // An empty options store: first-row choice ticked and written, the rest at their defaults.
    EXPECT_TRUE(f().options().m1stRow()->isChecked());
    EXPECT_EQ(entries::hiSet::firstRowSelCol().get(), QStringLiteral("1"));
    EXPECT_FALSE(f().options().mignorelastrow()->isChecked());
    EXPECT_TRUE(f().options().mKX1()->isChecked());
    EXPECT_TRUE(f().options().mKX2()->isChecked());
    EXPECT_TRUE(f().options().mNearMiss()->isChecked());
    EXPECT_TRUE(f().options().mBalanceStatement()->isChecked());
    EXPECT_FALSE(panel->Check2()->isChecked());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(StartUpTest, ResultSubmenuHoldsTheTableLinesThenTheSuggestionsAndTheStatement) {
    const auto* mResult = f().options().menu()->findChild<QMenu*>(QStringLiteral("mResult"));
    ASSERT_NE(mResult, nullptr);
    QStringList items;
    for (const QAction* item : mResult->actions()) {
        items << item->objectName() + QStringLiteral("=") + item->text();
        EXPECT_TRUE(item->isCheckable()) << item->objectName().toStdString();
    }
    EXPECT_EQ(items, (QStringList{QStringLiteral("mKX1=报告加表格线"),
                                  QStringLiteral("mKX2=数据源加表格线"),
                                  QStringLiteral("mNearMiss=疑似匹配建议"),
                                  QStringLiteral("mBalanceStatement=生成余额调节表")}));
}

TEST_F(StartUpTest, StoredOptionsSetTheMarks) {
    entries::hiSet::firstRowSelCol().save(QStringLiteral("0"));
    entries::hiSet::lastRowSelCol().save(QStringLiteral("1"));
    entries::hiSet::reportColor().save(QStringLiteral("1"));
    entries::hiSet::reportKX1().save(QStringLiteral("1"));
    entries::hiSet::reportKX2().save(QStringLiteral("0"));
    entries::hiSet::nearMiss().save(QStringLiteral("0"));
    entries::hiSet::balanceStatement().save(QStringLiteral("0"));
    ASSERT_TRUE(startUp());
    EXPECT_FALSE(f().options().m1stRow()->isChecked());
    EXPECT_EQ(entries::hiSet::firstRowSelCol().get(), QStringLiteral("0"));
    EXPECT_TRUE(f().options().mignorelastrow()->isChecked());
    EXPECT_TRUE(panel->Check2()->isChecked());
    EXPECT_FALSE(f().options().mKX1()->isChecked());
    EXPECT_TRUE(f().options().mKX2()->isChecked());
    EXPECT_FALSE(f().options().mNearMiss()->isChecked());
    EXPECT_FALSE(f().options().mBalanceStatement()->isChecked());
}

TEST_F(StartUpTest, OptionClicksStoreWhatTheNextStartReads) {
    ASSERT_TRUE(startUp());
    const struct {
        QAction* item;
        entries::Setting setting;
        QString afterFirstClick;
    } cases[] = {
        {f().options().m1stRow(), entries::hiSet::firstRowSelCol(), QStringLiteral("0")},
        {f().options().mignorelastrow(), entries::hiSet::lastRowSelCol(), QStringLiteral("1")},
        // The grid-line choices are stored as "no lines": "1" once unticked.
        {f().options().mKX1(), entries::hiSet::reportKX1(), QStringLiteral("1")},
        {f().options().mKX2(), entries::hiSet::reportKX2(), QStringLiteral("1")},
        {f().options().mNearMiss(), entries::hiSet::nearMiss(), QStringLiteral("0")},
        {f().options().mBalanceStatement(), entries::hiSet::balanceStatement(),
         QStringLiteral("0")},
    };
    for (const auto& c : cases) {
        const bool before = c.item->isChecked();
        c.item->trigger();
        EXPECT_NE(c.item->isChecked(), before) << c.item->objectName().toStdString();
        EXPECT_EQ(c.setting.get(), c.afterFirstClick) << c.item->objectName().toStdString();
        c.item->trigger();
        EXPECT_EQ(c.item->isChecked(), before);
    }
    ReconcileSession reloaded;
    FrmZC reloadedMenu(reloaded);
    reloaded.loadTableLines();
    EXPECT_TRUE(reloadedMenu.mKX1()->isChecked());
    f().options().mNearMiss()->trigger();
    reloaded.loadNearMissSuggestions();
    EXPECT_FALSE(reloadedMenu.mNearMiss()->isChecked());
    f().options().mBalanceStatement()->trigger();
    // The key as the docs name it, for whoever edits the store by hand.
    EXPECT_EQ(settingsFind(QStringLiteral("HiSet"), QStringLiteral("BalanceStatement")),
              QStringLiteral("0"));
    reloaded.loadBalanceStatement();
    EXPECT_FALSE(reloadedMenu.mBalanceStatement()->isChecked());

    panel->Check2()->click();
    EXPECT_EQ(entries::hiSet::reportColor().get(), QStringLiteral("1"));
    emit panel->lblChk()->clicked();
    EXPECT_FALSE(panel->Check2()->isChecked());
    EXPECT_EQ(entries::hiSet::reportColor().get(), QStringLiteral("0"));
}

TEST_F(StartUpTest, FirstStartRunsTheMaintenance) {
    entries::excel::chAddin().remove();
    ASSERT_TRUE(startUp());
    EXPECT_EQ(firstStartMaintenances, 1);

    program.reset();
    SetUp();
    entries::excel::chAddin().remove();
    firstStartMaintenanceGoesOn = false;
    EXPECT_FALSE(startUp());
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(StartUpTest, CommandLineRunsTheGuardSetupAndEnds) {
    EXPECT_FALSE(startUp(QStringLiteral("\"-s|/books/账本.xlsx\"")));
    EXPECT_EQ(guardSetups, QStringList{QStringLiteral("/books/账本.xlsx")});
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(StartUpTest, AddInRequestWhileAnotherPanelIsRecorded) {
    const struct {
        bool recordedWindowExists;
        bool startsUp;
    } cases[] = {{true, false}, {false, true}};
    for (const auto& c : cases) {
        program.reset();
        SetUp();
        windows.windows = {{900, QStringLiteral("Book1 - 表格"), QStringLiteral("calc"), 0, {}}};
        if (c.recordedWindowExists)
            windows.windows.append(
                {77, aFrm::windowCaption(), QStringLiteral("reconciler"), 0, {}});
        entries::excel::workingSoftHwnd().save(QStringLiteral("77"));
        entries::excel::diaoYongButton().save(QStringLiteral("900"));

        EXPECT_EQ(startUp(), c.startsUp);
        EXPECT_TRUE(entries::excel::diaoYongButton().get().isEmpty());
        EXPECT_TRUE(messages.shown.isEmpty());
        if (c.startsUp) {
            // The stale record is replaced, and the area-1 selection is open beside the panel.
            EXPECT_EQ(entries::excel::workingSoftHwnd().get(),
                      platform::handleText(platform::handleOf(panel)));
            EXPECT_TRUE(range().isVisible());
            EXPECT_TRUE(panel->isVisible());
            EXPECT_EQ(session().currentAreaNumber(), QStringLiteral("1"));
            EXPECT_EQ(windows.broughtToFront, QList<platform::WindowHandle>{900});
        } else {
            EXPECT_EQ(entries::excel::workingSoftHwnd().get(), QStringLiteral("77"));
            EXPECT_FALSE(panel->isVisible());
        }
    }
}

TEST_F(StartUpTest, AddInRequestForTheDuplicateFinder) {
    for (const bool finderStarts : {true, false}) {
        program.reset();
        SetUp();
        processes.starts.clear();
        processes.succeeds = finderStarts;
        entries::excel::diaoYongButtonCF().save(QStringLiteral("CF"));

        EXPECT_EQ(startUp(), !finderStarts);
        EXPECT_TRUE(entries::excel::diaoYongButtonCF().get().isEmpty());
        ASSERT_EQ(processes.starts.size(), 1);
        EXPECT_EQ(processes.starts[0].program, QStringLiteral("/opt/tallimo/Data/dupfinder"));
        if (finderStarts) {
            EXPECT_EQ(entries::ini::callCFFromDZ().read(), QStringLiteral("1"));
            EXPECT_EQ(ends, 1);
            EXPECT_TRUE(messages.shown.isEmpty());
        } else {
            // Nothing would start the panel again: it stays, and says why.
            EXPECT_TRUE(entries::ini::callCFFromDZ().read().isEmpty());
            EXPECT_EQ(ends, 0);
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Error);
            EXPECT_TRUE(messages.shown[0].text.contains(u"dupfinder"));
            EXPECT_TRUE(panel->isVisible());
        }
        entries::ini::callCFFromDZ().remove();
    }
}

TEST_F(StartUpTest, ClosingThePanelRemovesTheRecordAndEnds) {
    ASSERT_TRUE(startUp());
    panel->exitProgram();
    EXPECT_TRUE(entries::excel::workingSoftHwnd().get().isEmpty());
    EXPECT_EQ(ends, 1);
}

TEST_F(StartUpTest, ExitIsRefusedWhileARunIsUnderWay) {
    ASSERT_TRUE(startUp());
    panel->Command1()->hide();
    panel->exitProgram();
    EXPECT_FALSE(entries::excel::workingSoftHwnd().get().isEmpty());
    EXPECT_EQ(ends, 0);
}

TEST_F(StartUpTest, MouseOverTheButtonsStopsTheTopmostTimer) {
    ASSERT_TRUE(startUp());
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(panel->PicD(), &move);
    EXPECT_FALSE(panel->Timer1()->isActive());
    QApplication::sendEvent(panel, &move);
    EXPECT_TRUE(panel->Timer1()->isActive());
}

TEST_F(StartUpTest, SelectionInfoBeforeAnySelection) {
    ASSERT_TRUE(startUp());
    panel->showSelectionInfo();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Information);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("选区信息1：\r\n未选择\r\n\r\n选区信息2：\r\n未选择"));
}

}  // namespace
}  // namespace tallimo::reconciler::test
