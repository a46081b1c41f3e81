#include "Maintenance.h"

#include "AddinFiles.h"
#include "Entries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallimo::reconciler {

namespace {

// Runs one step of the maintenance; a step that fails is left out and the next one runs.
template <typename Step>
void attempt(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

QString inFolder(const QString& folder, const QString& fileName) {
    return folder.endsWith(u'/') ? folder + fileName : folder + u'/' + fileName;
}

QString addinTitle(const QString& fileName) {
    return QFileInfo(fileName).completeBaseName();
}

}  // namespace

QString spreadsheetWindowClass() {
    return QStringLiteral("libreoffice-calc");
}

bool spreadsheetIsRunning(platform::WindowSystem& windows) {
    return windows.findByClass(spreadsheetWindowClass()).has_value();
}

QString applicationDataFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

void resetSettings() {
    entries::removeSection(entries::excel::section());
    entries::removeSection(entries::hiSet::section());
    entries::removeSection(entries::rangeSel::section());
    QFile::remove(defaultIniPath());
}

std::optional<int> installAddins(const AddinInstall& install, const HostFactory& createHost,
                                 ui::MessageBoxes& messages, QString* hostFailure) {
    std::unique_ptr<host::Application> app;
    try {
        if (createHost) app = createHost();
    } catch (const std::exception& error) {
        if (hostFailure) *hostFailure = QString::fromUtf8(error.what());
    }
    if (!app) return std::nullopt;

    QString libraryPath, version;
    attempt([&] { libraryPath = app->userLibraryPath(); });
    attempt([&] { version = app->version(); });
    if (libraryPath.isEmpty()) {
        // Without the host's add-in folder the files would land in whatever folder is current.
        if (hostFailure) *hostFailure = QStringLiteral("电子表格程序未提供加载项文件夹");
        attempt([&] { app->quit(); });
        return std::nullopt;
    }
    const int major = hostMajorVersion(version);
    const AddinPair pair = addinPairFor(major, hostIs32Bit(version));
    const QString addinPath = inFolder(libraryPath, pair.addinFile);
    const QString menuPath = inFolder(libraryPath, pair.menuFile);

    const auto copy = [&](int source, const QString& destination) {
        copyAddinFile(install.programFolder, source, destination, messages);
    };
    const auto prepareMenuFolder = [&] {
        QDir().mkpath(inFolder(install.applicationDataFolder, QStringLiteral("QXRB")));
        attempt([&] { entries::excel::orlisoftPath().save(install.programFolder); });
    };
    if (major <= 11) {
        copy(pair.addinSource, addinPath);
        attempt([&] { entries::excel::chAddin().save(addinPath); });
        if (install.withMenu) {
            prepareMenuFolder();
            copy(pair.menuSource, menuPath);
        }
    } else {
        if (install.withMenu) {
            copy(pair.menuSource, menuPath);
            prepareMenuFolder();
        }
        copy(pair.addinSource, addinPath);
    }

    host::AddIns addIns = app->addIns();
    attempt([&] { addIns.add(addinPath); });
    attempt([&] { addIns.setInstalled(addinTitle(pair.addinFile), true); });
    if (install.withMenu) {
        attempt([&] { addIns.add(menuPath); });
        attempt([&] { addIns.setInstalled(addinTitle(pair.menuFile), true); });
    } else {
        attempt([&] { addIns.setInstalled(addinTitle(pair.menuFile), false); });
    }

    attempt([&] { entries::excel::ver().save(version); });
    attempt([&] { app->quit(); });
    app.reset();
    attempt([&] { entries::excel::chAddin().save(addinPath); });
    return major;
}

}  // namespace tallimo::reconciler
