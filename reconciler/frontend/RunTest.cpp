#include "FrontendTestSupport.h"

#include "Entries.h"
#include "FaultInjectingBackend.h"
#include "ReconcileRun.h"
#include "Settings.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace tallimo::reconciler::test {
namespace {

// Starts nothing, but notes what the busy indicator would read at its start and shows a window
// titled with the token, as the indicator does.
class IndicatorStarter final : public platform::ProcessStarter {
public:
    explicit IndicatorStarter(platform::FakeWindowSystem& windows) : windows_(windows) {}
    bool start(const QString& program, const QStringList&) override {
        programs << program;
        token = entries::hiSet::rCode().get();
        panelLeft = entries::hiSet::rLeft().get();
        windows_.windows.append({555, token, QStringLiteral("busylight"), 0, {}});
        return true;
    }
    QStringList programs;
    QString token;
    QString panelLeft;

private:
    platform::FakeWindowSystem& windows_;
};

class RunTest : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        f().services.processes = &indicator;
        ASSERT_TRUE(startUp());
    }
    void chooseBoth(const QString& leftText = QStringLiteral("a\t100\r\nb\t200\r\n"),
                    const QString& rightText = QStringLiteral("100\r\n300\r\n")) {
        selectArea(0, QStringLiteral("$B$3:$C$4"), leftText);
        roles().continueStep();
        selectArea(1, QStringLiteral("$D$3:$D$4"), rightText);
        ASSERT_TRUE(messages.shown.isEmpty());
    }
    QStringList savedResults() const {
        return QDir(path(QStringLiteral("home/Documents/Tallimo")))
            .entryList({QStringLiteral("*.xlsx")}, QDir::Files);
    }

    IndicatorStarter indicator{windows};
};

TEST_F(RunTest, AreasMustBeChosenFirst) {
    panel->Command1()->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("选区1尚未选择"));
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("请在EXCEL文件中选择用于对账（比对）的连续的单元格，如：\r\nA3:A15"));

    selectArea(0, QStringLiteral("$C$2:$C$3"), QStringLiteral("1\r\n"));
    messages.shown.clear();
    panel->Command1()->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("选区2尚未选择"));
    EXPECT_TRUE(indicator.programs.isEmpty());
    EXPECT_TRUE(entries::hiSet::rCode().get().isEmpty());
}

TEST_F(RunTest, AreaTextsWithoutTheirMarksAreRefused) {
    chooseBoth();
    const struct {
        QString tip;
        QString text;
        QString message;
    } cases[] = {
        {QStringLiteral("Book1.xlsx"), QStringLiteral("Sheet1!$B$3:$C$4#C列"),
         QStringLiteral("Book1.xlsxSheet1!$B$3:$C$4#C列 缺少]")},
        {QStringLiteral("[Book1.xlsx]"), QStringLiteral("Sheet1$B$3#C列"),
         QStringLiteral("[Book1.xlsx]Sheet1$B$3#C列 缺少!")},
        {QStringLiteral("[Book1.xlsx]"), QStringLiteral("Sheet1!$B$3#C列"),
         QStringLiteral("[Book1.xlsx]Sheet1!$B$3#C列 缺少:")},
        // Whole columns: no "$" row pieces to take apart.
        {QStringLiteral("[Book1.xlsx]"), QStringLiteral("Sheet1!B:C#C列"), QString()},
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        if (c.message.isEmpty()) {
            selectArea(0, QStringLiteral("B:C"), QStringLiteral("a\t100\r\nb\t200\r\n"));
            roles().continueStep();
            ASSERT_EQ(session().area(0).areaText(), c.tip + c.text);
        } else {
            session().acceptArea(0, session().area(0).prepared.addressText, 4711, c.tip, c.text);
        }
        panel->Command1()->click();
        ASSERT_EQ(messages.shown.size(), 1) << c.text.toStdString();
        EXPECT_EQ(messages.shown[0].title, QStringLiteral("提示"));
        if (!c.message.isEmpty()) {
            EXPECT_EQ(messages.shown[0].text, c.message);
        }
        EXPECT_TRUE(indicator.programs.isEmpty());
        EXPECT_TRUE(panel->Command1()->isVisible());
    }
}

