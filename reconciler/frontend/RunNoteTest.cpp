#include "RunNote.h"

#include <gtest/gtest.h>

namespace tallimo::reconciler {
namespace {

core::PassResult passWithSuggestionFailure(const QString& failure) {
    core::PassResult pass;
    pass.completed = true;
    pass.suggestions = core::SuggestionFigures{};
    pass.suggestions->failure = failure;
    return pass;
}

core::BalanceStatementOutcome statement(const QString& reason, const QString& check,
                                        const QString& failure) {
    return {reason.isEmpty() && failure.isEmpty() ? QStringLiteral("余额调节表") : QString(),
            reason, check, failure};
}

// What the user is told after a completed run, from what the job reports about the sheets it was
// asked for.
TEST(RunNoteTest, NamesTheSheetsThatWereNotWritten) {
    const struct {
        const char* name;
        std::vector<QString> suggestionFailures;  // per pass; empty: written
        std::optional<core::BalanceStatementOutcome> statement;
        std::optional<ui::MessageIcon> icon;
        QString text;
    } cases[] = {
        {"nothing asked", {QString(), QString()}, std::nullopt, std::nullopt, {}},
        // The sheet states the imbalance itself.
        {"statement written, unbalanced",
         {QString(), QString()},
         statement({}, QStringLiteral("不平衡，差额12.00"), {}),
         std::nullopt,
         {}},
        {"statement written, a balance missing",
         {QString(), QString()},
         statement({}, {}, {}),
         std::nullopt,
         {}},
        {"statement not made",
         {QString(), QString()},
         statement(QStringLiteral("无法判断收支"), {}, {}),
         ui::MessageIcon::Information,
         QStringLiteral("未生成余额调节表：无法判断收支")},
        // The item is on by default: a one-pass run has no statement to make and says nothing.
        {"one pass",
         {QString()},
         statement(QStringLiteral("只比对了一次"), {}, {}),
         std::nullopt,
         {}},
        {"statement not written",
         {QString(), QString()},
         statement({}, QStringLiteral("平衡"), QStringLiteral("磁盘已满")),
         ui::MessageIcon::Error,
         QStringLiteral("余额调节表: 未能写出：磁盘已满")},
        {"suggestions of pass 2 not written",
         {QString(), QStringLiteral("磁盘已满")},
         statement({}, QStringLiteral("平衡"), {}),
         ui::MessageIcon::Error,
         QStringLiteral("2.疑似匹配: 未能写出建议表：磁盘已满")},
        // One box per run: the errors first, the notice on its own line after them.
        {"suggestions not written, statement not made",
         {QStringLiteral("磁盘已满"), QString()},
         statement(QStringLiteral("无法判断收支"), {}, {}),
         ui::MessageIcon::Error,
         QStringLiteral("1.疑似匹配: 未能写出建议表：磁盘已满\r\n未生成余额调节表：无法判断收支")},
        {"suggestions and statement not written",
         {QStringLiteral("甲"), QStringLiteral("乙")},
         statement({}, {}, QStringLiteral("丙")),
         ui::MessageIcon::Error,
         QStringLiteral("1.疑似匹配: 未能写出建议表：甲\r\n2.疑似匹配: 未能写出建议表：乙\r\n"
                        "余额调节表: 未能写出：丙")},
    };
    for (const auto& c : cases) {
        core::ReconcileResult result;
        for (const QString& failure : c.suggestionFailures)
            result.passes.push_back(passWithSuggestionFailure(failure));
        result.balanceStatement = c.statement;
        const std::optional<RunNote> note = runNote(result);
        ASSERT_EQ(note.has_value(), c.icon.has_value()) << c.name;
        if (!note) continue;
        EXPECT_EQ(note->icon, *c.icon) << c.name;
        EXPECT_EQ(note->text, c.text) << c.name;
    }
}

}  // namespace
}  // namespace tallimo::reconciler
