#include "XlsxCommon.h"

#include "Palette.h"

#include <algorithm>
#include <array>

namespace tallimo::host::xlsx {

std::optional<std::uint32_t> fontColorOf(const CellFormat& f) {
    std::uint32_t color = 0;
    if (f.fontColorSet) return f.fontColor;
    if (f.fontColorIndex > 0 && paletteColor(f.fontColorIndex, color)) return color;
    return std::nullopt;
}

namespace {

using namespace xlmore;

struct Named {
    int value;
    const char* name;
};

// Line weights fold into the host's line styles.
constexpr std::array kBorders = {
    Named{xl::kContinuous, "thin"},
    Named{xl::kContinuous, "medium"},
    Named{xl::kContinuous, "thick"},
    Named{xl::kContinuous, "hair"},
    Named{kLineDash, "dashed"},
    Named{kLineDash, "mediumDashed"},
    Named{kLineDot, "dotted"},
    Named{kLineDouble, "double"},
    Named{kLineDashDot, "dashDot"},
    Named{kLineDashDot, "mediumDashDot"},
    Named{kLineDashDotDot, "dashDotDot"},
    Named{kLineDashDotDot, "mediumDashDotDot"},
    Named{kLineDashDot, "slantDashDot"},
};
constexpr std::array kHorizontal = {
    Named{xl::kAlignCenterAlt, "center"},    Named{xl::kAlignLeft, "left"},
    Named{xl::kAlignRight, "right"},         Named{kAlignFill, "fill"},
    Named{kAlignJustify, "justify"},         Named{kAlignCenterAcross, "centerContinuous"},
    Named{kAlignDistributed, "distributed"},
};
constexpr std::array kVertical = {
    Named{xl::kAlignTop, "top"},
    Named{xl::kAlignCenterAlt, "center"},
    Named{kAlignJustify, "justify"},
    Named{kAlignDistributed, "distributed"},
};

template <std::size_t N>
int valueOf(const std::array<Named, N>& table, std::string_view name, int fallback) {
    for (const Named& n : table)
        if (name == n.name) return n.value;
    return fallback;
}

}  // namespace

QString cellName(int row, int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters + QString::number(row);
}

bool parseCellName(std::string_view text, std::int64_t& row, std::int64_t& column) {
    std::size_t i = 0;
    column = 0;
    // Both parts saturate just past the grid, which is all a caller needs to refuse them.
    for (; i < text.size(); ++i) {
        const char c = text[i];
        const int letter = c >= 'A' && c <= 'Z'   ? c - 'A' + 1
                           : c >= 'a' && c <= 'z' ? c - 'a' + 1
                                                  : 0;
        if (letter == 0) break;
        column = std::min<std::int64_t>(column * 26 + letter, kMaxColumns + 1);
    }
    if (i == 0 || i == text.size()) return false;
    row = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        row = std::min<std::int64_t>(row * 10 + (text[i] - '0'), kMaxRows + 1);
    }
    return row > 0;
}

int borderStyleFromName(std::string_view name) {
    return valueOf(kBorders, name, xl::kLineNone);
}
int horizontalFromName(std::string_view name) {
    return valueOf(kHorizontal, name, xl::kAlignGeneral);
}
int verticalFromName(std::string_view name) {
    return valueOf(kVertical, name, xl::kAlignBottom);
}

}  // namespace tallimo::host::xlsx
