#pragma once

#include "WindowSystem.h"

#include <QByteArray>

struct _XDisplay;

namespace tallimo::platform {

// The window system of an X11 display, through a connection of its own so that it works with
// or without a Qt application in the process.
class X11WindowSystem final : public WindowSystem {
public:
    // Opens the named display (the DISPLAY variable when empty). Lookups on a display that cannot
    // be opened find nothing.
    explicit X11WindowSystem(const QByteArray& displayName = {});
    ~X11WindowSystem() override;
    X11WindowSystem(const X11WindowSystem&) = delete;
    X11WindowSystem& operator=(const X11WindowSystem&) = delete;

    bool isConnected() const { return display_ != nullptr; }

    std::optional<WindowHandle> findByTitle(const QString& title) override;
    std::optional<WindowHandle> findByClass(const QString& windowClass) override;
    std::optional<WindowHandle> findControl(WindowHandle parent, const QString& name) override;
    std::optional<WindowHandle> activeWindow() override;
    std::optional<WindowHandle> clipboardOwner() override;
    bool windowExists(WindowHandle window) override;
    bool postCloseRequest(WindowHandle window) override;
    bool bringToFront(WindowHandle window) override;

private:
    _XDisplay* display_ = nullptr;
};

}  // namespace tallimo::platform
