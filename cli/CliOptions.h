#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tallimo::cli {

// A failure of the batch front end: the message for stderr and the process's exit code.
class CliError : public std::runtime_error {
public:
    CliError(int exitCode, const QString& message)
        : std::runtime_error(message.toStdString()), exitCode_(exitCode), message_(message) {}
    int exitCode() const { return exitCode_; }
    const QString& message() const { return message_; }

private:
    int exitCode_;
    QString message_;
};

inline constexpr int kExitInvalidInput = 1;  // unreadable file, invalid area or columns
inline constexpr int kExitUsage = 2;         // the command line itself is wrong

// What the command line says about one area. Column letters are upper case, in the order given.
struct AreaOptions {
    QString file;
    QString sheet;  // empty: the first sheet
    QString range;
    bool sumGiven = false;  // without --*-sum the range's last column is the sum column
    QStringList sumColumns;
    QStringList compareColumns;
};

struct ReconcileOptions {
    AreaOptions left;
    AreaOptions right;
    bool colourMarking = false;    // the panel's check box starts unticked
    bool reportTableLines = true;  // the menu items start ticked
    bool sourceTableLines = true;
    QString output;
};

// The arguments after the program name. Throws CliError with kExitUsage for an unknown command
// or option, a missing value or a missing required option, and for column lists that are not
// column letters.
ReconcileOptions parseArguments(const QStringList& arguments);

// What `tallimo-cli area FILE [--sheet NAME] --range RANGE` asks for.
struct AreaCommandOptions {
    QString file;
    QString sheet;  // empty: the first sheet
    QString range;
};

// The arguments after "area". Throws CliError with kExitUsage for an unknown option, a missing
// value, a missing file or range, or a second file.
AreaCommandOptions parseAreaArguments(const QStringList& arguments);
QString areaUsageText();

// True when the arguments ask for the usage text (no arguments, -h, --help).
bool wantsHelp(const QStringList& arguments);

QString usageText();

}  // namespace tallimo::cli
