#include "Commands.h"

#include "AreaReader.h"
#include "Entries.h"
#include "Settings.h"
#include "WindowSystem.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QTimer>
#include <csignal>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tallimo::addin {

namespace {

// The reconciler's range window and the control whose handle identifies it.
const QString kRangeWindowTitle = QStringLiteral("Tallimo20160512$132524");
const QString kRangeTextBox = QStringLiteral("Text1");
constexpr int kServerReadyMilliseconds = 15000;
constexpr int kOwnershipCheckMilliseconds = 200;

struct SelectArguments {
    QString file;
    QHash<QString, QString> options;  // --sheet, --range, --for, --parent, --son

    QString option(const char* name) const { return options.value(QLatin1String(name)); }
    bool has(const char* name) const { return options.contains(QLatin1String(name)); }
};

std::optional<SelectArguments> parseArguments(const QStringList& args) {
    static const QStringList valued = {QStringLiteral("--sheet"), QStringLiteral("--range"),
                                       QStringLiteral("--for"), QStringLiteral("--parent"),
                                       QStringLiteral("--son")};
    SelectArguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (valued.contains(args[i]) && i + 1 < args.size()) {
            parsed.options.insert(args[i], args[i + 1]);
            ++i;
        } else if (!args[i].startsWith(u"--") && parsed.file.isEmpty()) {
            parsed.file = args[i];
        } else {
            return std::nullopt;
        }
    }
    const QString target = parsed.option("--for");
    if (parsed.file.isEmpty() || !parsed.has("--range") ||
        (!target.isEmpty() && target != u"reconciler" && target != u"dupfinder") ||
        parsed.has("--parent") != parsed.has("--son"))
        return std::nullopt;
    return parsed;
}

struct RangeWindow {
    platform::WindowHandle parent = 0;
    platform::WindowHandle son = 0;
};

// The open range window and its text box, or the handles given on the command line.
std::optional<RangeWindow> rangeWindow(const SelectArguments& args, platform::WindowSystem& windows,
                                       QString& failure) {
    if (args.has("--parent")) {
        const auto parent = platform::parseHandle(args.option("--parent"));
        const auto son = platform::parseHandle(args.option("--son"));
        if (!parent || !son) {
            failure = QStringLiteral("--parent and --son take window handles (non-zero numbers)");
            return std::nullopt;
        }
        return RangeWindow{*parent, *son};
    }
    const auto parent = windows.findByTitle(kRangeWindowTitle);
    if (!parent) {
        failure = QStringLiteral("no range window of the reconciler is open (title \"") +
                  kRangeWindowTitle + QStringLiteral("\"); open one or give --parent and --son");
        return std::nullopt;
    }
    const auto son = windows.findControl(*parent, kRangeTextBox);
    if (!son) {
        failure = QStringLiteral("the range window has no text box named \"") + kRangeTextBox +
                  QStringLiteral("\"");
        return std::nullopt;
    }
    return RangeWindow{*parent, *son};
}

bool writeAll(int descriptor, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(descriptor, bytes.constData() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += n;
    }
    return true;
}

// Hands the text to a clipboard server of its own (this program again, started as
// kServeClipboardCommand in a session of its own) and waits until it owns the clipboard.
bool startClipboardServer(const QString& text) {
    int input[2];
    int ready[2];
    if (::pipe2(input, O_CLOEXEC) != 0) return false;
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls until exec: the parent may have threads.
        ::setsid();
        (void)!::chdir("/");
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(ready[1], STDOUT_FILENO);
        if (devNull >= 0) ::dup2(devNull, STDERR_FILENO);
        char name[] = "tallimo-addin";
        char command[] = "serve-clipboard";
        char* const argv[] = {name, command, nullptr};
        ::execv("/proc/self/exe", argv);
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(ready[1]);
    bool served = false;
    if (child > 0) {
        const auto previous = std::signal(SIGPIPE, SIG_IGN);
        const bool sent = writeAll(input[1], text.toUtf8());
        std::signal(SIGPIPE, previous);
        ::close(input[1]);
        input[1] = -1;
        pollfd answer{ready[0], POLLIN, 0};
        char byte = 0;
        served = sent && ::poll(&answer, 1, kServerReadyMilliseconds) == 1 &&
                 ::read(ready[0], &byte, 1) == 1 && byte == '1';
    }
    if (input[1] >= 0) ::close(input[1]);
    ::close(ready[0]);
    return served;
}

}  // namespace

int runSelect(const QStringList& arguments) {
    const auto args = parseArguments(arguments);
    if (!args) return usageError();
    const bool forReconciler = args->option("--for") != u"dupfinder";

    area::AreaText area;
    try {
        area = area::readArea(args->file, args->option("--sheet"), args->option("--range"));
    } catch (const area::AreaError& error) {
        return failWith(error.message());
    }

    QStringList report;  // the values of entries::rangeSel::report(), in its order
    if (forReconciler) {
        auto windows = platform::createWindowSystem();
        QString failure;
        const auto window = rangeWindow(*args, *windows, failure);
        if (!window) return failWith(failure);
        // Any non-zero handle marks the area as chosen; 1 stands for a display that names no
        // active window.
        const platform::WindowHandle host = windows->activeWindow().value_or(1);
        report = {platform::handleText(window->parent),
                  platform::handleText(window->son),
                  platform::handleText(host),
                  area.workbookName,
                  area.workbookName,
                  area.sheetName,
                  area.range};
    }

    // The clipboard first: when it cannot be had, the settings still describe the clipboard's
    // text.
    if (!startClipboardServer(area.selectionText))
        return failWith(QStringLiteral(
            "could not put the selection on the clipboard (an X display is needed)"));
    try {
        if (forReconciler) {
            const QList<entries::Setting> keys = entries::rangeSel::report();
            for (qsizetype i = 0; i < keys.size(); ++i)
                keys[i].save(report[i]);
        } else {
            entries::rangeSel::rngCF().save(area.range);
        }
    } catch (const SettingsError& error) {
        return failWith(QString::fromStdString(error.what()));
    }
    return kExitOk;
}

int serveClipboard(int argc, char** argv) {
    QFile input;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly)) return kExitFailed;
    const QString text = QString::fromUtf8(input.readAll());
    input.close();

    QGuiApplication app(argc, argv);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    const auto windows = platform::createWindowSystem();
    const auto owner = windows->clipboardOwner();
    const bool owns = clipboard->ownsClipboard() && owner.has_value();
    const char answer = owns ? '1' : '0';
    (void)!::write(STDOUT_FILENO, &answer, 1);
    if (const int devNull = ::open("/dev/null", O_WRONLY); devNull >= 0)
        ::dup2(devNull, STDOUT_FILENO);
    if (!owns) return kExitFailed;
    // As clipboard tools do: serve the text until another program takes the clipboard over, or
    // until it has no owner at all (a program took it and ended at once, which Qt does not notice).
    QTimer ownership;
    QObject::connect(&ownership, &QTimer::timeout, &app, [&] {
        if (!clipboard->ownsClipboard() || windows->clipboardOwner() != owner) app.quit();
    });
    ownership.start(kOwnershipCheckMilliseconds);
    return app.exec();
}

}  // namespace tallimo::addin
