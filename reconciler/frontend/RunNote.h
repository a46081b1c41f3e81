#pragma once

#include "MessageBoxes.h"
#include "Reconcile.h"

#include <QString>

#include <optional>

namespace tallimo::reconciler {

// One message box after a run whose passes completed and whose result was shown.
struct RunNote {
    ui::MessageIcon icon;
    QString text;
};

// The sheets that were asked for but not written: a missing sheet must not pass for one with
// nothing in it. Failures to write are errors; a balance statement that was not made, and why,
// is a notice, joined to the errors when there are any. None when there is nothing to say.
std::optional<RunNote> runNote(const core::ReconcileResult& result);

}  // namespace tallimo::reconciler
