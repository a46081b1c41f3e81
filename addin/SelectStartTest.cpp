#include "Entries.h"
#include "OwnWindow.h"
#include "ProcessTestSupport.h"
#include "WindowSystem.h"
#include "X11TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <X11/Xlib.h>

namespace tallimo::addin {
namespace {

using testsupport::waitFor;

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The stand-in run as a separate program, with the settings tree of the test.
class AddinTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    Outcome run(const QString& program, const QStringList& args, const QByteArray& platform) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        process.setProcessEnvironment(environment);
        process.start(program, args);
        EXPECT_TRUE(process.waitForFinished(20000)) << "the stand-in returns promptly";
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QTemporaryDir config;
};

// start: the request is written, then Data/reconciler of the stand-in's own installation starts.
class StartTest : public AddinTest {
protected:
    void SetUp() override {
        AddinTest::SetUp();
        ASSERT_TRUE(QDir(install.path()).mkpath(QStringLiteral("Data")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALLIMO_ADDIN), addinPath()));
    }

    QString addinPath() const { return install.filePath(QStringLiteral("tallimo-addin")); }
    QString recordPath() const { return install.filePath(QStringLiteral("Data/started")); }

    // A main program that records its arguments, one a line, after their count.
    void installStandIn() {
        ASSERT_TRUE(testsupport::writeScript(
            install.filePath(QStringLiteral("Data/reconciler")),
            "#!/bin/sh\nout=\"$(dirname \"$0\")/started\"\n"
            "printf '%s\\n' \"$#\" \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n"));
    }

    QStringList startedWith() {
        testsupport::waitForFile(recordPath());
        QFile record(recordPath());
        if (!record.open(QIODevice::ReadOnly)) return {QStringLiteral("(not started)")};
        QStringList lines = QString::fromUtf8(record.readAll()).split(u'\n');
        lines.removeLast();
        return lines;
    }

    QTemporaryDir install;
};

TEST_F(StartTest, WritesTheRequestAndStartsTheMainProgram) {
    struct Case {
        QStringList args;
        QString button;
        QString buttonCF;
        QStringList started;  // count, then the arguments
    };
    const Case cases[] = {
        {{}, {}, {}, {"0"}},
        {{"--select-area1", "--front", "4194311"}, "4194311", {}, {"0"}},
        {{"--select-area1"}, "1", {}, {"0"}},
        {{"--dupfinder"}, {}, "CF", {"0"}},
        {{"--guard", "/books/2024 账簿 \"a\".xlsx"},
         {},
         {},
         {"1", "\"-s|/books/2024 账簿 \"a\".xlsx\""}},
    };
    installStandIn();
    for (const Case& c : cases) {
        entries::excel::diaoYongButton().remove();
        entries::excel::diaoYongButtonCF().remove();
        QFile::remove(recordPath());
        const Outcome result =
            run(addinPath(), QStringList{QStringLiteral("start")} + c.args, "offscreen");
        const std::string label = c.args.join(u' ').toStdString();
        EXPECT_EQ(result.exitCode, 0) << label << result.err.toStdString();
        EXPECT_EQ(startedWith(), c.started) << label;
        EXPECT_EQ(entries::excel::diaoYongButton().get(), c.button) << label;
        EXPECT_EQ(entries::excel::diaoYongButtonCF().get(), c.buttonCF) << label;
    }
}

TEST_F(StartTest, MissingMainProgramFailsAndLeavesNoRequest) {
    const Outcome result =
        run(addinPath(), {QStringLiteral("start"), QStringLiteral("--dupfinder")}, "offscreen");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Data/reconciler"));
    EXPECT_EQ(entries::excel::diaoYongButtonCF().get(), QString());
}

TEST_F(StartTest, RefusesMalformedRequests) {
    const QStringList malformed[] = {{"--select-area1", "--front"},
                                     {"--select-area1", "--front", "abc"},
                                     {"--guard"},
                                     {"--dupfinder", "--guard", "x"},
                                     {"--bogus"}};
    for (const QStringList& args : malformed) {
        const Outcome result =
            run(addinPath(), QStringList{QStringLiteral("start")} + args, "offscreen");
        EXPECT_EQ(result.exitCode, 2) << args.join(u' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(recordPath()));
}

// select on the X server of the test run: the range window, the report and the clipboard.
class SelectTest : public AddinTest {
protected:
    static void SetUpTestSuite() { testsupport::startX11Application("tallimo_addin_select_test"); }

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display";
        AddinTest::SetUp();
        book = folder.filePath(QStringLiteral("book.csv"));
        QFile file(book);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("名称,金额,备注\nalpha,100,x\nbeta,2.5,\n");
    }

    void TearDown() override {
        if (!qEnvironmentVariableIsEmpty("DISPLAY")) takeClipboardOver();
        AddinTest::TearDown();
    }

    Outcome select(const QStringList& args) {
        return run(QStringLiteral(TALLIMO_ADDIN),
                   QStringList{QStringLiteral("select"), book} + args, "xcb");
    }

    // The clipboard server left behind by a select of this test: the stand-in's serve command
    // running with this test's settings tree.
    qint64 clipboardServer() const {
        const QByteArray command = QByteArray("tallimo-addin") + '\0' + "serve-clipboard" + '\0';
        const QByteArray settings = "XDG_CONFIG_HOME=" + config.path().toLocal8Bit() + '\0';
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
            QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll() == command &&
                environ.open(QIODevice::ReadOnly) && environ.readAll().contains(settings))
                return entry.toLongLong();
        }
        return 0;
    }

    static QByteArray clipboardText() {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                              QStringLiteral("clipboard")});
        xclip.waitForFinished(30000);
        return xclip.readAllStandardOutput();
    }

    // As another program does: own the clipboard, then end (the selection then has no owner).
    static void takeClipboardOver() {
        Display* display = XOpenDisplay(nullptr);
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), window, CurrentTime);
        XSync(display, False);
        XCloseDisplay(display);
    }

    QTemporaryDir folder;
    QString book;
};

