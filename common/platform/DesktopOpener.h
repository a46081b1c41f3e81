#pragma once

#include <QString>
#include <functional>

class QProcess;

namespace tallimo::platform {

// Hands a saved file to the desktop's default application (xdg-open). When nothing can open it
// (no xdg-open, or xdg-open gives up soon after it started, as it does when no application
// handles the file type), notOpened is called with the file's path from the event loop. A
// non-zero exit long after the start is the application's own ending, not a failure to open.
// Returns the running opener, which deletes itself once it has ended; nullptr without one.
QProcess* openWithDesktop(const QString& path, std::function<void(const QString& path)> notOpened);

}  // namespace tallimo::platform
