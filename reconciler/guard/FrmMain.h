#pragma once

#include "MessageBoxes.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tallimo::reconciler {

// The guard setup: the user ticks the columns of one workbook that the add-in checks for entries
// already present. Borderless; dragged by its background picture `PicK`.
class FrmMain : public QDialog {
    Q_OBJECT
public:
    explicit FrmMain(const QString& workbookPath, QWidget* parent = nullptr);
    // With the boxes that report a failed save (tests pass a recording double).
    FrmMain(const QString& workbookPath, ui::MessageBoxes& messages, QWidget* parent = nullptr);
    ~FrmMain() override;

    QString workbookPath() const { return workbookPath_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void loadTicks();
    void setAllTicks(bool on);
    void invertTicks();
    void saveAndEnd();

    QString workbookPath_;
    ui::QtMessageBoxes realMessages_;
    ui::MessageBoxes* messages_;
    QListWidget* list1_ = nullptr;
};

// Runs the guard setup modally for the workbook; when it returns the program ends.
void showGuardSetup(const QString& workbookPath);

}  // namespace tallimo::reconciler
