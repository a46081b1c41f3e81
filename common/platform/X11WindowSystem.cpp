#include "X11WindowSystem.h"

#include <QList>
#include <QString>
#include <functional>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tallimo::platform {

namespace {

// Windows come and go between a lookup and the next request; the errors that follow are expected.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

struct Property {
    Atom type = None;
    int format = 0;
    QByteArray bytes;
    QList<long> longs;  // format 32 items
};

Property readProperty(Display* display, Window window, Atom name) {
    Property property;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 1L << 16, False, AnyPropertyType, &type,
                           &format, &items, &remaining, &data) != Success)
        return property;
    property.type = type;
    property.format = format;
    if (data) {
        if (format == 32) {
            const long* values = reinterpret_cast<const long*>(data);
            property.longs = QList<long>(values, values + items);
        } else if (format == 8) {
            property.bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(items));
        }
        XFree(data);
    }
    return property;
}

QList<Window> childrenOf(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    QList<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
        result = QList<Window>(children, children + count);
        XFree(children);
    }
    return result;
}

// WM_NAME alone. Qt gives a native child window the program's name as _NET_WM_NAME, so a
// control's tag lives here.
QString icccmName(Display* display, Window window) {
    const Property name = readProperty(display, window, XA_WM_NAME);
    if (name.type == XA_STRING) return QString::fromLatin1(name.bytes);
    return QString::fromUtf8(name.bytes);
}

// The title as a window manager shows it.
QString windowName(Display* display, Window window) {
    const Property netName = readProperty(display, window, atom(display, "_NET_WM_NAME"));
    if (netName.type != None && netName.format == 8) return QString::fromUtf8(netName.bytes);
    return icccmName(display, window);
}

bool windowClassMatches(Display* display, Window window, const QString& windowClass) {
    XClassHint hint{nullptr, nullptr};
    if (!XGetClassHint(display, window, &hint)) return false;
    const bool matches = (hint.res_name && QString::fromLocal8Bit(hint.res_name) == windowClass) ||
                         (hint.res_class && QString::fromLocal8Bit(hint.res_class) == windowClass);
    XFree(hint.res_name);
    XFree(hint.res_class);
    return matches;
}

enum WmState : long { Withdrawn = 0, Normal = 1, Iconic = 3, Unmanaged = -1 };

long wmState(Display* display, Window window) {
    const Property state = readProperty(display, window, atom(display, "WM_STATE"));
    return state.longs.isEmpty() ? Unmanaged : state.longs.first();
}

// The client window inside a window manager's frame, searched a few levels down.
Window clientBelow(Display* display, Window frame, int depth) {
    if (depth == 0) return 0;
    for (Window child : childrenOf(display, frame)) {
        if (wmState(display, child) != Unmanaged) return child;
        if (Window client = clientBelow(display, child, depth - 1)) return client;
    }
    return 0;
}

bool isMapped(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsUnmapped;
}

// The programs' top-level windows: the managed clients that are shown or minimised, and, where no
// window manager runs, the mapped children of the root.
QList<Window> topLevelWindows(Display* display) {
    QList<Window> result;
    for (Window child : childrenOf(display, DefaultRootWindow(display))) {
        const Window client =
            wmState(display, child) != Unmanaged ? child : clientBelow(display, child, 3);
        if (client) {
            if (wmState(display, client) != Withdrawn) result.append(client);
        } else if (isMapped(display, child)) {
            result.append(child);
        }
    }
    return result;
}

std::optional<WindowHandle> firstTopLevel(Display* display,
                                          const std::function<bool(Window)>& matches) {
    if (!display) return std::nullopt;
    for (Window window : topLevelWindows(display))
        if (matches(window)) return WindowHandle(window);
    return std::nullopt;
}

std::optional<WindowHandle> findBelow(Display* display, Window parent, const QString& name) {
    for (Window child : childrenOf(display, parent)) {
        if (icccmName(display, child) == name) return WindowHandle(child);
        if (auto found = findBelow(display, child, name)) return found;
    }
    return std::nullopt;
}

bool existsOnDisplay(Display* display, WindowHandle window) {
    XWindowAttributes attributes;
    return window > 0 && XGetWindowAttributes(display, Window(window), &attributes);
}

bool windowManagerRuns(Display* display) {
    return !readProperty(display, DefaultRootWindow(display),
                         atom(display, "_NET_SUPPORTING_WM_CHECK"))
                .longs.isEmpty();
}

XEvent clientMessage(Display* display, Window window, const char* type) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = window;
    event.xclient.message_type = atom(display, type);
    event.xclient.format = 32;
    return event;
}

}  // namespace

X11WindowSystem::X11WindowSystem(const QByteArray& displayName) {
    XSetErrorHandler(ignoreError);
    display_ = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
}

X11WindowSystem::~X11WindowSystem() {
    if (display_) XCloseDisplay(display_);
}

std::optional<WindowHandle> X11WindowSystem::findByTitle(const QString& title) {
    return firstTopLevel(display_, [&](Window w) { return windowName(display_, w) == title; });
}

std::optional<WindowHandle> X11WindowSystem::findByClass(const QString& windowClass) {
    return firstTopLevel(display_,
                         [&](Window w) { return windowClassMatches(display_, w, windowClass); });
}

std::optional<WindowHandle> X11WindowSystem::findControl(WindowHandle parent, const QString& name) {
    if (!display_ || !existsOnDisplay(display_, parent)) return std::nullopt;
    return findBelow(display_, Window(parent), name);
}

std::optional<WindowHandle> X11WindowSystem::activeWindow() {
    if (!display_) return std::nullopt;
    const Window root = DefaultRootWindow(display_);
    const Property active = readProperty(display_, root, atom(display_, "_NET_ACTIVE_WINDOW"));
    if (!active.longs.isEmpty() && active.longs.first() != 0)
        return WindowHandle(active.longs.first());
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    if (focus == None || focus == PointerRoot || focus == root) return std::nullopt;
    return WindowHandle(focus);
}

std::optional<WindowHandle> X11WindowSystem::clipboardOwner() {
    if (!display_) return std::nullopt;
    const Window owner = XGetSelectionOwner(display_, atom(display_, "CLIPBOARD"));
    if (owner == None) return std::nullopt;
    return WindowHandle(owner);
}

bool X11WindowSystem::windowExists(WindowHandle window) {
    return display_ && existsOnDisplay(display_, window);
}

bool X11WindowSystem::postCloseRequest(WindowHandle window) {
    if (!display_ || !existsOnDisplay(display_, window)) return false;
    XEvent event = clientMessage(display_, Window(window), "WM_PROTOCOLS");
    event.xclient.data.l[0] = long(atom(display_, "WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display_, Window(window), False, NoEventMask, &event) != 0;
    XFlush(display_);
    return sent;
}

bool X11WindowSystem::bringToFront(WindowHandle window) {
    if (!display_ || !existsOnDisplay(display_, window)) return false;
    XEvent event = clientMessage(display_, Window(window), "_NET_ACTIVE_WINDOW");
    event.xclient.data.l[0] = 2;  // a request on the user's behalf, as a task bar makes it
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, DefaultRootWindow(display_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XRaiseWindow(display_, Window(window));
    if (!windowManagerRuns(display_) && isMapped(display_, Window(window)))
        XSetInputFocus(display_, Window(window), RevertToParent, CurrentTime);
    XFlush(display_);
    return true;
}

}  // namespace tallimo::platform
