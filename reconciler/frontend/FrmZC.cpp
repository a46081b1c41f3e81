#include "FrmZC.h"

#include "Entries.h"

namespace tallimo::reconciler {

namespace {

QAction* checkItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    return item;
}

}  // namespace

FrmZC::FrmZC(QWidget* parent) : QWidget(parent) {
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

    // Every value but "0" ticks the first-row choice; anything but "0" or "1" is stored as "1".
    const entries::Setting firstRow = entries::hiSet::firstRowSelCol();
    const QString stored = firstRow.get();
    m1stRow_->setChecked(stored != u"0");
    if (stored != u"0" && stored != u"1") firstRow.save(QStringLiteral("1"));
    mignorelastrow_->setChecked(entries::hiSet::lastRowSelCol().isSet());

    // `triggered` has already flipped the mark when it arrives.
    connect(m1stRow_, &QAction::triggered, this,
            [](bool ticked) { entries::hiSet::firstRowSelCol().saveFlag(ticked); });
    connect(mignorelastrow_, &QAction::triggered, this,
            [](bool ticked) { entries::hiSet::lastRowSelCol().saveFlag(ticked); });
    // The grid-line choices are stored the other way round ("1": no lines), which is how the
    // start-up reads them.
    connect(mKX1_, &QAction::triggered, this,
            [](bool ticked) { entries::hiSet::reportKX1().saveFlag(!ticked); });
    connect(mKX2_, &QAction::triggered, this,
            [](bool ticked) { entries::hiSet::reportKX2().saveFlag(!ticked); });
}

void FrmZC::loadTableLineMarks() {
    mKX1_->setChecked(!entries::hiSet::reportKX1().isSet());
    mKX2_->setChecked(!entries::hiSet::reportKX2().isSet());
}

}  // namespace tallimo::reconciler
