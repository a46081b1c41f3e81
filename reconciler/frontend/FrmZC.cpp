#include "FrmZC.h"

#include "ReconcileSession.h"

namespace tallimo::reconciler {

namespace {

QAction* checkItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    return item;
}

}  // namespace

FrmZC::FrmZC(ReconcileSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("FrmZC"));
    menu_.setObjectName(QStringLiteral("menu"));
    // Not drawn; it names the popup's window for the desktop.
    menu_.setWindowTitle(QStringLiteral("Tallimo选项"));
    QMenu* mselcol = menu_.addMenu(QStringLiteral("在Excel点选列标时"));
    mselcol->setObjectName(QStringLiteral("mselcol"));
    m1stRow_ =
        checkItem(mselcol, QStringLiteral("m1stRow"), QStringLiteral("以右上区首个数字行起始"));
    mignorelastrow_ = checkItem(mselcol, QStringLiteral("mignorelastrow"),
                                QStringLiteral("忽略所选区域最后一行"));
    menu_.addSeparator()->setObjectName(QStringLiteral("mline1"));
    QMenu* mResult = menu_.addMenu(QStringLiteral("对账结果"));
    mResult->setObjectName(QStringLiteral("mResult"));
    mKX1_ = checkItem(mResult, QStringLiteral("mKX1"), QStringLiteral("报告加表格线"));
    mKX2_ = checkItem(mResult, QStringLiteral("mKX2"), QStringLiteral("数据源加表格线"));
    mNearMiss_ = checkItem(mResult, QStringLiteral("mNearMiss"), QStringLiteral("疑似匹配建议"));
    mBalanceStatement_ =
        checkItem(mResult, QStringLiteral("mBalanceStatement"), QStringLiteral("生成余额调节表"));

    // `triggered` has already flipped the mark when it arrives.
    connect(m1stRow_, &QAction::triggered, &session_, &ReconcileSession::setFirstNumericRow);
    connect(mignorelastrow_, &QAction::triggered, &session_, &ReconcileSession::setIgnoreLastRow);
    connect(mKX1_, &QAction::triggered, &session_, &ReconcileSession::setReportTableLines);
    connect(mKX2_, &QAction::triggered, &session_, &ReconcileSession::setSourceTableLines);
    connect(mNearMiss_, &QAction::triggered, &session_, &ReconcileSession::setNearMissSuggestions);
    connect(mBalanceStatement_, &QAction::triggered, &session_,
            &ReconcileSession::setBalanceStatement);
    connect(&session_, &ReconcileSession::optionsChanged, this, &FrmZC::showOptions);
    connect(&session_, &ReconcileSession::optionsMenuRequested, this,
            [this](const QPoint& at) { menu_.popup(at); });
}

void FrmZC::showOptions() {
    m1stRow_->setChecked(session_.firstNumericRow());
    mignorelastrow_->setChecked(session_.ignoreLastRow());
    mKX1_->setChecked(session_.reportTableLines());
    mKX2_->setChecked(session_.sourceTableLines());
    mNearMiss_->setChecked(session_.nearMissSuggestions());
    mBalanceStatement_->setChecked(session_.balanceStatement());
}

}  // namespace tallimo::reconciler
