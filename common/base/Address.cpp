#include "Address.h"

#include <QList>
#include <limits>

namespace tallimo {

namespace {

constexpr int kMaxColumn = std::numeric_limits<qint16>::max();

struct GridLimits {
    QString lastColumn;
    qint32 lastRow;
};

GridLimits limitsOf(Grid grid) {
    if (grid == Grid::Large) return {QStringLiteral("XFD"), 1048576};
    return {QStringLiteral("IV"), 65536};
}

// A sheet row: decimal digits only, 1 or more, within the 32-bit range; 0 otherwise.
qint32 rowNumber(QStringView text) {
    if (text.isEmpty()) return 0;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<qint32>::max()) return 0;
    }
    return qint32(value);
}

bool isColumn(QStringView letters) {
    return columnNumber(letters) > 0;
}

// Both corners must be readable; anything else is not an address, never a partial one.
AreaAddress checked(QStringView firstColumn, qint32 firstRow, QStringView lastColumn,
                    qint32 lastRow) {
    if (!isColumn(firstColumn) || !isColumn(lastColumn) || firstRow == 0 || lastRow == 0) return {};
    return {firstRow, firstColumn.toString(), lastRow, lastColumn.toString()};
}

// The host's version text read the way the host's own number conversion reads it: the leading
// number, 0 when there is none.
double leadingNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == u'+' || trimmed[end] == u'-')) ++end;
    bool seenPoint = false;
    while (end < trimmed.size()) {
        const QChar c = trimmed[end];
        if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else if (c < u'0' || c > u'9') {
            break;
        }
        ++end;
    }
    bool ok = false;
    const double value = trimmed.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}

}  // namespace

AreaAddress parseAreaAddress(QStringView address, Grid grid) {
    const qsizetype colon = address.indexOf(u':');
    if (colon < 0) {
        const auto pieces = address.split(u'$');
        if (pieces.size() != 3) return {};
        const qint32 row = rowNumber(pieces[2]);
        return checked(pieces[1], row, pieces[1], row);
    }

    const QStringView left = address.left(colon);
    QStringView right = address.mid(colon + 1);
    // A further ":" and what follows it are ignored.
    if (const qsizetype next = right.indexOf(u':'); next >= 0) right = right.left(next);
    const auto leftPieces = left.split(u'$');
    const auto rightPieces = right.split(u'$');
    if (rightPieces.size() != leftPieces.size()) return {};

    const GridLimits limits = limitsOf(grid);
    switch (leftPieces.size()) {
        case 3:
            return checked(leftPieces[1], rowNumber(leftPieces[2]), rightPieces[1],
                           rowNumber(rightPieces[2]));
        case 2:
            return checked(u"A", rowNumber(leftPieces[1]), limits.lastColumn,
                           rowNumber(rightPieces[1]));
        case 1:
            return checked(left, 1, right, limits.lastRow);
        default:
            return {};
    }
}

AreaAddress parseAreaAddressForHost(QStringView address, const QString& hostVersion,
                                    const std::function<void()>& onEmptyVersion) {
    if (hostVersion.isEmpty()) {
        if (onEmptyVersion) onEmptyVersion();
        return {};
    }
    const Grid grid = leadingNumber(hostVersion) >= 12 ? Grid::Large : Grid::Small;
    return parseAreaAddress(address, grid);
}

int columnNumber(QStringView letters) {
    if (letters.isEmpty()) return 0;
    int value = 0;
    for (QChar c : letters) {
        const char16_t upper = (c >= u'a' && c <= u'z') ? char16_t(c.unicode() - 32) : c.unicode();
        if (upper < u'A' || upper > u'Z') return 0;
        value = value * 26 + (upper - u'A' + 1);
        if (value > kMaxColumn) return 0;
    }
    return value;
}

QString columnLetters(int number) {
    if (number < 1 || number > kMaxColumn) return {};
    QString letters;
    while (number > 0) {
        const int digit = (number - 1) % 26;
        letters.prepend(QChar(u'A' + digit));
        number = (number - 1) / 26;
    }
    return letters;
}

std::optional<RangeTextParts> splitRangeText(QStringView text) {
    if (const qsizetype hash = text.lastIndexOf(u'#'); hash >= 0) text = text.left(hash);
    const auto pieces = text.split(u'$');
    if (pieces.size() != 5) return std::nullopt;
    const QStringView firstRow = pieces[2];
    if (!firstRow.endsWith(u':')) return std::nullopt;
    RangeTextParts parts{pieces[1].toString(), firstRow.chopped(1).toString(),
                         pieces[4].toString()};
    if (!isColumn(parts.firstColumn) || !isColumn(pieces[3]) || rowNumber(parts.firstRow) == 0 ||
        rowNumber(parts.lastRow) == 0)
        return std::nullopt;
    return parts;
}

}  // namespace tallimo
