#include "GuardedColumns.h"

#include "Entries.h"
#include "Scramble.h"

#include <QRandomGenerator>

namespace tallimo::reconciler {

namespace {

constexpr QChar separator = u'|';

bool isNumeric(const QString& part) {
    bool ok = false;
    part.trimmed().toDouble(&ok);
    return ok;
}

entries::Setting storedEntry(const QString& workbookPath) {
    return entries::guardedColumns::workbook(scrambleText(workbookPath, ScrambleMode::Scramble));
}

}  // namespace

QString columnListText(const QBitArray& ticked) {
    QString list(separator);
    list.reserve(1 + guardedColumnCount * 3);
    for (int i = 0; i < guardedColumnCount; ++i) {
        if (i < ticked.size() && ticked.testBit(i))
            list += QString::number(QRandomGenerator::global()->bounded(10, 100));
        else
            list += u'N';
        list += separator;
    }
    return list;
}

QBitArray ticksFromColumnList(const QString& list) {
    if (!list.contains(separator)) return QBitArray(guardedColumnCount, true);
    const QStringList parts = list.split(separator);
    QBitArray ticked(guardedColumnCount, false);
    for (int column = 1; column <= guardedColumnCount && column < parts.size(); ++column)
        ticked.setBit(column - 1, isNumeric(parts[column]));
    return ticked;
}

QBitArray loadGuardedColumns(const QString& workbookPath) {
    const QString stored = storedEntry(workbookPath).get();
    return ticksFromColumnList(scrambleText(stored, ScrambleMode::Unscramble));
}

void saveGuardedColumns(const QString& workbookPath, const QBitArray& ticked) {
    storedEntry(workbookPath).save(scrambleText(columnListText(ticked), ScrambleMode::Scramble));
    entries::excel::inputNOmore().save(QStringLiteral("1"));
}

}  // namespace tallimo::reconciler
