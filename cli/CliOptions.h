#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

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

// A command's options as a table, which reads its command line. An argument is an option of the
// table, "--name VALUE" or "--name=VALUE" for one that takes a value, or the command's operand
// where it takes one. Every refusal is a usage error (kExitUsage) followed by the usage text.
class OptionTable {
public:
    using Setter = std::function<void(const QString& value)>;

    explicit OptionTable(QString usage) : usage_(std::move(usage)) {}

    // An option without a value ("--color").
    void flag(const QString& name, const std::function<void()>& set);
    // An option with a value ("--output OUT.xlsx").
    void option(const QString& name, Setter set);
    // The one argument that is no option ("FILE").
    void operand(Setter take);

    // Hands every argument to its entry, in order. Refuses an unknown option, a flag given a
    // value, an option without its value, an option given twice and a second operand.
    void parse(const QStringList& arguments) const;
    // Refuses the first of the named values that is empty, in the order given.
    void require(std::initializer_list<std::pair<const QString*, QLatin1String>> values) const;
    // A usage error with this command's usage text.
    CliError error(const QString& message) const;

private:
    struct Entry {
        QString name;
        bool takesValue;
        Setter set;
    };

    QString usage_;
    std::vector<Entry> entries_;
    Setter operand_;
};

// The letters of a column list such as "d, e" (upper case, in the order given). Refuses, as a
// usage error of `table`, a piece that is no column letters; `example` shows a list that is.
QStringList columnLetterList(const OptionTable& table, const QString& option, const QString& value,
                             const QString& example);

// What the command line says about one area. Column letters are upper case, in the order given.
struct AreaOptions {
    QString file;
    QString sheet;  // empty: the first sheet
    QString range;
    bool sumGiven = false;  // without --*-sum the range's last column is the sum column
    QStringList sumColumns;
    QStringList compareColumns;
    QString dateColumn;       // for the suggestions; empty: the first column of mostly dates
    QStringList nameColumns;  // for the suggestions; empty: the comparison columns
};

// The near-miss suggestions: off unless asked for.
struct SuggestOptions {
    bool wanted = false;
    int windowDays = 7;
    std::optional<qint64> feeLimitCents;
};

// The bank balance reconciliation statement: off unless asked for.
struct StatementOptions {
    bool wanted = false;
    std::optional<int> receiptsPass;  // none: from the sum columns' titles
    bool statementOnLeft = false;
    std::optional<qint64> leftClosingCents, rightClosingCents;
};

struct ReconcileOptions {
    AreaOptions left;
    AreaOptions right;
    bool colourMarking = false;    // the panel's check box starts unticked
    bool reportTableLines = true;  // the menu items start ticked
    bool sourceTableLines = true;
    SuggestOptions suggest;
    StatementOptions statement;
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
