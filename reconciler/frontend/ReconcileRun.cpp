#include "ReconcileRun.h"

#include "Entries.h"
#include "FrmKL.h"
#include "FrmKL_DuiBi.h"
#include "FrmZC.h"
#include "HostAddress.h"
#include "LogonName.h"
#include "SelectionText.h"
#include "Settings.h"
#include "SystemInfo.h"
#include "Twips.h"
#include "aFrm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

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

void runReconciliation(Frontend& f) {
    aFrm& panel = *f.panel;
    ui::MessageBoxes& messages = f.messages();
    for (int i = 0; i < 2; ++i) {
        const AreaChoice& area = f.state.areas[std::size_t(i)];
        if (area.prepared.addressText.isEmpty() || area.hostWindow == 0) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("请在EXCEL文件中选择用于对账（比对）的连续的单元格，如："
                                         "\r\nA3:A15"),
                          QStringLiteral("选区%1尚未选择").arg(i + 1));
            return;
        }
    }
    QString areaTexts[2];
    for (int i = 0; i < 2; ++i) {
        const QLineEdit* box = i == 0 ? panel.Text1() : panel.Text2();
        areaTexts[i] = box->toolTip() + box->text();
        const QString missing = missingMark(areaTexts[i]);
        if (!missing.isEmpty()) {
            messages.show(ui::MessageIcon::Exclamation, areaTexts[i] + missing,
                          QStringLiteral("提示"));
            return;
        }
    }

    // The rectangle of each area from its stored range; a range without its "$" pieces (whole
    // columns or rows) cannot be reconciled row by row.
    bool versionMissing = false;
    AreaAddress rectangles[2];
    for (int i = 0; i < 2; ++i) {
        const QString range = entries::rangeSel::forArea(entries::rangeSel::rng(), i + 1).get();
        rectangles[i] = parseAreaAddressReconciler(range, [&] { versionMissing = true; });
        if (versionMissing) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("读取数据源失败(EXCEL版本信息为空)！"));
            return;
        }
        if (!splitRangeText(areaTexts[i]) || rectangles[i].isEmpty() ||
            rectangles[i].firstRow == 0) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("选区%1的地址“%2”不是连续单元格的区域（如 $B$3:$F$20），"
                                         "请重新在EXCEL中拖拉出连续的选区！")
                              .arg(i + 1)
                              .arg(range),
                          QStringLiteral("提示"));
            return;
        }
    }

    core::PreparedSide& left = f.state.areas[0].prepared;
    core::PreparedSide& right = f.state.areas[1].prepared;
    for (int i = 0; i < 2; ++i) {
        core::PreparedSide& side = f.state.areas[std::size_t(i)].prepared;
        side.area = rectangles[i];
        side.relationItems = {f.relation->relationItem(i, 0), f.relation->relationItem(i, 1)};
    }
    core::ReconcileRequest request;

    panel.Command1()->hide();
    const QString token =
        entries::hiSet::busyTokenPrefix() + randomNumberText(1, 999999, 0).rightJustified(6, u'0');
    const platform::TwipScale scale = platform::TwipScale::of(panel.screen());
    skipOnFailure([&] {
        entries::hiSet::rCode().save(token);
        entries::hiSet::rLeft().save(QString::number(qRound(scale.toTwipsX(panel.x()))));
        entries::hiSet::rTop().save(QString::number(qRound(scale.toTwipsY(panel.y()))));
    });
    f.services.processes->start(f.services.programFolder + QStringLiteral("/busylight"));
    panel.hide();

    skipOnFailure([&] {
        entries::rangeSel::forArea(entries::rangeSel::wkName(), 1)
            .save(workbookOf(left.addressText));
        entries::rangeSel::forArea(entries::rangeSel::wkName(), 2)
            .save(workbookOf(right.addressText));
    });
    // The areas stay chosen for another run, so the job gets copies.
    request.left = left;
    request.right = right;
    request.options = {panel.Check2()->isChecked(), f.options->reportTableLines(),
                       f.options->sourceTableLines()};
    request.compareListEmpty = f.roles->List3()->count() == 0;
    request.reportTime = f.services.clock();
    request.logonName = loggedOnUserName();
    core::Progress progress;
    progress.pump = [] { QCoreApplication::processEvents(); };

    host::Application& app = *f.state.host;
    skipOnFailure([&] { app.setVisible(false); });
    skipOnFailure([&] { entries::removeSection(entries::fillColor::section()); });
    QString passFailure;
    skipOnFailure([&] {
        const core::ReconcileResult result = core::reconcile(app, std::move(request), progress);
        if (const int failed = result.failedPass()) {
            const QString& failure = result.passes[std::size_t(failed - 1)].failure;
            passFailure = failure.isEmpty() ? QStringLiteral("比对未能完成") : failure;
        }
        if (!result.workbookName().isEmpty())
            app.workbooks()[result.workbookName()].suggestFileName(
                resultFileStem(left.addressText, right.addressText));
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
    panel.Command1()->show();
    for (const entries::Setting& busyKey :
         {entries::hiSet::rCode(), entries::hiSet::rLeft(), entries::hiSet::rTop()})
        skipOnFailure([&] { busyKey.remove(); });
    if (const auto indicator = f.services.windows->findByTitle(token))
        f.services.windows->postCloseRequest(*indicator);
    f.services.windows->bringToFront(app.hwnd());
    // A pass that broke off leaves a partial result, which must not pass for a complete one.
    if (!passFailure.isEmpty())
        messages.show(ui::MessageIcon::Error, QStringLiteral("对账未能完成：") + passFailure);
    else if (!showFailure.isEmpty())
        messages.show(ui::MessageIcon::Error,
                      QStringLiteral("对账结果未能保存和打开：") + showFailure);
}

}  // namespace tallimo::reconciler
