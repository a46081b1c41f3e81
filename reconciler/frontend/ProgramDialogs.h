#pragma once

namespace tallimo::reconciler {

class aFrm;

// Gives the panel the program's environment maintenance and guard setup dialogs, on the
// panel's own services.
void connectProgramDialogs(aFrm& panel);

}  // namespace tallimo::reconciler
