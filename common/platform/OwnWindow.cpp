#include "OwnWindow.h"

#include <qguiapplication_platform.h>
#include <QEvent>
#include "GuiApplication.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace tallimo::platform {

void makeTopmost(QWidget* window) {
    window = window->window();
    const bool wasOnTop = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (!wasOnTop && window->windowHandle()) {
        // Tell the shown window in place: setWindowFlags() would hide it and may move it.
        window->overrideWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
        window->windowHandle()->setFlags(window->windowHandle()->flags() |
                                         Qt::WindowStaysOnTopHint);
    } else if (!wasOnTop) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    if (window->isVisible()) window->raise();
}

void makeTopmostBelowOwnWindows(QWidget* window) {
    window = window->window();
    makeTopmost(window);
    if (!window->isVisible()) return;
    for (QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && other->isWindow()) other->raise();
}

void keepAboveOwner(QWidget* window, QWidget* owner) {
    window = window->window();
    owner = owner->window();
    window->winId();
    owner->winId();
    window->windowHandle()->setTransientParent(owner->windowHandle());
}

namespace {

class DragMover final : public QObject {
public:
    DragMover(QWidget* strip, std::function<bool(const QPoint&)> accepts)
        : QObject(strip), strip_(strip), accepts_(std::move(accepts)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                return pressed(static_cast<QMouseEvent*>(event));
            case QEvent::MouseMove:
                if (!following_) return false;
                strip_->window()->move(
                    static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - grabOffset_);
                return true;
            case QEvent::MouseButtonRelease:
                if (!following_) return false;
                following_ = false;
                return true;
            default:
                return false;
        }
    }

private:
    bool pressed(QMouseEvent* event) {
        if (event->button() != Qt::LeftButton ||
            (accepts_ && !accepts_(event->position().toPoint())))
            return false;
        QWidget* window = strip_->window();
        if (window->windowHandle() && window->windowHandle()->startSystemMove()) return true;
        following_ = true;
        grabOffset_ = event->globalPosition().toPoint() - window->pos();
        return true;
    }

    QWidget* strip_;
    std::function<bool(const QPoint&)> accepts_;
    bool following_ = false;
    QPoint grabOffset_;
};

// Names the control's own X window; through Qt's own connection so that the request follows the
// one that created the window.
void tagX11Window(WindowHandle handle, const QByteArray& name) {
    auto* x11 = guiApplication()
                    ? guiApplication()->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(handle), XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, quint32(name.size()), name.constData());
    xcb_flush(connection);
}

}  // namespace

void enableDragMove(QWidget* strip, std::function<bool(const QPoint&)> accepts) {
    strip->installEventFilter(new DragMover(strip, std::move(accepts)));
}

WindowHandle handleOf(QWidget* window) {
    return WindowHandle(window->window()->winId());
}

WindowHandle nativeControlHandle(QWidget* control) {
    control->setAttribute(Qt::WA_NativeWindow);
    const auto handle = WindowHandle(control->winId());
    tagX11Window(handle, control->objectName().toLatin1());
    return handle;
}

}  // namespace tallimo::platform
