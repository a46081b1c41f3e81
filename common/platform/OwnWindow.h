#pragma once

#include "WindowSystem.h"

#include <QPoint>
#include <functional>

class QWidget;

namespace tallimo::platform {

// Keeps `window` above the other windows without moving or resizing it. Calling it again
// re-asserts the order (raises the window) for programs that do so on a timer.
void makeTopmost(QWidget* window);

// makeTopmost for a window that re-asserts its place on a timer: the program's own other windows
// that are shown (its dialogs, message boxes and menus) are raised above it again, so that it
// never covers them, with or without a window manager.
void makeTopmostBelowOwnWindows(QWidget* window);

// Marks `window` as belonging to `owner` (WM_TRANSIENT_FOR on X11), so that window managers keep
// it above its owner. Call it before each show.
void keepAboveOwner(QWidget* window, QWidget* owner);

// A press of the left button on `strip` moves the strip's window as if its title bar had been
// grabbed: the window manager's interactive move where one runs, else the window follows the
// mouse until the button is released. `accepts` limits the press positions (strip coordinates)
// that start a move; every position when empty.
void enableDragMove(QWidget* strip, std::function<bool(const QPoint&)> accepts = {});

// The handle of a top-level window.
WindowHandle handleOf(QWidget* window);

// Gives `control` a native window of its own, tags it with the control's object name (the WM_NAME
// property of that child window on X11) so that WindowSystem::findControl finds it below its
// top-level window, and returns its handle. Call it again after anything that recreates native
// windows.
WindowHandle nativeControlHandle(QWidget* control);

}  // namespace tallimo::platform
