#pragma once

#include "ProcessStarter.h"

#include <QString>

namespace tallimo::launcher {

// The main program of the installation whose top folder is `installFolder`.
QString mainProgramPath(const QString& installFolder);

// Starts that program with no arguments in the current folder. Whether it started is not
// examined: a missing main program is the installation's business, not the launcher's.
void launch(const QString& installFolder, platform::ProcessStarter& starter);

// The text of the message box that reports an unexpected error.
QString unexpectedErrorText(const QString& description);

}  // namespace tallimo::launcher
