#include "SelectionText.h"

#include <QRandomGenerator>

namespace tallimo {

namespace {
constexpr char16_t kSumSuffix = u'列';
}

QList<QStringView> splitSelectionLines(QStringView text) {
    // A search for the LF alone runs far faster than one for the pair; a LF without a CR before
    // it stays inside its line.
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype from = 0, lf; (lf = text.indexOf(u'\n', from)) >= 0; from = lf + 1) {
        if (lf == 0 || text[lf - 1] != u'\r') continue;
        lines.append(text.sliced(start, lf - 1 - start));
        start = lf + 1;
    }
    lines.append(text.sliced(start));
    return lines;
}

QList<QStringView> splitSelectionCells(QStringView line) {
    return line.split(u'\t');
}

QString sumLabel(const QString& columnLetters) {
    return columnLetters + QChar(kSumSuffix);
}

QString sumLabelLetters(const QString& label) {
    if (!label.endsWith(QChar(kSumSuffix))) return {};
    return label.chopped(1);
}

QString randomNumberText(double lower, double upper, int decimals) {
    // The process-wide generator is seeded once from the system; re-seeding from the clock on
    // every call would hand out the same number to two calls within one clock tick.
    const float r = float(QRandomGenerator::global()->generateDouble());
    const float value = float(lower) + (float(upper) - float(lower)) * r;
    return QString::number(double(value), 'f', qMax(decimals, 0));
}

}  // namespace tallimo
