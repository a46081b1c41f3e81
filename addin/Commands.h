#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

// The add-in stand-in: one function per sub-command, each given the arguments after its name.
namespace tallimo::addin {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// `waiting` and `report`: no selection window is open, so nothing was answered.
constexpr int kExitNoWindow = 3;

int runSettings(const QStringList& args);
int runIni(const QStringList& args);
int runSelect(const QStringList& args);
int runStart(const QStringList& args);
int runWaiting(const QStringList& args);
int runReport(const QStringList& args);
int runGuard(const QStringList& args);

// Internal: `select` leaves its text with this command, run as a program of its own that serves
// the clipboard until another program takes it over. Reads the text on stdin, answers "1" on
// stdout once it owns the clipboard.
inline constexpr char kServeClipboardCommand[] = "serve-clipboard";
int serveClipboard(int argc, char** argv);

// Prints the usage text to stderr; returns kExitUsage.
int usageError();

inline void printLine(const QString& text) {
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
}
// A one-line message on stderr; returns kExitFailed.
inline int failWith(const QString& message) {
    std::fputs(("tallimo-addin: " + message + u'\n').toUtf8().constData(), stderr);
    return kExitFailed;
}

}  // namespace tallimo::addin
