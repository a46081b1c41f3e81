#include "aFrm.h"

#include "AppIcon.h"
#include "Entries.h"
#include "Ini.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "ReconcileRun.h"
#include "ReconcileSession.h"
#include "Settings.h"
#include "Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace tallimo::reconciler {

namespace {

// The panel's size and the places of its controls, in twips.
constexpr int kWidthTwips = 4200;
constexpr int kHeightTwips = 2640;
constexpr int kStripTwips = 330;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

aFrm::aFrm(const Services& services, ReconcileSession& session)
    : services_(services), session_(session) {
    setObjectName(QStringLiteral("aFrm"));
    setWindowTitle(windowCaption());
    setWindowIcon(reconcilerIcon());
    // Topmost from the start: changing the flags of a made window later would make X11 give the
    // panel a new window, and the handle recorded for the add-in would name none.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setMouseTracking(true);
    buildControls();
    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, &aFrm::timerTick);
    connect(&session_, &ReconcileSession::areaChosen, this, &aFrm::showArea);
    connect(&session_, &ReconcileSession::panelRequested, this, &QWidget::show);
    connect(&session_, &ReconcileSession::optionsChanged, this,
            [this] { check2_->setChecked(session_.colourMarking()); });
}

void aFrm::buildControls() {
    const platform::TwipScale scale = platform::TwipScale::of(screen());
    const auto at = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(scale.toPixels(QRect(x, y, width, height)));
    };
    setFixedSize(scale.toPixels(QSize(kWidthTwips, kHeightTwips)));
    stripHeight_ = scale.toPixelsY(kStripTwips);
    setFont(panelFont(9));

    // The background carries no controls of its own: it paints the panel and drags it.
    picK_ = named(new QWidget(this), "PicK");
    picK_->setGeometry(rect());
    picK_->setMouseTracking(true);
    picK_->installEventFilter(this);
    platform::enableDragMove(picK_, [this](const QPoint& p) { return p.y() <= lblTop_->height(); });

    lblTop_ = named(new QLabel(this), "lblTop");
    lblTop_->setStyleSheet(QStringLiteral("color:white;"));
    at(lblTop_, 4, 6, 2800, kStripTwips - 12);
    platform::enableDragMove(lblTop_);

    auto* lblBT = named(new QLabel(QStringLiteral("选择区域"), this), "lblBT");
    lblBT->setFont(panelFont(9, true));
    lblBT->setStyleSheet(QStringLiteral("color:#1f4e79;"));
    at(lblBT, 150, 420, 1500, 300);

    struct AreaRow {
        const char* label;
        const char* box;
        const char* button;
        QString caption;
        QString tip;
        QLineEdit** text;
        PictureButton** pick;
        int top;
    };
    const AreaRow rows[] = {
        {"Label2", "Text1", "PicD", QStringLiteral("区域1："),
         QStringLiteral("选择待核对的EXCEL数据列1..."), &text1_, &picD_, 780},
        {"Label3", "Text2", "PicD2", QStringLiteral("区域2："),
         QStringLiteral("选择待核对的EXCEL数据列2..."), &text2_, &picD2_, 1200},
    };
    for (const AreaRow& row : rows) {
        auto* label = named(new QLabel(row.caption, this), row.label);
        at(label, 150, row.top + 45, 700, 300);
        *row.text = named(new QLineEdit(this), row.box);
        (*row.text)->setReadOnly(true);
        (*row.text)->setStyleSheet(
            QStringLiteral("QLineEdit{background:white;border:1px solid #9cb3cc;color:#1f3040;}"));
        at(*row.text, 820, row.top, 2730, 390);
        *row.pick = named(new PictureButton(Picture::ChooseArea, this), row.button);
        (*row.pick)->setToolTip(row.tip);
        at(*row.pick, 3620, row.top - 15, 420, 420);
        (*row.pick)->installEventFilter(this);
    }
    connect(picD_, &QAbstractButton::clicked, this, [this] { chooseArea(0); });
    connect(picD2_, &QAbstractButton::clicked, this, [this] { chooseArea(1); });

    check2_ = named(new QCheckBox(this), "Check2");
    at(check2_, 150, 1680, 260, 300);
    lblChk_ = named(new ClickLabel(QStringLiteral("色彩标注对账结果"), this), "lblChk");
    at(lblChk_, 420, 1680, 1900, 300);
    lblGJ_ = named(new ClickLabel(QStringLiteral(">>"), this), "lblGJ");
    lblGJ_->setToolTip(QStringLiteral("查阅选区信息"));
    lblGJ_->setStyleSheet(QStringLiteral("color:#1f4e79; font-weight:bold;"));
    at(lblGJ_, 3700, 1680, 360, 300);
    connect(check2_, &QCheckBox::clicked, &session_, &ReconcileSession::setColourMarking);
    connect(lblChk_, &ClickLabel::clicked, check2_, &QCheckBox::click);
    connect(lblGJ_, &ClickLabel::clicked, this, &aFrm::showSelectionInfo);

    lblmenu_ = named(new ClickLabel(QStringLiteral("▼"), this), "lblmenu");
    lblmenu_->setToolTip(QStringLiteral("更多..."));
    lblmenu_->setStyleSheet(QStringLiteral("color:white;"));
    lblmenu_->setAlignment(Qt::AlignCenter);
    at(lblmenu_, 3420, 15, 330, kStripTwips - 30);
    connect(lblmenu_, &ClickLabel::clicked, this,
            [this] { session_.requestOptionsMenu(QCursor::pos()); });

    picExit_ = named(new PictureButton(Picture::Exit, this), "PicExit");
    picExit_->setToolTip(QStringLiteral("退出"));
    at(picExit_, 3800, 15, kStripTwips - 30, kStripTwips - 30);
    connect(picExit_, &QAbstractButton::clicked, this, &aFrm::exitProgram);

    picHJ_ = named(new PictureButton(Picture::Maintenance, this), "PicHJ");
    picHJ_->setToolTip(QStringLiteral("环境维护..."));
    at(picHJ_, 150, 2100, 420, 420);
    connect(picHJ_, &QAbstractButton::clicked, this, &aFrm::openMaintenance);
    picCF_ = named(new PictureButton(Picture::FindDuplicates, this), "PicCF");
    at(picCF_, 660, 2100, 420, 420);
    connect(picCF_, &QAbstractButton::clicked, this, &aFrm::handOver);

    command1_ = named(new QPushButton(QStringLiteral("确定(&O)"), this), "Command1");
    at(command1_, 2760, 2100, 1280, 420);
    connect(command1_, &QPushButton::clicked, this,
            [this] { runReconciliation(services_, session_, *this, *command1_); });

    for (QWidget* w : {static_cast<QWidget*>(lblGJ_), static_cast<QWidget*>(lblmenu_),
                       static_cast<QWidget*>(picHJ_), static_cast<QWidget*>(picCF_),
                       static_cast<QWidget*>(command1_)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

void aFrm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPanelBackground(p, rect(), stripHeight_);
}

bool aFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove) return false;
    // Tips and the options menu would be covered by the re-raised panel.
    if (watched == picD_ || watched == picD2_ || watched == picHJ_ || watched == lblGJ_ ||
        watched == lblmenu_) {
        timer1_.stop();
        return true;  // not passed on to the panel, which would start the timer again
    } else if (watched == picCF_) {
        picCF_->setToolTip(QStringLiteral("(多列多行)查找重复"));
    } else if (watched == command1_) {
        command1_->setToolTip(QStringLiteral("开始对账！"));
    } else if (watched == picK_) {
        timer1_.start();
    }
    return false;
}

