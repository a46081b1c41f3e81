#pragma once

#include <QFont>

namespace tallimo::ui {

// The windows' Chinese text face at a given size: the CJK fonts Debian ships, so that captions
// look the same on every desktop whatever its default font.
QFont interfaceFont(double pointSize, bool bold = false);

}  // namespace tallimo::ui
