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

// The titles key's text for the display texts of the row above a selection: TAB-joined, a TAB,
// CR or LF inside a title becoming a space as in the selection's text; empty when every title is
// blank.
QString titlesText(const QStringList& titles);

// Puts the area's text on the clipboard, then writes the report for the target: the seven
// keys for the given range window with the titles (titlesText) in one write, or RNGCF for the
// duplicate finder. Returns an exit code.
int answerSelection(const area::AreaText& area, const QString& titles, SelectionTarget target,
                    const std::optional<RangeWindow>& rangeWindow, platform::WindowSystem& windows);

}  // namespace tallimo::addin
