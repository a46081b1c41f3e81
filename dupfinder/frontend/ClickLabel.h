#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace tallimo::dupfinder {

// A label that acts on a left click: the windows' close, return and caption labels.
class ClickLabel final : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && onClick) {
            event->accept();
            onClick();
            return;
        }
        QLabel::mousePressEvent(event);
    }
};

}  // namespace tallimo::dupfinder
