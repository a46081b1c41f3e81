#pragma once

#include "Maintenance.h"
#include "MessageBoxes.h"
#include "WindowSystem.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tallimo::reconciler {

struct MaintenanceServices {
    ui::MessageBoxes* messages = nullptr;
    platform::WindowSystem* windows = nullptr;  // "host running" check
    // Creates a private host application object for the maintenance; may throw host::HostError.
    HostFactory createHost;
    QString programFolder;  // holds the programs and the numbered add-in files, no trailing "/"
};

// Environment maintenance: installs the add-in files into the spreadsheet host and resets the
// settings to a first install. Shown modally at the first start, or from the main panel.
class FrmHJ : public QDialog {
    Q_OBJECT
public:
    explicit FrmHJ(MaintenanceServices services, QWidget* parent = nullptr);

    // First start (ChAddin empty): runs the dialog modally. True when start-up goes on to the
    // main panel, false when the program ends (maintenance done with the menu ticked, or left
    // after the host could not be started).
    bool runAtFirstStart();
    // From the main panel's PicHJ: shows the dialog (not modal) in its from-panel form.
    void openFromPanel();

signals:
    void panelShowRequested();  // CmdFQ, or a maintenance opened from the panel completed
    void areasForgotten();      // the panel forgets both chosen areas

public slots:
    // The dialog is left through its buttons only: Escape does nothing.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void prepare(bool fromPanel);
    void placeOnScreen();
    void runMaintenance();
    void giveUp();
    void enableAfterRefusal();
    void finish(int hostMajorVersion);

    MaintenanceServices services_;
    ui::QtMessageBoxes realMessages_;  // when the services bring none
    bool openedFromPanel_ = false;
    int bandTop_ = 0;
    QPushButton* command1_ = nullptr;
    QPushButton* cmdFQ_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QLabel* lblChk_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
};

}  // namespace tallimo::reconciler
