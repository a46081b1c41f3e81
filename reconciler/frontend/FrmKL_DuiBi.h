#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tallimo::reconciler {

class ReconcileSession;
struct Services;

// "比对关系": pairs the sum items of the two areas (row 0 for pass 1, row 1 for pass 2) and
// lets the user swap either area's two items. Its confirmation accepts the area being chosen.
// The rows are the session's; the dialog stays above `owner`, the main panel.
class FrmKL_DuiBi final : public QDialog {
    Q_OBJECT
public:
    FrmKL_DuiBi(const Services& services, ReconcileSession& session, QWidget* owner);

    QListWidget* List1() const { return list1_; }
    QListWidget* List2() const { return list2_; }
    QLabel* lblBiDui() const { return lblBiDui_; }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QPushButton* Command5() const { return command5_; }
    QPushButton* Command6() const { return command6_; }

    void swapArea(int areaIndex);  // Command1 (area 1), Command2 (area 2)
    void confirm();                // Command5
    void returnToRoles();          // Command6
    // Escape and the title bar's close return to the column roles, so that a window stays
    // to go on from.
    void reject() override { returnToRoles(); }

private:
    QListWidget* listOf(int areaIndex) const { return areaIndex == 0 ? list1_ : list2_; }
    // Refills an area's relation list with the session's two rows.
    void showRelation(int areaIndex);
    // The roles of an area were chosen: the dialog asks only when the two rows differ.
    void offerChoice(int areaIndex);
    // Shown modally, row 0 selected in both lists.
    void showForChoice();

    const Services& services_;
    ReconcileSession& session_;
    QWidget* owner_;
    QListWidget* list1_;
    QListWidget* list2_;
    QLabel* lblBiDui_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command5_;
    QPushButton* command6_;
};

}  // namespace tallimo::reconciler
