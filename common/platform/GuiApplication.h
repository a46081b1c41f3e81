#pragma once

#include <QGuiApplication>

namespace tallimo::platform {

// The application object when it is a window-system one; qGuiApp is not null for a plain
// QCoreApplication either.
inline QGuiApplication* guiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

}  // namespace tallimo::platform
