#include "FrontendTestSupport.h"

#include "Entries.h"

#include <QListWidget>
#include <QPushButton>

namespace tallimo::reconciler::test {
namespace {

class ReconcileSessionTest : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        ASSERT_TRUE(startUp());
    }
    // Area 1 over B to D with B列 as its comparison column.
    void chooseAreaOneWithComparison() {
        selectArea(0, QStringLiteral("$B$3:$D$4"), QStringLiteral("x\t1\t2\r\ny\t3\t4\r\n"));
        roles().List1()->setCurrentRow(0);
        roles().addCompareColumn();
        roles().continueStep();
        ASSERT_TRUE(messages.shown.isEmpty());
    }
};

TEST_F(ReconcileSessionTest, ANewSelectionOfAnAreaDropsItsOldRoles) {
    chooseAreaOneWithComparison();
    EXPECT_EQ(session().area(0).compareColumns, QStringList{QStringLiteral("B列")});
    EXPECT_FALSE(session().compareListEmpty());

    // Confirming another selection for area 1 starts its roles afresh, in the session as in the
    // roles window: the earlier comparison column must not choose the report's key column.
    QList<int> cleared;
    QObject::connect(&session(), &ReconcileSession::rolesCleared,
                     [&](int area) { cleared << area; });
    selectArea(0, QStringLiteral("$B$3:$D$4"), QStringLiteral("x\t1\t2\r\ny\t3\t4\r\n"));
    EXPECT_EQ(cleared, QList<int>{0});
    EXPECT_TRUE(session().area(0).compareColumns.isEmpty());
    EXPECT_TRUE(session().area(0).sumColumns.isEmpty());
    EXPECT_TRUE(session().area(0).prepared.textGrid.isEmpty());
    EXPECT_EQ(roles().List3()->count(), 0);
    EXPECT_TRUE(session().compareListEmpty());
    // The earlier acceptance stands until the new one.
    EXPECT_TRUE(session().area(0).chosen());

    // Going back from the roles window drops them as well.
    roles().List1()->setCurrentRow(0);
    roles().addCompareColumn();
    roles().returnToRange();
    EXPECT_TRUE(session().compareListEmpty());
    EXPECT_EQ(roles().List3()->count(), 0);
}

TEST_F(ReconcileSessionTest, ARangeThatIsNoBlockIsRefusedOnceByTheRun) {
    // Whole columns: the roles and the relation take them, the run cannot walk their rows.
    selectArea(0, QStringLiteral("B:C"), QStringLiteral("a\t100\r\nb\t200\r\n"));
    roles().continueStep();
    selectArea(1, QStringLiteral("$D$3:$D$4"), QStringLiteral("100\r\n300\r\n"));
    ASSERT_TRUE(messages.shown.isEmpty());
    ASSERT_TRUE(session().area(0).chosen());

    panel->Command1()->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("选区1的地址“B:C”不是连续单元格的区域（如 $B$3:$F$20），"
                             "请重新在EXCEL中拖拉出连续的选区！"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("提示"));
    EXPECT_TRUE(processes.starts.isEmpty());
    EXPECT_TRUE(entries::hiSet::rCode().get().isEmpty());
    EXPECT_TRUE(panel->Command1()->isVisible());
}

}  // namespace
}  // namespace tallimo::reconciler::test
