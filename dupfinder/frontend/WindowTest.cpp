#include "ColorBoxes.h"
#include "Entries.h"
#include "FrmCF.h"
#include "FrmSet.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace tallimo::dupfinder {
namespace {

using ui::MessageIcon;

const QString kReselect = QStringLiteral("未读取到数据源，请重新在EXCEL中拖拉出连续的选区！");

// Windows on the offscreen platform with recording doubles, settings and folders of their own.
class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tallimo_dupfinder_window_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }

    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        qputenv("XDG_CONFIG_HOME", root.filePath(u"config"_qs).toLocal8Bit());
        QDir(root.path()).mkpath(u"tmp"_qs);
        QDir(root.path()).mkpath(u"docs"_qs);
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    // The add-in's answer to a selection: the address and the cells' texts.
    void select(const QString& address, const QStringList& rows) {
        entries::rangeSel::rngCF().save(address);
        clipboard.value = rows.join(u"\r\n"_qs) + u"\r\n"_qs;
    }
    QString ini(const entries::IniEntry& entry) const { return entry.read(services.iniFile); }
    QStringList reports() const {
        return QDir(root.filePath(u"docs/Varnoq Seek Dup"_qs)).entryList(QDir::Files);
    }
    std::vector<bool> boxTicks(const FrmSet& w) const {
        std::vector<bool> ticks;
        for (QCheckBox* box : w.ChkSe)
            ticks.push_back(box->isChecked());
        return ticks;
    }
    QStringList listEntries(const FrmSet& w) const {
        QStringList entries;
        for (int i = 0; i < w.List1->count(); ++i)
            entries << w.List1->item(i)->text() +
                           (w.List1->item(i)->checkState() == Qt::Checked ? u"+"_qs : u""_qs);
        return entries;
    }
    // The options window as Confirm opens it.
    FrmSet& confirmed(FrmCF& cf) {
        cf.start();
        cf.confirm();
        EXPECT_NE(cf.options(), nullptr);
        return *cf.options();
    }

    QTemporaryDir root;
    ui::RecordingMessageBoxes messages;
    ui::FakeClipboardText clipboard;
    platform::RecordingProcessStarter starter;
    DupServices services{messages,
                         clipboard,
                         starter,
                         root.filePath(u"Set.ini"_qs),
                         root.filePath(u"docs"_qs),
                         root.filePath(u"tmp"_qs),
                         root.filePath(u"Data"_qs),
                         false};
    DupSession session;
};

TEST_F(WindowTest, ConfirmRefusesAMissingAreaAndAOneRowArea) {
    FrmCF cf(session, services);
    cf.start();
    cf.confirm();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].text, kReselect);

    select(u"$B$3:$C$3"_qs, {"a\tb"});
    cf.confirm();
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].title, u"至少两行");
    EXPECT_TRUE(cf.isVisible());
    EXPECT_EQ(cf.options(), nullptr);
}

