#pragma once

#include "Host.h"

#include <QString>
#include <QStringList>

namespace tallimo::cli {

// Refuses an output that is no .xlsx file or is one of the inputs (usage errors), and one whose
// folder does not exist. Throws CliError.
void checkOutputPath(const QString& output, const QStringList& inputs);

// Saves `book` to a temporary file beside `output` and renames it over `output` only when
// complete, so a failed or interrupted run leaves an existing output as it was and no partial
// file behind. Throws CliError.
void saveResult(host::Workbook book, const QString& output);

}  // namespace tallimo::cli