TEST_F(RunTest, RunShowsTheResultAndRestoresEverything) {
    chooseBoth();
    panel->Command1()->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    ASSERT_EQ(indicator.programs, QStringList{QStringLiteral("/opt/tallimo/Data/busylight")});
    EXPECT_TRUE(indicator.token.contains(QRegularExpression(QStringLiteral("^RunningQX\\d{6}$"))))
        << indicator.token.toStdString();
    EXPECT_FALSE(indicator.panelLeft.isEmpty());
    EXPECT_EQ(windows.closeRequests, QList<platform::WindowHandle>{555});
    for (const auto& key :
         {entries::hiSet::rCode(), entries::hiSet::rLeft(), entries::hiSet::rTop()})
        EXPECT_FALSE(settingsFind(key.section, key.key).has_value()) << key.key.toStdString();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->Command1()->isVisible());
    EXPECT_EQ(entries::rangeSel::forArea(entries::rangeSel::wkName(), 1).get(),
              QStringLiteral("Book1.xlsx"));
    ASSERT_NE(hostApp, nullptr);
    EXPECT_TRUE(hostApp->visible());
    // One pass (C列/D列 in both rows): one report sheet and one source copy.
    ASSERT_EQ(hostApp->workbooks().count(), 1);
    EXPECT_EQ(hostApp->activeWorkbook().sheets().count(), 2);
    // Named after what was reconciled (both areas lie in Book1.xlsx) and the time.
    ASSERT_EQ(savedResults().size(), 1);
    EXPECT_TRUE(savedResults()[0].startsWith(QStringLiteral("对账_Book1_")))
        << savedResults()[0].toStdString();
}

TEST_F(RunTest, DifferentRelationRowsRunTwoPasses) {
    // The passes' own sheets alone: the extras, on by default, add their own.
    for (QAction* extra : {f().options().mNearMiss(), f().options().mBalanceStatement()})
        if (extra->isChecked()) extra->trigger();
    selectArea(0, QStringLiteral("$B$3:$D$4"), QStringLiteral("a\t100\t5\r\nb\t200\t6\r\n"));
    roles().List1()->setCurrentRow(1);
    roles().addSumColumn();  // D列, C列
    roles().continueStep();
    selectArea(1, QStringLiteral("$D$3:$D$4"), QStringLiteral("100\r\n6\r\n"));
    relation().confirm();
    ASSERT_TRUE(messages.shown.isEmpty());
    panel->Command1()->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    ASSERT_EQ(hostApp->workbooks().count(), 1);
    EXPECT_EQ(hostApp->activeWorkbook().sheets().count(), 4);
}

// The extras ticked in the options menu are what the run asks the reconciliation for; the
// statement's own choices stay at "from the areas' columns".
TEST_F(RunTest, RequestAsksForTheTickedExtras) {
    chooseBoth();
    const struct {
        bool nearMiss;
        bool statement;
    } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const auto& c : cases) {
        for (const auto& [item, ticked] :
             {std::pair{f().options().mNearMiss(), c.nearMiss},
              std::pair{f().options().mBalanceStatement(), c.statement}})
            if (item->isChecked() != ticked) item->trigger();
        const core::ReconcileRequest request = runRequest(f().services, session());
        EXPECT_EQ(request.suggestions.has_value(), c.nearMiss);
        ASSERT_EQ(request.balanceStatement.has_value(), c.statement);
        if (c.statement) {
            EXPECT_FALSE(request.balanceStatement->receiptsPass.has_value());
            EXPECT_FALSE(request.balanceStatement->statementOnLeft);
            EXPECT_FALSE(request.balanceStatement->leftClosingCents.has_value());
            EXPECT_FALSE(request.balanceStatement->rightClosingCents.has_value());
        }
        EXPECT_EQ(request.reportTime, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    }
}

// Unticked, a two-pass run writes no statement and says nothing about one.
TEST_F(RunTest, UntickedStatementLeavesTheTwoPassResultAlone) {
    f().options().mBalanceStatement()->trigger();
    ASSERT_FALSE(session().balanceStatement());
    selectArea(0, QStringLiteral("$B$3:$D$4"), QStringLiteral("a\t100\t5\r\nb\t200\t6\r\n"));
    roles().List1()->setCurrentRow(1);
    roles().addSumColumn();
    roles().continueStep();
    selectArea(1, QStringLiteral("$D$3:$D$4"), QStringLiteral("100\r\n6\r\n"));
    relation().confirm();
    panel->Command1()->click();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.value(0).text.toStdString();
    const host::Sheets sheets = hostApp->activeWorkbook().sheets();
    EXPECT_EQ(sheets.count(), 4);
    for (int i = 1; i <= sheets.count(); ++i)
        EXPECT_NE(sheets[i].name(), QStringLiteral("余额调节表"));
}

