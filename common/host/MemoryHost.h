#pragma once

#include "HostBackend.h"

#include <functional>
#include <memory>

namespace tallimo::host {

struct MemoryHostOptions {
    // An automation instance starts invisible; while invisible nothing is handed to the desktop.
    bool visible = false;
    // Hands a saved workbook to the user; empty: the desktop's default application (xdg-open).
    std::function<void(const QString& path)> showFile;
    // Add-ins that are extension packages go into the desktop spreadsheet for every user of the
    // machine (root only) instead of the user's own profile.
    bool extensionsForAllUsers = false;
};

// The in-memory spreadsheet host, this platform's back end. Making it visible (setVisible(true))
// saves every workbook the user has not seen yet as .xlsx and opens it with the desktop's
// default application (xdg-open).
std::unique_ptr<HostBackend> makeMemoryHost(const MemoryHostOptions& options = {});

}  // namespace tallimo::host
