#pragma once

#include <QIcon>

namespace tallimo::reconciler {

// The reconciler's icon: two overlapping sheets with a tick, painted at the usual icon sizes so
// that it stays sharp on screens of any density. The main panel and its dialogs share it.
QIcon reconcilerIcon();

}  // namespace tallimo::reconciler
