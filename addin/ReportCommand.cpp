#include "Commands.h"

#include "AreaReader.h"
#include "SelectionAnswer.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <unistd.h>

namespace tallimo::addin {

namespace {

struct ReportArguments {
    QHash<QString, QString> options;  // --workbook, --sheet, --range, --for
    QString option(const char* name) const { return options.value(QLatin1String(name)); }
};

std::optional<ReportArguments> parseArguments(const QStringList& args) {
    static const QStringList valued = {QStringLiteral("--workbook"), QStringLiteral("--sheet"),
                                       QStringLiteral("--range"), QStringLiteral("--for")};
    ReportArguments parsed;
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (!valued.contains(args[i]) || parsed.options.contains(args[i])) return std::nullopt;
        parsed.options.insert(args[i], args[i + 1]);
    }
    const QString target = parsed.option("--for");
    if (args.size() % 2 != 0 || parsed.option("--workbook").isEmpty() ||
        parsed.option("--sheet").isEmpty() || parsed.option("--range").isEmpty() ||
        (!target.isEmpty() && target != u"reconciler" && target != u"dupfinder"))
        return std::nullopt;
    return parsed;
}

// The cells on stdin: a JSON array of rows, each an array of the cells' display texts.
std::optional<QList<QStringList>> readCells() {
    QFile input;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly)) return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) return std::nullopt;
    QList<QStringList> rows;
    for (const QJsonValue& row : document.array()) {
        if (!row.isArray()) return std::nullopt;
        QStringList cells;
        for (const QJsonValue& cell : row.toArray()) {
            if (!cell.isString()) return std::nullopt;
            cells.append(cell.toString());
        }
        rows.append(cells);
    }
    return rows;
}

QString targetName(SelectionTarget target) {
    return target == SelectionTarget::Reconciler ? QStringLiteral("reconciler")
                                                 : QStringLiteral("dupfinder");
}

}  // namespace

int runWaiting(const QStringList& args) {
    if (!args.isEmpty()) return usageError();
    const auto target = waitingSelectionWindow(*platform::createWindowSystem());
    if (!target) return kExitNoWindow;
    printLine(targetName(*target));
    return kExitOk;
}

int runReport(const QStringList& arguments) {
    const auto args = parseArguments(arguments);
    if (!args) return usageError();
    auto windows = platform::createWindowSystem();
    std::optional<SelectionTarget> target;
    if (args->option("--for").isEmpty())
        target = waitingSelectionWindow(*windows);
    else if (args->option("--for") == u"dupfinder")
        target = SelectionTarget::DupFinder;
    else
        target = SelectionTarget::Reconciler;
    // Nobody asked for a selection: a spreadsheet reports its selections all the time.
    if (!target) return kExitNoWindow;

    std::optional<RangeWindow> window;
    if (*target == SelectionTarget::Reconciler) {
        QString failure;
        window = findRangeWindow(*windows, failure);
        if (!window) return failWith(failure);
    }
    const auto rows = readCells();
    if (!rows)
        return failWith(QStringLiteral("the cells on stdin are not a JSON array of rows of texts"));
    area::AreaText area;
    try {
        area = area::areaOfCells(args->option("--workbook"), args->option("--sheet"),
                                 args->option("--range"), *rows);
    } catch (const area::AreaError& error) {
        return failWith(error.message());
    }
    return answerSelection(area, *target, window, *windows);
}

}  // namespace tallimo::addin
