#pragma once

#include "Host.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tallimo::cli {

// Refuses an output that is no .xlsx file or is one of the inputs (usage errors), and one whose
// folder does not exist. Then removes what runs killed while saving to the same output left
// beside it (only files older than `runStart`). Throws CliError.
void prepareOutputPath(const QString& output, const QStringList& inputs, const QDateTime& runStart);

// Saves `book` as `output`. The save writes a file of its own beside the output and renames it
// over the output only when complete, so a failed or interrupted run leaves an existing output
// as it was and no partial file behind. Throws CliError.
void saveResult(host::Workbook book, const QString& output);

}  // namespace tallimo::cli
