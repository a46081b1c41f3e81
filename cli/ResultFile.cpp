#include "ResultFile.h"

#include "CliOptions.h"
#include "RemoveOnInterrupt.h"
#include "SilencedStandardError.h"
#include "Xlsx.h"

#include <QDir>
#include <QFileInfo>

namespace tallimo::cli {

void prepareOutputPath(const QString& output, const QStringList& inputs,
                       const QDateTime& runStart) {
    const QFileInfo target(output);
    if (target.suffix().compare(u"xlsx", Qt::CaseInsensitive) != 0) {
        throw CliError(kExitUsage, QStringLiteral("结果文件“%1”必须是 .xlsx 文件").arg(output));
    }
    for (const QString& input : inputs) {
        if (target.exists() && QFileInfo(input).exists() &&
            target.canonicalFilePath() == QFileInfo(input).canonicalFilePath()) {
            throw CliError(kExitUsage, QStringLiteral("结果文件“%1”不能是输入文件").arg(output));
        }
    }
    if (!target.absoluteDir().exists()) {
        throw CliError(kExitInvalidInput,
                       QStringLiteral("结果文件的文件夹“%1”不存在").arg(target.absolutePath()));
    }
    // A run killed while it saved (SIGKILL, a power cut) left its file beside the output.
    host::removeAbandonedSavingFiles(target.absoluteFilePath(), runStart);
}

void saveResult(host::Workbook book, const QString& output) {
    // An interrupt before the rename takes the save's own file away with the process.
    const RemoveOnInterrupt removeWhenStopped(
        host::xlsxSavingName(QFileInfo(output).absoluteFilePath()));
    try {
        // The writer library prints its own English diagnostics naming the temporary file; the
        // error that matters reaches the user through the exception.
        const SilencedStandardError libraryDiagnostics;
        book.saveAs(output);
    } catch (const host::HostError& e) {
        throw CliError(kExitInvalidInput, e.message());
    }
}

}  // namespace tallimo::cli
