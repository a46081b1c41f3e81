#include "Commands.h"

#include "Address.h"
#include "Entries.h"
#include "Scramble.h"
#include "Settings.h"

namespace tallimo::addin {

namespace {

// The guard dialog offers the columns A to IV.
constexpr int kGuardableColumns = 256;

// The guarded columns of a stored column list: "|" then one entry per column, each followed by
// "|"; a numeric entry marks a guarded column.
QStringList guardedColumns(const QString& list) {
    QStringList columns;
    if (!list.contains(u'|')) return columns;
    const QStringList parts = list.split(u'|');
    for (int column = 1; column <= kGuardableColumns && column < parts.size(); ++column) {
        bool numeric = false;
        parts[column].toDouble(&numeric);
        if (numeric) columns.append(columnLetters(column));
    }
    return columns;
}

}  // namespace

int runGuard(const QStringList& args) {
    if (args.size() != 1 || args.first().isEmpty()) return usageError();
    try {
        if (!entries::excel::inputNOmore().isSet()) return kExitOk;
        using reconciler::ScrambleMode;
        const QString key = reconciler::scrambleText(args.first(), ScrambleMode::Scramble);
        const QString stored = entries::guardedColumns::workbook(key).get();
        for (const QString& column :
             guardedColumns(reconciler::scrambleText(stored, ScrambleMode::Unscramble)))
            printLine(column);
    } catch (const SettingsError& error) {
        return failWith(QString::fromStdString(error.what()));
    }
    return kExitOk;
}

}  // namespace tallimo::addin
