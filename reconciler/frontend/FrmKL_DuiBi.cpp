#include "FrmKL_DuiBi.h"

#include "Entries.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "Placement.h"
#include "ReconcileSession.h"
#include "Services.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tallimo::reconciler {

FrmKL_DuiBi::FrmKL_DuiBi(const Services& services, ReconcileSession& session, QWidget* owner)
    : services_(services), session_(session), owner_(owner) {
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

    connect(&session_, &ReconcileSession::rolesChosen, this, &FrmKL_DuiBi::offerChoice);
    connect(&session_, &ReconcileSession::relationChanged, this, &FrmKL_DuiBi::showRelation);
}

void FrmKL_DuiBi::showRelation(int areaIndex) {
    const std::array<QString, 2>& rows = session_.relationRows(areaIndex);
    QListWidget* list = listOf(areaIndex);
    list->clear();
    if (!rows[0].isEmpty()) list->addItems({rows[0], rows[1]});
}

void FrmKL_DuiBi::offerChoice(int areaIndex) {
    showRelation(areaIndex);
    if (areaIndex == 0)
        lblBiDui_->setText(session_.area(0).sumColumns.size() > 1 ? u"2"_qs : u"1"_qs);
    if (!session_.relationIncomplete() && session_.relationRowsDiffer())
        showForChoice();
    else
        confirm();
}

void FrmKL_DuiBi::showForChoice() {
    list1_->setCurrentRow(0);
    list2_->setCurrentRow(0);
    placeFromRightEdge(this, 400, 1800);
    setWindowModality(Qt::ApplicationModal);
    platform::keepAboveOwner(this, owner_);
    show();
}

void FrmKL_DuiBi::swapArea(int areaIndex) {
    session_.swapSumItems(areaIndex);
    listOf(areaIndex)->setCurrentRow(0);
}

void FrmKL_DuiBi::confirm() {
    if (!session_.host()) {
        try {
            session_.adoptHost(services_.createHost());
        } catch (const host::HostError& e) {
            services_.messages->show(ui::MessageIcon::Error,
                                     QStringLiteral("无法启动电子表格程序：") + e.message());
            return;
        }
    }
    using namespace entries::rangeSel;
    const std::array<QString, 2>& left = session_.relationRows(0);
    const std::array<QString, 2>& right = session_.relationRows(1);
    bdL1().save(left[0]);
    bdL2().save(left[1]);
    bdR1().save(right[0]);
    bdR2().save(right[1]);
    hide();
    session_.confirmRelation();
    session_.requestPanel();
}

void FrmKL_DuiBi::returnToRoles() {
    hide();
    session_.returnToRoles();
}

}  // namespace tallimo::reconciler
