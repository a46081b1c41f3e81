#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

namespace tallimo::platform {

// A native window handle: the X11 window id. Kept in the settings as signed decimal text.
using WindowHandle = qint64;

QString handleText(WindowHandle handle);
// Empty, non-numeric or zero text holds no handle.
std::optional<WindowHandle> parseHandle(const QString& text);

// Lookups of and requests to the windows of any program on the display. Where the display is
// not X11 (the offscreen platform, Wayland) every lookup answers "not found" and every request
// reports that it was not sent.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A top-level window, shown or minimised, whose title equals `title` exactly.
    virtual std::optional<WindowHandle> findByTitle(const QString& title) = 0;
    // A top-level window whose window class (instance or class name of WM_CLASS) equals
    // `windowClass`.
    virtual std::optional<WindowHandle> findByClass(const QString& windowClass) = 0;
    // A window anywhere below `parent` that carries the control name `name` (given to it by
    // nativeControlHandle()).
    virtual std::optional<WindowHandle> findControl(WindowHandle parent, const QString& name) = 0;
    // The window that has the user's attention, when the display knows one.
    virtual std::optional<WindowHandle> activeWindow() = 0;
    // The window of the program that holds the clipboard, when one does.
    virtual std::optional<WindowHandle> clipboardOwner() = 0;
    // Whether a window with this handle exists on the display now. Where nothing can be looked
    // up (a display that is not X11) no window counts as existing.
    virtual bool windowExists(WindowHandle window) = 0;

    // Asks the window to close, as its close button would (WM_DELETE_WINDOW).
    virtual bool postCloseRequest(WindowHandle window) = 0;
    // Raises the window and asks for it to be activated.
    virtual bool bringToFront(WindowHandle window) = 0;
};

// The window system of the display this program uses.
std::unique_ptr<WindowSystem> createWindowSystem();

}  // namespace tallimo::platform
