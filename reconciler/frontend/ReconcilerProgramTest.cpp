#include "Entries.h"
#include "Host.h"
#include "MemoryHost.h"
#include "ProcessTestSupport.h"
#include "Twips.h"
#include "X11TestSupport.h"
#include "X11WindowSystem.h"
#include "Xlsx.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>

namespace tallimo::reconciler {
namespace {

using platform::WindowHandle;
using testsupport::waitFor;

const QString kPanelTitle = QStringLiteral("Tallimo20160511$132523");
const QString kRangeTitle = QStringLiteral("Tallimo20160512$132524");
const QString kRolesTitle = QStringLiteral(" 连续多列选区(区域2)");
const QString kMessageTitle = QStringLiteral("Tallimo");

QString buildPath(const QString& relative) {
    return QDir(qEnvironmentVariable("TALLIMO_BUILD_DIR")).filePath(relative);
}

QString sourcePath(const QString& relative) {
    return QDir(QStringLiteral(TALLIMO_SOURCE_DIR)).filePath(relative);
}

// The real program on the test run's X server, from a program folder of its own (so that its
// "Set.ini" and the programs it starts are the test's), with its own settings, lock folder and
// home; a stand-in xdg-open notes the result workbook it is handed.
class ReconcilerProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::startX11Application("reconciler_program_test"); }

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display";
        for (const char* folder : {"config", "runtime", "home", "bin", "Data"})
            ASSERT_TRUE(QDir(root.path()).mkpath(QLatin1String(folder)));
        QFile::setPermissions(path("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QFile::copy(buildPath(QStringLiteral("Data/reconciler")), program()));
        ASSERT_TRUE(testsupport::writeScript(
            path("bin/xdg-open"), "#!/bin/sh\nprintf '%s' \"$1\" > \"$HOME/opened.txt\"\n"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        entries::excel::chAddin().save(QStringLiteral("/addins/reconciler_Addin64.xlam"));
        entries::excel::ver().save(QStringLiteral("16.0"));
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
    }

    void TearDown() override {
        for (QProcess* process : started) {
            process->kill();
            process->waitForFinished();
            delete process;
        }
        if (display) XCloseDisplay(display);
        qunsetenv("XDG_CONFIG_HOME");
    }

    QString path(const char* relative) const { return root.filePath(QLatin1String(relative)); }
    QString program() const { return path("Data/reconciler"); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("PATH"), path("bin") + u':' + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }

    QProcess* start(const QString& executable, const QStringList& arguments = {}) {
        auto* process = new QProcess;
        process->setProcessEnvironment(environment());
        process->start(executable, arguments);
        started.append(process);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }
    // The add-in stand-in, with the test's program folder standing in for its own Data/.
    bool runAddin(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(buildPath(QStringLiteral("tallimo-addin")), arguments);
        return process.waitForFinished(30000) && process.exitCode() == 0;
    }

    std::optional<WindowHandle> waitForWindow(const QString& title, int milliseconds = 30000) {
        std::optional<WindowHandle> found;
        waitFor([&] { return (found = windows.findByTitle(title)).has_value(); }, milliseconds);
        return found;
    }
    QRect geometryOf(WindowHandle window) {
        int x = 0, y = 0;
        Window child = 0, rootWindow = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        XGetGeometry(display, Window(window), &rootWindow, &x, &y, &width, &height, &border,
                     &depth);
        XTranslateCoordinates(display, Window(window), DefaultRootWindow(display), 0, 0, &x, &y,
                              &child);
        return {x, y, int(width), int(height)};
    }
    // The top-level window (a child of the root) that holds `window`.
    Window topLevelOf(WindowHandle window) {
        Window current = Window(window);
        for (;;) {
            Window rootWindow = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, current, &rootWindow, &parent, &children, &count)) return 0;
            if (children) XFree(children);
            if (parent == rootWindow) return current;
            current = parent;
        }
    }
    // Whether `upper` lies above `lower` in the X server's stacking order.
    bool stackedAbove(WindowHandle upper, WindowHandle lower) {
        Window rootWindow = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &rootWindow, &parent, &children, &count);
        const Window top = topLevelOf(upper), bottom = topLevelOf(lower);
        int upperAt = -1, lowerAt = -1;
        for (unsigned i = 0; i < count; ++i) {  // bottom first
            if (children[i] == top) upperAt = int(i);
            if (children[i] == bottom) lowerAt = int(i);
        }
        if (children) XFree(children);
        return upperAt > lowerAt && lowerAt >= 0;
    }
    // The panel re-asserts its place once a second; over three of those turns a window of its own
    // program must stay above it (and, placed where the panel is, is seen to overlap it).
    void expectNeverCoveredByPanel(WindowHandle panel, WindowHandle window, const char* what,
                                   bool placedOverThePanel = true) {
        QElapsedTimer watched;
        watched.start();
        int overlapping = 0;
        while (watched.elapsed() < 3500) {
            XWindowAttributes shown{};
            XGetWindowAttributes(display, Window(panel), &shown);
            if (shown.map_state != IsViewable) {
                ADD_FAILURE() << "the panel is not shown beside " << what;
                return;
            }
            if (geometryOf(panel).intersects(geometryOf(window))) ++overlapping;
            if (!stackedAbove(window, panel)) {
                ADD_FAILURE() << what << " is below the panel after " << watched.elapsed() << " ms";
                return;
            }
            QThread::msleep(50);
        }
        if (placedOverThePanel) {
            EXPECT_GT(overlapping, 0) << what << " never overlapped the panel";
        }
    }
    bool xdotool(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        return process.waitForFinished(30000) && process.exitCode() == 0;
    }
    // A click at a point of a window given in twips (the panel's controls are placed in twips).
    bool clickAt(WindowHandle window, QPoint pixels) {
        return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                        platform::handleText(window), QString::number(pixels.x()),
                        QString::number(pixels.y()), QStringLiteral("click"), QStringLiteral("1")});
    }
    QPoint twips(int x, int y) const { return scale().toPixels(QPoint(x, y)); }
    platform::TwipScale scale() const { return platform::TwipScale::of(nullptr); }

    QTemporaryDir root;
    Display* display = nullptr;
    platform::X11WindowSystem windows;
    QList<QProcess*> started;
};

