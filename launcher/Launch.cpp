#include "Launch.h"

namespace tallimo::launcher {

QString mainProgramPath(const QString& installFolder) {
    QString folder = installFolder;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder + QStringLiteral("Data/reconciler");
}

void launch(const QString& installFolder, platform::ProcessStarter& starter) {
    starter.start(mainProgramPath(installFolder));
}

QString unexpectedErrorText(const QString& description) {
    return QStringLiteral("遇到意外错误：") + QLatin1Char('\n') + description +
           QStringLiteral("。");
}

}  // namespace tallimo::launcher
