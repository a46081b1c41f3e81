#pragma once

#include "HostBackend.h"

#include <memory>

namespace tallimo::host {

// The in-memory spreadsheet host, this platform's back end. It starts invisible, as an
// automation instance does: nothing is shown until setVisible(true).
std::unique_ptr<HostBackend> makeMemoryHost();

}  // namespace tallimo::host