TEST_F(ReconcilerProgramTest, PanelIsTitledAndPlacedAndRecorded) {
    QProcess* reconciler = start(program());
    const auto panel = waitForWindow(kPanelTitle);
    ASSERT_TRUE(panel);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect place;
    // Mapping the window may take a moment after its title is readable.
    waitFor([&] { return (place = geometryOf(*panel)).width() > 1; });
    EXPECT_EQ(place.x(), screen.width() - place.width() - scale().toPixelsX(400));
    EXPECT_EQ(place.y(), scale().toPixelsY(1800));
    EXPECT_EQ(entries::excel::workingSoftHwnd().get(), platform::handleText(*panel));

    // Closing the panel ends the program and removes the record.
    ASSERT_TRUE(windows.postCloseRequest(*panel));
    ASSERT_TRUE(reconciler->waitForFinished(30000));
    EXPECT_TRUE(entries::excel::workingSoftHwnd().get().isEmpty());
}

// The panel stays on top of other programs, never of its own message boxes and menu.
TEST_F(ReconcilerProgramTest, PanelNeverCoversItsOwnMessagesAndMenu) {
    start(program());
    const auto panel = waitForWindow(kPanelTitle);
    ASSERT_TRUE(panel);
    ASSERT_TRUE(waitFor([&] { return geometryOf(*panel).width() > 1; }));
    ASSERT_TRUE(clickAt(*panel, twips(3400, 2310)));  // 确定 before any area: a refusal
    const auto message = waitForWindow(QStringLiteral("选区1尚未选择"));
    ASSERT_TRUE(message);
    expectNeverCoveredByPanel(*panel, *message, "the message box", false);
    windows.postCloseRequest(*message);
    ASSERT_TRUE(waitFor([&] { return !windows.findByTitle(QStringLiteral("选区1尚未选择")); }));

    ASSERT_TRUE(clickAt(*panel, twips(3585, 165)));  // ▼
    const auto menu = waitForWindow(QStringLiteral("Tallimo选项"));
    ASSERT_TRUE(menu);
    expectNeverCoveredByPanel(*panel, *menu, "the options menu");
}

// Started from the spreadsheet's menu, the panel shows beside the range window and then beside the
// roles window, which lies where the panel does.
TEST_F(ReconcilerProgramTest, PanelNeverCoversTheRolesWindow) {
    entries::excel::diaoYongButton().save(QStringLiteral("1"));
    start(program());
    const auto range = waitForWindow(kRangeTitle);
    ASSERT_TRUE(range);
    const auto panel = waitForWindow(kPanelTitle);
    ASSERT_TRUE(panel);
    ASSERT_TRUE(runAddin(
        {QStringLiteral("select"), sourcePath(QStringLiteral("examples/ledger.xlsx")),
         QStringLiteral("--sheet"), QStringLiteral("银行存款日记账"), QStringLiteral("--range"),
         QStringLiteral("A2:E309"), QStringLiteral("--for"), QStringLiteral("reconciler")}));
    // The mouse crossing the panel's own surface starts its keep-on-top timer, as a user's does
    // on the way to the range window's confirm button.
    ASSERT_TRUE(waitFor([&] { return geometryOf(*panel).width() > 1; }));
    const QPoint surface = twips(2000, 2300);
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                         platform::handleText(*panel), QString::number(surface.x()),
                         QString::number(surface.y())}));
    const QRect rangePlace = geometryOf(*range);
    const int strip = scale().toPixelsY(180);
    const int button = rangePlace.height() - strip - 12;
    ASSERT_TRUE(clickAt(*range, {rangePlace.width() / 2 - button / 2 - 4, strip + 6 + button / 2}));
    const auto roles = waitForWindow(kRolesTitle);
    ASSERT_TRUE(roles);
    // And on over the roles window, as the user goes on to choose the columns.
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                         platform::handleText(*panel), QString::number(surface.x()),
                         QString::number(surface.y()), QStringLiteral("mousemove"),
                         QStringLiteral("--window"), platform::handleText(*roles),
                         QStringLiteral("5"), QStringLiteral("5")}));
    expectNeverCoveredByPanel(*panel, *roles, "the roles window");
}

