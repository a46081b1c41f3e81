#pragma once

#include "Clipboard.h"
#include "Host.h"
#include "MessageBoxes.h"
#include "ProcessStarter.h"
#include "WindowSystem.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

namespace tallimo::reconciler {

// Everything the reconciler's windows reach outside themselves, so that their logic runs
// in-process with test doubles. The program fills it with the real services (main.cpp).
struct Services {
    ui::MessageBoxes* messages = nullptr;
    ui::ClipboardText* clipboard = nullptr;
    platform::ProcessStarter* processes = nullptr;
    platform::WindowSystem* windows = nullptr;
    // The spreadsheet host's application object, made once per program run; may throw
    // host::HostError.
    std::function<std::unique_ptr<host::Application>()> createHost;
    std::function<QDateTime()> clock;
    // The folder holding the programs (Data), without a trailing "/".
    QString programFolder;
    // Ends the program once control is back in the event loop.
    std::function<void()> endProgram;

    // The dialogs of the maintenance and guard libraries. Runs the first-start maintenance
    // modally: true when start-up goes on, false when the program ends.
    std::function<bool()> runFirstStartMaintenance;
    // Opens the maintenance from the panel (not modal).
    std::function<void()> openMaintenanceFromPanel;
    // Runs the guard setup for a workbook modally; the program ends afterwards.
    std::function<void(const QString& workbookPath)> runGuardSetup;
};

}  // namespace tallimo::reconciler
