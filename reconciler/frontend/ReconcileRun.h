#pragma once

namespace tallimo::reconciler {

struct Frontend;

// The start button of the main panel: checks the two areas, runs one or two comparison passes
// behind the busy indicator and shows the result workbook.
void runReconciliation(Frontend& frontend);

}  // namespace tallimo::reconciler
