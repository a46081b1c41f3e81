#include "FrmHJ.h"

#include "AppIcon.h"
#include "Entries.h"
#include "InterfaceFont.h"
#include "MaintenancePicture.h"
#include "Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace tallimo::reconciler {

namespace {

constexpr QSize dialogTwips{6600, 3450};
constexpr int bandTopTwips = 2500;
constexpr int rightMarginTwips = 300;
constexpr int topTwips = 1800;

const QString workingText = QStringLiteral("正在维护，请稍候...");

class PictureBox final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintMaintenancePicture(painter, rect());
    }
};

}  // namespace

FrmHJ::FrmHJ(MaintenanceServices services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      services_(std::move(services)) {
    if (!services_.messages) services_.messages = &realMessages_;
    setObjectName(QStringLiteral("FrmHJ"));
    setWindowTitle(QStringLiteral("环境维护"));
    setWindowIcon(reconcilerIcon());
    buildControls();
}

void FrmHJ::buildControls() {
    const platform::TwipScale scale = platform::TwipScale::of(screen());
    const auto place = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(scale.toPixels(QRect(left, top, width, height)));
    };
    setFixedSize(scale.toPixels(dialogTwips));
    setFont(ui::interfaceFont(9));
    bandTop_ = scale.toPixelsY(bandTopTwips);

    auto* picture = new PictureBox(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    place(picture, 260, 300, 1280, 1400);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(ui::interfaceFont(9.5, true));
    label1_->setWordWrap(true);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label1_, 1760, 280, 4600, 800);

    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setWordWrap(true);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2_->setStyleSheet(QStringLiteral("color: #4a5868;"));
    place(label2_, 1760, 1120, 4600, 800);

    check1_ = new QCheckBox(this);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setChecked(true);
    place(check1_, 1760, 2010, 260, 320);
    lblChk_ = new QLabel(QStringLiteral("添加/去除Calc的Tallimo菜单/工具栏"), this);
    lblChk_->setObjectName(QStringLiteral("lblChk"));
    lblChk_->setCursor(Qt::PointingHandCursor);
    lblChk_->installEventFilter(this);
    place(lblChk_, 2040, 2010, 4300, 320);

    command1_ = new QPushButton(QStringLiteral("确定(&O)"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    place(command1_, 5160, 2780, 1200, 420);
    connect(command1_, &QPushButton::clicked, this, &FrmHJ::runMaintenance);

    cmdFQ_ = new QPushButton(QStringLiteral("放弃(&A)"), this);
    cmdFQ_->setObjectName(QStringLiteral("CmdFQ"));
    cmdFQ_->setVisible(false);
    place(cmdFQ_, 3840, 2780, 1200, 420);
    connect(cmdFQ_, &QPushButton::clicked, this, &FrmHJ::giveUp);
}

void FrmHJ::prepare(bool fromPanel) {
    openedFromPanel_ = fromPanel;
    label1_->setText(
        fromPanel
            ? QStringLiteral(
                  "环境维护：此功能将修复EXCEL选区获取失败，比对（对账）数据的色彩标注失败等。")
            : QStringLiteral("你是第一次使用《Tallimo》，为确保数据比对效果，需要进行环境维护。"));
    label2_->setText(fromPanel ? QStringLiteral("用户主动维护，软件环境将恢复至初次安装时状态。原有"
                                                "个性设置将被清除，您可根据需要再设置。")
                               : QStringLiteral("此操作仅需要一次。"));
    cmdFQ_->setVisible(fromPanel);
    cmdFQ_->setEnabled(true);
    command1_->setEnabled(true);
    check1_->setEnabled(true);
    check1_->setChecked(true);
    placeOnScreen();
}

void FrmHJ::placeOnScreen() {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const platform::TwipScale scale = platform::TwipScale::of(s);
    const QRect area = s->geometry();
    move(area.left() + area.width() - width() - scale.toPixelsX(rightMarginTwips),
         area.top() + scale.toPixelsY(topTwips));
}

bool FrmHJ::runAtFirstStart() {
    prepare(false);
    return exec() == QDialog::Accepted;
}

void FrmHJ::openFromPanel() {
    prepare(true);
    show();
    raise();
    activateWindow();
}

void FrmHJ::giveUp() {
    if (!openedFromPanel_) {
        done(QDialog::Rejected);
        return;
    }
    hide();
    emit panelShowRequested();
}

void FrmHJ::enableAfterRefusal() {
    if (cmdFQ_->isVisibleTo(this)) cmdFQ_->setEnabled(true);
    command1_->setEnabled(true);
    check1_->setEnabled(true);
}

void FrmHJ::runMaintenance() {
    if (cmdFQ_->isVisibleTo(this)) cmdFQ_->setEnabled(false);
    command1_->setEnabled(false);
    check1_->setEnabled(false);
    label2_->setText(workingText);
    label2_->repaint();

    const AddinInstall install{services_.programFolder, applicationDataFolder(),
                               check1_->isChecked()};
    resetSettings();

    if (services_.windows && spreadsheetIsRunning(*services_.windows)) {
        services_.messages->show(ui::MessageIcon::Exclamation,
                                 QStringLiteral("已经有Excel在运行啦，请关闭EXCEL后再试！"),
                                 QStringLiteral("首次运行软件提示"));
        enableAfterRefusal();
        return;
    }

    QString hostFailure;
    const std::optional<int> major =
        installAddins(install, services_.createHost, *services_.messages, &hostFailure);
    if (!major) {
        // Nothing was installed and ChAddin stays empty, so the next start offers maintenance
        // again; CmdFQ lets the user leave, which at the first start ends the program.
        services_.messages->show(
            ui::MessageIcon::Error,
            QStringLiteral("未能启动电子表格程序，环境维护未完成。\n%1").arg(hostFailure));
        cmdFQ_->setVisible(true);
        enableAfterRefusal();
        label2_->clear();
        return;
    }
    finish(*major);
}

void FrmHJ::finish(int hostMajorVersion) {
    emit areasForgotten();
    entries::excel::workingSoftHwnd().remove();
    label2_->clear();

    if (check1_->isChecked()) {
        hide();
        if (hostMajorVersion > 11)
            services_.messages->show(
                ui::MessageIcon::Information,
                QStringLiteral("您可以点击Calc菜单“Tallimo → 数据比对”使用对账功能！"),
                QStringLiteral("环境维护完成"));
        else
            services_.messages->show(ui::MessageIcon::Information,
                                     QStringLiteral("环境维护完成！\n    您可以点击Calc“Tallimo → "
                                                    "数据比对”菜单\n或 点击“Tallimo”工具栏的"
                                                    "“数据比对”按钮直接使用！"));
        command1_->setEnabled(true);
        if (!openedFromPanel_) {
            done(QDialog::Rejected);
            return;
        }
        openedFromPanel_ = false;
        cmdFQ_->setEnabled(true);
        emit panelShowRequested();
        return;
    }

    hide();
    services_.messages->show(ui::MessageIcon::Information, QStringLiteral("环境维护完成！"),
                             QStringLiteral("OK"));
    if (!openedFromPanel_) {
        done(QDialog::Accepted);
        return;
    }
    openedFromPanel_ = false;
    emit panelShowRequested();
}

void FrmHJ::closeEvent(QCloseEvent* event) {
    event->ignore();
}

bool FrmHJ::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblChk_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && check1_->isEnabled()) {
        check1_->toggle();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmHJ::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(252, 253, 255));
    const QRect band(0, bandTop_, width(), height() - bandTop_);
    painter.fillRect(band, QColor(236, 240, 245));
    painter.setPen(QColor(205, 213, 222));
    painter.drawLine(band.topLeft(), band.topRight());
}

}  // namespace tallimo::reconciler
