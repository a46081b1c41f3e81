#include "RunNote.h"

#include <QStringList>

namespace tallimo::reconciler {

std::optional<RunNote> runNote(const core::ReconcileResult& result) {
    QStringList errors;
    for (std::size_t i = 0; i < result.passes.size(); ++i) {
        const auto& figures = result.passes[i].suggestions;
        if (figures && !figures->failure.isEmpty())
            errors << QStringLiteral("%1.疑似匹配: 未能写出建议表：%2")
                          .arg(i + 1)
                          .arg(figures->failure);
    }
    QString notice;
    if (const auto& statement = result.balanceStatement) {
        if (!statement->failure.isEmpty())
            errors << QStringLiteral("余额调节表: 未能写出：") + statement->failure;
        // The item is on unless unticked, so a one-pass run, which has no receipts and payments
        // to set side by side, passes without a word.
        if (!statement->reason.isEmpty() && result.passes.size() == 2)
            notice = QStringLiteral("未生成余额调节表：") + statement->reason;
    }
    if (!errors.isEmpty()) {
        if (!notice.isEmpty()) errors << notice;
        return RunNote{ui::MessageIcon::Error, errors.join(QStringLiteral("\r\n"))};
    }
    if (!notice.isEmpty()) return RunNote{ui::MessageIcon::Information, notice};
    return std::nullopt;
}

}  // namespace tallimo::reconciler
