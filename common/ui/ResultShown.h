#pragma once

#include "MessageBoxes.h"

#include <QString>
#include <functional>

namespace tallimo::ui {

// How a window program hands a saved result to the user: the desktop opens it, or, when nothing
// can, a notice gives the saved file's full path. `what` names the result ("对账结果").
std::function<void(const QString& path)> showResultOrTell(MessageBoxes& messages,
                                                          const QString& what);

}  // namespace tallimo::ui
