#pragma once

class QWidget;

namespace tallimo::reconciler {

class ReconcileSession;
struct Services;

// The start button of the main panel: checks the session's two areas, runs one or two comparison
// passes behind the busy indicator and shows the result workbook. The panel and its start button
// are hidden meanwhile.
void runReconciliation(const Services& services, ReconcileSession& session, QWidget& panel,
                       QWidget& startButton);

}  // namespace tallimo::reconciler
