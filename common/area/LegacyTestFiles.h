#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace tallimo::area::testing {

// An OLE compound file holding the given streams under its root, in 512-byte sectors. The
// header's mini-stream cutoff is 0, so every stream lies in ordinary sectors.
QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams);

// One BIFF record.
QByteArray biffRecord(quint16 type, const QByteArray& data);

// A BIFF8 workbook stream: globals with the given extra records (before the sheet list), one
// worksheet "Sheet1" whose records are `sheetRecords`.
QByteArray biff8Workbook(const QByteArray& globalRecords, const QByteArray& sheetRecords);

}  // namespace tallimo::area::testing
