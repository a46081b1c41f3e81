#include "SelectionAnswer.h"

#include "Commands.h"
#include "Entries.h"
#include "Settings.h"

#include <QStringList>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tallimo::addin {

namespace {

const QString kRangeWindowTitle = QStringLiteral("Tallimo20160512$132524");
const QString kRangeTextBox = QStringLiteral("Text1");
const QString kDupFinderWindowTitle = QStringLiteral("VarnoqSoftNoSame20160511$132523");
constexpr int kServerReadyMilliseconds = 15000;

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

std::optional<RangeWindow> findRangeWindow(platform::WindowSystem& windows, QString& failure) {
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

std::optional<SelectionTarget> waitingSelectionWindow(platform::WindowSystem& windows) {
    if (windows.findByTitle(kRangeWindowTitle)) return SelectionTarget::Reconciler;
    if (windows.findByTitle(kDupFinderWindowTitle)) return SelectionTarget::DupFinder;
    return std::nullopt;
}

QString titlesText(const QStringList& titles) {
    QString text;
    bool blank = true;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (i > 0) text.append(u'\t');
        for (QChar c : titles[i])
            text.append(c == u'\t' || c == u'\r' || c == u'\n' ? QChar(u' ') : c);
        blank = blank && titles[i].trimmed().isEmpty();
    }
    return blank ? QString() : text;
}

int answerSelection(const area::AreaText& area, const QString& titles, SelectionTarget target,
                    const std::optional<RangeWindow>& rangeWindow,
                    platform::WindowSystem& windows) {
    QStringList report;  // the values of entries::rangeSel::report(), in its order
    if (target == SelectionTarget::Reconciler) {
        if (!rangeWindow) return failWith(QStringLiteral("no range window to answer"));
        // Any non-zero handle marks the area as chosen; 1 stands for a display that names no
        // active window.
        const platform::WindowHandle host = windows.activeWindow().value_or(1);
        report = {platform::handleText(rangeWindow->parent),
                  platform::handleText(rangeWindow->son),
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
        if (target == SelectionTarget::Reconciler) {
            // One write: the range window must never read a new range with an older
            // selection's titles.
            const QList<entries::Setting> keys = entries::rangeSel::report();
            QList<std::pair<entries::Setting, QString>> values;
            for (qsizetype i = 0; i < keys.size(); ++i)
                values.append({keys[i], report[i]});
            values.append({entries::rangeSel::rngTitles(), titles});
            entries::saveTogether(values);
        } else {
            entries::rangeSel::rngCF().save(area.range);
        }
    } catch (const SettingsError& error) {
        return failWith(QString::fromStdString(error.what()));
    }
    return kExitOk;
}

}  // namespace tallimo::addin
