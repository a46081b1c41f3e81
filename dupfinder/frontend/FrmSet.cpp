#include "FrmSet.h"

#include "ColorBoxes.h"
#include "DedupJob.h"
#include "Entries.h"
#include "MemoryHost.h"
#include "OwnWindow.h"
#include "ResultShown.h"
#include "StoreFailure.h"
#include "WorkingBook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tallimo::dupfinder {

namespace {

const QColor kTitleGreen(33, 125, 8);
const QColor kGrey(180, 180, 180);
constexpr int kScreenMarginTwips = 40;
constexpr int kTopTwips = 2300;
// The status label is repainted at most this often while the report walks its keys.
constexpr int kRepaintMilliseconds = 100;

QString colorName(std::uint32_t hostColor) {
    return QColor(int(hostColor & 0xff), int((hostColor >> 8) & 0xff),
                  int((hostColor >> 16) & 0xff))
        .name();
}

void setBoxColors(QCheckBox* box, const QString& background, const QString& text) {
    box->setStyleSheet(
        QStringLiteral("QCheckBox { background: %1; color: %2; }").arg(background, text));
}

}  // namespace

FrmSet::FrmSet(DupSession& session, const DupServices& services, platform::TwipScale scale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      session_(session),
      services_(services),
      scale_(scale) {
    setObjectName(QStringLiteral("FrmSet"));
    setWindowTitle(QStringLiteral("多列查重工具"));
    setFixedSize(scale_.toPixels(QSize(widthTwips, expandedTwips)));
    QFont small = font();
    small.setPixelSize(std::max(9, scale_.toPixelsY(165)));
    setFont(small);

    lblClose = new ClickLabel(QStringLiteral("×"), this);
    lblClose->setObjectName(QStringLiteral("lblClose"));
    lblClose->setGeometry(twips(1680, 0, 375, 255));
    lblClose->setAlignment(Qt::AlignCenter);
    PicReturn = new ClickLabel(QStringLiteral("↩"), this);
    PicReturn->setObjectName(QStringLiteral("PicReturn"));
    PicReturn->setGeometry(twips(1400, 50, 300, 255));
    PicReturn->setAlignment(Qt::AlignCenter);

    auto* label1 = new QLabel(QStringLiteral("重复的条件："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(twips(120, 400, 1815, 255));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips(120, 610, 1875, 690));

    ChkKongGe = new QCheckBox(this);
    ChkKongGe->setObjectName(QStringLiteral("ChkKongGe"));
    ChkKongGe->setGeometry(twips(120, 1320, 195, 180));
    lbl4ChkKongGe = new ClickLabel(QStringLiteral("忽略选中列中的空格"), this);
    lbl4ChkKongGe->setObjectName(QStringLiteral("lbl4ChkKongGe"));
    lbl4ChkKongGe->setGeometry(twips(360, 1320, 1695, 255));
    ChkColor = new QCheckBox(this);
    ChkColor->setObjectName(QStringLiteral("ChkColor"));
    ChkColor->setGeometry(twips(120, 1560, 190, 180));
    lbl4ChkColor = new ClickLabel(QStringLiteral("勾选亮色依次标重"), this);
    lbl4ChkColor->setObjectName(QStringLiteral("lbl4ChkColor"));
    lbl4ChkColor->setGeometry(twips(360, 1560, 1440, 180));

    PicSK = new QWidget(this);
    PicSK->setObjectName(QStringLiteral("PicSK"));
    PicSK->setGeometry(twips(120, 1800, 1880, 1055));
    for (int i = 0; i < kColorBoxCount; ++i) {
        ChkSe[i] = new QCheckBox(PicSK);
        ChkSe[i]->setObjectName(QStringLiteral("ChkSe%1").arg(i));
        ChkSe[i]->setGeometry(twips(600 * (i % 3), 240 * (i / 3), 615, 255));
    }
    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setGeometry(twips(120, 2885, 1800, 15));
    Command1 = new QPushButton(QStringLiteral("确定(&O)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips(480, 2950, 1215, 375));

    PicJD = new QWidget(this);
    PicJD->setObjectName(QStringLiteral("PicJD"));
    PicJD->setAutoFillBackground(true);
    lblJD = new QLabel(QStringLiteral("正在..."), PicJD);
    lblJD->setObjectName(QStringLiteral("lblJD"));
    lblJD->setGeometry(twips(60, 0, 1400, 495));
    CmdKnow = new QPushButton(QStringLiteral("知道了"), PicJD);
    CmdKnow->setObjectName(QStringLiteral("CmdKnow"));
    CmdKnow->setGeometry(twips(1440, 90, 600, 315));
    PicJD->hide();

    connect(ChkColor, &QCheckBox::toggled, this, [this] { colorChanged(); });
    for (int i = 0; i < kColorBoxCount; ++i)
        connect(ChkSe[i], &QCheckBox::toggled, this, [this, i] { boxChanged(i); });
    connect(ChkKongGe, &QCheckBox::toggled, this, [this](bool on) {
        if (!loaded_) return;
        ui::reportStoreFailure(services_.messages, [&] {
            entries::ini::ignorBlank().write(on ? QStringLiteral("1") : QStringLiteral("0"),
                                             services_.iniFile);
        });
    });
    lbl4ChkKongGe->onClick = [this] { ChkKongGe->setChecked(!ChkKongGe->isChecked()); };
    lbl4ChkColor->onClick = [this] { ChkColor->setChecked(!ChkColor->isChecked()); };
    connect(Command1, &QPushButton::clicked, this, [this] { run(); });
    connect(CmdKnow, &QPushButton::clicked, this, [this] {
        lblJD->setToolTip({});
        expand();
    });
    PicReturn->onClick = [this] {
        returning_ = true;
        close();
        if (onReturn) onReturn();
    };
    lblClose->onClick = [this] { close(); };
    platform::enableDragMove(this);
    load();
}

FrmSet::~FrmSet() {
    removeWorkingBook(workingBookPath_);
}

QRect FrmSet::twips(int left, int top, int width, int height) const {
    return scale_.toPixels(QRect(left, top, width, height));
}

void FrmSet::load() {
    loaded_ = false;
    built_ = false;
    PicJD->setGeometry(0, 0, width(), scale_.toPixelsY(collapsedTwips));
    platform::makeTopmost(this);
    lblClose->setToolTip(QStringLiteral("关闭"));
    PicReturn->setToolTip(QStringLiteral("返回"));
    List1->setToolTip(QStringLiteral("所有勾选列均相同时视为重复！"));
    lbl4ChkKongGe->setToolTip(
        QStringLiteral("勾选后，有无空格均视同。如:【1 2】与【12】视为重复!"));
    lbl4ChkColor->setToolTip(QStringLiteral("勾选后，重复值将以不同的色彩突出显示!"));
    if (entries::ini::ignorBlank().read(services_.iniFile) == u"1") ChkKongGe->setChecked(true);
    ChkColor->setChecked(true);
    paletteStep();
    fillColumns(session_.loadedAddress);
    if (std::none_of(ChkSe.begin(), ChkSe.end(), [](QCheckBox* b) { return b->isChecked(); }))
        ChkColor->setChecked(false);
    loaded_ = true;
}

void FrmSet::placeOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 1920;
    move(screenWidth - width() - scale_.toPixelsX(kScreenMarginTwips), scale_.toPixelsY(kTopTwips));
}

void FrmSet::paletteStep() {
    for (int i = 0; i < kColorBoxCount; ++i) {
        setBoxColors(ChkSe[i], colorName(colorBoxes()[i].background),
                     colorName(colorBoxes()[i].text));
        ChkSe[i]->setText(colorBoxCaption(i));
        ChkSe[i]->setChecked(entries::ini::selColor(i).read(services_.iniFile) == u"1");
    }
}

void FrmSet::colorChanged() {
    const bool on = ChkColor->isChecked();
    for (QCheckBox* box : ChkSe) {
        box->setEnabled(on);
        box->setChecked(on);
    }
    if (on) {
        paletteStep();
    } else {
        for (QCheckBox* box : ChkSe)
            setBoxColors(box, kGrey.name(), QStringLiteral("black"));
    }
}

void FrmSet::boxChanged(int index) {
    if (!loaded_) return;
    ui::reportStoreFailure(services_.messages, [&] {
        entries::ini::selColor(index).write(
            ChkSe[index]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
            services_.iniFile);
    });
    if (std::none_of(ChkSe.begin(), ChkSe.end(), [](QCheckBox* b) { return b->isChecked(); }))
        ChkColor->setChecked(false);
}

void FrmSet::fillColumns(const QString& address) {
    List1->clear();
    const AreaAddress a = parseAreaAddress(address, Grid::Small);
    QStringList letters;
    if (a.firstColumn != a.lastColumn) {
        for (int c = columnNumber(a.firstColumn); c >= 1 && c <= columnNumber(a.lastColumn); ++c)
            letters << columnLetters(c);
    } else {
        letters << a.lastColumn;
    }
    for (const QString& column : letters) {
        auto* item = new QListWidgetItem(column + QStringLiteral("列"), List1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    if (List1->count() > 0) {
        List1->setCurrentRow(List1->count() - 1);
        List1->item(List1->count() - 1)->setCheckState(Qt::Checked);
    }
}

void FrmSet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(245, 248, 242));
    painter.setPen(kTitleGreen);
    QFont title = font();
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(twips(120, 60, 1300, 300), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("多列查重工具"));
    painter.setPen(QColor(120, 150, 110));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void FrmSet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first appearance prepares the working workbook; later ones find it built.
    if (loaded_ && !built_ && workingBookPath_.isEmpty())
        built_ = prepareWorkingBook(searchAreaAt(session_.loadedAddress));
}

// Any close but the return button's (lblClose, the window manager's) ends the program.
void FrmSet::closeEvent(QCloseEvent* event) {
    removeWorkingBook(workingBookPath_);
    workingBookPath_.clear();
    QWidget::closeEvent(event);
    if (!returning_ && onCloseAll) onCloseAll();
}

bool FrmSet::prepareWorkingBook(const SearchArea& area) {
    const QString previous = workingBookPath_;
    workingBookPath_ = newWorkingBookPath(services_.temporaryFolder);
    // A replaced working workbook is of no further use.
    if (previous != workingBookPath_) removeWorkingBook(previous);
    try {
        if (!session_.block) throw host::HostError(QStringLiteral("没有读取到选区的数据"));
        dupfinder::prepareWorkingBook(workingBookPath_, *session_.block, area);
        return true;
    } catch (const host::HostError& e) {
        services_.messages.show(ui::MessageIcon::Error, e.message());
        return false;
    }
}

void FrmSet::setStatus(const QString& text) {
    lblJD->setText(text);
    if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintMilliseconds ||
        !text.startsWith(u"正处理")) {
        QCoreApplication::processEvents();
        sinceRepaint_.restart();
    }
}

void FrmSet::collapse() {
    setFixedHeight(scale_.toPixelsY(collapsedTwips));
    PicJD->show();
    PicJD->raise();
}

void FrmSet::expand() {
    setFixedHeight(scale_.toPixelsY(expandedTwips));
    PicJD->hide();
}

void FrmSet::run() {
    std::vector<int> ticked;
    for (int p = 0; p < List1->count(); ++p)
        if (List1->item(p)->checkState() == Qt::Checked) ticked.push_back(p);
    if (ticked.empty()) {
        services_.messages.show(ui::MessageIcon::Exclamation,
                                QStringLiteral("至少要勾选一个查重的列"));
        return;
    }
    const QString current = entries::rangeSel::rngCF().get();
    if (current.isEmpty()) {
        services_.messages.show(
            ui::MessageIcon::Exclamation,
            QStringLiteral("未读取到数据源，请重新在EXCEL中拖拉出连续的选区！"));
        return;
    }
    collapse();
    lblJD->setStyleSheet({});
    lblJD->setText(QStringLiteral("欢迎使用多列查重"));
    CmdKnow->hide();

    // The run goes on only over the current address, which becomes the loaded area.
    const SearchArea area = searchAreaAt(current);
    if (current != session_.loadedAddress) {
        setStatus(QStringLiteral("正准备新数据..."));
        if (!readBlockFromClipboard(session_, services_)) {
            expand();
            return;
        }
        setStatus(QStringLiteral("正准备新表格..."));
        const AreaAddress old = parseAreaAddress(session_.loadedAddress, Grid::Small);
        const QString oldPlain = plainAddress(session_.loadedAddress);
        session_.loadedAddress = current;
        built_ = prepareWorkingBook(area);
        setStatus(QStringLiteral("正检查选区的列..."));
        const AreaAddress& now = area.parts;
        if (current.contains(u':') && (now.firstColumn + u':' + now.lastColumn) !=
                                          (old.firstColumn + u':' + old.lastColumn)) {
            setStatus(QStringLiteral("列已变，请重选。"));
            fillColumns(current);
            services_.messages.show(ui::MessageIcon::Exclamation,
                                    QStringLiteral("您的选区已由【") + oldPlain +
                                        QStringLiteral("】变更为【") + plainAddress(current) +
                                        QStringLiteral("】\r\n请重新勾选“重复的条件”的列！"));
            expand();
            return;
        }
    }
    if (!built_ && !(built_ = prepareWorkingBook(area))) {
        expand();
        return;
    }

    DedupRequest request;
    request.block = &*session_.block;
    request.area = area;
    request.detection.tickedPositions = ticked;
    request.detection.ignoreBlanks = ChkKongGe->isChecked();
    for (int i = 0; i < kColorBoxCount; ++i)
        if (ChkSe[i]->isChecked()) request.detection.colorBoxes.push_back(i);
    request.reportTime = QDateTime::currentDateTime();
    request.workingBookPath = workingBookPath_;
    if (session_.outputFolder.isEmpty()) session_.outputFolder = ensureOutputFolder(services_);
    request.reportFolder = session_.outputFolder;
    lblJD->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    if (search(request)) expand();
}

bool FrmSet::search(const DedupRequest& request) {
    try {
        host::MemoryHostOptions options;
        options.showFile = ui::showResultOrTell(services_.messages, QStringLiteral("查重报告"));
        auto app = std::make_unique<host::Application>(host::makeMemoryHost(options));
        app->setVisible(false);
        const DedupResult result =
            findDuplicates(*app, request, {[this](const QString& s) { setStatus(s); }});
        if (result.workbookName.isEmpty()) {
            CmdKnow->show();
            lblJD->setToolTip(result.sentence);
            lblJD->setText(QStringLiteral("无重复！"));
            lblJD->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
            return false;
        }
        if (services_.showReports)
            app->setVisible(true);
        else
            app->workbooks()[result.workbookName].save();
        reportHost_ = std::move(app);
    } catch (const host::HostError& e) {
        services_.messages.show(ui::MessageIcon::Error, e.message());
    }
    return true;
}

}  // namespace tallimo::dupfinder
