#include "OwnWindow.h"
#include "WindowSystem.h"
#include "X11TestSupport.h"
#include "X11WindowSystem.h"

#include <gtest/gtest.h>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QWidget>

#include <X11/Xlib.h>

namespace tallimo::platform {
namespace {

using testsupport::waitFor;

// Real windows on the X server of the test run (Xvfb), whatever platform the others use.
class X11WindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::startX11Application("tallimo_platform_x11_test"); }

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display";
        windows = createWindowSystem();
    }

    // A shown top-level window with a unique title, found by the window system.
    std::unique_ptr<QWidget> showWindow(const QString& title, QRect geometry = {50, 50, 200, 80}) {
        auto window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        window->setWindowTitle(title);
        window->setGeometry(geometry);
        window->show();
        EXPECT_TRUE(waitFor([&] { return windows->findByTitle(title).has_value(); }))
            << title.toStdString();
        return window;
    }

    static QString unique(const char* name) {
        return QString::fromLatin1(name) + QString::number(QCoreApplication::applicationPid());
    }

    std::unique_ptr<WindowSystem> windows;
};

TEST_F(X11WindowsTest, FindsTopLevelWindowsByExactTitleAndByClass) {
    const QString title = unique("TallimoProbe");
    auto window = showWindow(title);
    EXPECT_EQ(windows->findByTitle(title), handleOf(window.get()));
    EXPECT_EQ(windows->findByTitle(title.left(title.size() - 1)), std::nullopt);
    EXPECT_EQ(windows->findByTitle(title + QLatin1Char('x')), std::nullopt);
    EXPECT_EQ(windows->findByClass(QStringLiteral("tallimo_platform_x11_test")),
              handleOf(window.get()));
    EXPECT_EQ(windows->findByClass(QStringLiteral("NoSuchClass")), std::nullopt);

    window->hide();
    EXPECT_TRUE(waitFor([&] { return !windows->findByTitle(title).has_value(); }))
        << "a withdrawn window is no longer open";
}

TEST_F(X11WindowsTest, AWindowExistsUntilItIsDestroyed) {
    auto window = showWindow(unique("TallimoExists"));
    const WindowHandle handle = handleOf(window.get());
    EXPECT_TRUE(windows->windowExists(handle));
    window.reset();
    EXPECT_TRUE(waitFor([&] { return !windows->windowExists(handle); }));
    EXPECT_FALSE(windows->windowExists(0));
}

TEST_F(X11WindowsTest, FindsANamedControlBelowItsWindowOnly) {
    auto window = showWindow(unique("TallimoRange"));
    auto* text = new QLineEdit(window.get());
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(-500, 0, 50, 20);
    const WindowHandle control = nativeControlHandle(text);
    EXPECT_NE(control, handleOf(window.get()));
    EXPECT_TRUE(waitFor([&] {
        return windows->findControl(handleOf(window.get()), QStringLiteral("Text1")) == control;
    }));
    EXPECT_EQ(windows->findControl(handleOf(window.get()), QStringLiteral("Text2")), std::nullopt);

    auto other = showWindow(unique("TallimoOther"));
    EXPECT_EQ(windows->findControl(handleOf(other.get()), QStringLiteral("Text1")), std::nullopt);
    EXPECT_EQ(windows->findControl(0x7ffffff0, QStringLiteral("Text1")), std::nullopt);
}

class ClosingWidget : public QWidget {
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeRequests;
        QWidget::closeEvent(event);
    }
};

TEST_F(X11WindowsTest, CloseRequestReachesOnlyTheAddressedWindow) {
    ClosingWidget target;
    ClosingWidget bystander;
    target.setWindowTitle(unique("TallimoTarget"));
    bystander.setWindowTitle(unique("TallimoBystander"));
    target.show();
    bystander.show();
    ASSERT_TRUE(waitFor([&] { return windows->findByTitle(target.windowTitle()).has_value(); }));

    ASSERT_TRUE(windows->postCloseRequest(*windows->findByTitle(target.windowTitle())));
    EXPECT_TRUE(waitFor([&] { return target.closeRequests == 1; }));
    EXPECT_FALSE(target.isVisible());
    EXPECT_EQ(bystander.closeRequests, 0);
    EXPECT_TRUE(bystander.isVisible());

    EXPECT_FALSE(windows->postCloseRequest(0x7ffffff0)) << "no such window";
}

TEST_F(X11WindowsTest, BroughtToFrontWindowIsOnTopAndActive) {
    auto lower = showWindow(unique("TallimoLower"), {100, 100, 200, 100});
    auto upper = showWindow(unique("TallimoUpper"), {150, 120, 200, 100});
    ASSERT_TRUE(windows->bringToFront(handleOf(lower.get())));

    X11WindowSystem probe;
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    auto stackIndex = [&](WindowHandle handle) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        int index = -1;
        for (unsigned int i = 0; i < count; ++i)
            if (WindowHandle(children[i]) == handle) index = int(i);
        XFree(children);
        return index;
    };
    EXPECT_TRUE(waitFor(
        [&] { return stackIndex(handleOf(lower.get())) > stackIndex(handleOf(upper.get())); }));
    EXPECT_EQ(probe.activeWindow(), handleOf(lower.get()));
    XCloseDisplay(display);
}

TEST_F(X11WindowsTest, NamesTheClipboardOwner) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window owner =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), owner, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(windows->clipboardOwner(), WindowHandle(owner));
    XCloseDisplay(display);
    EXPECT_EQ(windows->clipboardOwner(), std::nullopt) << "the owner's window is gone";
}

TEST_F(X11WindowsTest, TopmostKeepsAShownWindowInPlace) {
    auto window = showWindow(unique("TallimoTopmost"), {300, 200, 150, 50});
    const QRect before = window->geometry();
    makeTopmost(window.get());
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), before);
    EXPECT_TRUE(windows->findByTitle(window->windowTitle()).has_value());
}

}  // namespace
}  // namespace tallimo::platform
