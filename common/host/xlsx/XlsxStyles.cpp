#include "XlsxStyles.h"
#include "FormatCode.h"
#include "Palette.h"
#include "XlsxXml.h"

#include <charconv>
#include <map>

namespace tallimo::host::xlsx {

namespace {

// The standard theme's colours in theme-index order (light 1 and dark 1 come first).
constexpr std::uint32_t kThemeRgb[] = {0xFFFFFF, 0x000000, 0xEEECE1, 0x1F497D, 0x4F81BD, 0xC0504D,
                                       0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};

int attributeInt(const pugi::xml_node& node, const char* name, int fallback) {
    const pugi::xml_attribute a = node.attribute(name);
    return a ? a.as_int(fallback) : fallback;
}

struct Font {
    QString name;
    double size = 0;
    bool bold = false;
    std::optional<FileColor> color;
};

Font readFont(const pugi::xml_node& node, const PalettePreference& prefer) {
    Font font;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        const std::string_view name = localName(c.name());
        if (name == "name")
            font.name = text(c.attribute("val"));
        else if (name == "sz")
            font.size = c.attribute("val").as_double();
        else if (name == "b")
            font.bold = !c.attribute("val") || isTrue(c.attribute("val"));
        else if (name == "color")
            font.color = readFontColor(c, prefer);
    }
    return font;
}

std::optional<FileColor> readFill(const pugi::xml_node& node, const PalettePreference& prefer) {
    const pugi::xml_node pattern = childNamed(node, "patternFill");
    if (!pattern || std::string_view(pattern.attribute("patternType").value()) != "solid")
        return std::nullopt;
    if (auto color = readColor(childNamed(pattern, "fgColor"), prefer)) return color;
    return readColor(childNamed(pattern, "bgColor"), prefer);
}

struct Border {
    int side[4] = {xl::kLineNone, xl::kLineNone, xl::kLineNone, xl::kLineNone};
};

Border readBorder(const pugi::xml_node& node) {
    Border border;
    const char* names[4] = {"left", "top", "bottom", "right"};
    for (int i = 0; i < 4; ++i) {
        pugi::xml_node side = childNamed(node, names[i]);
        if (!side && i == 0) side = childNamed(node, "start");
        if (!side && i == 3) side = childNamed(node, "end");
        if (side) border.side[i] = borderStyleFromName(side.attribute("style").value());
    }
    return border;
}

// Spreadsheet programs keep some 64000 formats; a list far longer only costs memory.
constexpr std::size_t kMaxListItems = std::size_t(1) << 20;

void checkListLength(std::size_t length, std::string_view item, const QString& part) {
    if (length >= kMaxListItems)
        fault(QStringLiteral("部件 %1 中的 <%2> 超过 %3 个")
                  .arg(part, QString::fromUtf8(item.data(), qsizetype(item.size())))
                  .arg(kMaxListItems));
}

template <typename T, typename Read>
std::vector<T> readList(const pugi::xml_node& root, std::string_view list, std::string_view item,
                        const QString& part, Read read) {
    std::vector<T> items;
    for (pugi::xml_node c = childNamed(root, list).first_child(); c; c = c.next_sibling()) {
        if (!isNamed(c, item)) continue;
        checkListLength(items.size(), item, part);
        items.push_back(read(c));
    }
    return items;
}

template <typename T>
const T* itemAt(const std::vector<T>& items, int index) {
    return index >= 0 && std::size_t(index) < items.size() ? &items[std::size_t(index)] : nullptr;
}

bool sameColor(const std::optional<FileColor>& a, const std::optional<FileColor>& b) {
    return a.has_value() == b.has_value() && (!a || a->color == b->color);
}

}  // namespace

std::optional<FileColor> readColor(const pugi::xml_node& node, const PalettePreference& prefer) {
    if (!node) return std::nullopt;
    FileColor result;
    if (const pugi::xml_attribute indexed = node.attribute("indexed")) {
        const int i = indexed.as_int(-1);
        result.paletteIndex = i >= 0 && i < 8 ? i + 1 : i >= 8 && i < 64 ? i - 7 : 0;
        if (!paletteColor(result.paletteIndex, result.color)) return std::nullopt;
        return result;
    }
    if (const pugi::xml_attribute rgb = node.attribute("rgb")) {
        std::string_view hex = rgb.value();
        if (hex.size() > 6) hex.remove_prefix(hex.size() - 6);
        std::uint32_t value = 0;
        const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (error != std::errc() || end != hex.data() + hex.size()) return std::nullopt;
        result.color = hostFromRgb(value);
    } else if (const pugi::xml_attribute theme = node.attribute("theme")) {
        const int i = theme.as_int(-1);
        if (i < 0 || i >= int(std::size(kThemeRgb))) return std::nullopt;
        result.color = hostFromRgb(kThemeRgb[i]);
    } else {
        return std::nullopt;
    }
    result.paletteIndex = paletteIndexOf(result.color);
    std::uint32_t preferred = 0;
    for (int index : prefer.indices)
        if (paletteColor(index, preferred) && preferred == result.color)
            result.paletteIndex = index;
    return result;
}

