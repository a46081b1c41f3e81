#include "FrmCF.h"

#include "Entries.h"
#include "OwnWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace tallimo::dupfinder {

namespace {

constexpr int kScreenMarginTwips = 40;
constexpr int kTopTwips = 2300;

}  // namespace

FrmCF::FrmCF(DupSession& session, const DupServices& services, platform::TwipScale scale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      session_(session),
      services_(services),
      scale_(scale) {
    setObjectName(QStringLiteral("FrmCF"));
    setWindowTitle(title());
    setFixedSize(scale_.toPixels(QSize(widthTwips, heightTwips)));

    PicT = new ClickLabel(QStringLiteral("多列查重"), this);
    PicT->setObjectName(QStringLiteral("PicT"));
    PicT->setGeometry(twips(0, 0, widthTwips, 270));
    PicT->setAlignment(Qt::AlignCenter);
    PicT->setAutoFillBackground(true);
    PicT->setStyleSheet(QStringLiteral("background: rgb(33, 125, 8); color: white;"));
    QFont seven = PicT->font();
    seven.setPointSize(7);
    PicT->setFont(seven);
    platform::enableDragMove(PicT);

    PicD = new ClickLabel(QStringLiteral("√ 确认"), this);
    PicD->setObjectName(QStringLiteral("PicD"));
    PicD->setToolTip(QStringLiteral("确认选区并返回！"));
    PicD->setGeometry(twips(105, 360, 780, 285));
    PicX = new ClickLabel(QStringLiteral("× 关闭"), this);
    PicX->setObjectName(QStringLiteral("PicX"));
    PicX->setToolTip(QStringLiteral("关闭！"));
    PicX->setGeometry(twips(930, 360, 780, 285));
    for (ClickLabel* button : {PicD, PicX}) {
        button->setAlignment(Qt::AlignCenter);
        button->setStyleSheet(QStringLiteral(
            "border: 1px solid rgb(120, 150, 110); background: rgb(236, 244, 230);"));
    }
    // The frame line lies over everything else and lets the mouse through.
    SP = new QFrame(this);
    SP->setObjectName(QStringLiteral("SP"));
    SP->setFrameShape(QFrame::Box);
    SP->setGeometry(0, 0, width(), height());
    SP->setAttribute(Qt::WA_TransparentForMouseEvents);
    SP->raise();
    PicD->onClick = [this] { confirm(); };
    PicX->onClick = [this] { close(); };
}

FrmCF::~FrmCF() = default;

QRect FrmCF::twips(int left, int top, int width, int height) const {
    return scale_.toPixels(QRect(left, top, width, height));
}

void FrmCF::start() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 1920;
    move(screenWidth - width() - scale_.toPixelsX(kScreenMarginTwips), scale_.toPixelsY(kTopTwips));
    show();
    platform::makeTopmost(this);
}

void FrmCF::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(245, 248, 242));
}

void FrmCF::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        session_.outputFolder = ensureOutputFolder(services_);
}

void FrmCF::confirm() {
    const QString address = entries::rangeSel::rngCF().get();
    if (address.isEmpty()) {
        services_.messages.show(
            ui::MessageIcon::Exclamation,
            QStringLiteral("未读取到数据源，请重新在EXCEL中拖拉出连续的选区！"));
        return;
    }
    session_.loadedAddress = address;
    if (!readBlockFromClipboard(session_, services_)) return;
    hide();
    options_ = std::make_unique<FrmSet>(session_, services_, scale_);
    options_->onReturn = [this] {
        QTimer::singleShot(0, this, [this] {
            unloadOptions();
            start();
        });
    };
    options_->onCloseAll = [this] {
        endingFromOptions_ = true;
        QTimer::singleShot(0, this, [this] {
            unloadOptions();
            close();
        });
    };
    options_->placeOnScreen();
    options_->show();
}

void FrmCF::unloadOptions() {
    options_.reset();
}

// Closing the selection window ends the program; the options window's closing does not, as it
// may return here.
void FrmCF::closeEvent(QCloseEvent* event) {
    if (!endingFromOptions_) handBack();
    unloadOptions();
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

void FrmCF::handBack() {
    const entries::IniEntry flag = entries::ini::callCFFromDZ();
    if (flag.read(services_.iniFile) != u"1") return;
    const QString program = QDir(services_.programFolder).filePath(QStringLiteral("reconciler"));
    if (!services_.starter.start(program))
        services_.messages.show(ui::MessageIcon::Error,
                                QStringLiteral("无法启动对账程序“%1”").arg(program));
    flag.remove(services_.iniFile);
}

}  // namespace tallimo::dupfinder
