#include "FrmKL_DuiBi.h"

#include "Entries.h"
#include "FrmKL.h"
#include "Frontend.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "aFrm.h"
#include "bFrm.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tallimo::reconciler {

FrmKL_DuiBi::FrmKL_DuiBi(Frontend& frontend) : f_(frontend) {
    setObjectName(QStringLiteral("FrmKL_DuiBi"));
    setWindowTitle(QStringLiteral("比对关系"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(panelFont(9));

    auto* grid = new QGridLayout(this);
    auto* label3 = new QLabel(QStringLiteral("区域1(左区)："), this);
    auto* label1 = new QLabel(QStringLiteral("区域2(右区)："), this);
    list1_ = new QListWidget(this);
    list2_ = new QListWidget(this);
    for (QListWidget* list : {list1_, list2_})
        list->setFixedHeight(list->fontMetrics().height() * 2 + 10);
    auto* arrows = new QWidget(this);
    auto* arrowColumn = new QVBoxLayout(arrows);
    arrowColumn->setContentsMargins(0, 4, 0, 4);
    auto* label4 = new QLabel(QStringLiteral("<--->"), arrows);
    auto* label2 = new QLabel(QStringLiteral("<--->"), arrows);
    arrowColumn->addWidget(label4);
    arrowColumn->addWidget(label2);
    lblBiDui_ = new QLabel(QStringLiteral("1"), this);
    lblBiDui_->setVisible(false);
    command1_ = new QPushButton(QStringLiteral("交换区域1的求和项"), this);
    command2_ = new QPushButton(QStringLiteral("交换区域2的求和项"), this);
    command5_ = new QPushButton(QStringLiteral("继续(&C)>>"), this);
    command6_ = new QPushButton(QStringLiteral("返回(&R)"), this);
    command5_->setDefault(true);

    grid->addWidget(label3, 0, 0);
    grid->addWidget(label1, 0, 2);
    grid->addWidget(list1_, 1, 0);
    grid->addWidget(arrows, 1, 1);
    grid->addWidget(list2_, 1, 2);
    grid->addWidget(command1_, 2, 0);
    grid->addWidget(command2_, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command6_);
    buttons->addWidget(command5_);
    grid->addLayout(buttons, 3, 0, 1, 3);

    const QList<std::pair<QObject*, QString>> names = {
        {label3, QStringLiteral("Label3")},      {label1, QStringLiteral("Label1")},
        {label4, QStringLiteral("Label4")},      {label2, QStringLiteral("Label2")},
        {list1_, QStringLiteral("List1")},       {list2_, QStringLiteral("List2")},
        {lblBiDui_, QStringLiteral("lblBiDui")}, {command1_, QStringLiteral("Command1")},
        {command2_, QStringLiteral("Command2")}, {command5_, QStringLiteral("Command5")},
        {command6_, QStringLiteral("Command6")}};
    for (const auto& [object, name] : names)
        object->setObjectName(name);

    connect(command1_, &QPushButton::clicked, this, [this] { swapArea(0); });
    connect(command2_, &QPushButton::clicked, this, [this] { swapArea(1); });
    connect(command5_, &QPushButton::clicked, this, &FrmKL_DuiBi::confirm);
    connect(command6_, &QPushButton::clicked, this, &FrmKL_DuiBi::returnToRoles);
}

QString FrmKL_DuiBi::relationItem(int areaIndex, int row) const {
    const QListWidgetItem* item = listOf(areaIndex)->item(row);
    return item ? item->text() : QString();
}

void FrmKL_DuiBi::setRelation(int areaIndex, const QString& row0, const QString& row1) {
    QListWidget* list = listOf(areaIndex);
    list->clear();
    list->addItems({row0, row1});
}

bool FrmKL_DuiBi::anyListEmpty() const {
    return list1_->count() == 0 || list2_->count() == 0;
}

bool FrmKL_DuiBi::rowsDiffer() const {
    return relationItem(0, 0) + relationItem(1, 0) != relationItem(0, 1) + relationItem(1, 1);
}

void FrmKL_DuiBi::showForChoice() {
    list1_->setCurrentRow(0);
    list2_->setCurrentRow(0);
    placeFromRightEdge(this, 400, 1800);
    setWindowModality(Qt::ApplicationModal);
    platform::keepAboveOwner(this, f_.panel);
    show();
}

void FrmKL_DuiBi::swapArea(int areaIndex) {
    auto& keyLists = f_.state.areas[std::size_t(areaIndex)].prepared.keyLists;
    std::swap(keyLists[0], keyLists[1]);
    const QString row0 = relationItem(areaIndex, 1);
    const QString row1 = relationItem(areaIndex, 0);
    setRelation(areaIndex, row0, row1);
    listOf(areaIndex)->setCurrentRow(0);
    // The column-roles window shows the area being chosen; another area's labels would prepare
    // it with foreign columns on a later continue.
    if (areaIndex == f_.state.areaIndex()) f_.roles->setSumList({row0, row1});
}

void FrmKL_DuiBi::confirm() {
    if (!f_.state.host) {
        try {
            f_.state.host = f_.services.createHost();
        } catch (const host::HostError& e) {
            f_.messages().show(ui::MessageIcon::Error,
                               QStringLiteral("无法启动电子表格程序：") + e.message());
            return;
        }
    }
    using namespace entries::rangeSel;
    bdL1().save(relationItem(0, 0));
    bdL2().save(relationItem(0, 1));
    bdR1().save(relationItem(1, 0));
    bdR2().save(relationItem(1, 1));
    hide();
    f_.roles->hide();
    f_.range->PicDok();
    f_.panel->show();
}

void FrmKL_DuiBi::returnToRoles() {
    hide();
    f_.roles->show();
}

}  // namespace tallimo::reconciler
