#include "FrontendTestSupport.h"

#include "Entries.h"
#include "Pictures.h"
#include "Settings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tallimo::reconciler::test {
namespace {

const QString kReselect = QStringLiteral("，请重新在EXCEL中拖拉出连续的选区！");

class SelectionTest : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        ASSERT_TRUE(startUp());
    }
    QString rangeHandle() { return platform::handleText(range().windowHandle()); }
};

TEST_F(SelectionTest, AreaButtonOpensTheRangeWindow) {
    panel->chooseArea(1);
    EXPECT_EQ(session().currentAreaNumber(), QStringLiteral("2"));
    EXPECT_EQ(range().Text1()->toolTip(), QStringLiteral("区域2"));
    EXPECT_TRUE(range().isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(range().windowTitle(), QStringLiteral("Tallimo20160512$132524"));
    EXPECT_TRUE(range().Timer1()->isActive());

    // The frame blinks between its two colours; the return shows the panel again.
    range().timerTick();
    EXPECT_EQ(range().frameColour(), bFrm::frameColourOn());
    range().timerTick();
    EXPECT_EQ(range().frameColour(), bFrm::frameColourOff());
    range().returnToPanel();
    EXPECT_FALSE(range().isVisible());
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(SelectionTest, ConfirmRefusesClipboardsThatDoNotFitTheRange) {
    const struct {
        QString range;
        QString text;
        QString message;
    } cases[] = {
        {QStringLiteral("$B$3:$D$5"), QStringLiteral("\r\n"),
         QStringLiteral("读取数据源失败(无回车分隔)") + kReselect},
        {QStringLiteral("$B$3:$D$5"), QString(),
         QStringLiteral("读取数据源失败(无回车分隔)") + kReselect},
        {QStringLiteral("$B$3:$D$5"), QStringLiteral("a b c\r\n"),
         QStringLiteral("读取数据源失败(不能区分列~)") + kReselect},
        {QStringLiteral("$B$3:$D$5"), QStringLiteral("a\tb\r\nc\td\r\n"),
         QStringLiteral("读取数据源失败(列数不符)") + kReselect + QStringLiteral("\r\nB:D/1")},
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        selectArea(0, c.range, c.text);
        ASSERT_EQ(messages.shown.size(), 1) << c.text.toStdString();
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Exclamation);
        EXPECT_TRUE(range().isVisible());
        EXPECT_FALSE(roles().isVisible());
    }
}

TEST_F(SelectionTest, MultiColumnAreaFillsTheColumnRoles) {
    selectArea(0, QStringLiteral("$B$3:$D$5"), QStringLiteral("a\tb\tc\r\na\tb\tc\r\na\tb\tc\r\n"));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(itemsOf(roles().List1()),
              (QStringList{QStringLiteral("B列"), QStringLiteral("C列"), QStringLiteral("D列")}));
    EXPECT_EQ(roles().List1()->currentRow(), 0);
    EXPECT_EQ(itemsOf(roles().List2()), QStringList{QStringLiteral("D列")});
    EXPECT_EQ(roles().lblSelArea()->text(), QStringLiteral("$B$3:$D$5"));
    EXPECT_EQ(roles().windowTitle(), QStringLiteral(" 连续多列选区(区域2)"));
    EXPECT_TRUE(roles().isVisible());
    EXPECT_FALSE(range().isVisible());
    EXPECT_FALSE(range().Timer1()->isActive());
    EXPECT_EQ(entries::rangeSel::forArea(entries::rangeSel::rng(), 1).get(),
              QStringLiteral("$B$3:$D$5"));

    // Returning clears the roles and waits for another selection.
    roles().returnToRange();
    EXPECT_EQ(roles().List1()->count(), 0);
    EXPECT_TRUE(range().isVisible());
    EXPECT_TRUE(range().Timer1()->isActive());
}

TEST_F(SelectionTest, ClosingRolesOrRelationReturnsAStepBack) {
    selectArea(0, QStringLiteral("$E$3:$G$4"), QStringLiteral("a\t1\t2\r\n"));
    roles().List1()->setCurrentRow(1);
    roles().addSumColumn();
    roles().continueStep();
    selectArea(1, QStringLiteral("$D$3:$D$4"), QStringLiteral("1\r\n"));
    ASSERT_TRUE(relation().isVisible());
    relation().reject();
    EXPECT_FALSE(relation().isVisible());
    EXPECT_TRUE(roles().isVisible());
    roles().close();
    EXPECT_FALSE(roles().isVisible());
    EXPECT_TRUE(range().isVisible());
    EXPECT_TRUE(range().Timer1()->isActive());
}

TEST_F(SelectionTest, RoleListRules) {
    selectArea(0, QStringLiteral("$B$3:$F$4"), QStringLiteral("1\t2\t3\t4\t5\r\n"));
    // Sum list starts with F列; add E列 (selected after moving down to it) and a third one.
    roles().List1()->setCurrentRow(3);
    roles().addSumColumn();
    EXPECT_EQ(itemsOf(roles().List2()),
              (QStringList{QStringLiteral("F列"), QStringLiteral("E列")}));
    EXPECT_EQ(roles().List1()->currentRow(), 4);
    roles().List1()->setCurrentRow(0);
    roles().addSumColumn();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("只可以同时选择两个求和项"));
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Information);
    EXPECT_EQ(roles().List2()->count(), 2);

    // A comparison column taken from the sum list leaves it.
    roles().List1()->setCurrentRow(3);
    roles().addCompareColumn();
    EXPECT_EQ(itemsOf(roles().List3()), QStringList{QStringLiteral("E列")});
    EXPECT_EQ(itemsOf(roles().List2()), QStringList{QStringLiteral("F列")});
    roles().addCompareColumn();  // F列, selected next: it moves as well
    EXPECT_EQ(roles().List2()->count(), 0);
    roles().continueStep();
    EXPECT_EQ(messages.shown.last().text, QStringLiteral("至少要选择一列作为求和项！"));

    // Removing takes the last entry whichever is selected.
    roles().List3()->setCurrentRow(0);
    roles().removeCompareColumn();
    EXPECT_EQ(itemsOf(roles().List3()), QStringList{QStringLiteral("E列")});
    EXPECT_EQ(roles().List3()->currentRow(), 0);
    roles().removeCompareColumn();
    EXPECT_EQ(roles().List3()->currentRow(), -1);
    roles().removeSumColumn();  // empty: nothing happens

    roles().List1()->setCurrentRow(-1);
    roles().addSumColumn();
    EXPECT_EQ(messages.shown.last().text, QStringLiteral("请先选择欲添加的列"));
}

