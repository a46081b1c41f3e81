#pragma once

#include "Address.h"
#include "HostTypes.h"

#include <QString>

namespace tallimo::dupfinder {

// The area a search runs over, its address read once: the address as the selection named it,
// which the captions and notices quote, and its parts.
struct SearchArea {
    QString address;
    AreaAddress parts;
};

// Reads a selection's address on the small grid, as the duplicate finder has no host version to
// ask. A text that is no address gives empty parts.
SearchArea searchAreaAt(const QString& address);

// A block of the sheet, named in absolute A1 form.
SearchArea searchAreaOf(const host::CellRect& block);

}  // namespace tallimo::dupfinder
