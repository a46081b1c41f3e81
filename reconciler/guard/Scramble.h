#pragma once

#include <QString>

namespace tallimo::reconciler {

enum class ScrambleMode { Scramble, Unscramble };

// The stored form of the guarded columns: every byte of the text's UTF-16 code units (low byte
// first) XOR-ed with each character of a fixed key in turn. The passes commute, so unscrambling
// a scrambled text gives it back, unit for unit, with as many characters as it had.
QString scrambleText(const QString& text, ScrambleMode mode);

}  // namespace tallimo::reconciler
