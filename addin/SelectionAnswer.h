#pragma once

#include "AreaReader.h"
#include "WindowSystem.h"

#include <QString>
#include <optional>

// Answering a selection as the spreadsheet add-in does: the selection report in the settings and
// the cells' text on the clipboard. Shared by `select` (an area of a file) and `report` (cells the
// spreadsheet hands over).
namespace tallimo::addin {

enum class SelectionTarget { Reconciler, DupFinder };

// The reconciler's range window and the handle of its text box.
struct RangeWindow {
    platform::WindowHandle parent = 0;
    platform::WindowHandle son = 0;
};

// The open range window and its text box; nullopt with a message in `failure` otherwise.
std::optional<RangeWindow> findRangeWindow(platform::WindowSystem& windows, QString& failure);

// The selection window that is waiting for a selection: the reconciler's range window before the
// duplicate finder's. Nothing when neither is open.
std::optional<SelectionTarget> waitingSelectionWindow(platform::WindowSystem& windows);

// Puts the area's text on the clipboard, then writes the report for the target: the seven
// keys for the given range window, or RNGCF for the duplicate finder. Returns an exit code.
int answerSelection(const area::AreaText& area, SelectionTarget target,
                    const std::optional<RangeWindow>& rangeWindow, platform::WindowSystem& windows);

}  // namespace tallimo::addin
