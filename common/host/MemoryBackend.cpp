#include "MemoryBackend.h"

namespace tallimo::host {

std::unique_ptr<HostBackend> makeMemoryHost(const MemoryHostOptions& options) {
    return std::make_unique<MemoryBackend>(options);
}

}  // namespace tallimo::host
