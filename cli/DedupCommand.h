#pragma once

#include "ReconcileCommand.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tallimo::cli {

struct DedupOptions {
    QString input;
    QString sheet;  // empty: the first sheet
    QString range;
    QStringList columns;  // upper-case letters; empty: the range's last column
    bool ignoreBlanks = false;
    std::vector<int> colorBoxes;  // 0 to 11, ascending, each once; empty: no colouring
    QString output;
};

// The arguments after the program name, starting with "dedup". Throws CliError (kExitUsage).
DedupOptions parseDedupArguments(const QStringList& arguments);

QString dedupUsageText();

// Reads the area, finds the repeated rows and, when there are any, writes the report workbook
// to options.output (temporary file, then rename). Returns the conclusion sentence, or the
// notice that no row repeats (then no file is written). `note` gets what the reading chose or
// changed: the used area when no range was given, cells whose TABs or line breaks became
// spaces. Throws CliError.
QString runDedup(const DedupOptions& options, const StageReporter& reportStage = {},
                 const NoteSink& note = {});

// The whole "dedup" command line; returns the exit code.
int runDedupCommandLine(const QStringList& arguments,
                        const std::function<void(const QString&)>& out,
                        const std::function<void(const QString&)>& err,
                        const StageReporter& reportStage = {});

}  // namespace tallimo::cli
