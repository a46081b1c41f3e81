#include "Launch.h"
#include "ProcessTestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace tallimo::launcher {
namespace {

TEST(MainProgramPath, JoinsTheInstallFolderWithoutDoublingTheSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/tallimo", "/opt/tallimo/Data/reconciler"},
        {"/opt/tallimo/", "/opt/tallimo/Data/reconciler"},
        {"/", "/Data/reconciler"},
    };
    for (const auto& [folder, path] : cases)
        EXPECT_EQ(mainProgramPath(QString::fromLatin1(folder)), QString::fromLatin1(path));
}

TEST(Launch, StartsTheMainProgramWithoutArguments) {
    platform::RecordingProcessStarter starter;
    starter.succeeds = false;
    launch(QStringLiteral("/opt/tallimo"), starter);
    ASSERT_EQ(starter.starts.size(), 1);
    EXPECT_EQ(starter.starts[0].program, QStringLiteral("/opt/tallimo/Data/reconciler"));
    EXPECT_TRUE(starter.starts[0].arguments.isEmpty());
}

TEST(UnexpectedErrorText, PutsTheDescriptionOnItsOwnLine) {
    EXPECT_EQ(unexpectedErrorText(QStringLiteral("拒绝访问")),
              QStringLiteral("遇到意外错误：\n拒绝访问。"));
}

// The launcher copied into an installation of its own, run from an unrelated folder.
class InstalledLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(install.path()).mkpath(QStringLiteral("Data")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(LAUNCHER_PROGRAM), launcherPath()));
    }

    QString launcherPath() const { return install.filePath(QStringLiteral("launcher")); }
    QString recordPath() const { return install.filePath(QStringLiteral("Data/started")); }

    // A main program that records where and with what it was started.
    void installStandIn() {
        ASSERT_TRUE(testsupport::writeScript(
            install.filePath(QStringLiteral("Data/reconciler")),
            "#!/bin/sh\necho \"$PWD|$#\" > \"$(dirname \"$0\")/started.tmp\"\n"
            "mv \"$(dirname \"$0\")/started.tmp\" \"$(dirname \"$0\")/started\"\n"));
    }

    QTemporaryDir install;
    QTemporaryDir elsewhere;
};

TEST_F(InstalledLauncherTest, StartsTheMainProgramOfItsOwnInstallation) {
    installStandIn();
    QProcess launcher;
    launcher.setWorkingDirectory(elsewhere.path());
    launcher.start(launcherPath(), {});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    EXPECT_EQ(launcher.exitCode(), 0);

    testsupport::waitForFile(recordPath());
    QFile record(recordPath());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly)) << "the stand-in was not started";
    EXPECT_EQ(record.readAll().trimmed(),
              (QDir(elsewhere.path()).canonicalPath() + QStringLiteral("|0")).toUtf8());
}

TEST_F(InstalledLauncherTest, MissingMainProgramEndsQuietly) {
    QProcess launcher;
    launcher.setWorkingDirectory(elsewhere.path());
    launcher.start(launcherPath(), {});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_TRUE(launcher.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(launcher.readAllStandardError().isEmpty());
}

}  // namespace
}  // namespace tallimo::launcher
