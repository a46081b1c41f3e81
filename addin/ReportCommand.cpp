#include "Commands.h"

#include "AreaReader.h"
#include "SelectionAnswer.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

// One row of display texts: a JSON array of strings.
std::optional<QStringList> textsOf(const QJsonValue& row) {
    if (!row.isArray()) return std::nullopt;
    QStringList texts;
    for (const QJsonValue& cell : row.toArray()) {
        if (!cell.isString()) return std::nullopt;
        texts.append(cell.toString());
    }
    return texts;
}

// What the spreadsheet hands over on stdin.
struct HandedCells {
    QList<QStringList> rows;  // the cells' display texts, one list per row
    QStringList titles;       // those of the row above; empty when not handed over
};

// Either a JSON array of rows, each an array of the cells' display texts, or an object
// {"cells": rows, "titles": [texts of the row above]} ("titles" may be left out).
std::optional<HandedCells> readCells() {
    QFile input;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly)) return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &error);
    if (error.error != QJsonParseError::NoError) return std::nullopt;
    HandedCells handed;
    QJsonArray rows;
    if (document.isArray()) {
        rows = document.array();
    } else if (document.isObject()) {
        const QJsonObject object = document.object();
        if (!object.value(QLatin1String("cells")).isArray()) return std::nullopt;
        rows = object.value(QLatin1String("cells")).toArray();
        if (object.contains(QLatin1String("titles"))) {
            const auto titles = textsOf(object.value(QLatin1String("titles")));
            if (!titles) return std::nullopt;
            handed.titles = *titles;
        }
    } else {
        return std::nullopt;
    }
    for (const QJsonValue& row : rows) {
        const auto texts = textsOf(row);
        if (!texts) return std::nullopt;
        handed.rows.append(*texts);
    }
    return handed;
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
    const auto cells = readCells();
    if (!cells)
        return failWith(
            QStringLiteral("the cells on stdin are neither a JSON array of rows of "
                           "texts nor {\"cells\": rows, \"titles\": texts}"));
    area::AreaText area;
    try {
        area = area::areaOfCells(args->option("--workbook"), args->option("--sheet"),
                                 args->option("--range"), cells->rows);
    } catch (const area::AreaError& error) {
        return failWith(error.message());
    }
    // Titles that do not fit the range would be put over the wrong columns.
    if (!cells->titles.isEmpty() &&
        (area.block.top <= 1 || cells->titles.size() != area.block.columnCount()))
        return failWith(
            QStringLiteral("the titles on stdin are not one text per column of the "
                           "row above the range"));
    return answerSelection(area, titlesText(cells->titles), *target, window, *windows);
}

}  // namespace tallimo::addin
