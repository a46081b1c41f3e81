#include "bFrm.h"

#include "Entries.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "Placement.h"
#include "ReconcileSession.h"
#include "SelectionText.h"
#include "Services.h"
#include "Twips.h"

#include <QLineEdit>
#include <QPainter>

namespace tallimo::reconciler {

namespace {

const QString kReselect = QStringLiteral("，请重新在EXCEL中拖拉出连续的选区！");

// Window and strip sizes in twips.
constexpr int kWidthTwips = 1380;
constexpr int kHeightTwips = 600;
constexpr int kStripTwips = 180;

// The strip that names the window ("选区1") and drags it.
class TitleStrip final : public QWidget {
public:
    TitleStrip(const QString* text, QWidget* parent) : QWidget(parent), text_(text) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x1f, 0x4e, 0x79));
        p.setPen(Qt::white);
        p.setFont(panelFont(6));
        p.drawText(rect().adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, *text_);
    }

private:
    const QString* text_;
};

bool allEmpty(const QString& text) {
    for (QStringView line : splitSelectionLines(text))
        if (!line.isEmpty()) return false;
    return true;
}

}  // namespace

const QColor& bFrm::frameColourOn() {
    static const QColor colour(1, 204, 254);
    return colour;
}

const QColor& bFrm::frameColourOff() {
    static const QColor colour(254, 254, 0);
    return colour;
}

bFrm::bFrm(const Services& services, ReconcileSession& session)
    : services_(services), session_(session), frameColour_(frameColourOff()) {
    setObjectName(QStringLiteral("bFrm"));
    setWindowTitle(windowCaption());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(240, 240, 240));
    setPalette(background);
    setAutoFillBackground(true);

    const platform::TwipScale scale = platform::TwipScale::of(screen());
    setFixedSize(scale.toPixels(QSize(kWidthTwips, kHeightTwips)));
    const int strip = scale.toPixelsY(kStripTwips);
    picT_ = new TitleStrip(&stripText_, this);
    picT_->setObjectName(QStringLiteral("PicT"));
    picT_->setGeometry(3, 3, width() - 6, strip);
    picT_->setToolTip(QStringLiteral("返回！"));
    platform::enableDragMove(picT_);

    const int button = height() - strip - 12;
    picD_ = new PictureButton(Picture::Confirm, this);
    picD_->setObjectName(QStringLiteral("PicD"));
    picD_->setGeometry(width() / 2 - button - 4, strip + 6, button, button);
    picX_ = new PictureButton(Picture::Return, this);
    picX_->setObjectName(QStringLiteral("PicX"));
    picX_->setToolTip(QStringLiteral("返回！"));
    picX_->setGeometry(width() / 2 + 4, strip + 6, button, button);

    // Outside the client area: only its handle matters, to the add-in.
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(width() + 40, 0, 40, 20);

    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, &bFrm::timerTick);
    connect(picD_, &QAbstractButton::clicked, this, &bFrm::confirm);
    connect(picX_, &QAbstractButton::clicked, this, &bFrm::returnToPanel);

    connect(&session_, &ReconcileSession::areaOpened, this, [this] {
        text1_->setToolTip(QStringLiteral("区域") + session_.currentAreaNumber());
        openForArea();
    });
    connect(&session_, &ReconcileSession::rangeRequested, this, [this] {
        startBlinking();
        show();
    });
    connect(&session_, &ReconcileSession::relationChosen, this, &bFrm::PicDok);
}

void bFrm::ensureLoaded() {
    if (loaded_) return;
    loaded_ = true;
    placeFromRightEdge(this, 300, 2000);
    platform::makeTopmost(this);
    // Drawn once: the strip keeps the area of the first use.
    stripText_ = QStringLiteral("选区") + session_.currentAreaNumber();
    picD_->setToolTip(QStringLiteral("确认选区并返回！"));
    blinkOn_ = false;
    timer1_.start();
}

void bFrm::openForArea() {
    ensureLoaded();
    show();
    // The add-in finds the text box by its native window.
    platform::nativeControlHandle(text1_);
}

qint64 bFrm::windowHandle() {
    return platform::handleOf(this);
}

