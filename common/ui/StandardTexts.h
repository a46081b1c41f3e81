#pragma once

namespace tallimo::ui {

// Qt's own texts (standard dialog buttons such as OK, Cancel, Yes and No) in Chinese whatever
// the user's locale, as every other text of the programs is. Call it once the application object
// exists and before any window is made. False when the system has no Chinese Qt translations.
bool loadChineseStandardTexts();

}  // namespace tallimo::ui