TEST_F(ReconcilerProgramTest, SecondCopyIsRefusedWithAMessage) {
    start(program());
    ASSERT_TRUE(waitForWindow(kPanelTitle));
    QProcess* second = start(program());
    const auto message = waitForWindow(kMessageTitle);
    ASSERT_TRUE(message);
    windows.postCloseRequest(*message);
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitCode(), 0);
}

TEST_F(ReconcilerProgramTest, AddInStartOpensTheAreaSelectionDespiteAStaleRecord) {
    // Left by a copy that crashed: no window has that handle any more.
    entries::excel::workingSoftHwnd().save(QStringLiteral("1234567"));
    entries::excel::diaoYongButton().save(QStringLiteral("1"));
    start(program());
    ASSERT_TRUE(waitForWindow(kRangeTitle));
    ASSERT_TRUE(waitForWindow(kPanelTitle));
    EXPECT_TRUE(waitFor([] { return entries::excel::diaoYongButton().get().isEmpty(); }));
}

TEST_F(ReconcilerProgramTest, HandOverToTheDuplicateFinder) {
    const QString marker = path("dupfinder-started");
    ASSERT_TRUE(testsupport::writeScript(
        path("Data/dupfinder"), "#!/bin/sh\ntouch \"" + QFile::encodeName(marker) + "\"\n"));
    entries::excel::diaoYongButtonCF().save(QStringLiteral("CF"));
    QProcess* reconciler = start(program());
    ASSERT_TRUE(testsupport::waitForFile(marker));
    ASSERT_TRUE(reconciler->waitForFinished(30000));
    EXPECT_TRUE(entries::excel::diaoYongButtonCF().get().isEmpty());
    EXPECT_EQ(entries::ini::callCFFromDZ().read(), QStringLiteral("1"));
}

TEST_F(ReconcilerProgramTest, HandOverThatCannotStartKeepsThePanel) {
    entries::excel::diaoYongButtonCF().save(QStringLiteral("CF"));
    QProcess* reconciler = start(program());
    const auto message = waitForWindow(kMessageTitle);
    ASSERT_TRUE(message);
    windows.postCloseRequest(*message);
    ASSERT_TRUE(waitForWindow(kPanelTitle));
    EXPECT_EQ(reconciler->state(), QProcess::Running);
    EXPECT_TRUE(entries::ini::callCFFromDZ().read().isEmpty());
}

TEST_F(ReconcilerProgramTest, CommandLineOpensTheGuardSetupInsteadOfThePanel) {
    QProcess* reconciler = start(program(), {QStringLiteral("\"-s|/books/账本 1.xlsx\"")});
    const auto guard = waitForWindow(kMessageTitle);
    ASSERT_TRUE(guard);
    EXPECT_FALSE(windows.findByTitle(kPanelTitle));
    windows.postCloseRequest(*guard);
    ASSERT_TRUE(reconciler->waitForFinished(30000));
    EXPECT_FALSE(windows.findByTitle(kPanelTitle));
}

TEST_F(ReconcilerProgramTest, FirstStartShowsTheMaintenanceBeforeThePanel) {
    entries::excel::chAddin().remove();
    start(program());
    ASSERT_TRUE(waitForWindow(QStringLiteral("环境维护")));
    EXPECT_FALSE(windows.findByTitle(kPanelTitle));
}

