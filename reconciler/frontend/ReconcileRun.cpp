#include "ReconcileRun.h"

#include "Entries.h"
#include "LogonName.h"
#include "ReconcileSession.h"
#include "RunNote.h"
#include "SelectionText.h"
#include "Services.h"
#include "Settings.h"
#include "SystemInfo.h"
#include "Twips.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>

namespace tallimo::reconciler {

namespace {

// The first missing mark of an area text ("]", "!", ":"), as the message names it.
QString missingMark(const QString& areaText) {
    for (const char* mark : {"]", "!", ":"})
        if (!areaText.contains(QLatin1String(mark))) return QStringLiteral(" 缺少") + mark;
    return {};
}

// The workbook between the first "[" and the first "]" of a descriptor.
QString workbookOf(const QString& descriptor) {
    const qsizetype open = descriptor.indexOf(u'[');
    const qsizetype close = descriptor.indexOf(u']');
    return open >= 0 && close > open ? descriptor.mid(open + 1, close - open - 1) : QString();
}

// The saved result's name says what was reconciled: "对账_账本_流水" (one name for two areas of
// one workbook); the host adds the time.
QString resultFileStem(const QString& leftDescriptor, const QString& rightDescriptor) {
    QStringList names;
    for (const QString& descriptor : {leftDescriptor, rightDescriptor}) {
        const QString name = QFileInfo(workbookOf(descriptor)).completeBaseName();
        if (!name.isEmpty() && !names.contains(name)) names.append(name);
    }
    return QStringLiteral("对账_") + names.join(u'_');
}

// Runs a step whose failure must not keep the run from restoring the panel and the host.
template <typename Step>
void skipOnFailure(Step step) {
    try {
        step();
    } catch (const std::exception&) {
        // The run goes on with the next step.
    }
}

}  // namespace

core::ReconcileRequest runRequest(const Services& services, const ReconcileSession& session) {
    core::ReconcileRequest request = session.reconcileRequest();
    request.reportTime = services.clock();
    request.logonName = loggedOnUserName();
    if (session.nearMissSuggestions()) request.suggestions = core::SuggestionRequest{};
    if (session.balanceStatement()) request.balanceStatement = core::BalanceStatementRequest{};
    return request;
}

void runReconciliation(const Services& services, ReconcileSession& session, QWidget& panel,
                       QWidget& startButton) {
    ui::MessageBoxes& messages = *services.messages;
    for (int i = 0; i < 2; ++i) {
        if (!session.area(i).chosen()) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("请在EXCEL文件中选择用于对账（比对）的连续的单元格，如："
                                         "\r\nA3:A15"),
                          QStringLiteral("选区%1尚未选择").arg(i + 1));
            return;
        }
    }
    for (int i = 0; i < 2; ++i) {
        const QString areaText = session.area(i).areaText();
        const QString missing = missingMark(areaText);
        if (!missing.isEmpty()) {
            messages.show(ui::MessageIcon::Exclamation, areaText + missing, QStringLiteral("提示"));
            return;
        }
    }

    // A range without its "$" pieces (whole columns or rows) cannot be reconciled row by row.
    for (int i = 0; i < 2; ++i) {
        const AreaChoice& area = session.area(i);
        if (area.range.versionMissing) {
            messages.show(ui::MessageIcon::Exclamation, versionMissingMessage());
            return;
        }
        if (!splitRangeText(area.areaText()) || !area.range.isBlock()) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("选区%1的地址“%2”不是连续单元格的区域（如 $B$3:$F$20），"
                                         "请重新在EXCEL中拖拉出连续的选区！")
                              .arg(i + 1)
                              .arg(area.range.text),
                          QStringLiteral("提示"));
            return;
        }
    }

    const QString leftDescriptor = session.area(0).prepared.addressText;
    const QString rightDescriptor = session.area(1).prepared.addressText;

    startButton.hide();
    const QString token =
        entries::hiSet::busyTokenPrefix() + randomNumberText(1, 999999, 0).rightJustified(6, u'0');
    const platform::TwipScale scale = platform::TwipScale::of(panel.screen());
    skipOnFailure([&] {
        entries::hiSet::rCode().save(token);
        entries::hiSet::rLeft().save(QString::number(qRound(scale.toTwipsX(panel.x()))));
        entries::hiSet::rTop().save(QString::number(qRound(scale.toTwipsY(panel.y()))));
    });
    services.processes->start(services.programFolder + QStringLiteral("/busylight"));
    panel.hide();

    skipOnFailure([&] {
        entries::rangeSel::forArea(entries::rangeSel::wkName(), 1).save(workbookOf(leftDescriptor));
        entries::rangeSel::forArea(entries::rangeSel::wkName(), 2)
            .save(workbookOf(rightDescriptor));
    });
    core::ReconcileRequest request = runRequest(services, session);
    core::Progress progress;
    progress.pump = [] { QCoreApplication::processEvents(); };

    host::Application& app = *session.host();
    skipOnFailure([&] { app.setVisible(false); });
    skipOnFailure([&] { entries::removeSection(entries::fillColor::section()); });
    QString passFailure;
    std::optional<RunNote> note;
    skipOnFailure([&] {
        const core::ReconcileResult result = core::reconcile(app, std::move(request), progress);
        if (const int failed = result.failedPass()) {
            const QString& failure = result.passes[std::size_t(failed - 1)].failure;
            passFailure = failure.isEmpty() ? QStringLiteral("比对未能完成") : failure;
        }
        note = runNote(result);
        if (!result.workbookName().isEmpty())
            app.workbooks()[result.workbookName()].suggestFileName(
                resultFileStem(leftDescriptor, rightDescriptor));
    });

    // The result is shown by making the host visible: on this platform that saves the workbook
    // and opens it, so a failure here would lose the result without a word.
    QString showFailure;
    try {
        app.setVisible(true);
    } catch (const host::HostError& e) {
        showFailure = e.message();
    }
    panel.show();
    startButton.show();
    for (const entries::Setting& busyKey :
         {entries::hiSet::rCode(), entries::hiSet::rLeft(), entries::hiSet::rTop()})
        skipOnFailure([&] { busyKey.remove(); });
    if (const auto indicator = services.windows->findByTitle(token))
        services.windows->postCloseRequest(*indicator);
    services.windows->bringToFront(app.hwnd());
    // A pass that broke off leaves a partial result, which must not pass for a complete one.
    if (!passFailure.isEmpty())
        messages.show(ui::MessageIcon::Error, QStringLiteral("对账未能完成：") + passFailure);
    else if (!showFailure.isEmpty())
        messages.show(ui::MessageIcon::Error,
                      QStringLiteral("对账结果未能保存和打开：") + showFailure);
    else if (note)
        messages.show(note->icon, note->text);
}

}  // namespace tallimo::reconciler
