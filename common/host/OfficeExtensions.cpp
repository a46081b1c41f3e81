#include "OfficeExtensions.h"

#include "HostTypes.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace tallimo::host::officeExtensions {

namespace {

// The first installation into a new profile sets the profile up, which takes a while.
constexpr int kManagerMilliseconds = 180000;

// Runs the extension manager without a shell; returns its output. Throws when it cannot.
QString runManager(const QStringList& args) {
    const QString manager = QStandardPaths::findExecutable(QStringLiteral("unopkg"));
    if (manager.isEmpty())
        throw HostError(QStringLiteral("未找到 LibreOffice 的扩展管理程序 unopkg，加载项未安装"));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(manager, args);
    if (!process.waitForStarted() || !process.waitForFinished(kManagerMilliseconds)) {
        process.kill();
        process.waitForFinished();
        throw HostError(QStringLiteral("unopkg %1 未能完成").arg(args.value(0)));
    }
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw HostError(QStringLiteral("unopkg %1 失败：%2").arg(args.value(0), output));
    return output;
}

// The identifier of the extension installed from `fileName`, from the manager's list.
QStringList scoped(QStringList args, Scope scope) {
    if (scope == Scope::AllUsers) args.insert(1, QStringLiteral("--shared"));
    return args;
}

QString installedIdentifier(const QString& fileName, Scope scope) {
    static const QRegularExpression identifierLine(QStringLiteral("^\\s*Identifier:\\s*(\\S+)"));
    static const QRegularExpression urlLine(QStringLiteral("^\\s*URL:\\s*(\\S+)"));
    QString identifier;
    for (const QString& line : runManager(scoped({QStringLiteral("list")}, scope)).split(u'\n')) {
        if (const auto m = identifierLine.match(line); m.hasMatch()) {
            identifier = m.captured(1);
        } else if (const auto url = urlLine.match(line);
                   url.hasMatch() && url.captured(1).endsWith(u'/' + fileName)) {
            return identifier;
        }
    }
    return {};
}

}  // namespace

bool isExtensionPackage(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04");
}

void install(const QString& path, const QString& title, Scope scope) {
    // The manager tells a package's kind by its file name.
    QTemporaryDir staging;
    const QString package = staging.filePath(title + QStringLiteral(".oxt"));
    if (!staging.isValid() || !QFile::copy(path, package))
        throw HostError(QStringLiteral("无法准备加载项文件：%1").arg(path));
    runManager(scoped({QStringLiteral("add"), QStringLiteral("--suppress-license"),
                       QStringLiteral("--force"), package},
                      scope));
}

void uninstall(const QString& title, Scope scope) {
    const QString identifier = installedIdentifier(title + QStringLiteral(".oxt"), scope);
    if (!identifier.isEmpty()) runManager(scoped({QStringLiteral("remove"), identifier}, scope));
}

}  // namespace tallimo::host::officeExtensions
