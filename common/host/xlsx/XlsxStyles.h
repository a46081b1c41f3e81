#pragma once

#include "HostBackend.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace pugi {
class xml_node;
}

namespace tallimo::host::xlsx {

// A colour as a file names it, resolved to the host's value and, where the palette holds it, to
// its palette index (0 otherwise), so that indices set by the callers come back as indices.
struct FileColor {
    std::uint32_t color = 0;
    int paletteIndex = 0;
};

// The palette indices a workbook prefers where the palette holds a colour twice (20 and 34 are
// both light turquoise); a colour found here resolves to that index rather than the first.
struct PalettePreference {
    std::vector<int> indices;
};

// Reads a colour element (rgb, indexed or theme); nullopt for automatic and unreadable colours.
std::optional<FileColor> readColor(const pugi::xml_node& node, const PalettePreference& prefer);

// A font's colour element; theme colour 1 is what automatic text is written as, so it reads as
// no colour.
std::optional<FileColor> readFontColor(const pugi::xml_node& node, const PalettePreference& prefer);

// One cell format of the file, reduced to what differs from the file's default format.
struct CellStyle {
    QString numberFormat;  // empty: General
    QString fontName;      // empty: the default font
    double fontSize = 0;   // 0: the default size
    bool bold = false;
    std::optional<FileColor> fontColor;
    std::optional<FileColor> fill;
    int horizontal = xl::kAlignGeneral;
    int vertical = xl::kAlignBottom;
    bool wrap = false;
    int border[4] = {xl::kLineNone, xl::kLineNone, xl::kLineNone, xl::kLineNone};
    bool date = false;  // the number format shows calendar dates
    bool plain = true;  // nothing to apply
};

class Styles {
public:
    Styles() : styles_(1) {}
    // Throws FileFault when the part is not XML.
    Styles(QByteArray xml, const QString& part, const PalettePreference& prefer);

    // Style indices the file does not define read as the default, as spreadsheet programs do.
    const CellStyle& style(std::size_t index) const {
        return index < styles_.size() ? styles_[index] : styles_[0];
    }
    // Applies the non-default properties of a style to a block of cells; borders go cell by
    // cell, because an edge of a block is only the block's outer edge.
    static void apply(HostBackend& host, SheetId sheet, const CellRect& block,
                      const CellStyle& style);

private:
    std::vector<CellStyle> styles_;
};

}  // namespace tallimo::host::xlsx
