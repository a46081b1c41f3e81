#include "XlsxFormulaMove.h"
#include "XlsxCommon.h"

namespace tallimo::host::xlsx {

namespace {

bool isIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'.';
}

}  // namespace

QString moveFormula(const QString& formula, int rows, int columns) {
    QString out;
    out.reserve(formula.size());
    for (qsizetype i = 0; i < formula.size();) {
        const QChar c = formula[i];
        if (c == u'"' || c == u'\'') {
            qsizetype end = i + 1;
            while (end < formula.size() && formula[end] != c)
                ++end;
            out += formula.mid(i, end + 1 - i);
            i = end + 1;
            continue;
        }
        if (i > 0 && isIdentifierChar(formula[i - 1])) {
            out += c;
            ++i;
            continue;
        }
        qsizetype j = i;
        const bool columnFixed = j < formula.size() && formula[j] == u'$';
        if (columnFixed) ++j;
        const qsizetype letters = j;
        while (j < formula.size() && formula[j] >= u'A' && formula[j] <= u'Z')
            ++j;
        const qsizetype letterCount = j - letters;
        const bool rowFixed = j < formula.size() && formula[j] == u'$';
        if (rowFixed) ++j;
        const qsizetype digits = j;
        while (j < formula.size() && formula[j].isDigit())
            ++j;
        const bool isReference =
            letterCount >= 1 && letterCount <= 3 && j > digits &&
            (j == formula.size() || (!isIdentifierChar(formula[j]) && formula[j] != u'('));
        if (!isReference) {
            out += c;
            ++i;
            continue;
        }
        std::int64_t row = 0, column = 0;
        parseCellName(formula.mid(letters, letterCount).toStdString() +
                          formula.mid(digits, j - digits).toStdString(),
                      row, column);
        if (!rowFixed) row += rows;
        if (!columnFixed) column += columns;
        if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
            out += QStringLiteral("#REF!");
        } else {
            const QString name = cellName(int(row), int(column));
            qsizetype split = 0;
            while (!name[split].isDigit())
                ++split;
            out += (columnFixed ? QStringLiteral("$") : QString()) + name.left(split) +
                   (rowFixed ? QStringLiteral("$") : QString()) + name.mid(split);
        }
        i = j;
    }
    return out;
}

}  // namespace tallimo::host::xlsx
