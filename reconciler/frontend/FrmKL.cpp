#include "FrmKL.h"

#include "AppIcon.h"
#include "Entries.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "Placement.h"
#include "ReconcileSession.h"
#include "SelectionText.h"
#include "Services.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tallimo::reconciler {

namespace {

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

void removeLabel(QListWidget* list, const QString& label) {
    for (int i = list->count() - 1; i >= 0; --i)
        if (list->item(i)->text() == label) delete list->takeItem(i);
}

void appendSelected(QListWidget* list, const QString& label) {
    list->addItem(label);
    list->setCurrentRow(list->count() - 1);
}

void removeLast(QListWidget* list) {
    if (list->count() == 0) return;
    delete list->takeItem(list->count() - 1);
    list->setCurrentRow(list->count() - 1);  // -1, no selection, once empty
}

void selectNextColumn(QListWidget* columns) {
    if (columns->currentRow() < columns->count() - 1)
        columns->setCurrentRow(columns->currentRow() + 1);
}

ClickLabel* labelButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new ClickLabel(caption, parent);
    label->setObjectName(name);
    label->setCursor(Qt::PointingHandCursor);
    label->setStyleSheet(QStringLiteral("color:#1f4e79; text-decoration:underline;"));
    return label;
}

}  // namespace

FrmKL::FrmKL(const Services& services, ReconcileSession& session, QWidget* owner)
    : services_(services), session_(session), owner_(owner) {
    setObjectName(QStringLiteral("FrmKL"));
    setWindowTitle(QStringLiteral("连续多列选区"));
    setWindowIcon(reconcilerIcon());  // the main panel's
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(panelFont(9));

    lblSelArea_ = new QLabel(this);
    list1_ = new QListWidget(this);
    list2_ = new QListWidget(this);
    list3_ = new QListWidget(this);
    auto* label2 = new QLabel(QStringLiteral("如日期，也可为空，直接是求和项比较"), this);
    auto* label4 = new QLabel(QStringLiteral("如借方、贷方金额，限1~2个比较列"), this);
    lblCmd1_ = labelButton(QStringLiteral("lblCmd1"), QStringLiteral("添加求和列"), this);
    lblCmd2_ = labelButton(QStringLiteral("lblCmd2"), QStringLiteral("移除求和列"), this);
    lblCmd3_ = labelButton(QStringLiteral("lblCmd3"), QStringLiteral("添加比较列"), this);
    lblCmd4_ = labelButton(QStringLiteral("lblCmd4"), QStringLiteral("移除比较列"), this);
    command5_ = new QPushButton(QStringLiteral("继续(&C)>>"), this);
    command6_ = new QPushButton(QStringLiteral("返回(&R)"), this);
    command5_->setDefault(true);
    lblSelArea_->setObjectName(QStringLiteral("lblSelArea"));
    list1_->setObjectName(QStringLiteral("List1"));
    list2_->setObjectName(QStringLiteral("List2"));
    list3_->setObjectName(QStringLiteral("List3"));
    label2->setObjectName(QStringLiteral("Label2"));
    label4->setObjectName(QStringLiteral("Label4"));
    command5_->setObjectName(QStringLiteral("Command5"));
    command6_->setObjectName(QStringLiteral("Command6"));
    lblSelArea_->setStyleSheet(QStringLiteral("color:#1f4e79; font-weight:bold;"));
    list2_->setMaximumHeight(list2_->fontMetrics().height() * 2 + 10);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblSelArea_, 0, 0, 1, 3);
    grid->addWidget(list1_, 1, 0, 6, 1);
    grid->addWidget(label2, 1, 1, 1, 2);
    grid->addWidget(list3_, 2, 1, 1, 2);
    grid->addWidget(lblCmd3_, 3, 1);
    grid->addWidget(lblCmd4_, 3, 2);
    grid->addWidget(label4, 4, 1, 1, 2);
    grid->addWidget(list2_, 5, 1, 1, 2);
    grid->addWidget(lblCmd1_, 6, 1);
    grid->addWidget(lblCmd2_, 6, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command6_);
    buttons->addWidget(command5_);
    grid->addLayout(buttons, 7, 0, 1, 3);
    list1_->setMinimumWidth(90);
    resize(420, 300);

    connect(lblCmd1_, &ClickLabel::clicked, this, &FrmKL::addSumColumn);
    connect(lblCmd2_, &ClickLabel::clicked, this, &FrmKL::removeSumColumn);
    connect(lblCmd3_, &ClickLabel::clicked, this, &FrmKL::addCompareColumn);
    connect(lblCmd4_, &ClickLabel::clicked, this, &FrmKL::removeCompareColumn);
    connect(command5_, &QPushButton::clicked, this, &FrmKL::continueStep);
    connect(command6_, &QPushButton::clicked, this, &FrmKL::returnToRange);

    connect(&session_, &ReconcileSession::columnsOffered, this, &FrmKL::offerColumns);
    connect(&session_, &ReconcileSession::rolesCleared, this, &FrmKL::clearLists);
    connect(&session_, &ReconcileSession::rolesRequested, this, &QWidget::show);
    connect(&session_, &ReconcileSession::relationChosen, this, &QWidget::hide);
    // The window shows the area being chosen; another area's labels would prepare it with
    // foreign columns on a later continue.
    connect(&session_, &ReconcileSession::relationChanged, this, [this](int area) {
        if (area != session_.currentArea()) return;
        const std::array<QString, 2>& rows = session_.relationRows(area);
        setSumList({rows[0], rows[1]});
    });
}

