#include "Entries.h"
#include "Twips.h"
#include "X11TestSupport.h"
#include "X11WindowSystem.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <X11/Xlib.h>

namespace tallimo::running {
namespace {

using platform::WindowHandle;

using testsupport::waitFor;

// The real indicator on the test run's X server, with settings and lock folder of its own.
class BusylightProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The same platform as the indicator, so that both convert twips at the same DPI.
        testsupport::startX11Application("busylight_program_test");
    }

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display";
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        token = QStringLiteral("RunningQX") +
                QString::number(QCoreApplication::applicationPid() % 1000000)
                    .rightJustified(6, QLatin1Char('0'));
        entries::hiSet::rCode().save(token);
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

    QProcess* startBusylight() {
        auto* process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(BUSYLIGHT_PROGRAM), {});
        started.append(process);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    std::optional<WindowHandle> waitForWindow(const QString& title) {
        std::optional<WindowHandle> found;
        waitFor([&] { return (found = windows.findByTitle(title)).has_value(); });
        return found;
    }

    QPoint rootPosition(WindowHandle window) {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, Window(window), DefaultRootWindow(display), 0, 0, &x, &y,
                              &child);
        return {x, y};
    }

    int windowsTitled(const QString& title) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        int matches = 0;
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            char* name = nullptr;
            if (XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable && XFetchName(display, children[i], &name)) {
                matches += QString::fromUtf8(name) == title;
                XFree(name);
            }
        }
        XFree(children);
        return matches;
    }

    QTemporaryDir config;
    QTemporaryDir runtime;
    Display* display = nullptr;
    platform::X11WindowSystem windows;
    QString token;
    QList<QProcess*> started;
};

TEST_F(BusylightProgramTest, OpensInsideThePanelCornerAndEndsOnlyOnItsOwnCloseRequest) {
    entries::hiSet::rLeft().save(QStringLiteral("1000"));
    entries::hiSet::rTop().save(QStringLiteral("2000"));
    QProcess* busylight = startBusylight();
    const auto window = waitForWindow(token);
    ASSERT_TRUE(window.has_value());

    const platform::TwipScale scale = platform::TwipScale::of();
    const QPoint corner = rootPosition(*window);
    EXPECT_NEAR(scale.toTwipsX(corner.x()), 1300, scale.toTwipsX(1));
    EXPECT_NEAR(scale.toTwipsY(corner.y()), 2100, scale.toTwipsY(1));

    QWidget other;
    other.setWindowTitle(QStringLiteral("RunningQX999999"));
    other.show();
    const auto otherWindow = waitForWindow(other.windowTitle());
    ASSERT_TRUE(otherWindow.has_value());
    ASSERT_TRUE(windows.postCloseRequest(*otherWindow));
    EXPECT_TRUE(waitFor([&] { return !other.isVisible(); }));
    EXPECT_FALSE(busylight->waitForFinished(500)) << "a request to another title ends nothing";
    EXPECT_EQ(windows.findByTitle(token), window);

    ASSERT_TRUE(windows.postCloseRequest(*window));
    ASSERT_TRUE(busylight->waitForFinished(30000));
    EXPECT_EQ(busylight->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(busylight->exitCode(), 0);
}

TEST_F(BusylightProgramTest, SecondStartLeavesOneWindow) {
    entries::hiSet::rLeft().save(QStringLiteral("500"));
    entries::hiSet::rTop().save(QStringLiteral("500"));
    startBusylight();
    ASSERT_TRUE(waitForWindow(token).has_value());

    QProcess* second = startBusylight();
    ASSERT_TRUE(second->waitForFinished(30000)) << "the second copy ends by itself";
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(windowsTitled(token), 1);
}

TEST_F(BusylightProgramTest, StartedByHandOpensAtTheTopRightOfTheScreen) {
    entries::hiSet::rLeft().save(QStringLiteral("not a number"));
    startBusylight();
    const auto window = waitForWindow(token);
    ASSERT_TRUE(window.has_value());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint corner = rootPosition(*window);
    EXPECT_GT(corner.x(), screen.center().x());
    EXPECT_LT(corner.x(), screen.right());
    EXPECT_LT(corner.y(), screen.top() + 100);
}

}  // namespace
}  // namespace tallimo::running
