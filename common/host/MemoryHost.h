#pragma once

#include "HostBackend.h"

#include <memory>

namespace tallimo::host {

struct MemoryHostOptions {
    // An automation instance starts invisible; while invisible nothing is handed to the desktop.
    bool visible = false;
};

// The in-memory spreadsheet host, this platform's back end. Making it visible (setVisible(true))
// saves every workbook the user has not seen yet as .xlsx and opens it with the desktop's
// default application (xdg-open).
std::unique_ptr<HostBackend> makeMemoryHost(const MemoryHostOptions& options = {});

}  // namespace tallimo::host
