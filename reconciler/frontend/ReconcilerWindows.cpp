#include "ReconcilerWindows.h"

#include "FrmKL.h"
#include "FrmKL_DuiBi.h"
#include "FrmZC.h"
#include "aFrm.h"
#include "bFrm.h"

namespace tallimo::reconciler {

ReconcilerWindows::ReconcilerWindows(Services given)
    : services(std::move(given)),
      panel_(std::make_unique<aFrm>(services, session)),
      range_(std::make_unique<bFrm>(services, session)),
      // The roles window and the relation dialog are kept above the panel, which stays on top.
      roles_(std::make_unique<FrmKL>(services, session, panel_.get())),
      relation_(std::make_unique<FrmKL_DuiBi>(services, session, panel_.get())),
      options_(std::make_unique<FrmZC>(session)) {}

// The other windows go, in reverse order, before the panel they are kept above.
ReconcilerWindows::~ReconcilerWindows() = default;

}  // namespace tallimo::reconciler