// The texts of every cell of every sheet, with the time of the run blanked out.
QStringList cellsOf(const QString& file) {
    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().add();
    host::readXlsx(app.backend(), book.id(), file);
    // "报告时间:2026/12/10 5:11:12": the moment of the run, which differs between the two runs.
    const QRegularExpression time(
        QStringLiteral("\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{2}:\\d{2}"));
    QStringList cells;
    for (int s = 1; s <= book.sheets().count(); ++s) {
        const host::Worksheet sheet = book.sheets()[s];
        cells << QStringLiteral("sheet ") + sheet.name();
        const host::CellRect used = sheet.usedRange().rect();
        for (int row = used.top; row <= used.bottom; ++row)
            for (int column = used.left; column <= used.right; ++column) {
                QString text = sheet.cells(row, column).text();
                if (!text.isEmpty())
                    cells << sheet.cells(row, column).address() + u'=' +
                                 text.replace(time, QStringLiteral("<time>"));
            }
    }
    return cells;
}

// Both areas chosen through the windows while the add-in stand-in answers the selections, then
// the run; the workbook shown holds what the batch reconciliation makes of the same areas (the
// near-miss suggestions are ticked on a fresh store).
TEST_F(ReconcilerProgramTest, ReconcilesTheBundledExamplesLikeTheBatchRun) {
    start(program());
    const auto panel = waitForWindow(kPanelTitle);
    ASSERT_TRUE(panel);
    const struct {
        QPoint button;  // the panel's area button, twips
        QString file;
        QString sheet;
        QString range;
    } areas[] = {
        {{3830, 975},
         sourcePath(QStringLiteral("examples/ledger.xlsx")),
         QStringLiteral("银行存款日记账"),
         QStringLiteral("A2:E309")},
        {{3830, 1395},
         sourcePath(QStringLiteral("examples/bank-statement.xlsx")),
         QStringLiteral("银行流水"),
         QStringLiteral("A2:E310")},
    };
    for (const auto& area : areas) {
        ASSERT_TRUE(waitFor([&] { return geometryOf(*panel).width() > 1; }));
        ASSERT_TRUE(clickAt(*panel, twips(area.button.x(), area.button.y())));
        const auto range = waitForWindow(kRangeTitle);
        ASSERT_TRUE(range);
        ASSERT_TRUE(runAddin({QStringLiteral("select"), area.file, QStringLiteral("--sheet"),
                              area.sheet, QStringLiteral("--range"), area.range,
                              QStringLiteral("--for"), QStringLiteral("reconciler")}));
        // The range window's confirm button: left of its middle, below the strip.
        const QRect rangePlace = geometryOf(*range);
        const int strip = scale().toPixelsY(180);
        const int button = rangePlace.height() - strip - 12;
        ASSERT_TRUE(
            clickAt(*range, {rangePlace.width() / 2 - button / 2 - 4, strip + 6 + button / 2}));
        // Several columns: the roles window, continued with its preselected sum column.
        const auto roles = waitForWindow(kRolesTitle);
        ASSERT_TRUE(roles);
        ASSERT_TRUE(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                             platform::handleText(*roles), QStringLiteral("key"),
                             QStringLiteral("alt+c")}));
        ASSERT_TRUE(waitFor([&] {
            return entries::rangeSel::actA().get().contains(area.sheet) ||
                   entries::rangeSel::actB().get().contains(area.sheet);
        })) << area.sheet.toStdString();
    }
    ASSERT_TRUE(clickAt(*panel, twips(3400, 2310)));  // 确定
    ASSERT_TRUE(testsupport::waitForFile(path("home/opened.txt"), 60000));
    QFile opened(path("home/opened.txt"));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    const QString shown = QString::fromUtf8(opened.readAll());
    EXPECT_TRUE(QFileInfo(shown).fileName().startsWith(u"对账_ledger_bank-statement_"_qs))
        << shown.toStdString();

    QProcess cli;
    cli.start(
        buildPath(QStringLiteral("tallimo-cli")),
        {QStringLiteral("reconcile"), QStringLiteral("--left"), areas[0].file,
         QStringLiteral("--left-sheet"), areas[0].sheet, QStringLiteral("--left-range"),
         areas[0].range, QStringLiteral("--right"), areas[1].file, QStringLiteral("--right-sheet"),
         areas[1].sheet, QStringLiteral("--right-range"), areas[1].range,
         QStringLiteral("--suggest"), QStringLiteral("--output"), path("batch.xlsx")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QStringList fromWindows = cellsOf(shown);
    const QStringList fromBatch = cellsOf(path("batch.xlsx"));
    EXPECT_GT(fromWindows.size(), 1000);
    EXPECT_EQ(fromWindows.size(), fromBatch.size());
    for (qsizetype i = 0; i < std::min(fromWindows.size(), fromBatch.size()); ++i) {
        if (fromWindows[i] == fromBatch[i]) continue;
        ADD_FAILURE() << "first difference: " << fromWindows[i].toStdString() << " against "
                      << fromBatch[i].toStdString();
        break;
    }
}

}  // namespace
}  // namespace tallimo::reconciler
