#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tallimo::reconciler {

struct Frontend;

// "比对关系": pairs the sum items of the two areas (row 0 for pass 1, row 1 for pass 2) and
// lets the user swap either area's two items. Its confirmation accepts the area being chosen.
class FrmKL_DuiBi final : public QDialog {
    Q_OBJECT
public:
    explicit FrmKL_DuiBi(Frontend& frontend);

    QListWidget* List1() const { return list1_; }
    QListWidget* List2() const { return list2_; }
    QLabel* lblBiDui() const { return lblBiDui_; }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QPushButton* Command5() const { return command5_; }
    QPushButton* Command6() const { return command6_; }

    // Row 0 or 1 of an area's relation list (0: area 1); empty when the list lacks it.
    QString relationItem(int areaIndex, int row) const;
    // Refills an area's relation list with its two rows.
    void setRelation(int areaIndex, const QString& row0, const QString& row1);
    bool anyListEmpty() const;
    bool rowsDiffer() const;
    // Shown modally, row 0 selected in both lists.
    void showForChoice();

    void swapArea(int areaIndex);  // Command1 (area 1), Command2 (area 2)
    void confirm();                // Command5
    void returnToRoles();          // Command6
    // Escape and the title bar's close return to the column roles, so that a window stays
    // to go on from.
    void reject() override { returnToRoles(); }

private:
    QListWidget* listOf(int areaIndex) const { return areaIndex == 0 ? list1_ : list2_; }

    Frontend& f_;
    QListWidget* list1_;
    QListWidget* list2_;
    QLabel* lblBiDui_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command5_;
    QPushButton* command6_;
};

}  // namespace tallimo::reconciler