void aFrm::mouseMoveEvent(QMouseEvent* event) {
    timer1_.start();
    QWidget::mouseMoveEvent(event);
}

void aFrm::timerTick() {
    if (isVisible()) platform::makeTopmostBelowOwnWindows(this);
}

void aFrm::chooseArea(int areaIndex) {
    session_.openArea(areaIndex);
    hide();
}

void aFrm::showArea(int areaIndex) {
    const AreaChoice& area = session_.area(areaIndex);
    QLineEdit* box = areaIndex == 0 ? text1_ : text2_;
    box->setToolTip(area.panelTip);
    box->setText(area.panelText);
    box->setCursorPosition(0);
}

QString aFrm::areaInfo(int areaIndex) const {
    const QString& address = session_.area(areaIndex).prepared.addressText;
    if (address.isEmpty()) return QStringLiteral("未选择");
    const std::array<QString, 2>& rows = session_.relationRows(areaIndex);
    return address + u'#' + rows[0] + u'&' + rows[1];
}

void aFrm::showSelectionInfo() {
    messages().show(ui::MessageIcon::Information,
                    QStringLiteral("选区信息1：\r\n") + areaInfo(0) +
                        QStringLiteral("\r\n\r\n选区信息2：\r\n") + areaInfo(1),
                    session_.currentAreaNumber());
}

void aFrm::openMaintenance() {
    timer1_.stop();
    hide();
    if (services_.openMaintenanceFromPanel) services_.openMaintenanceFromPanel();
    timer1_.start();
}

void aFrm::handOver() {
    entries::ini::callCFFromDZ().write(QStringLiteral("1"));
    hide();
    const QString program = services_.programFolder + QStringLiteral("/dupfinder");
    if (services_.processes->start(program)) {
        ending_ = true;
        services_.endProgram();
        return;
    }
    // Without the duplicate finder nothing would start this program again; the panel stays.
    entries::ini::callCFFromDZ().remove();
    messages().show(ui::MessageIcon::Error,
                    QStringLiteral("无法启动查找重复程序 dupfinder：") + program);
    picCF_->show();
    show();
}

void aFrm::exitProgram() {
    if (command1_->isHidden()) return;
    close();
}

void aFrm::closeEvent(QCloseEvent* event) {
    // A run under way keeps the panel; a close request then waits for its end.
    if (command1_->isHidden()) {
        event->ignore();
        return;
    }
    try {
        entries::excel::workingSoftHwnd().remove();
    } catch (const SettingsError&) {
        // The record is only a hint to the add-in; a store that cannot be written keeps it.
    }
    event->accept();
    if (!ending_) {
        ending_ = true;
        services_.endProgram();
    }
}

}  // namespace tallimo::reconciler
