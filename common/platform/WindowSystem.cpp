#include "WindowSystem.h"

#include "X11WindowSystem.h"

#include <qguiapplication_platform.h>
#include "GuiApplication.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace tallimo::platform {

QString handleText(WindowHandle handle) {
    return QString::number(handle);
}

std::optional<WindowHandle> parseHandle(const QString& text) {
    bool ok = false;
    const WindowHandle handle = text.trimmed().toLongLong(&ok);
    if (!ok || handle == 0) return std::nullopt;
    return handle;
}

namespace {

class AbsentWindowSystem final : public WindowSystem {
public:
    std::optional<WindowHandle> findByTitle(const QString&) override { return std::nullopt; }
    std::optional<WindowHandle> findByClass(const QString&) override { return std::nullopt; }
    std::optional<WindowHandle> findControl(WindowHandle, const QString&) override {
        return std::nullopt;
    }
    std::optional<WindowHandle> activeWindow() override { return std::nullopt; }
    std::optional<WindowHandle> clipboardOwner() override { return std::nullopt; }
    bool windowExists(WindowHandle) override { return false; }
    bool postCloseRequest(WindowHandle) override { return false; }
    bool bringToFront(WindowHandle) override { return false; }
};

// The Qt platform this process shows (or would show) its windows on.
QString guiPlatformName() {
    if (guiApplication()) return QGuiApplication::platformName();
    const QString requested = qEnvironmentVariable("QT_QPA_PLATFORM");
    return requested.isEmpty() ? QStringLiteral("xcb") : requested.section(QLatin1Char(':'), 0, 0);
}

// The display Qt shows this program's windows on; empty before Qt connects (DISPLAY then).
QByteArray qtDisplayName() {
    auto* x11 = guiApplication()
                    ? guiApplication()->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    if (!x11 || !x11->display()) return {};
    return XDisplayString(x11->display());
}

}  // namespace

std::unique_ptr<WindowSystem> createWindowSystem() {
    if (guiPlatformName() == QLatin1String("xcb")) {
        auto x11 = std::make_unique<X11WindowSystem>(qtDisplayName());
        if (x11->isConnected()) return x11;
    }
    return std::make_unique<AbsentWindowSystem>();
}

}  // namespace tallimo::platform
