#pragma once

#include "ReconcileSession.h"
#include "Services.h"

#include <memory>

namespace tallimo::reconciler {

class aFrm;
class bFrm;
class FrmKL;
class FrmKL_DuiBi;
class FrmZC;

// Makes the reconciler's windows around one session and keeps them for the program's life. The
// windows talk only through the session; the services are theirs to share, and may be completed
// after the windows are made.
class ReconcilerWindows {
public:
    explicit ReconcilerWindows(Services services);
    ~ReconcilerWindows();
    ReconcilerWindows(const ReconcilerWindows&) = delete;
    ReconcilerWindows& operator=(const ReconcilerWindows&) = delete;

    Services services;
    ReconcileSession session;

    aFrm& panel() { return *panel_; }
    bFrm& range() { return *range_; }
    FrmKL& roles() { return *roles_; }
    FrmKL_DuiBi& relation() { return *relation_; }
    FrmZC& options() { return *options_; }

private:
    std::unique_ptr<aFrm> panel_;
    std::unique_ptr<bFrm> range_;
    std::unique_ptr<FrmKL> roles_;
    std::unique_ptr<FrmKL_DuiBi> relation_;
    std::unique_ptr<FrmZC> options_;
};

}  // namespace tallimo::reconciler