qint64 bFrm::textBoxHandle() {
    return platform::nativeControlHandle(text1_);
}

void bFrm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(frameColour_, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}

void bFrm::timerTick() {
    if (!isVisible()) return;
    blinkOn_ = !blinkOn_;
    frameColour_ = blinkOn_ ? frameColourOn() : frameColourOff();
    update();
    platform::makeTopmost(this);
}

void bFrm::returnToPanel() {
    hide();
    session_.requestPanel();
}

void bFrm::confirm() {
    ui::MessageBoxes& messages = *services_.messages;
    session_.startSelection();
    session_.captureText(services_.clipboard->text());
    if (allEmpty(session_.capturedText())) {
        messages.show(ui::MessageIcon::Exclamation,
                      QStringLiteral("读取数据源失败(无回车分隔)") + kReselect);
        return;
    }

    const QString rangeText = entries::rangeSel::rng().get();
    const AreaAddress& address =
        session_.enterRange(rangeText, entries::rangeSel::rngTitles().get()).address;
    if (session_.current().range.versionMissing)
        messages.show(ui::MessageIcon::Exclamation, versionMissingMessage());
    entries::rangeSel::forArea(entries::rangeSel::rng(), session_.currentArea() + 1)
        .save(rangeText);

    if (address.firstColumn != address.lastColumn) {
        const QList<QStringView> lines = splitSelectionLines(session_.capturedText());
        const qsizetype pieces = splitSelectionCells(lines.first()).size();
        if (pieces == 1) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("读取数据源失败(不能区分列~)") + kReselect);
            return;
        }
        const int span = columnNumber(address.lastColumn) - columnNumber(address.firstColumn);
        if (span != pieces - 1) {
            messages.show(ui::MessageIcon::Exclamation,
                          QStringLiteral("读取数据源失败(列数不符)") + kReselect +
                              QStringLiteral("\r\n%1:%2/%3")
                                  .arg(address.firstColumn, address.lastColumn)
                                  .arg(pieces - 1));
            return;
        }
        timer1_.stop();
        hide();
        session_.offerColumns(true);
        return;
    }

    hide();
    session_.offerColumns(false);
}

void bFrm::PicDok() {
    ui::MessageBoxes& messages = *services_.messages;
    if (!session_.multiColumnArea() && allEmpty(services_.clipboard->text())) {
        messages.show(ui::MessageIcon::Exclamation,
                      QStringLiteral("请在EXCEL文件中选择用于对账（比对）的连续的单元格，如："
                                     "\r\nA3:A15 或 A3:F15"),
                      QStringLiteral("选择选区"));
        return;
    }
    using namespace entries::rangeSel;
    if (fromSon().get() != platform::handleText(textBoxHandle()) ||
        fromParent().get() != platform::handleText(windowHandle()))
        return;
    // Without the host window's handle the area would count as not chosen later on; refused
    // here, before anything of it is kept.
    const auto hostWindow = platform::parseHandle(hwndExcel().get());
    if (!hostWindow) {
        messages.show(ui::MessageIcon::Exclamation,
                      QStringLiteral("请在EXCEL文件中选择用于对账（比对）的连续的单元格，如："
                                     "\r\nA3:A15 或 A3:F15"),
                      QStringLiteral("选择选区"));
        return;
    }
    const int area = session_.currentArea();
    for (const entries::Setting& key : report())
        forArea(key, area + 1).save(key.get());

    const std::array<QString, 2>& rows = session_.relationRows(area);
    const QString labels =
        u'#' + rows[0] + (!rows[1].isEmpty() && rows[1] != rows[0] ? u'&' + rows[1] : QString());
    const QString descriptor =
        fromSon().get() + u'[' + wkName().get() + u']' + sht().get() + u'!' + rng().get();
    text1_->setText(descriptor + labels);
    (area == 0 ? actA() : actB()).save(descriptor);
    session_.acceptArea(area, descriptor, *hostWindow, u'[' + sName().get() + u']',
                        sht().get() + u'!' + rng().get() + labels);
    timer1_.stop();
    hide();
}

}  // namespace tallimo::reconciler
