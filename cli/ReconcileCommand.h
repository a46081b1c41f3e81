#pragma once

#include "CliOptions.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tallimo::cli {

// Names the stage the work has reached ("读取左区"), for a progress line.
using StageReporter = std::function<void(const QString& stage)>;
// Takes a note for the user that is no failure (cells whose line breaks became spaces).
using NoteSink = std::function<void(const QString& note)>;

// Reads both areas (left first, as a user of the windows prepares them), runs pass 1 and, when
// the relation rows differ, pass 2 in the memory host, and saves the result workbook to
// options.output. The file is written under a temporary name in the output's folder and renamed
// over the output only when complete, so a failed run leaves an existing output as it was and no
// partial file behind. Returns the conclusion sentence of each pass, pass 1 first, each followed
// by what its suggestions came to when they were asked for. Throws CliError.
QStringList runReconcile(const ReconcileOptions& options, const StageReporter& reportStage = {},
                         const NoteSink& note = {});

// The whole command line: usage, errors and conclusions written to the given streams. Returns
// the exit code.
int runCommandLine(const QStringList& arguments, const std::function<void(const QString&)>& out,
                   const std::function<void(const QString&)>& err,
                   const StageReporter& reportStage = {});

}  // namespace tallimo::cli
