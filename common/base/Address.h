#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

namespace tallimo {

// An absolute A1 address taken apart. All fields zero or empty: the address could not be read.
struct AreaAddress {
    qint32 firstRow = 0;
    QString firstColumn;
    qint32 lastRow = 0;
    QString lastColumn;

    bool isEmpty() const { return firstRow == 0 && lastRow == 0 && firstColumn.isEmpty(); }
    bool operator==(const AreaAddress&) const = default;
};

enum class Grid { Small, Large };  // IV / 65536 and XFD / 1048576

// The duplicate finder's parser, and the common part of the reconciler's.
AreaAddress parseAreaAddress(QStringView address, Grid grid);

// The reconciler's parser: the grid follows the host version kept in the settings ("Ver");
// an empty version calls onEmptyVersion (the window code shows its message) and gives the empty
// address.
AreaAddress parseAreaAddressForHost(QStringView address, const QString& hostVersion,
                                    const std::function<void()>& onEmptyVersion);

// Column letters to number (A = 1, XFD = 16384); 0 when the text is not column letters or the
// number would leave the 16-bit range.
int columnNumber(QStringView letters);
// Number to upper-case letters for 1..32767; empty outside that range.
QString columnLetters(int number);

struct RangeTextParts {
    QString firstColumn;
    QString firstRow;
    QString lastRow;
};
// "[Book1]Sheet1!$C$5:$D$40#C列&D列" gives C, 5, 40; nullopt when the text is not in that form.
std::optional<RangeTextParts> splitRangeText(QStringView text);

}  // namespace tallimo
