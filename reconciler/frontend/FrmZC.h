#pragma once

#include <QMenu>
#include <QWidget>

namespace tallimo::reconciler {

class ReconcileSession;

// Host of the main panel's options menu; never shown. Its check marks show the session's
// options, and choosing an item changes them there.
class FrmZC final : public QWidget {
    Q_OBJECT
public:
    explicit FrmZC(ReconcileSession& session, QWidget* parent = nullptr);

    QMenu* menu() { return &menu_; }
    QAction* m1stRow() const { return m1stRow_; }
    QAction* mignorelastrow() const { return mignorelastrow_; }
    QAction* mKX1() const { return mKX1_; }
    QAction* mKX2() const { return mKX2_; }
    QAction* mNearMiss() const { return mNearMiss_; }
    QAction* mBalanceStatement() const { return mBalanceStatement_; }

private:
    void showOptions();

    ReconcileSession& session_;
    QMenu menu_;
    QAction* m1stRow_;
    QAction* mignorelastrow_;
    QAction* mKX1_;
    QAction* mKX2_;
    QAction* mNearMiss_;
    QAction* mBalanceStatement_;
};

}  // namespace tallimo::reconciler