std::optional<FileColor> readFontColor(const pugi::xml_node& node,
                                       const PalettePreference& prefer) {
    if (std::string_view(node.attribute("theme").value()) == "1") return std::nullopt;
    return readColor(node, prefer);
}

Styles::Styles(QByteArray xml, const QString& part, const PalettePreference& prefer) {
    pugi::xml_document doc;
    parsePart(doc, xml, part);
    const pugi::xml_node root = doc.document_element();

    std::map<int, QString> numberFormats;
    for (pugi::xml_node c = childNamed(root, "numFmts").first_child(); c; c = c.next_sibling())
        if (isNamed(c, "numFmt") && (checkListLength(numberFormats.size(), "numFmt", part), true))
            numberFormats[attributeInt(c, "numFmtId", -1)] = text(c.attribute("formatCode"));
    const auto fonts = readList<Font>(root, "fonts", "font", part,
                                      [&](const auto& n) { return readFont(n, prefer); });
    const auto fills = readList<std::optional<FileColor>>(
        root, "fills", "fill", part, [&](const auto& n) { return readFill(n, prefer); });
    const auto borders = readList<Border>(root, "borders", "border", part, readBorder);
    const Font defaultFont = fonts.empty() ? Font{} : fonts.front();

    for (pugi::xml_node xf = childNamed(root, "cellXfs").first_child(); xf;
         xf = xf.next_sibling()) {
        if (!isNamed(xf, "xf")) continue;
        checkListLength(styles_.size(), "xf", part);
        CellStyle s;
        const int formatId = attributeInt(xf, "numFmtId", 0);
        const auto defined = numberFormats.find(formatId);
        s.numberFormat =
            defined != numberFormats.end() ? defined->second : numfmt::builtinFormatCode(formatId);
        if (s.numberFormat.compare(u"General", Qt::CaseInsensitive) == 0) s.numberFormat.clear();
        s.date = numfmt::FormatCode(s.numberFormat).showsCalendarDate();
        if (const Font* font = itemAt(fonts, attributeInt(xf, "fontId", 0))) {
            if (font->name != defaultFont.name && !font->name.trimmed().isEmpty())
                s.fontName = font->name;
            if (font->size != defaultFont.size && font->size > 0)
                s.fontSize = std::clamp(font->size, 1.0, 409.0);  // the sizes the host takes
            s.bold = font->bold && !defaultFont.bold;
            if (!sameColor(font->color, defaultFont.color)) s.fontColor = font->color;
        }
        if (const auto* fill = itemAt(fills, attributeInt(xf, "fillId", 0))) s.fill = *fill;
        if (const Border* border = itemAt(borders, attributeInt(xf, "borderId", 0)))
            std::copy(std::begin(border->side), std::end(border->side), s.border);
        if (const pugi::xml_node align = childNamed(xf, "alignment")) {
            s.horizontal = horizontalFromName(align.attribute("horizontal").value());
            s.vertical = verticalFromName(align.attribute("vertical").value());
            s.wrap = isTrue(align.attribute("wrapText"));
        }
        s.plain = s.numberFormat.isEmpty() && s.fontName.isEmpty() && s.fontSize == 0 && !s.bold &&
                  !s.fontColor && !s.fill && s.horizontal == xl::kAlignGeneral &&
                  s.vertical == xl::kAlignBottom && !s.wrap &&
                  std::all_of(std::begin(s.border), std::end(s.border),
                              [](int b) { return b == xl::kLineNone; });
        styles_.push_back(std::move(s));
    }
    if (styles_.empty()) styles_.emplace_back();
}

void Styles::apply(HostBackend& host, SheetId sheet, const CellRect& block, const CellStyle& s) {
    if (s.plain) return;
    if (!s.numberFormat.isEmpty()) host.setNumberFormat(sheet, block, s.numberFormat);
    if (!s.fontName.isEmpty()) host.setFontName(sheet, block, s.fontName);
    if (s.fontSize > 0) host.setFontSize(sheet, block, s.fontSize);
    if (s.bold) host.setFontBold(sheet, block, true);
    if (s.fontColor) {
        if (s.fontColor->paletteIndex > 0)
            host.setFontColorIndex(sheet, block, s.fontColor->paletteIndex);
        else
            host.setFontColor(sheet, block, s.fontColor->color);
    }
    if (s.fill) {
        if (s.fill->paletteIndex > 0)
            host.setFillColorIndex(sheet, block, s.fill->paletteIndex);
        else
            host.setFillColor(sheet, block, s.fill->color);
    }
    if (s.horizontal != xl::kAlignGeneral) host.setHorizontalAlignment(sheet, block, s.horizontal);
    if (s.vertical != xl::kAlignBottom) host.setVerticalAlignment(sheet, block, s.vertical);
    if (s.wrap) host.setWrapText(sheet, block, true);
    constexpr int edges[4] = {xl::kEdgeLeft, xl::kEdgeTop, xl::kEdgeBottom, xl::kEdgeRight};
    for (int i = 0; i < 4; ++i) {
        if (s.border[i] == xl::kLineNone) continue;
        for (int row = block.top; row <= block.bottom; ++row)
            for (int column = block.left; column <= block.right; ++column)
                host.setBorderLineStyle(sheet, {row, column, row, column}, edges[i], s.border[i]);
    }
}

}  // namespace tallimo::host::xlsx
