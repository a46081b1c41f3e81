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
