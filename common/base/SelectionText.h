#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tallimo {

// A selection's clipboard text: lines ended by CR LF, cells separated by TAB. The pieces after
// cutting at every CR LF (the last piece is the text after the final CR LF, usually empty).
QList<QStringView> splitSelectionLines(QStringView text);
// The cells of one line, cut at every TAB.
QList<QStringView> splitSelectionCells(QStringView line);

// A sum label: column letters followed by "列" (F列); and back.
QString sumLabel(const QString& columnLetters);
QString sumLabelLetters(const QString& label);

// A uniform draw between lower and upper (single precision, as the original computed it),
// formatted with `decimals` decimals ("0", "0.00").
QString randomNumberText(double lower, double upper, int decimals);

}  // namespace tallimo
