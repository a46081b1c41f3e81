#include "DesktopOpener.h"
#include "LogonName.h"
#include "OwnWindow.h"
#include "ProcessStarter.h"
#include "SingleInstance.h"
#include "SystemInfo.h"
#include "Twips.h"
#include "WindowSystem.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

namespace tallimo::platform {
namespace {

TEST(WindowHandleText, ReadsSignedDecimalAndRejectsTheRest) {
    struct Case {
        const char* text;
        std::optional<WindowHandle> handle;
    };
    const Case cases[] = {{"4194307", 4194307}, {"-1234", -1234},   {" 77 ", 77},
                          {"0", std::nullopt},  {"", std::nullopt}, {"12ab", std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(parseHandle(QString::fromLatin1(c.text)), c.handle) << c.text;
    EXPECT_EQ(handleText(-5), QStringLiteral("-5"));
    EXPECT_EQ(parseHandle(handleText(0x7fffffff)), 0x7fffffff);
}

TEST(TwipScale, ConvertsAtTheScreensDotsPerInch) {
    const TwipScale at96(96, 96);
    EXPECT_EQ(at96.toPixels(QSize(2910, 945)), QSize(194, 63));
    EXPECT_EQ(at96.toPixels(QPoint(1300, 2100)), QPoint(87, 140));
    // A place converts its corner and its size each on its own: the size does not depend on
    // where the control stands.
    EXPECT_EQ(at96.toPixels(QRect(1300, 2100, 2910, 945)), QRect(QPoint(87, 140), QSize(194, 63)));
    EXPECT_DOUBLE_EQ(at96.toTwipsX(96), 1440);
    const TwipScale uneven(120, 144);
    EXPECT_EQ(uneven.toPixels(QPoint(1440, 1440)), QPoint(120, 144));
    EXPECT_DOUBLE_EQ(uneven.toTwipsY(72), 720);
}

class FileInstanceLockTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
};

TEST_F(FileInstanceLockTest, SecondCopyIsRefusedUntilTheFirstEnds) {
    auto first = std::make_unique<FileInstanceLock>(folder.path());
    ASSERT_TRUE(first->claim(QStringLiteral("busylight")));
    EXPECT_TRUE(first->claim(QStringLiteral("busylight"))) << "claiming again is harmless";

    FileInstanceLock second(folder.path());
    EXPECT_FALSE(second.claim(QStringLiteral("busylight")));
    EXPECT_TRUE(second.claim(QStringLiteral("reconciler"))) << "programs are independent";

    first.reset();
    EXPECT_TRUE(second.claim(QStringLiteral("busylight")));
}

TEST_F(FileInstanceLockTest, CopyThatWasKilledDoesNotBlockTheNextStart) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileInstanceLock lock(folder.path());
        const char claimed = lock.claim(QStringLiteral("busylight")) ? '1' : '0';
        (void)!::write(ready[1], &claimed, 1);
        ::pause();
        ::_exit(0);
    }
    char claimed = 0;
    ASSERT_EQ(::read(ready[0], &claimed, 1), 1);
    ASSERT_EQ(claimed, '1');

    FileInstanceLock next(folder.path());
    EXPECT_FALSE(next.claim(QStringLiteral("busylight")));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(next.claim(QStringLiteral("busylight")));
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(DetachedProcessStarter, PassesArgumentsVerbatimWithoutAShell) {
    QTemporaryDir folder;
    const QString awkward = folder.filePath(QStringLiteral("a \"b\" $HOME; c|d"));
    DetachedProcessStarter starter;
    ASSERT_TRUE(starter.start(QStringLiteral("/usr/bin/touch"), {awkward}));
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(awkward) && clock.elapsed() < 30000)
        QThread::msleep(20);
    EXPECT_TRUE(QFileInfo::exists(awkward));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);

    EXPECT_FALSE(starter.start(folder.filePath(QStringLiteral("missing-program"))));
}

// Sets an environment variable for the length of a test, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QString& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
        qputenv(name, value.toLocal8Bit());
    }
    ~ScopedEnvironment() {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool wasSet_;
    QByteArray saved_;
};

