#pragma once

#include <QAbstractButton>
#include <QLabel>

namespace tallimo::reconciler {

// The pictures of the picture buttons, drawn at any scale so that they stay sharp at 96 and
// 192 dpi.
enum class Picture { ChooseArea, Maintenance, FindDuplicates, Exit, Confirm, Return };

// A flat button that shows one of the pictures; it lightens under the mouse.
class PictureButton final : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(Picture picture, QWidget* parent);
    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Picture picture_;
    bool hovered_ = false;
};

// A label that acts as a button.
class ClickLabel final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The main panel's background: a title strip of `stripHeight` pixels over a light body.
void paintPanelBackground(QPainter& painter, const QRect& rect, int stripHeight);

// A CJK font of the given point size: the desktop's Noto Sans CJK where it is installed.
QFont panelFont(double pointSize, bool bold = false);

}  // namespace tallimo::reconciler
