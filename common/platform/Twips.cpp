#include "Twips.h"

#include "GuiApplication.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tallimo::platform {

TwipScale TwipScale::of(const QScreen* screen) {
    if (!screen && guiApplication()) screen = QGuiApplication::primaryScreen();
    if (!screen) return {96.0, 96.0};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

int TwipScale::toPixelsX(double twips) const {
    return int(std::lround(twips * dpiX_ / twipsPerInch));
}

int TwipScale::toPixelsY(double twips) const {
    return int(std::lround(twips * dpiY_ / twipsPerInch));
}

}  // namespace tallimo::platform
