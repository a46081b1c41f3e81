#pragma once

#include "Address.h"

#include <QStringView>
#include <functional>

namespace tallimo {

// The reconciler's address parser: the grid follows the host version kept in the settings;
// an empty version calls onEmptyVersion (which shows the message) and gives the empty address.
AreaAddress parseAreaAddressReconciler(QStringView address,
                                       const std::function<void()>& onEmptyVersion);

}  // namespace tallimo
