#include "FrmMain.h"

#include "Address.h"
#include "GuardPictures.h"
#include "GuardedColumns.h"
#include "InterfaceFont.h"
#include "OwnWindow.h"
#include "Settings.h"
#include "Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace tallimo::reconciler {

namespace {

constexpr QSize dialogTwips{6045, 3900};
constexpr int headerTwips = 720;

// The background picture `PicK`: the whole dialog's surface and its drag handle.
class GuardBackground final : public QWidget {
public:
    GuardBackground(int headerHeight, QWidget* parent)
        : QWidget(parent), headerHeight_(headerHeight) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintGuardBackground(painter, rect(), headerHeight_);
    }

private:
    int headerHeight_;
};

// Shows a path that does not fit with its middle left out; text() keeps the whole path.
class PathLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width()));
    }
};

}  // namespace

FrmMain::FrmMain(const QString& workbookPath, QWidget* parent)
    : FrmMain(workbookPath, realMessages_, parent) {}

FrmMain::FrmMain(const QString& workbookPath, ui::MessageBoxes& messages, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      workbookPath_(workbookPath),
      messages_(&messages) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(ui::applicationTitle());
    buildControls();
    loadTicks();
}

FrmMain::~FrmMain() = default;

void FrmMain::buildControls() {
    const platform::TwipScale scale = platform::TwipScale::of(screen());
    const auto place = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(scale.toPixels(QRect(left, top, width, height)));
    };
    setFixedSize(scale.toPixels(dialogTwips));
    setFont(ui::interfaceFont(9));

    auto* picK = new GuardBackground(scale.toPixelsY(headerTwips), this);
    picK->setObjectName(QStringLiteral("PicK"));
    place(picK, 0, 0, dialogTwips.width(), dialogTwips.height());
    platform::enableDragMove(picK);

    auto* label1 = new QLabel(
        QStringLiteral("被勾选的列将自动检查是否已存在待录入数据，防止重复录入！"), picK);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(ui::interfaceFont(9, true));
    label1->setStyleSheet(QStringLiteral("color: white;"));
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    place(label1, 700, 60, 5250, 600);

    auto* lblWJ = new PathLabel(workbookPath_, picK);
    lblWJ->setObjectName(QStringLiteral("lblWJ"));
    lblWJ->setToolTip(workbookPath_);
    lblWJ->setFont(ui::interfaceFont(9, true));
    lblWJ->setStyleSheet(QStringLiteral("color: #123f73;"));
    place(lblWJ, 160, 820, 5725, 300);

    auto* label2 = new QLabel(QStringLiteral("注：文件被移动或改名后，须重新设定"), picK);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setStyleSheet(QStringLiteral("color: #a33a00;"));
    place(label2, 160, 1120, 5725, 280);

    list1_ = new QListWidget(picK);
    list1_->setObjectName(QStringLiteral("List1"));
    for (int column = 1; column <= guardedColumnCount; ++column) {
        auto* item = new QListWidgetItem(columnLetters(column) + QStringLiteral("列"), list1_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    place(list1_, 160, 1450, 2700, 2290);

    const auto button = [&](const char* name, const QString& text, int left, int top, int width) {
        auto* b = new QPushButton(text, picK);
        b->setObjectName(QLatin1String(name));
        place(b, left, top, width, 400);
        return b;
    };
    connect(button("Command3", QStringLiteral("全选"), 3020, 1450, 1150), &QPushButton::clicked,
            this, [this] { setAllTicks(true); });
    connect(button("Command4", QStringLiteral("反选"), 3020, 1950, 1150), &QPushButton::clicked,
            this, [this] { invertTicks(); });
    connect(button("Command5", QStringLiteral("全否"), 3020, 2450, 1150), &QPushButton::clicked,
            this, [this] { setAllTicks(false); });
    QPushButton* command1 = button("Command1", QStringLiteral("设定(&O)"), 4500, 2840, 1385);
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, [this] { saveAndEnd(); });
    connect(button("Command2", QStringLiteral("退出(&E)"), 4500, 3340, 1385), &QPushButton::clicked,
            this, &QDialog::reject);
}

void FrmMain::loadTicks() {
    const QBitArray ticked = loadGuardedColumns(workbookPath_);
    for (int i = 0; i < guardedColumnCount; ++i)
        list1_->item(i)->setCheckState(ticked.testBit(i) ? Qt::Checked : Qt::Unchecked);
    list1_->setCurrentRow(0);
}

void FrmMain::setAllTicks(bool on) {
    for (int i = 0; i < list1_->count(); ++i)
        list1_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void FrmMain::invertTicks() {
    for (int i = 0; i < list1_->count(); ++i) {
        QListWidgetItem* item = list1_->item(i);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void FrmMain::saveAndEnd() {
    QBitArray ticked(guardedColumnCount);
    for (int i = 0; i < guardedColumnCount; ++i)
        ticked.setBit(i, list1_->item(i)->checkState() == Qt::Checked);
    try {
        saveGuardedColumns(workbookPath_, ticked);
    } catch (const SettingsError& error) {
        // The add-in would go on guarding the old columns: say so and let the user try again.
        messages_->show(ui::MessageIcon::Error,
                        QStringLiteral("设定未能保存：%1").arg(QString::fromUtf8(error.what())));
        return;
    }
    accept();
}

void FrmMain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void showGuardSetup(const QString& workbookPath) {
    FrmMain dialog(workbookPath);
    dialog.exec();
}

}  // namespace tallimo::reconciler