bool FrmKL::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) platform::makeTopmost(this);
    return QWidget::event(event);
}

void FrmKL::closeEvent(QCloseEvent* event) {
    event->ignore();
    returnToRange();
}

void FrmKL::clearLists() {
    list1_->clear();
    list2_->clear();
    list3_->clear();
}

void FrmKL::fillColumns(const QString& firstColumn, const QString& lastColumn) {
    for (int column = columnNumber(firstColumn); column <= columnNumber(lastColumn); ++column)
        list1_->addItem(sumLabel(columnLetters(column)));
    list1_->setCurrentRow(0);
    appendSelected(list2_, sumLabel(lastColumn));
}

void FrmKL::setSumList(const QStringList& labels) {
    list2_->clear();
    list2_->addItems(labels);
}

void FrmKL::offerColumns() {
    const AreaRange& range = session_.current().range;
    if (!session_.multiColumnArea()) {
        fillColumns(range.address.lastColumn, range.address.lastColumn);
        continueStep();
        return;
    }
    fillColumns(range.address.firstColumn, range.address.lastColumn);
    lblSelArea_->setText(range.text);
    setWindowTitle(QStringLiteral(" 连续多列选区(区域2)"));
    showForArea();
}

void FrmKL::showForArea() {
    placeFromRightEdge(this, 400, 1800);
    platform::keepAboveOwner(this, owner_);
    show();
    raise();
}

void FrmKL::addSumColumn() {
    const QListWidgetItem* column = list1_->currentItem();
    if (!column) {
        services_.messages->show(ui::MessageIcon::Exclamation,
                                 QStringLiteral("请先选择欲添加的列"));
        return;
    }
    if (list2_->count() >= 2) {
        services_.messages->show(ui::MessageIcon::Information,
                                 QStringLiteral("只可以同时选择两个求和项"));
        return;
    }
    const QString label = column->text();
    if (itemsOf(list2_).contains(label)) return;
    appendSelected(list2_, label);
    selectNextColumn(list1_);
    removeLabel(list3_, label);
}

void FrmKL::addCompareColumn() {
    const QListWidgetItem* column = list1_->currentItem();
    if (!column) {
        services_.messages->show(ui::MessageIcon::Exclamation,
                                 QStringLiteral("请先选择欲添加的列"));
        return;
    }
    const QString label = column->text();
    if (itemsOf(list3_).contains(label)) return;
    appendSelected(list3_, label);
    selectNextColumn(list1_);
    removeLabel(list2_, label);
}

void FrmKL::removeSumColumn() {
    removeLast(list2_);
}

void FrmKL::removeCompareColumn() {
    removeLast(list3_);
}

void FrmKL::returnToRange() {
    hide();
    session_.returnToRange();
}

void FrmKL::continueStep() {
    ui::MessageBoxes& messages = *services_.messages;
    if (list2_->count() == 0) {
        messages.show(ui::MessageIcon::Exclamation, QStringLiteral("至少要选择一列作为求和项！"));
        return;
    }
    // An empty host version is reported once for the whole area; the rows then start at 0.
    const int area = session_.currentArea();
    if (session_.current().range.versionMissing)
        messages.show(ui::MessageIcon::Exclamation, versionMissingMessage());
    const QString error = session_.prepareArea(itemsOf(list2_), itemsOf(list3_));
    if (!error.isEmpty()) {
        messages.show(ui::MessageIcon::Exclamation, error);
        return;
    }
    const std::array<QString, 2>& rows = session_.relationRows(area);
    (area == 0 ? entries::rangeSel::bdL1() : entries::rangeSel::bdR1()).save(rows[0]);
    (area == 0 ? entries::rangeSel::bdL2() : entries::rangeSel::bdR2()).save(rows[1]);

    hide();
    session_.offerRelation();
}

}  // namespace tallimo::reconciler