TEST_F(WindowTest, FirstStartShowsColourMarkingOffAndTheLastColumnTicked) {
    select(u"$B$3:$F$20"_qs, {"1\t2\t3\t4\t5", "1\t2\t3\t4\t5"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    EXPECT_FALSE(cf.isVisible());
    EXPECT_TRUE(set.isVisible());
    EXPECT_EQ(listEntries(set), (QStringList{"B列", "C列", "D列", "E列", "F列+"}));
    EXPECT_FALSE(set.ChkKongGe->isChecked());
    EXPECT_FALSE(set.ChkColor->isChecked());
    for (QCheckBox* box : set.ChkSe) {
        EXPECT_FALSE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
    }
    EXPECT_EQ(set.ChkSe[11]->text(), u"S12");
    // Nothing was saved while loading; the first appearance built the working workbook.
    EXPECT_TRUE(ini(entries::ini::selColor(0)).isEmpty());
    EXPECT_TRUE(set.isBuilt());
    EXPECT_TRUE(QFile::exists(set.workingBookPath()));
    EXPECT_EQ(set.height(), platform::TwipScale::of().toPixelsY(FrmSet::expandedTwips));
}

// A choice that cannot be saved (the user's configuration folder cannot be made) is shown as an
// error naming the file, never lost without a word.
TEST_F(WindowTest, AChoiceThatCannotBeSavedIsShownNamingTheFile) {
    ASSERT_TRUE(QFile(root.filePath(u"blocker"_qs)).open(QIODevice::WriteOnly));
    services.iniFile = root.filePath(u"blocker/RivaDare4Ruzar/Set.ini"_qs);
    select(u"$D$2:$D$9"_qs, {"x", "y"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    ASSERT_TRUE(messages.shown.isEmpty());
    set.ChkKongGe->setChecked(true);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].text.contains(services.iniFile))
        << messages.shown[0].text.toStdString();
}

TEST_F(WindowTest, ColourBoxesFollowTheSavedChoiceAndSaveEachChange) {
    for (int i = 0; i < 12; ++i)
        entries::ini::selColor(i).write(i == 2 || i == 7 ? u"1"_qs : u"0"_qs, services.iniFile);
    select(u"$D$2:$D$9"_qs, {"x", "y"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    EXPECT_EQ(listEntries(set), QStringList{"D列+"});
    EXPECT_TRUE(set.ChkColor->isChecked());
    std::vector<bool> expected(12, false);
    expected[2] = expected[7] = true;
    EXPECT_EQ(boxTicks(set), expected);

    // Unticking the last ticked box unticks colour marking and greys every box.
    set.ChkSe[2]->setChecked(false);
    EXPECT_EQ(ini(entries::ini::selColor(2)), u"0");
    set.ChkSe[7]->setChecked(false);
    EXPECT_FALSE(set.ChkColor->isChecked());
    EXPECT_FALSE(set.ChkSe[0]->isEnabled());
    EXPECT_TRUE(set.ChkSe[0]->styleSheet().contains(u"#b4b4b4"));

    // Ticking it again ticks and saves all twelve; the earlier choice is not restored.
    set.lbl4ChkColor->onClick();
    EXPECT_EQ(boxTicks(set), std::vector<bool>(12, true));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(ini(entries::ini::selColor(i)), u"1") << i;

    set.lbl4ChkKongGe->onClick();
    EXPECT_TRUE(set.ChkKongGe->isChecked());
    EXPECT_EQ(ini(entries::ini::ignorBlank()), u"1");
}

TEST_F(WindowTest, RunWithDuplicatesWritesTheReportAndExpandsAgain) {
    entries::ini::selColor(2).write(u"1"_qs, services.iniFile);
    select(u"$B$3:$C$7"_qs, {"a\t1", "b\t2", "a\t1", "c\t3", "a\t1"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    set.List1->item(0)->setCheckState(Qt::Checked);
    set.run();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(set.isCollapsed());
    EXPECT_EQ(set.lblJD->text(), u"查重报告完成。");
    const QStringList files = reports();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith(u"Varnoq去重_"));

    host::Application app(host::makeMemoryHost());
    host::Workbook book =
        app.workbooks().open(root.filePath(u"docs/Varnoq Seek Dup/"_qs) + files[0]);
    const host::Worksheet report = book.sheets()[u"报告"_qs];
    EXPECT_EQ(report.range(u"D4"_qs).text(), u"3_5_7");
    EXPECT_EQ(report.range(u"A4"_qs).interior().color(), colorBoxes()[2].background);
    EXPECT_EQ(book.sheets()[u"数据"_qs].range(u"C7"_qs).comment().text(), u"重复组1");

    // Closing the options window removes the working workbook.
    const QString working = set.workingBookPath();
    EXPECT_TRUE(QFile::exists(working));
    set.lblClose->onClick();
    EXPECT_FALSE(QFile::exists(working));
}

TEST_F(WindowTest, AReportThatCannotBeWrittenIsReportedAndTheWindowExpanded) {
    // A file stands where the report folder should be.
    QFile blocker(root.filePath(u"docs/Varnoq Seek Dup"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    select(u"$A$1:$A$3"_qs, {"x", "y", "x"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    set.run();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].text.contains(u"Varnoq去重_"));
    EXPECT_FALSE(set.isCollapsed());
}

TEST_F(WindowTest, RunWithoutDuplicatesStaysCollapsedUntilAcknowledged) {
    select(u"$B$3:$C$5"_qs, {"a\t1", "b\t1", "c\t1"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    set.run();
    // Only column C is ticked at first: all three rows repeat the 1.
    EXPECT_EQ(reports().size(), 1);

    set.List1->item(0)->setCheckState(Qt::Checked);
    set.run();
    EXPECT_TRUE(set.isCollapsed());
    EXPECT_EQ(set.lblJD->text(), u"无重复！");
    EXPECT_EQ(set.lblJD->toolTip(), u"您选择的区域【B3:C5】中无符合条件的重复数据！");
    EXPECT_TRUE(set.CmdKnow->isVisible());
    set.CmdKnow->click();
    EXPECT_FALSE(set.isCollapsed());
    EXPECT_TRUE(set.lblJD->toolTip().isEmpty());
}

TEST_F(WindowTest, RunRefusesNoTickedColumnAndNoticesAChangedArea) {
    select(u"$B$3:$C$5"_qs, {"a\t1", "b\t1", "a\t1"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    set.List1->item(1)->setCheckState(Qt::Unchecked);
    set.run();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, u"至少要勾选一个查重的列");

    // Other columns: the list is refilled and the user asked to tick again.
    set.List1->item(1)->setCheckState(Qt::Checked);
    const QString firstWorking = set.workingBookPath();
    select(u"$D$3:$F$4"_qs, {"x\ty\tz", "x\ty\tz"});
    set.run();
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].text,
              u"您的选区已由【B3:C5】变更为【D3:F4】\r\n请重新勾选“重复的条件”的列！");
    EXPECT_EQ(listEntries(set), (QStringList{"D列", "E列", "F列+"}));
    EXPECT_EQ(session.loadedAddress, u"$D$3:$F$4");
    EXPECT_FALSE(set.isCollapsed());
    EXPECT_FALSE(QFile::exists(firstWorking));
    EXPECT_TRUE(QFile::exists(set.workingBookPath()));

    // The same columns over other rows run at once on the new block.
    select(u"$D$5:$F$7"_qs, {"1\t2\t3", "1\t2\t4", "1\t2\t5"});
    set.run();
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(set.lblJD->text(), u"无重复！");

    // An unreadable new area stops the run with the reader's message, expanded again.
    select(u"$D$9:$F$9"_qs, {"1\t2\t3"});
    set.run();
    ASSERT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(messages.shown[2].title, u"至少两行");
    EXPECT_FALSE(set.isCollapsed());
    EXPECT_EQ(session.loadedAddress, u"$D$5:$F$7");
}

TEST_F(WindowTest, CloseHandsBackOnlyWhenTheMainProgramHandedOver) {
    entries::ini::callCFFromDZ().write(u"1"_qs, services.iniFile);
    {
        FrmCF cf(session, services);
        cf.start();
        cf.PicX->onClick();
    }
    ASSERT_EQ(starter.starts.size(), 1);
    EXPECT_EQ(starter.starts[0].program, root.filePath(u"Data/reconciler"_qs));
    EXPECT_TRUE(starter.starts[0].arguments.isEmpty());
    EXPECT_TRUE(ini(entries::ini::callCFFromDZ()).isEmpty());
    {
        FrmCF cf(session, services);
        cf.start();
        cf.PicX->onClick();
    }
    EXPECT_EQ(starter.starts.size(), 1);

    // Ending from the options window never hands back.
    entries::ini::callCFFromDZ().write(u"1"_qs, services.iniFile);
    select(u"$A$1:$A$2"_qs, {"x", "y"});
    FrmCF cf(session, services);
    confirmed(cf).lblClose->onClick();
    QCoreApplication::processEvents();
    EXPECT_EQ(cf.options(), nullptr);
    EXPECT_EQ(starter.starts.size(), 1);
}

TEST_F(WindowTest, ReturnUnloadsTheOptionsAndShowsTheSelectionAgain) {
    select(u"$A$1:$A$2"_qs, {"x", "y"});
    FrmCF cf(session, services);
    FrmSet& set = confirmed(cf);
    const QString working = set.workingBookPath();
    set.PicReturn->onClick();
    QCoreApplication::processEvents();
    EXPECT_EQ(cf.options(), nullptr);
    EXPECT_TRUE(cf.isVisible());
    EXPECT_FALSE(QFile::exists(working));
    EXPECT_TRUE(starter.starts.isEmpty());
}

}  // namespace
}  // namespace tallimo::dupfinder