TEST_F(SelectionTest, MultiColumnAreaIsPreparedAndAccepted) {
    selectArea(0, QStringLiteral("$B$3:$F$4"),
               QStringLiteral("2016-01-05\tx\ty a|b\tz\t1,200.00\r\n2016-01-06\tx\ty\tz\t 7 \r\n"));
    roles().List1()->setCurrentRow(0);
    roles().addCompareColumn();  // B列
    roles().List1()->setCurrentRow(2);
    roles().addCompareColumn();  // D列
    roles().continueStep();
    ASSERT_TRUE(messages.shown.isEmpty());

    const core::PreparedSide& left = session().area(0).prepared;
    EXPECT_EQ(left.keyLists[0].cell(0, 0), QStringLiteral("2016-01-05,y a!b|1,200.00"));
    EXPECT_EQ(left.keyLists[0].cell(1, 0), QStringLiteral("2016-01-06,y|7"));
    EXPECT_EQ(left.comparePositions, QStringLiteral("1_3"));
    EXPECT_EQ(left.textGrid.cell(1, 0), QStringLiteral("左行4"));
    EXPECT_EQ(left.textGrid.cell(0, 3), QStringLiteral("y a!b"));
    EXPECT_EQ(entries::rangeSel::bdL1().get(), QStringLiteral("F列"));
    EXPECT_EQ(entries::rangeSel::bdL2().get(), QStringLiteral("F列"));
    // Area 2 is not prepared: no relation dialog, the area is accepted at once.
    EXPECT_FALSE(relation().isVisible());
    EXPECT_EQ(entries::rangeSel::bdR1().get(), QString());
    EXPECT_EQ(hostsMade, 1);
    const QString descriptor = platform::handleText(range().textBoxHandle()) +
                               QStringLiteral("[Book1.xlsx]Sheet1!$B$3:$F$4");
    EXPECT_EQ(entries::rangeSel::actA().get(), descriptor);
    EXPECT_EQ(left.addressText, descriptor);
    EXPECT_EQ(session().area(0).hostWindow, 4711);
    EXPECT_EQ(entries::rangeSel::forArea(entries::rangeSel::sht(), 1).get(),
              QStringLiteral("Sheet1"));
    EXPECT_EQ(entries::rangeSel::forArea(entries::rangeSel::fromParent(), 1).get(), rangeHandle());
    EXPECT_EQ(panel->Text1()->text(), QStringLiteral("Sheet1!$B$3:$F$4#F列"));
    EXPECT_EQ(panel->Text1()->toolTip(), QStringLiteral("[Book1.xlsx]"));
    EXPECT_EQ(range().Text1()->text(), descriptor + QStringLiteral("#F列"));
    EXPECT_FALSE(range().isVisible());
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(SelectionTest, OneColumnAreaSkipsTheRoles) {
    selectArea(0, QStringLiteral("$C$2:$C$9"), QStringLiteral("10\r\n20\r\n"));
    ASSERT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(roles().isVisible());
    const core::PreparedSide& left = session().area(0).prepared;
    ASSERT_EQ(left.keyLists[0].rowCount(), 3);
    EXPECT_EQ(left.keyLists[0].cell(2, 0), QString());
    EXPECT_EQ(left.textGrid.cell(1, 0), QStringLiteral("左行3"));
    EXPECT_EQ(left.textGrid.cell(1, 1), QStringLiteral("20"));
    EXPECT_EQ(panel->Text1()->text(), QStringLiteral("Sheet1!$C$2:$C$9#C列"));
}

TEST_F(SelectionTest, AcceptanceIgnoresOrRefusesForeignReports) {
    const struct {
        QString key;
        QString value;
        bool refusedWithMessage;
    } cases[] = {
        {QStringLiteral("FromSon"), QStringLiteral("11"), false},
        {QStringLiteral("FromParent"), QStringLiteral("12"), false},
        {QStringLiteral("Hwnd_Excel"), QString(), true},
        {QStringLiteral("Hwnd_Excel"), QStringLiteral("Excel"), true},
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        panel->chooseArea(0);
        answerSelection(QStringLiteral("$C$2:$C$9"), QStringLiteral("10\r\n"));
        settingsSave(entries::rangeSel::section(), c.key, c.value);
        range().confirm();
        EXPECT_TRUE(entries::rangeSel::actA().get().isEmpty()) << c.key.toStdString();
        EXPECT_EQ(session().area(0).hostWindow, 0);
        EXPECT_TRUE(panel->Text1()->text().isEmpty());
        ASSERT_EQ(messages.shown.size(), c.refusedWithMessage ? 1 : 0);
        if (c.refusedWithMessage) {
            EXPECT_EQ(messages.shown[0].title, QStringLiteral("选择选区"));
        }
    }
}

TEST_F(SelectionTest, RelationPairsTheSumItemsAndSwaps) {
    selectArea(0, QStringLiteral("$E$3:$G$4"), QStringLiteral("a\t1\t2\r\n"));
    roles().List1()->setCurrentRow(1);
    roles().addSumColumn();  // G列, F列
    roles().continueStep();
    EXPECT_EQ(relation().lblBiDui()->text(), QStringLiteral("2"));
    selectArea(1, QStringLiteral("$D$3:$D$4"), QStringLiteral("1\r\n"));
    // Area 1's rows are in place: G列/D列 and F列/D列 differ, so the dialog asks.
    EXPECT_TRUE(relation().isVisible());
    EXPECT_EQ(itemsOf(relation().List1()),
              (QStringList{QStringLiteral("G列"), QStringLiteral("F列")}));
    EXPECT_EQ(itemsOf(relation().List2()),
              (QStringList{QStringLiteral("D列"), QStringLiteral("D列")}));

    const TextGrid slot1 = session().area(0).prepared.keyLists[0];
    relation().swapArea(0);
    EXPECT_EQ(itemsOf(relation().List1()),
              (QStringList{QStringLiteral("F列"), QStringLiteral("G列")}));
    EXPECT_EQ(session().area(0).prepared.keyLists[1].cell(0, 0), slot1.cell(0, 0));
    // The roles window shows area 2, so its sum list is left alone.
    EXPECT_EQ(itemsOf(roles().List2()), QStringList{QStringLiteral("D列")});
    relation().swapArea(1);
    EXPECT_EQ(itemsOf(roles().List2()),
              (QStringList{QStringLiteral("D列"), QStringLiteral("D列")}));

    relation().confirm();
    EXPECT_EQ(entries::rangeSel::bdL1().get(), QStringLiteral("F列"));
    EXPECT_EQ(entries::rangeSel::bdL2().get(), QStringLiteral("G列"));
    EXPECT_EQ(entries::rangeSel::bdR1().get(), QStringLiteral("D列"));
    EXPECT_EQ(panel->Text2()->text(), QStringLiteral("Sheet1!$D$3:$D$4#D列"));
    EXPECT_EQ(hostsMade, 1);
    panel->showSelectionInfo();
    EXPECT_TRUE(messages.shown.last().text.endsWith(
        QStringLiteral("[Book1.xlsx]Sheet1!$D$3:$D$4#D列&D列")));
    EXPECT_EQ(messages.shown.last().title, QStringLiteral("2"));
}

TEST_F(SelectionTest, EmptyHostVersionIsReportedOncePerStep) {
    entries::excel::ver().save(QString());
    selectArea(0, QStringLiteral("$C$2:$C$9"), QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n"));
    // Once at the confirmation and once for the whole continue, not once per line.
    EXPECT_EQ(messages.shown.size(), 2);
    for (const auto& shown : messages.shown)
        EXPECT_EQ(shown.text, QStringLiteral("读取数据源失败(EXCEL版本信息为空)！"));
}

}  // namespace
}  // namespace tallimo::reconciler::test
