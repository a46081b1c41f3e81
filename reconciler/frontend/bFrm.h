#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

class QLineEdit;

namespace tallimo::reconciler {

class PictureButton;
struct Frontend;

// The range window: waits, blinking, while the user selects an area in the spreadsheet; the
// add-in answers each selection with a report addressed to this window and its text box.
class bFrm final : public QWidget {
    Q_OBJECT
public:
    static QString windowCaption() { return QStringLiteral("Tallimo20160512$132524"); }
    static const QColor& frameColourOn();
    static const QColor& frameColourOff();

    explicit bFrm(Frontend& frontend);

    QWidget* PicT() const { return picT_; }
    PictureButton* PicD() const { return picD_; }
    PictureButton* PicX() const { return picX_; }
    QLineEdit* Text1() const { return text1_; }
    QTimer* Timer1() { return &timer1_; }
    const QColor& frameColour() const { return frameColour_; }

    // Opened from the main panel for area "1" or "2".
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

    Frontend& f_;
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
