#include "ResultFile.h"

#include "CliOptions.h"
#include "RemoveOnInterrupt.h"

#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>

namespace tallimo::cli {

namespace {

// The result file gets the permissions a newly created file gets, not the temporary file's
// owner-only ones.
void setCreationPermissions(const QString& path) {
    const mode_t mask = umask(0);
    umask(mask);
    chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

}  // namespace

void checkOutputPath(const QString& output, const QStringList& inputs) {
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
}

void saveResult(host::Workbook book, const QString& output) {
    const QFileInfo target(output);
    QTemporaryFile temporary(target.absoluteDir().filePath(
        QStringLiteral(".%1.XXXXXX.xlsx").arg(target.completeBaseName())));
    if (!temporary.open()) {
        throw CliError(kExitInvalidInput, QStringLiteral("无法在文件夹“%1”中写入结果文件：%2")
                                              .arg(target.absolutePath(), temporary.errorString()));
    }
    temporary.close();
    const RemoveOnInterrupt removeWhenStopped(temporary.fileName());
    try {
        book.saveAs(temporary.fileName());
    } catch (const host::HostError& e) {
        throw CliError(kExitInvalidInput,
                       QStringLiteral("无法保存结果文件“%1”：%2").arg(output, e.message()));
    }
    setCreationPermissions(temporary.fileName());
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        throw CliError(kExitInvalidInput, QStringLiteral("无法写入结果文件“%1”").arg(output));
    }
    temporary.setAutoRemove(false);
}

}  // namespace tallimo::cli
