#pragma once

#include <QBitArray>
#include <QString>

namespace tallimo::reconciler {

// The columns of one workbook that the add-in checks for repeated entries: columns A to IV.
constexpr int guardedColumnCount = 256;

// The column list before scrambling: "|" followed, for each column, by "N" (unticked) or a
// random two-digit number (ticked) and a "|".
QString columnListText(const QBitArray& ticked);
// The ticks a column list stands for. A text without "|" ticks every column; a list that ends
// early (written by another tool) is read as far as it goes and the rest stays unticked.
QBitArray ticksFromColumnList(const QString& list);

// The ticks stored for the workbook at `workbookPath`; every column when none are stored.
QBitArray loadGuardedColumns(const QString& workbookPath);
// Stores the ticks for the workbook and raises the add-in's flag that guarded columns exist.
// Throws SettingsError when the settings cannot be written.
void saveGuardedColumns(const QString& workbookPath, const QBitArray& ticked);

}  // namespace tallimo::reconciler
