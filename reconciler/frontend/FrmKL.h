#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tallimo::reconciler {

class ClickLabel;
class ReconcileSession;
struct Services;

// "连续多列选区": gives the columns of a multi-column area their roles (one or two sum columns,
// any comparison columns). Its continue step prepares the area's data in the session. It stays
// above `owner`, the main panel.
class FrmKL final : public QWidget {
    Q_OBJECT
public:
    FrmKL(const Services& services, ReconcileSession& session, QWidget* owner);

    QLabel* lblSelArea() const { return lblSelArea_; }
    QListWidget* List1() const { return list1_; }  // columns
    QListWidget* List2() const { return list2_; }  // sum columns
    QListWidget* List3() const { return list3_; }  // comparison columns
    ClickLabel* lblCmd1() const { return lblCmd1_; }
    ClickLabel* lblCmd2() const { return lblCmd2_; }
    ClickLabel* lblCmd3() const { return lblCmd3_; }
    ClickLabel* lblCmd4() const { return lblCmd4_; }
    QPushButton* Command5() const { return command5_; }
    QPushButton* Command6() const { return command6_; }

    void addSumColumn();         // lblCmd1
    void removeSumColumn();      // lblCmd2
    void addCompareColumn();     // lblCmd3
    void removeCompareColumn();  // lblCmd4
    void continueStep();         // Command5
    void returnToRange();        // Command6

protected:
    bool event(QEvent* event) override;
    // Closing the window by its title bar is its return: the range window waits again.
    void closeEvent(QCloseEvent* event) override;

private:
    void clearLists();
    // Fills the lists for an area from its first to its last column letters; the last column
    // is the preselected sum column.
    void fillColumns(const QString& firstColumn, const QString& lastColumn);
    void setSumList(const QStringList& labels);
    // The session offers the columns of the area just read: a one-column area is continued at
    // once, a multi-column one shown for its roles.
    void offerColumns();
    void showForArea();

    const Services& services_;
    ReconcileSession& session_;
    QWidget* owner_;
    QLabel* lblSelArea_;
    QListWidget* list1_;
    QListWidget* list2_;
    QListWidget* list3_;
    ClickLabel* lblCmd1_;
    ClickLabel* lblCmd2_;
    ClickLabel* lblCmd3_;
    ClickLabel* lblCmd4_;
    QPushButton* command5_;
    QPushButton* command6_;
};

}  // namespace tallimo::reconciler