const QByteArray kBookText = "名称\t金额\t备注\r\nalpha\t100\tx\r\nbeta\t2.5\t\r\n";

TEST_F(SelectTest, DuplicateFinderSelectionIsReportedAndServedUntilTakenOver) {
    const Outcome result = select({QStringLiteral("--range"), QStringLiteral("a1:c3"),
                                   QStringLiteral("--for"), QStringLiteral("dupfinder")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(entries::rangeSel::rngCF().get(), QStringLiteral("$A$1:$C$3"));
    EXPECT_EQ(entries::rangeSel::rng().get(), QString()) << "the reconciler's report is untouched";
    EXPECT_EQ(clipboardText(), kBookText);

    const qint64 server = clipboardServer();
    ASSERT_GT(server, 0) << "a server of its own serves the text after the stand-in returned";
    takeClipboardOver();
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(QStringLiteral("/proc/%1/exe").arg(server)); }))
        << "the server ends once another program owns the clipboard";
}

TEST_F(SelectTest, ReconcilerSelectionAnswersTheOpenRangeWindow) {
    QWidget rangeWindow(nullptr, Qt::FramelessWindowHint);
    rangeWindow.setWindowTitle(QStringLiteral("Tallimo20160512$132524"));
    auto* text = new QLineEdit(&rangeWindow);
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(-400, 0, 60, 20);
    rangeWindow.setGeometry(100, 100, 160, 40);
    rangeWindow.show();
    const platform::WindowHandle textHandle = platform::nativeControlHandle(text);
    const auto windows = platform::createWindowSystem();
    ASSERT_TRUE(waitFor([&] {
        return windows->findControl(platform::handleOf(&rangeWindow), QStringLiteral("Text1"))
            .has_value();
    }));

    const Outcome result = select({QStringLiteral("--range"), QStringLiteral("B2:C3")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    using namespace entries::rangeSel;
    EXPECT_EQ(fromParent().get(), platform::handleText(platform::handleOf(&rangeWindow)));
    EXPECT_EQ(fromSon().get(), platform::handleText(textHandle));
    EXPECT_NE(hwndExcel().handle(), 0);
    EXPECT_EQ(wkName().get(), QStringLiteral("book.csv"));
    EXPECT_EQ(sName().get(), QStringLiteral("book.csv"));
    EXPECT_EQ(sht().get(), QStringLiteral("book"));
    EXPECT_EQ(rng().get(), QStringLiteral("$B$2:$C$3"));
    EXPECT_EQ(clipboardText(), QByteArray("100\tx\r\n2.5\t\r\n"));
}

TEST_F(SelectTest, WithoutARangeWindowOnlyGivenHandlesAreReported) {
    const Outcome refused = select({QStringLiteral("--range"), QStringLiteral("A1")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("range window")) << refused.err.toStdString();
    EXPECT_EQ(entries::rangeSel::rng().get(), QString());

    const Outcome given =
        select({QStringLiteral("--range"), QStringLiteral("A1"), QStringLiteral("--parent"),
                QStringLiteral("11"), QStringLiteral("--son"), QStringLiteral("12")});
    ASSERT_EQ(given.exitCode, 0) << given.err.toStdString();
    EXPECT_EQ(entries::rangeSel::fromParent().get(), QStringLiteral("11"));
    EXPECT_EQ(entries::rangeSel::fromSon().get(), QStringLiteral("12"));
    EXPECT_EQ(entries::rangeSel::rng().get(), QStringLiteral("$A$1"));
    EXPECT_EQ(clipboardText(), QByteArray("名称\r\n"));
}

TEST_F(SelectTest, UnreadableAreaWritesNothing) {
    const QStringList bad[] = {
        {"--range", "A1:B2", "--sheet", "NoSuchSheet", "--for", "dupfinder"},
        {"--range", "A:C", "--for", "dupfinder"},
    };
    for (const QStringList& args : bad) {
        const Outcome result = select(args);
        EXPECT_EQ(result.exitCode, 1) << args.join(u' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty());
    }
    const Outcome missing =
        run(QStringLiteral(TALLIMO_ADDIN),
            {QStringLiteral("select"), folder.filePath(QStringLiteral("none.xlsx")),
             QStringLiteral("--range"), QStringLiteral("A1"), QStringLiteral("--for"),
             QStringLiteral("dupfinder")},
            "xcb");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(entries::rangeSel::rngCF().get(), QString());
}

TEST_F(SelectTest, WithoutASystemClipboardNothingIsReported) {
    const Outcome result =
        run(QStringLiteral(TALLIMO_ADDIN),
            {QStringLiteral("select"), book, QStringLiteral("--range"), QStringLiteral("A1:B2"),
             QStringLiteral("--for"), QStringLiteral("dupfinder")},
            "offscreen");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("clipboard")) << result.err.toStdString();
    EXPECT_EQ(entries::rangeSel::rngCF().get(), QString());
}

}  // namespace
}  // namespace tallimo::addin
