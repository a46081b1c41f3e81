#pragma once

#include "FrontState.h"
#include "Services.h"

namespace tallimo::reconciler {

class aFrm;
class bFrm;
class FrmKL;
class FrmKL_DuiBi;
class FrmZC;

// The reconciler's windows, the services they use and the state they share. The main panel
// makes it and the other windows, and owns them.
struct Frontend {
    Services services;
    FrontState state;
    aFrm* panel = nullptr;
    bFrm* range = nullptr;
    FrmKL* roles = nullptr;
    FrmKL_DuiBi* relation = nullptr;
    FrmZC* options = nullptr;

    ui::MessageBoxes& messages() const { return *services.messages; }
};

// The place of a window whose left edge lies `rightGapTwips` from the screen's right edge (after
// the window's own width) and whose top edge lies at `topTwips`.
void placeFromRightEdge(QWidget* window, int rightGapTwips, int topTwips);

}  // namespace tallimo::reconciler
