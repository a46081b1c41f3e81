#pragma once

#include "Services.h"

#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tallimo::platform {
class InstanceLock;
}

namespace tallimo::reconciler {

class ClickLabel;
class PictureButton;
class ReconcileSession;

// The title of the panel's strip: "Tallimo(Y" minor "." revision "版)" of a version a.b.c.d.
QString panelTitle(const QString& version);
// The workbook path a command line asks the guard setup for; nullopt for a normal start (an
// empty command line or "0").
std::optional<QString> guardWorkbookPath(const QString& commandLine);

// The main panel: start-up of the program, the two areas, the options, the run. It shows what the
// session holds and asks it for the other windows.
class aFrm final : public QWidget {
    Q_OBJECT
public:
    static QString windowCaption() { return QStringLiteral("Tallimo20160511$132523"); }

    aFrm(const Services& services, ReconcileSession& session);

    // Loading the panel: every start-up step up to showing it. False when the program ends
    // instead (the caller then does not run the event loop).
    bool startUp(const QString& commandLine, const QString& version,
                 platform::InstanceLock& instances);

    QLabel* lblTop() const { return lblTop_; }
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }
    PictureButton* PicD() const { return picD_; }
    PictureButton* PicD2() const { return picD2_; }
    ClickLabel* lblGJ() const { return lblGJ_; }
    QCheckBox* Check2() const { return check2_; }
    ClickLabel* lblChk() const { return lblChk_; }
    ClickLabel* lblmenu() const { return lblmenu_; }
    QPushButton* Command1() const { return command1_; }
    PictureButton* PicHJ() const { return picHJ_; }
    PictureButton* PicCF() const { return picCF_; }
    PictureButton* PicExit() const { return picExit_; }
    QTimer* Timer1() { return &timer1_; }

    void chooseArea(int areaIndex);  // PicD (0), PicD2 (1)
    void showSelectionInfo();        // lblGJ
    void openMaintenance();          // PicHJ
    void handOver();                 // PicCF and the add-in's request
    void exitProgram();              // PicExit
    void timerTick();                // Timer1

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // The accepted area's text, as the session holds it.
    void showArea(int areaIndex);
    QString areaInfo(int areaIndex) const;
    ui::MessageBoxes& messages() const { return *services_.messages; }

    const Services& services_;
    ReconcileSession& session_;
    QWidget* picK_;
    QLabel* lblTop_;
    QLineEdit* text1_;
    QLineEdit* text2_;
    PictureButton* picD_;
    PictureButton* picD2_;
    ClickLabel* lblGJ_;
    QCheckBox* check2_;
    ClickLabel* lblChk_;
    ClickLabel* lblmenu_;
    QPushButton* command1_;
    PictureButton* picHJ_;
    PictureButton* picCF_;
    PictureButton* picExit_;
    QTimer timer1_;
    int stripHeight_ = 0;
    bool ending_ = false;
};

}  // namespace tallimo::reconciler
