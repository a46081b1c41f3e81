#include "Entries.h"
#include "Host.h"
#include "MemoryHost.h"
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

    Outcome run(const QString& program, const QStringList& args, const QByteArray& platform,
                const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        process.setProcessEnvironment(environment);
        process.start(program, args);
        process.write(input);
        process.closeWriteChannel();
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

// The reconciler's range window with its text box, as the stand-in finds it.
class RangeWindowStandIn {
public:
    RangeWindowStandIn() : window_(nullptr, Qt::FramelessWindowHint) {
        window_.setWindowTitle(QStringLiteral("Tallimo20160512$132524"));
        text_ = new QLineEdit(&window_);
        text_->setObjectName(QStringLiteral("Text1"));
        text_->setGeometry(-400, 0, 60, 20);
        window_.setGeometry(100, 100, 160, 40);
        window_.show();
        platform::nativeControlHandle(text_);
    }
    // Whether the stand-in can find it.
    bool found() {
        const auto windows = platform::createWindowSystem();
        return waitFor(
            [&] { return windows->findControl(handle(), QStringLiteral("Text1")).has_value(); });
    }
    platform::WindowHandle handle() { return platform::handleOf(&window_); }
    platform::WindowHandle textHandle() { return platform::nativeControlHandle(text_); }

private:
    QWidget window_;
    QLineEdit* text_;
};

TEST_F(SelectTest, ReconcilerSelectionAnswersTheOpenRangeWindow) {
    RangeWindowStandIn rangeWindow;
    ASSERT_TRUE(rangeWindow.found());
    const platform::WindowHandle textHandle = rangeWindow.textHandle();

    const Outcome result = select({QStringLiteral("--range"), QStringLiteral("B2:C3")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    using namespace entries::rangeSel;
    EXPECT_EQ(fromParent().get(), platform::handleText(rangeWindow.handle()));
    EXPECT_EQ(fromSon().get(), platform::handleText(textHandle));
    EXPECT_NE(hwndExcel().handle(), 0);
    EXPECT_EQ(wkName().get(), QStringLiteral("book.csv"));
    EXPECT_EQ(sName().get(), QStringLiteral("book.csv"));
    EXPECT_EQ(sht().get(), QStringLiteral("book"));
    EXPECT_EQ(rng().get(), QStringLiteral("$B$2:$C$3"));
    EXPECT_EQ(rngTitles().get(), QStringLiteral("金额\t备注"));
    EXPECT_EQ(clipboardText(), QByteArray("100\tx\r\n2.5\t\r\n"));
}

// A workbook whose first row is empty and whose second holds the titles, one of two lines.
QString writeTitledBook(const QString& path) {
    host::Application app(host::makeMemoryHost());
    host::Workbook book = app.workbooks().add();
    host::Worksheet sheet = book.sheets()[1];
    sheet.setName(QStringLiteral("日记账"));
    sheet.range("A2").setValue(QStringLiteral("日期"));
    sheet.range("B2").setValue(QStringLiteral("借方金额"));
    sheet.range("C2").setValue(QStringLiteral("贷方\n金额"));
    sheet.range("A3").setValue(QStringLiteral("2024-01-02"));
    sheet.range("B3").setValue(1000.0);
    sheet.range("A4").setValue(QStringLiteral("2024-01-03"));
    sheet.range("C4").setValue(300.0);
    book.saveAs(path);
    return path;
}

TEST_F(SelectTest, ReconcilerSelectionCarriesTheTitlesOfTheRowAbove) {
    const QString titled = writeTitledBook(folder.filePath(QStringLiteral("titled.xlsx")));
    const struct {
        const char* range;
        QString titles;
    } cases[] = {
        {"A3:C4", QStringLiteral("日期\t借方金额\t贷方 金额")},
        {"A2:C4", {}},  // the row above is empty
        {"B3:C4", QStringLiteral("借方金额\t贷方 金额")},
        {"A1:C4", {}},  // nothing above row 1
    };
    for (const auto& c : cases) {
        const Outcome result = run(
            QStringLiteral(TALLIMO_ADDIN),
            {QStringLiteral("select"), titled, QStringLiteral("--sheet"), QStringLiteral("日记账"),
             QStringLiteral("--range"), QString::fromLatin1(c.range), QStringLiteral("--parent"),
             QStringLiteral("11"), QStringLiteral("--son"), QStringLiteral("12")},
            "xcb");
        ASSERT_EQ(result.exitCode, 0) << c.range << result.err.toStdString();
        EXPECT_EQ(entries::rangeSel::rng().get(), host::absoluteAddress(host::parseA1(c.range)));
        EXPECT_EQ(entries::rangeSel::rngTitles().get(), c.titles) << c.range;
    }
}

TEST_F(SelectTest, ReportedCellsMayBringTheTitlesOfTheRowAbove) {
    RangeWindowStandIn rangeWindow;
    ASSERT_TRUE(rangeWindow.found());
    const auto report = [&](const char* range, const QByteArray& cells) {
        return run(
            QStringLiteral(TALLIMO_ADDIN),
            {QStringLiteral("report"), QStringLiteral("--workbook"), QStringLiteral("账簿.xlsx"),
             QStringLiteral("--sheet"), QStringLiteral("账簿"), QStringLiteral("--range"),
             QString::fromLatin1(range), QStringLiteral("--for"), QStringLiteral("reconciler")},
            "xcb", cells);
    };
    const QByteArray rows = R"([["1,000.00", ""], ["", "300.00"]])";
    const struct {
        const char* label;
        QByteArray cells;
        QString titles;
    } answered[] = {
        {"titles", R"({"cells": )" + rows + R"(, "titles": ["借方金额", "贷方\n金额"]})",
         QStringLiteral("借方金额\t贷方 金额")},
        // After titles: a report without them must not leave the earlier ones.
        {"the cells alone, as an older add-in hands them", rows, {}},
        {"no titles", R"({"cells": )" + rows + "}", {}},
        {"blank titles", R"({"cells": )" + rows + R"(, "titles": ["", " "]})", {}},
    };
    for (const auto& c : answered) {
        const Outcome result = report("B3:C4", c.cells);
        ASSERT_EQ(result.exitCode, 0) << c.label << result.err.toStdString();
        EXPECT_EQ(entries::rangeSel::rng().get(), QStringLiteral("$B$3:$C$4")) << c.label;
        EXPECT_EQ(entries::rangeSel::rngTitles().get(), c.titles) << c.label;
        EXPECT_EQ(clipboardText(), QByteArray("1,000.00\t\r\n\t300.00\r\n")) << c.label;
    }

    ASSERT_EQ(report("B3:C4", R"({"cells": )" + rows + R"(, "titles": ["借方", "贷方"]})").exitCode,
              0);
    const struct {
        const char* label;
        const char* range;
        QByteArray cells;
    } refused[] = {
        {"a title short", "B3:C4", R"({"cells": )" + rows + R"(, "titles": ["借方金额"]})"},
        {"titles above row 1", "B1:C2", R"({"cells": )" + rows + R"(, "titles": ["a", "b"]})"},
        {"a title no text", "B3:C4", R"({"cells": )" + rows + R"(, "titles": ["a", 1]})"},
        {"no cells", "B3:C4", R"({"titles": ["a", "b"]})"},
    };
    for (const auto& c : refused) {
        const Outcome result = report(c.range, c.cells);
        EXPECT_EQ(result.exitCode, 1) << c.label;
        EXPECT_FALSE(result.err.isEmpty()) << c.label;
        // The earlier report stands whole.
        EXPECT_EQ(entries::rangeSel::rng().get(), QStringLiteral("$B$3:$C$4")) << c.label;
        EXPECT_EQ(entries::rangeSel::rngTitles().get(), QStringLiteral("借方\t贷方")) << c.label;
    }
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
