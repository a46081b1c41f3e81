#pragma once

#include "BusyAnimation.h"
#include "Twips.h"

#include <QTimer>
#include <QWidget>
#include <optional>

namespace tallimo::running {

// The indicator window: borderless, on top, titled with the busy token (the title is how the
// main program finds it to close it), animated every 100 ms, moved by dragging anywhere on it.
class BusyWindow final : public QWidget {
public:
    // Client area in twips.
    static constexpr int widthTwips = 2910;
    static constexpr int heightTwips = 945;

    // `panelTwips`: where the main panel stood; the window opens just inside its top-left corner.
    // Without it the window opens at the top right of the screen.
    BusyWindow(const QString& token, std::optional<QPointF> panelTwips,
               platform::TwipScale scale = platform::TwipScale::of());

    const BusyAnimation& animation() const { return animation_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place(std::optional<QPointF> panelTwips);
    QRect twipsRect(int left, int top, int width, int height) const;

    platform::TwipScale scale_;
    BusyAnimation animation_;
    QTimer timer_;
};

// The main program's panel position from the settings; empty when either coordinate is missing
// or not a number (the indicator was started by hand).
std::optional<QPointF> panelPositionFromSettings();

}  // namespace tallimo::running
