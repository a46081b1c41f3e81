#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

// The add-in stand-in: one function per sub-command, each given the arguments after its name.
namespace tallimo::addin {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int runSettings(const QStringList& args);
int runIni(const QStringList& args);

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
