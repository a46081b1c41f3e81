#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

namespace tallimo::platform {

// Window positions and sizes are kept in twips (1440 to the inch); the screen counts pixels at
// its logical dots per inch.
class TwipScale {
public:
    static constexpr double twipsPerInch = 1440.0;

    TwipScale(double dpiX, double dpiY) : dpiX_(dpiX), dpiY_(dpiY) {}
    // Of `screen`, or of the primary screen when null; 96 dpi where there is no screen.
    static TwipScale of(const QScreen* screen = nullptr);

    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    double toTwipsX(double pixels) const { return pixels * twipsPerInch / dpiX_; }
    double toTwipsY(double pixels) const { return pixels * twipsPerInch / dpiY_; }

    QPoint toPixels(QPoint twips) const { return {toPixelsX(twips.x()), toPixelsY(twips.y())}; }
    QSize toPixels(QSize twips) const {
        return {toPixelsX(twips.width()), toPixelsY(twips.height())};
    }
    // A control's place: corner and size converted on their own, so that a size does not change
    // with where the control stands.
    QRect toPixels(const QRect& twips) const {
        return {toPixels(twips.topLeft()), toPixels(twips.size())};
    }

private:
    double dpiX_;
    double dpiY_;
};

}  // namespace tallimo::platform
