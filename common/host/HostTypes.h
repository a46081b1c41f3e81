#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tallimo::host {

// Every failing host call throws this; callers decide whether it ends their work or is skipped.
class HostError : public std::runtime_error {
public:
    explicit HostError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

using BookId = std::uint32_t;
using SheetId = std::uint32_t;

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

// A block of cells, 1-based and inclusive.
struct CellRect {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;

    int rowCount() const { return bottom - top + 1; }
    int columnCount() const { return right - left + 1; }
    bool contains(int row, int column) const {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool operator==(const CellRect&) const = default;
};

// The host's colour value: red in the low byte, then green, then blue.
constexpr std::uint32_t rgbColor(int red, int green, int blue) {
    return std::uint32_t(red) | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16);
}

// What a cell holds, as the object model's Value reports it.
struct CellValue {
    enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Error };
    Kind kind = Kind::Empty;
    double number = 0;  // Number, and Boolean as 0 or 1
    QString text;       // Text, and the error's text (#REF!) for Error

    static CellValue empty() { return {}; }
    static CellValue fromNumber(double v) { return {Kind::Number, v, {}}; }
    static CellValue fromText(const QString& t) { return {Kind::Text, 0, t}; }
    static CellValue fromBool(bool b) { return {Kind::Boolean, b ? 1.0 : 0.0, {}}; }
    static CellValue fromError(const QString& e) { return {Kind::Error, 0, e}; }

    bool isEmpty() const { return kind == Kind::Empty; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isText() const { return kind == Kind::Text; }
    bool operator==(const CellValue&) const = default;
};

// What a formula on a circular reference shows when its file holds no value for it: the error
// of the desktop spreadsheet on this platform. The file format has no error value for it, so a
// formula showing it is saved without a value and computed again by whatever opens the file.
inline const QString& circularReferenceError() {
    static const QString text = QStringLiteral("Err:522");
    return text;
}

// Host constants the callers pass through unchanged.
namespace xl {
inline constexpr int kAlignGeneral = 1;
inline constexpr int kAlignCenter = 3;  // also -4108
inline constexpr int kAlignCenterAlt = -4108;
inline constexpr int kAlignLeft = -4131;
inline constexpr int kAlignRight = -4152;
inline constexpr int kAlignTop = -4160;
inline constexpr int kAlignBottom = -4107;

inline constexpr int kEdgeLeft = 7;
inline constexpr int kEdgeTop = 8;
inline constexpr int kEdgeBottom = 9;
inline constexpr int kEdgeRight = 10;
inline constexpr int kInsideVertical = 11;
inline constexpr int kInsideHorizontal = 12;

inline constexpr int kLineNone = -4142;
inline constexpr int kContinuous = 1;
inline constexpr int kColorIndexNone = -4142;

inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;
}  // namespace xl

enum class Shift { Up, Left };
enum class SortOrder { Ascending, Descending };
enum class Placement { Before, After };

// Formats of one cell as the model keeps them, for readers and tests.
struct CellFormat {
    QString fontName;
    double fontSize = 11;
    bool bold = false;
    int fontColorIndex = 0;  // 0: automatic, else the palette index that was set
    std::uint32_t fontColor = 0;
    bool fontColorSet = false;
    int fillColorIndex = xl::kColorIndexNone;  // palette index, or none
    std::uint32_t fillColor = 0;
    bool fillSet = false;
    int horizontalAlignment = xl::kAlignGeneral;
    int verticalAlignment = xl::kAlignBottom;
    bool wrapText = false;
    int borderLineStyle[4] = {xl::kLineNone, xl::kLineNone, xl::kLineNone,
                              xl::kLineNone};  // left, top, bottom, right
    QString numberFormat;                      // empty: General
};

// Sheet-wide settings that files carry.
struct SheetView {
    int frozenRows = 0;
    int frozenColumns = 0;
    bool showGridlines = true;
    std::optional<std::uint32_t> tabColor;
    int orientation = xl::kPortrait;
    int fitToPagesWide = 0;  // 0: no fitting
    bool centerHorizontally = false;
    QString rightFooter;
    bool operator==(const SheetView&) const = default;
};

// One stored cell as serialisers see it.
struct StoredCell {
    int column = 0;
    CellValue value;
    QString formulaA1;           // empty: no formula
    std::uint32_t formatId = 0;  // 0: default format
};

// A run of characters inside a text cell with its own font colour.
struct CharacterRun {
    int start = 1;  // 1-based, as Characters(start, length)
    int length = 0;
    int colorIndex = 0;
};

// One stored cell as a file writer sees it: the texts are views into the model, valid only during
// the call that hands the view over.
struct CellView {
    int column = 0;
    std::uint32_t formatId = 0;
    CellValue::Kind kind = CellValue::Kind::Empty;  // the value, for a formula its result
    double number = 0;                              // Number, and Boolean as 0 or 1
    QStringView text;                               // Text, and the error's text for Error
    QStringView formulaA1;                          // empty: no formula; without the "="
    const QList<CharacterRun>* runs = nullptr;      // coloured runs of a text; null: none
};

// The colour index each UTF-16 unit of a text of `length` units ends up with: later runs paint
// over earlier ones, as setting Characters twice does; 0 where no run reaches.
std::vector<int> paintedColors(qsizetype length, const QList<CharacterRun>& runs);

// What a sheet's cells use of the workbook's styles, each once: cell format ids, the colour
// indices of texts in several colours, and the format ids of texts painted in one colour from end
// to end with that colour (which files keep as the cell's font colour).
struct SheetStyles {
    std::vector<std::uint32_t> formatIds;
    std::vector<int> runColorIndices;
    std::vector<std::pair<std::uint32_t, int>> wholeTextColors;
};

// Notes what a text of the given format painted as `painted` uses in `styles`.
void noteRunColors(SheetStyles& styles, std::uint32_t formatId, const std::vector<int>& painted);

// The single colour of a painting that has one, for a text in one colour from end to end.
std::optional<int> singleColor(const std::vector<int>& painted);

// A comment with the cell it stands on.
struct CellComment {
    int row = 0;
    int column = 0;
    QString text;
    bool visible = false;
};

// A link from a cell to a place in the same workbook, with the cell it stands on.
struct CellHyperlink {
    int row = 0;
    int column = 0;
    QString location;  // as a formula names the place: 'Sheet name'!A12
    bool operator==(const CellHyperlink&) const = default;
};

// Parses an A1 reference ("B2", "$B$2:$F$9", "A:C", "3:5") into a block; throws HostError.
CellRect parseA1(const QString& address);
// Several areas joined by "," as Range("A1:A3,C1:C3") takes them.
QList<CellRect> parseA1List(const QString& addresses);
// The absolute A1 form: "$B$2" for one cell, "$B$2:$F$9" for a block.
QString absoluteAddress(const CellRect& rect);

}  // namespace tallimo::host
