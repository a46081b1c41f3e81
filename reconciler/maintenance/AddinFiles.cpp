#include "AddinFiles.h"

#include <QFile>

namespace tallimo::reconciler {

int hostMajorVersion(const QString& versionText) {
    const QString trimmed = versionText.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed[digits].isDigit() && trimmed[digits].unicode() < 128)
        ++digits;
    return digits == 0 ? 0 : trimmed.left(std::min<qsizetype>(digits, 6)).toInt();
}

bool hostIs32Bit(const QString& /*versionText*/) {
    return false;
}

AddinPair addinPairFor(int majorVersion, bool is32Bit) {
    if (majorVersion <= 11)
        return {101, QStringLiteral("reconciler_Addin97_2003.xla"), 104,
                QStringLiteral("reconciler_Menu97_2003.xlam")};
    if (is32Bit)
        return {102, QStringLiteral("reconciler_Addin32.xlam"), 105,
                QStringLiteral("reconciler_Menu32.xlam")};
    return {103, QStringLiteral("reconciler_Addin64.xlam"), 106,
            QStringLiteral("reconciler_Menu64.xlam")};
}

QString addinSourcePath(const QString& programFolder, int source) {
    return programFolder + u'/' + QString::number(source) + QStringLiteral(".qxrbfile");
}

void copyAddinFile(const QString& programFolder, int source, const QString& destination,
                   ui::MessageBoxes& messages) {
    const QString from = addinSourcePath(programFolder, source);
    if (QFile::exists(destination)) QFile::remove(destination);
    if (QFile::copy(from, destination)) return;
    messages.show(ui::MessageIcon::Error,
                  QStringLiteral("未能成功复制\n%1\n%2").arg(from, destination),
                  QStringLiteral("文件复制"));
}

}  // namespace tallimo::reconciler
