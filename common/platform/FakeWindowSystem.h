#pragma once

#include "WindowSystem.h"

#include <QList>

namespace tallimo::platform {

// A test double: a table of windows, and a record of the requests made to them.
class FakeWindowSystem final : public WindowSystem {
public:
    struct Window {
        WindowHandle handle = 0;
        QString title;
        QString windowClass;
        WindowHandle parent = 0;  // 0: a top-level window
        QString controlName;
    };

    QList<Window> windows;
    std::optional<WindowHandle> active;
    std::optional<WindowHandle> clipboard;
    QList<WindowHandle> closeRequests;
    QList<WindowHandle> broughtToFront;

    std::optional<WindowHandle> findByTitle(const QString& title) override {
        return find([&](const Window& w) { return w.parent == 0 && w.title == title; });
    }
    std::optional<WindowHandle> findByClass(const QString& windowClass) override {
        return find([&](const Window& w) { return w.parent == 0 && w.windowClass == windowClass; });
    }
    std::optional<WindowHandle> findControl(WindowHandle parent, const QString& name) override {
        return find([&](const Window& w) { return w.parent == parent && w.controlName == name; });
    }
    std::optional<WindowHandle> activeWindow() override { return active; }
    std::optional<WindowHandle> clipboardOwner() override { return clipboard; }
    bool windowExists(WindowHandle window) override { return exists(window); }
    bool postCloseRequest(WindowHandle window) override {
        if (!exists(window)) return false;
        closeRequests.append(window);
        return true;
    }
    bool bringToFront(WindowHandle window) override {
        if (!exists(window)) return false;
        broughtToFront.append(window);
        return true;
    }

private:
    template <typename Match>
    std::optional<WindowHandle> find(Match match) const {
        for (const Window& w : windows)
            if (match(w)) return w.handle;
        return std::nullopt;
    }
    bool exists(WindowHandle handle) const {
        return find([&](const Window& w) { return w.handle == handle; }).has_value();
    }
};

}  // namespace tallimo::platform
