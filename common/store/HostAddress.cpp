#include "HostAddress.h"

#include "Entries.h"

namespace tallimo {

AreaAddress parseAreaAddressReconciler(QStringView address,
                                       const std::function<void()>& onEmptyVersion) {
    return parseAreaAddressForHost(address, entries::excel::ver().get(), onEmptyVersion);
}

}  // namespace tallimo
