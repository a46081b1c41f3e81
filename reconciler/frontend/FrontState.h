#pragma once

#include "Host.h"
#include "Reconcile.h"

#include <QString>
#include <array>
#include <memory>

namespace tallimo::reconciler {

// What one area holds once chosen.
struct AreaChoice {
    core::PreparedSide prepared;  // text grid, key lists, descriptor (addressText), rectangle
    qint64 hostWindow = 0;        // Hwnd_Excel of the accepted report; 0: not chosen
};

// The state the reconciler's windows share while an area is chosen and a run is made.
struct FrontState {
    QString currentArea;   // "1" or "2"; empty before the first area button
    QString capturedText;  // the clipboard text of the area being chosen
    bool multiColumnArea = false;
    std::array<AreaChoice, 2> areas;
    std::unique_ptr<host::Application> host;  // made by the first relation confirmation

    int areaIndex() const { return currentArea == u"2" ? 1 : 0; }
    AreaChoice& current() { return areas[std::size_t(areaIndex())]; }
    core::Side side() const { return areaIndex() == 0 ? core::Side::Left : core::Side::Right; }
    // Forgets both areas, as a maintenance does.
    void forgetAreas() { areas = {}; }
};

}  // namespace tallimo::reconciler