// A ledger row and a bank row of the same amount two days apart, the date as comparison column:
// exact matching leaves both unexplained, a near miss by date.
class NearMissRunTest : public RunTest {
protected:
    void chooseDatedAreas() {
        selectArea(0, QStringLiteral("$B$3:$C$4"),
                   QStringLiteral("2024-01-02\t100.00\r\n2024-01-09\t50.00\r\n"));
        takeDateAsComparison();
        selectArea(1, QStringLiteral("$D$3:$E$4"),
                   QStringLiteral("2024-01-04\t100.00\r\n2024-01-09\t50.00\r\n"));
        takeDateAsComparison();
        relation().confirm();
        ASSERT_TRUE(messages.shown.isEmpty());
    }
    QStringList sheetNames() const {
        QStringList names;
        const host::Sheets sheets = hostApp->activeWorkbook().sheets();
        for (int i = 1; i <= sheets.count(); ++i)
            names << sheets[i].name();
        return names;
    }

private:
    void takeDateAsComparison() {
        roles().List1()->setCurrentRow(0);
        roles().addCompareColumn();
        roles().continueStep();
    }
};

TEST_F(NearMissRunTest, SuggestionSheetFollowsTheTick) {
    const struct {
        bool ticked;
        bool sheetWritten;
    } cases[] = {{true, true}, {false, false}};
    for (const auto& c : cases) {
        if (f().options().mNearMiss()->isChecked() != c.ticked)
            f().options().mNearMiss()->trigger();
        ASSERT_EQ(session().nearMissSuggestions(), c.ticked);
        chooseDatedAreas();
        panel->Command1()->click();
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.value(0).text.toStdString();
        const QStringList names = sheetNames();
        EXPECT_EQ(names.contains(QStringLiteral("1.疑似匹配")), c.sheetWritten)
            << names.join(u' ').toStdString();
        // The passes' own sheets are there either way.
        EXPECT_EQ(names.size(), c.sheetWritten ? 3 : 2) << names.join(u' ').toStdString();
    }
}

// A suggestion sheet the host refuses is named after the run instead of passing for a pass
// without near misses; the report itself is kept.
TEST_F(NearMissRunTest, UnwrittenSuggestionSheetIsReported) {
    host::FaultInjectingBackend* backend = nullptr;
    f().services.createHost = [&] {
        auto failing = std::make_unique<host::FaultInjectingBackend>(host::makeMemoryHost());
        backend = failing.get();
        auto made = std::make_unique<host::Application>(std::move(failing));
        hostApp = made.get();
        return made;
    };
    chooseDatedAreas();
    ASSERT_NE(backend, nullptr);
    panel->Command1()->click();
    ASSERT_TRUE(messages.shown.isEmpty());
    ASSERT_TRUE(sheetNames().contains(QStringLiteral("1.疑似匹配")));
    // The suggestion sheets are added after the passes: the run's last added sheet.
    const int suggestionSheet = backend->callCount(QStringLiteral("addSheet"));
    backend->reset();
    backend->failOn(QStringLiteral("addSheet"), suggestionSheet);

    panel->Command1()->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("1.疑似匹配: 未能写出建议表：")))
        << messages.shown[0].text.toStdString();
    EXPECT_EQ(sheetNames().size(), 2) << sheetNames().join(u' ').toStdString();
    EXPECT_TRUE(panel->Command1()->isVisible());
}

TEST_F(RunTest, ChosenAreasAreForgottenByTheMaintenance) {
    chooseBoth();
    session().forgetAreas();
    EXPECT_TRUE(panel->Text1()->text().isEmpty());
    EXPECT_TRUE(panel->Text2()->toolTip().isEmpty());
    panel->Command1()->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("选区1尚未选择"));
}

}  // namespace
}  // namespace tallimo::reconciler::test
