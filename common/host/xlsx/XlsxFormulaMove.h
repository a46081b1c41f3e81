#pragma once

#include <QString>

namespace tallimo::host::xlsx {

// Moves the relative references of an A1 formula (without its "=") by (rows, columns), as
// copying the formula that far does; quoted texts and sheet names stay as they are, and a
// reference pushed off the grid becomes #REF!. Whole-column and whole-row references stay.
QString moveFormula(const QString& formula, int rows, int columns);

}  // namespace tallimo::host::xlsx
