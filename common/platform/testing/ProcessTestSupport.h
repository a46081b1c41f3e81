#pragma once

#include <QByteArray>
#include <QString>

namespace tallimo::testsupport {

// Writes a shell script that the owner may run; false when it cannot be written.
bool writeScript(const QString& path, const QByteArray& text);

// Waits for a file that another process makes; false when it still does not exist after
// `milliseconds`.
bool waitForFile(const QString& path, int milliseconds = 30000);

}  // namespace tallimo::testsupport
