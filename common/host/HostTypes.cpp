#include "HostTypes.h"
#include "CellNames.h"

#include <algorithm>

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

std::vector<int> paintedColors(qsizetype length, const QList<CharacterRun>& runs) {
    std::vector<int> colorOf(std::size_t(std::max<qsizetype>(length, 0)), 0);
    for (const CharacterRun& run : runs) {
        const qsizetype begin = std::clamp<qsizetype>(run.start - 1, 0, length);
        const qsizetype end = std::clamp<qsizetype>(begin + run.length, begin, length);
        std::fill(colorOf.begin() + begin, colorOf.begin() + end, run.colorIndex);
    }
    return colorOf;
}

std::optional<int> singleColor(const std::vector<int>& painted) {
    if (painted.empty() || std::find_if(painted.begin(), painted.end(), [&](int c) {
                               return c != painted.front();
                           }) != painted.end())
        return std::nullopt;
    return painted.front();
}

void noteRunColors(SheetStyles& styles, std::uint32_t formatId, const std::vector<int>& painted) {
    auto addOnce = [](auto& list, const auto& item) {
        if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
    };
    if (const std::optional<int> color = singleColor(painted)) {
        addOnce(styles.wholeTextColors, std::make_pair(formatId, *color));
        return;
    }
    for (int color : painted)
        addOnce(styles.runColorIndices, color);
}

}  // namespace tallimo::host
