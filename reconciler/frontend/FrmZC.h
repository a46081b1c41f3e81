#pragma once

#include <QMenu>
#include <QWidget>

namespace tallimo::reconciler {

// Host of the main panel's options menu; never shown. Making it loads the check marks from the
// settings.
class FrmZC final : public QWidget {
    Q_OBJECT
public:
    explicit FrmZC(QWidget* parent = nullptr);

    QMenu* menu() { return &menu_; }
    QAction* m1stRow() const { return m1stRow_; }
    QAction* mignorelastrow() const { return mignorelastrow_; }
    QAction* mKX1() const { return mKX1_; }
    QAction* mKX2() const { return mKX2_; }

    // The grid-line choices as the comparison pass reads them.
    bool reportTableLines() const { return mKX1_->isChecked(); }
    bool sourceTableLines() const { return mKX2_->isChecked(); }

    // Start-up step: ticked unless the computer's stored choice is "1".
    void loadTableLineMarks();

private:
    QMenu menu_;
    QAction* m1stRow_;
    QAction* mignorelastrow_;
    QAction* mKX1_;
    QAction* mKX2_;
};

}  // namespace tallimo::reconciler
