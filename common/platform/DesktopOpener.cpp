#include "DesktopOpener.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

namespace tallimo::platform {

namespace {
// xdg-open without a handler ends within a second; with one it may run as long as the
// spreadsheet it started.
constexpr qint64 kGivingUpMilliseconds = 20000;
// xdg-open works out the file's type with tools that fail on a non-ASCII name (Chinese result
// names) under a locale that is not UTF-8, as a session without LANG has.
QProcessEnvironment openerEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString locale = environment.value(QStringLiteral("LC_ALL"));
    if (locale.isEmpty()) locale = environment.value(QStringLiteral("LC_CTYPE"));
    if (locale.isEmpty()) locale = environment.value(QStringLiteral("LANG"));
    if (!locale.contains(QStringLiteral("UTF-8"), Qt::CaseInsensitive) &&
        !locale.contains(QStringLiteral("utf8"), Qt::CaseInsensitive))
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return environment;
}

}  // namespace

QProcess* openWithDesktop(const QString& path, std::function<void(const QString& path)> notOpened) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        QTimer::singleShot(0, [notOpened, path] { notOpened(path); });
        return nullptr;
    }
    // Without a parent: ending the program must not end the spreadsheet the opener started.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->setProcessEnvironment(openerEnvironment());
    auto running = std::make_shared<QElapsedTimer>();
    QObject::connect(process, &QProcess::finished, process,
                     [process, running, notOpened, path](int code, QProcess::ExitStatus status) {
                         if (status == QProcess::NormalExit && code != 0 &&
                             running->elapsed() < kGivingUpMilliseconds)
                             notOpened(path);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, notOpened, path](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         notOpened(path);
                         process->deleteLater();
                     });
    running->start();
    process->start();
    return process;
}

}  // namespace tallimo::platform
