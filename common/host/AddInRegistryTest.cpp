#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tallimo::host {
namespace {

// A registration on this platform: the per-user folders point into a scratch folder and a fake
// extension manager on PATH logs its calls, answers `list` from a file and fails on request.
class AddInInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "PATH"})
            saved_.append({name, qgetenv(name)});
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_DATA_HOME", path("data").toUtf8());
        QDir().mkpath(path("bin"));
        // Only the fake: an extension manager installed on this machine must not be found.
        qputenv("PATH", path("bin").toUtf8());
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_)
            qputenv(name, value);
    }

    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

    void installFakeManager() {
        QFile script(path("bin/unopkg"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        const QString dir = dir_.path();
        script.write(QStringLiteral(
                         "#!/bin/sh\nPATH=/usr/bin:/bin\n"
                         "echo \"$*\" | sed 's|/[^ ]*/||g' >> '%1/calls'\n"
                         "for last; do :; done\n"
                         "if [ \"$1\" = add ]; then head -c 4 \"$last\" >> '%1/calls'; echo >> "
                         "'%1/calls'; fi\n"
                         "if [ \"$1\" = list ] && [ -f '%1/listing' ]; then cat '%1/listing'; fi\n"
                         "if [ -f '%1/refuse' ]; then echo 'ERROR: refused'; exit 1; fi\n")
                         .arg(dir)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    QStringList calls() const {
        QFile log(path("calls"));
        if (!log.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    void write(const char* name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // An add-in file copied into the add-in folder, as maintenance copies it.
    QString addInFile(const char* name, const QByteArray& content) {
        Application app(makeMemoryHost());
        return addInFile(app, name, content);
    }
    QString addInFile(Application& app, const char* name, const QByteArray& content) {
        const QString file = app.userLibraryPath() + QString::fromUtf8(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        return file;
    }

    QTemporaryDir dir_;
    QList<std::pair<const char*, QByteArray>> saved_;
};

const QByteArray kPackage = QByteArrayLiteral("PK\x03\x04 rest of an extension package");

TEST_F(AddInInstallTest, PackagesAreInstalledAndRemovedThroughTheExtensionManager) {
    installFakeManager();
    Application app(makeMemoryHost());
    const QString menu = app.addIns().add(addInFile("reconciler_Menu64.xlam", kPackage));
    ASSERT_EQ(menu, QStringLiteral("reconciler_Menu64"));
    app.addIns().setInstalled(menu, true);
    EXPECT_TRUE(app.addIns().installed(menu));
    // Installed under the add-in's title with the name the manager recognises packages by.
    EXPECT_EQ(calls(),
              (QStringList{"add --suppress-license --force reconciler_Menu64.oxt", "PK\x03\x04"}));

    write("listing",
          "All deployed user extensions:\n\nIdentifier: org.example.other\n"
          "  URL: vnd.sun.star.expand:$UNO_USER_PACKAGES_CACHE/uno_packages/a.tmp_/other.oxt\n"
          "Identifier: org.tallimo.calc.menu\n"
          "  URL: vnd.sun.star.expand:$UNO_USER_PACKAGES_CACHE/uno_packages/b.tmp_/"
          "reconciler_Menu64.oxt\n"
          "      URL: vnd.sun.star.expand:$UNO_USER_PACKAGES_CACHE/uno_packages/b.tmp_/"
          "reconciler_Menu64.oxt/Addons.xcu\n");
    QFile::remove(path("calls"));
    app.addIns().setInstalled(menu, false);
    EXPECT_FALSE(app.addIns().installed(menu));
    EXPECT_EQ(calls(), (QStringList{"list", "remove org.tallimo.calc.menu"}));

    // Switching off what the profile does not hold removes nothing.
    QFile::remove(path("listing"));
    QFile::remove(path("calls"));
    app.addIns().setInstalled(menu, false);
    EXPECT_EQ(calls(), QStringList{"list"});
}

// Root installs for every user of the machine, the extension manager's shared installation, and
// keeps its list where every user's extension finds the programs.
TEST_F(AddInInstallTest, ForAllUsersInstallsSharedAndListsInTheSystemDataFolder) {
    installFakeManager();
    qputenv("XDG_DATA_DIRS", (path("system") + u":/usr/share"_qs).toUtf8());
    MemoryHostOptions options;
    options.extensionsForAllUsers = true;
    Application app(makeMemoryHost(options));
    EXPECT_EQ(app.userLibraryPath(), path("system") + u"/RivaDare4Ruzar/AddIns/"_qs);
    const QString menu = app.addIns().add(addInFile(app, "reconciler_Menu64.xlam", kPackage));
    app.addIns().setInstalled(menu, true);
    EXPECT_EQ(calls(), (QStringList{"add --shared --suppress-license --force reconciler_Menu64.oxt",
                                    "PK\x03\x04"}));
    QFile list(path("system") + u"/RivaDare4Ruzar/AddIns/addins.json"_qs);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("\"allUsers\": true"));
    qunsetenv("XDG_DATA_DIRS");
}

TEST_F(AddInInstallTest, AFailedInstallationKeepsTheEarlierState) {
    Application app(makeMemoryHost());
    const QString addIn = app.addIns().add(addInFile("reconciler_Addin64.xlam", kPackage));
    // No extension manager on this machine: nothing is installed, and the host says so.
    EXPECT_THROW(app.addIns().setInstalled(addIn, true), HostError);
    EXPECT_FALSE(app.addIns().installed(addIn));

    installFakeManager();
    write("refuse", "");
    EXPECT_THROW(app.addIns().setInstalled(addIn, true), HostError);
    EXPECT_FALSE(app.addIns().installed(addIn));
}

TEST_F(AddInInstallTest, OtherFilesAreOnlyRecorded) {
    installFakeManager();
    Application app(makeMemoryHost());
    const QString addIn = app.addIns().add(addInFile("reconciler_Addin64.xlam", "add-in 102"));
    app.addIns().setInstalled(addIn, true);
    EXPECT_TRUE(app.addIns().installed(addIn));
    EXPECT_EQ(calls(), QStringList());
}

}  // namespace
}  // namespace tallimo::host
