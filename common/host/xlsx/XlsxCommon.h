#pragma once

#include "HostTypes.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

// Small pieces shared by the workbook writer and reader.
namespace tallimo::host::xlsx {

// Why a file cannot be read; the reader adds the file name when it turns this into a HostError.
struct FileFault {
    QString reason;
};
[[noreturn]] inline void fault(const QString& reason) {
    throw FileFault{reason};
}

// Host colour values keep red in the low byte; files and the writer library want 0xRRGGBB.
constexpr std::uint32_t rgbFromHost(std::uint32_t color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
constexpr std::uint32_t hostFromRgb(std::uint32_t rgb) {
    return rgbFromHost(rgb);
}

// The font colour a format sets, by value or by palette index; none for automatic.
std::optional<std::uint32_t> fontColorOf(const CellFormat& f);

// "A1" style names of single cells.
QString cellName(int row, int column);
// Reads "B12" (no "$"; some writers spell the letters in lower case); false when the text is
// not a cell name. Row and column are not capped
// here, so callers can tell an absurd address from a malformed one.
bool parseCellName(std::string_view text, std::int64_t& row, std::int64_t& column);

// The host's line-style and alignment constants for their names in files.
int borderStyleFromName(std::string_view name);
int horizontalFromName(std::string_view name);
int verticalFromName(std::string_view name);

// Host constants beyond those the callers use, so that files from elsewhere keep their look.
namespace xlmore {
inline constexpr int kLineDash = -4115;
inline constexpr int kLineDot = -4118;
inline constexpr int kLineDouble = -4119;
inline constexpr int kLineDashDot = 4;
inline constexpr int kLineDashDotDot = 5;
inline constexpr int kAlignFill = 5;
inline constexpr int kAlignJustify = -4130;
inline constexpr int kAlignCenterAcross = 7;
inline constexpr int kAlignDistributed = -4117;
}  // namespace xlmore

}  // namespace tallimo::host::xlsx
