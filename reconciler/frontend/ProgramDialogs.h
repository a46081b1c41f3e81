#pragma once

namespace tallimo::reconciler {

class ReconcilerWindows;

// Gives the reconciler's windows the program's environment maintenance and guard setup dialogs,
// on the windows' own services.
void connectProgramDialogs(ReconcilerWindows& windows);

}  // namespace tallimo::reconciler
