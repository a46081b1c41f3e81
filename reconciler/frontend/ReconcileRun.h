#pragma once

#include "Reconcile.h"

class QWidget;

namespace tallimo::reconciler {

class ReconcileSession;
struct Services;

// What the run asks of the reconciliation: the session's areas and choices, the time, the user
// and the extras ticked in the options menu.
core::ReconcileRequest runRequest(const Services& services, const ReconcileSession& session);

// The start button of the main panel: checks the session's two areas, runs one or two comparison
// passes behind the busy indicator and shows the result workbook. The panel and its start button
// are hidden meanwhile.
void runReconciliation(const Services& services, ReconcileSession& session, QWidget& panel,
                       QWidget& startButton);

}  // namespace tallimo::reconciler
