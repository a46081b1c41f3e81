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

// A journal and a bank statement selected without their title rows, each with a receipts and a
// payments column and a running balance; the titles come with the selections or not at all.
class SelectionTitlesTest : public RunTest {
protected:
    void chooseBooks(const QString& journalTitles, const QString& bankTitles) {
        chooseBook(0,
                   QStringLiteral("2024-01-02\t收甲货款\t1,000.00\t\t11,000.00\r\n"
                                  "2024-01-03\t付乙材料款\t\t300.00\t10,700.00\r\n"
                                  "2024-01-30\t收丙支票\t500.00\t\t11,200.00\r\n"
                                  "2024-01-31\t付丁款\t\t200.00\t11,000.00\r\n"),
                   journalTitles);
        chooseBook(1,
                   QStringLiteral("2024-01-02\t甲公司\t1,000.00\t\t11,000.00\r\n"
                                  "2024-01-03\t乙公司\t\t300.00\t10,700.00\r\n"
                                  "2024-01-29\t利息\t12.34\t\t10,712.34\r\n"
                                  "2024-01-31\t手续费\t\t5.50\t10,706.84\r\n"),
                   bankTitles);
        relation().confirm();
        ASSERT_TRUE(messages.shown.isEmpty()) << messages.shown.value(0).text.toStdString();
    }

private:
    // A3:E6 of the book; C and D are summed, the date in A compared.
    void chooseBook(int area, const QString& text, const QString& titles) {
        panel->chooseArea(area);
        answerSelection(QStringLiteral("$A$3:$E$6"), text, QStringLiteral("Sheet1"),
                        area == 0 ? QStringLiteral("journal.xlsx") : QStringLiteral("bank.xlsx"),
                        titles);
        range().confirm();
        roles().removeSumColumn();  // E列, the balance
        for (int row : {2, 3}) {
            roles().List1()->setCurrentRow(row);
            roles().addSumColumn();
        }
        roles().List1()->setCurrentRow(0);
        roles().addCompareColumn();
        roles().continueStep();
    }
};

TEST_F(SelectionTitlesTest, TitlesAboveTheSelectionTellTheStatementItsPasses) {
    const QString journalTitles = QStringLiteral("日期\t摘要\t借方金额\t贷方金额\t余额");
    const QString bankTitles = QStringLiteral(" 交易日期\t对方户名\t收入金额\t支出金额\t余额 ");
    const QStringList bankHeaders{"交易日期", "对方户名", "收入金额", "支出金额", "余额"};
    const struct {
        const char* label;
        QString journalTitles, bankTitles;
        QStringList journalHeaders, bankHeaders;
        QString check;   // of a written statement; empty without one or without both balances
        QString reason;  // the start of why no statement was written
    } cases[] = {
        {"titles above both areas",
         journalTitles,
         bankTitles,
         journalTitles.split(u'\t'),
         bankHeaders,
         QStringLiteral("平衡"),
         {}},
        // After a selection with titles: an add-in that hands over none leaves none behind.
        {"no titles", {}, {}, {}, {}, {}, QStringLiteral("无法从求和列的标题判断")},
        // Put over A to D they would make C列 a payments column; dropped, the bank's titles
        // decide both passes and only the journal's balance is missing.
        {"journal titles of another width",
         QStringLiteral("日期\t借方金额\t贷方金额\t余额"),
         bankTitles,
         {},
         bankHeaders,
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        chooseBooks(c.journalTitles, c.bankTitles);
        core::ReconcileRequest request = session().reconcileRequest();
        EXPECT_EQ(request.left.columnHeaders, c.journalHeaders);
        EXPECT_EQ(request.right.columnHeaders, c.bankHeaders);

        request.balanceStatement = core::BalanceStatementRequest{};
        host::Application app(host::makeMemoryHost());
        core::Progress progress;
        const core::ReconcileResult result = core::reconcile(app, std::move(request), progress);
        ASSERT_TRUE(result.balanceStatement);
        EXPECT_EQ(result.balanceStatement->check, c.check);
        const QString& reason = result.balanceStatement->reason;
        EXPECT_TRUE(c.reason.isEmpty() ? reason.isEmpty() : reason.startsWith(c.reason))
            << reason.toStdString();
        EXPECT_EQ(result.balanceStatement->sheetName,
                  c.reason.isEmpty() ? QStringLiteral("余额调节表") : QString());
    }
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
