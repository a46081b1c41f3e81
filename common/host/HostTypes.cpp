#include "HostTypes.h"

#include "CellNames.h"

namespace tallimo::host {
namespace {

HostError badAddress(const QString& address) {
    return HostError(QStringLiteral("无效的单元格地址：\"%1\"").arg(address));
}

// One side of a reference: "$B$2", "B2", "B", "$2". Zero marks a part that is absent.
struct Corner {
    int row = 0;
    int column = 0;
};

bool parseCorner(QStringView text, Corner& corner) {
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'$') ++i;
    int column = 0;
    const qsizetype letters = i;
    while (i < text.size() && text[i].isLetter() && text[i].unicode() < 128) {
        column = column * 26 + (text[i].toUpper().unicode() - 'A' + 1);
        if (column > kMaxColumns) return false;
        ++i;
    }
    const bool hasColumn = i > letters;
    if (i < text.size() && text[i] == u'$') {
        if (!hasColumn) return false;
        ++i;
    }
    int row = 0;
    const qsizetype digits = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        row = row * 10 + (text[i].unicode() - '0');
        if (row > kMaxRows) return false;
        ++i;
    }
    const bool hasRow = i > digits;
    if (i != text.size() || (!hasColumn && !hasRow)) return false;
    if (hasRow && row == 0) return false;
    corner = {row, column};
    return true;
}

}  // namespace

CellRect parseA1(const QString& address) {
    const QString trimmed = address.trimmed();
    const qsizetype colon = trimmed.indexOf(u':');
    const QStringView first = colon < 0 ? QStringView(trimmed) : QStringView(trimmed).left(colon);
    const QStringView second = colon < 0 ? first : QStringView(trimmed).mid(colon + 1);
    Corner a, b;
    if (!parseCorner(first, a) || !parseCorner(second, b)) throw badAddress(address);
    const bool cells = a.row && a.column && b.row && b.column;
    const bool columns = !a.row && !b.row && a.column && b.column && colon >= 0;
    const bool rows = !a.column && !b.column && a.row && b.row && colon >= 0;
    if (cells)
        return {std::min(a.row, b.row), std::min(a.column, b.column), std::max(a.row, b.row),
                std::max(a.column, b.column)};
    if (columns) return {1, std::min(a.column, b.column), kMaxRows, std::max(a.column, b.column)};
    if (rows) return {std::min(a.row, b.row), 1, std::max(a.row, b.row), kMaxColumns};
    throw badAddress(address);
}

QList<CellRect> parseA1List(const QString& addresses) {
    QList<CellRect> areas;
    try {
        for (const QString& part : addresses.split(u','))
            areas.append(parseA1(part));
    } catch (const HostError&) {
        throw badAddress(addresses);
    }
    return areas;
}

QString columnName(int column) {
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString absoluteAddress(const CellRect& rect) {
    const auto corner = [](int row, int column) {
        return QStringLiteral("$%1$%2").arg(columnName(column)).arg(row);
    };
    const QString topLeft = corner(rect.top, rect.left);
    if (rect.top == rect.bottom && rect.left == rect.right) return topLeft;
    return topLeft + u':' + corner(rect.bottom, rect.right);
}

}  // namespace tallimo::host
