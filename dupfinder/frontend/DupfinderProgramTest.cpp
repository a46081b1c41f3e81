#include "FrmCF.h"
#include "Ini.h"
#include "ProcessTestSupport.h"
#include "X11TestSupport.h"
#include "X11WindowSystem.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace tallimo::dupfinder {
namespace {

using testsupport::waitFor;

// The real program, copied into an installation of its own beside a stand-in main program, on
// the test run's X server with settings, folders and lock of its own.
class DupfinderProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::startX11Application("dupfinder_program_test"); }

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(QDir(install.path()).mkpath(u"Data"_qs));
        ASSERT_TRUE(QFile::copy(QStringLiteral(DUPFINDER_PROGRAM), data(u"dupfinder"_qs)));
        ASSERT_TRUE(testsupport::writeScript(
            data(u"reconciler"_qs), "#!/bin/sh\necho started >> \"$(dirname \"$0\")/started\"\n"));
    }

    void TearDown() override {
        for (QProcess* process : started) {
            process->kill();
            process->waitForFinished();
            delete process;
        }
    }

    QString data(const QString& name) const { return install.filePath(u"Data/"_qs + name); }
    // The user's own "Set.ini", beside the settings of the program's environment.
    QString userIni() const { return home.filePath(u"config/RivaDare4Ruzar/Set.ini"_qs); }

    QProcess* startDupfinder() {
        auto* process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_qs, home.filePath(u"config"_qs));
        environment.insert(u"XDG_RUNTIME_DIR"_qs, runtime.path());
        environment.insert(u"HOME"_qs, home.path());
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        process->setProcessEnvironment(environment);
        process->start(data(u"dupfinder"_qs), {});
        started.append(process);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    std::optional<platform::WindowHandle> waitForWindow() {
        std::optional<platform::WindowHandle> found;
        waitFor([&] { return (found = windows.findByTitle(FrmCF::title())).has_value(); });
        return found;
    }

    QByteArray startsRecorded() const {
        QFile record(data(u"started"_qs));
        return record.open(QIODevice::ReadOnly) ? record.readAll() : QByteArray();
    }

    QTemporaryDir install, home, runtime;
    platform::X11WindowSystem windows;
    QList<QProcess*> started;
};

TEST_F(DupfinderProgramTest, SecondStartEndsSilentlyAndLeavesTheFirst) {
    QProcess* first = startDupfinder();
    ASSERT_TRUE(waitForWindow().has_value());
    QProcess* second = startDupfinder();
    ASSERT_TRUE(second->waitForFinished(30000)) << "the second copy ends by itself";
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(windows.findByTitle(FrmCF::title()).has_value());
}

TEST_F(DupfinderProgramTest, ClosingHandsBackOnceWhenHandedOver) {
    ASSERT_TRUE(iniWrite(u"CommuCF"_qs, u"CallCFFromDZ"_qs, u"1"_qs, userIni()));
    for (int close = 1; close <= 2; ++close) {
        QProcess* process = startDupfinder();
        const auto window = waitForWindow();
        ASSERT_TRUE(window.has_value());
        // A request that reaches the window while it is still being set up can go unanswered;
        // the test asks again, as a user would click again, until the program has ended.
        QElapsedTimer asking;
        asking.start();
        do {
            (void)windows.postCloseRequest(*window);
        } while (!process->waitForFinished(500) && asking.elapsed() < 30000);
        ASSERT_EQ(process->state(), QProcess::NotRunning);
        EXPECT_EQ(process->exitCode(), 0);
        testsupport::waitForFile(data(u"started"_qs));
        // The flag is gone after the first close: the second close starts nothing more.
        EXPECT_EQ(startsRecorded(), QByteArray("started\n")) << "close " << close;
        EXPECT_TRUE(iniRead(u"CommuCF"_qs, u"CallCFFromDZ"_qs, userIni()).isEmpty());
    }
}

}  // namespace
}  // namespace tallimo::dupfinder