TEST(SystemFolders, FollowTheUsersSettingsWithoutTrailingSeparator) {
    QTemporaryDir home;
    const ScopedEnvironment homeFolder("HOME", home.path());
    const ScopedEnvironment config("XDG_CONFIG_HOME", home.path() + QStringLiteral("/.config"));
    const ScopedEnvironment temp("TMPDIR", home.path() + QStringLiteral("/tmp/"));
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    QDir(home.path()).mkpath(QStringLiteral("文档"));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/文档/\"\n");
    dirs.close();

    EXPECT_EQ(documentsFolder(), home.path() + QStringLiteral("/文档"));
    EXPECT_EQ(temporaryFolder(), home.path() + QStringLiteral("/tmp"));
    EXPECT_FALSE(loggedOnUserName().isEmpty());
}

// The tests' offscreen platform has no windows of other programs.
class OffscreenWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tallimo_platform_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }
};

TEST_F(OffscreenWindowsTest, LookupsFindNothingAndRequestsAreNotSent) {
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("TallimoOffscreenProbe"));
    window.show();
    auto windows = createWindowSystem();
    EXPECT_EQ(windows->findByTitle(QStringLiteral("TallimoOffscreenProbe")), std::nullopt);
    EXPECT_EQ(windows->findByClass(QStringLiteral("tallimo_platform_test")), std::nullopt);
    EXPECT_EQ(windows->activeWindow(), std::nullopt);
    EXPECT_EQ(windows->clipboardOwner(), std::nullopt);
    EXPECT_FALSE(windows->postCloseRequest(handleOf(&window)));
    EXPECT_FALSE(windows->bringToFront(handleOf(&window)));
}

TEST_F(OffscreenWindowsTest, TopmostKeepsPlaceAndSize) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(120, 240, 200, 60);
    window.show();
    makeTopmost(&window);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), QRect(120, 240, 200, 60));
}

// Where no window manager moves the window, it follows the mouse until the button is released.
TEST_F(OffscreenWindowsTest, DragOnTheStripMovesTheWindowWherePressesAreAccepted) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 200, 60);
    auto* strip = new QWidget(&window);
    strip->setGeometry(0, 0, 200, 20);
    enableDragMove(strip, [](const QPoint& at) { return at.x() < 150; });
    window.show();

    auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, strip->mapToGlobal(local), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(strip, &event);
    };
    const QPoint start = window.pos();
    send(QEvent::MouseButtonPress, {10, 5}, Qt::LeftButton);
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 35),
                     strip->mapToGlobal(QPointF(10, 5)) + QPointF(50, 30), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &move);
    send(QEvent::MouseButtonRelease, {60, 35}, Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(50, 30));

    const QPoint moved = window.pos();
    send(QEvent::MouseButtonPress, {170, 5}, Qt::LeftButton);
    QMouseEvent ignoredMove(QEvent::MouseMove, QPointF(190, 25),
                            strip->mapToGlobal(QPointF(190, 25)), Qt::NoButton, Qt::LeftButton,
                            Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &ignoredMove);
    EXPECT_EQ(window.pos(), moved) << "a press outside the accepted part moves nothing";
}

// The result is handed to xdg-open; when none is installed or it finds nothing to open the file
// with, the caller hears of it with the file's path. An opener that starts the application is
// left alone, whatever that application returns later.
struct OpenerCase {
    const char* name;
    const char* script;  // the stand-in xdg-open, or nullptr for none on PATH
    bool toldNotOpened;
};

class DesktopOpenerTest : public OffscreenWindowsTest,
                          public ::testing::WithParamInterface<OpenerCase> {};

TEST_P(DesktopOpenerTest, TellsWhenNothingOpensTheFile) {
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    if (const char* script = GetParam().script) {
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(script);
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    QStringList told;
    QProcess* opener = openWithDesktop(QStringLiteral("/books/结果.xlsx"),
                                       [&](const QString& file) { told.append(file); });
    qputenv("PATH", path);
    if (opener) {
        QSignalSpy ended(opener, &QProcess::finished);
        ASSERT_TRUE(ended.wait(30000));
    } else {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(told, GetParam().toldNotOpened ? QStringList{QStringLiteral("/books/结果.xlsx")}
                                             : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Platform, DesktopOpenerTest,
                         ::testing::Values(OpenerCase{"NoOpenerInstalled", nullptr, true},
                                           OpenerCase{"NoApplicationForTheFile",
                                                      "#!/bin/sh\nexit 3\n", true},
                                           OpenerCase{"Opened", "#!/bin/sh\nexit 0\n", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tallimo::platform
