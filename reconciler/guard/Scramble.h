#pragma once

#include <QString>

namespace tallimo::reconciler {

enum class ScrambleMode { Scramble, Unscramble };

// The form in which the guarded columns of a workbook are kept for the add-in: every byte of the
// text's UTF-16 code units is XORed with each character of a fixed key in turn. The result has as
// many code units as the input and may hold any of them (NUL, lone surrogates); unscrambling a
// scrambled text gives it back.
QString scrambleText(const QString& text, ScrambleMode mode);

}  // namespace tallimo::reconciler
