#pragma once

#include "Host.h"
#include "MessageBoxes.h"
#include "WindowSystem.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tallimo::reconciler {

using HostFactory = std::function<std::unique_ptr<host::Application>()>;

// The window class of a running desktop spreadsheet (LibreOffice Calc's document windows): the
// add-in files cannot be installed while one runs.
QString spreadsheetWindowClass();
bool spreadsheetIsRunning(platform::WindowSystem& windows);

// The per-user folder in which the menu add-in keeps its files ("QXRB" is made in it): the
// desktop's data folder ($XDG_DATA_HOME, ~/.local/share when unset), without a trailing "/".
QString applicationDataFolder();

// Back to the state of a first install: the sections "Excel", "HiSet" and "RangeSel" and the
// user's "Set.ini" are removed. Guarded columns and fill colours stay.
void resetSettings();

struct AddinInstall {
    QString programFolder;          // holds the numbered add-in files, no trailing "/"
    QString applicationDataFolder;  // see applicationDataFolder()
    bool withMenu = true;           // install the menu add-in, or switch an earlier one off
};

// Copies the add-in pair that suits the host into the host's add-in folder, registers and
// switches on the add-in (and the menu add-in, or switches that off), and records the add-in's
// path and the host's version. A step that fails is skipped and the rest goes on; a file that
// cannot be copied is reported on the way. Returns the host's major version, or nullopt (with
// the reason in `hostFailure`) when no host could be started, in which case nothing is recorded
// and the maintenance counts as not done.
std::optional<int> installAddins(const AddinInstall& install, const HostFactory& createHost,
                                 ui::MessageBoxes& messages, QString* hostFailure);

}  // namespace tallimo::reconciler
