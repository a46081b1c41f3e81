#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

class QLineEdit;

namespace tallimo::reconciler {

class PictureButton;
class ReconcileSession;
struct Services;

// The range window: waits, blinking, while the user selects an area in the spreadsheet; the
// add-in answers each selection with a report addressed to this window and its text box. The
// range enters the session here.
class bFrm final : public QWidget {
    Q_OBJECT
public:
    static QString windowCaption() { return QStringLiteral("Tallimo20160512$132524"); }
    static const QColor& frameColourOn();
    static const QColor& frameColourOff();

    bFrm(const Services& services, ReconcileSession& session);

    QWidget* PicT() const { return picT_; }
    PictureButton* PicD() const { return picD_; }
    PictureButton* PicX() const { return picX_; }
    QLineEdit* Text1() const { return text1_; }
    QTimer* Timer1() { return &timer1_; }
    const QColor& frameColour() const { return frameColour_; }

    // Opened from the main panel for the session's area.
    void openForArea();
    void startBlinking() { timer1_.start(); }

    void confirm();        // PicD
    void returnToPanel();  // PicX
    void PicDok();         // acceptance, after the relation step
    void timerTick();      // Timer1

    // The handles the add-in must name in FromParent and FromSon.
    qint64 windowHandle();
    qint64 textBoxHandle();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ensureLoaded();

    const Services& services_;
    ReconcileSession& session_;
    QWidget* picT_;
    PictureButton* picD_;
    PictureButton* picX_;
    QLineEdit* text1_;
    QTimer timer1_;
    QColor frameColour_;
    bool blinkOn_ = false;
    bool loaded_ = false;
    QString stripText_;
};

}  // namespace tallimo::reconciler
