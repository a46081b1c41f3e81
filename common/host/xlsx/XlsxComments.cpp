#include "XlsxComments.h"

#include "XlsxDeflate.h"
#include "XlsxSheetData.h"

#include <charconv>

namespace tallimo::host::xlsx {

namespace {

constexpr int kMaxCommentText = 32767;  // characters, as for a cell
constexpr int kShapesPerBlock = 1024;
constexpr int kSheetRows = 1048576, kSheetColumns = 16384;
// Boxes are placed as on a sheet of default rows and columns, whatever the rows' heights.
constexpr int kRowPixels = 20, kDefaultColumnPixels = 64;
constexpr int kBoxWidth = 128, kBoxHeight = 74;

constexpr std::string_view kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

void appendInt(std::string& out, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, std::size_t(end - digits));
}

// Points from pixels: always a whole number of quarter points, written without exponent.
void appendPoints(std::string& out, long long pixels) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, double(pixels) * 0.75,
                                   std::chars_format::fixed)
                         .ptr;
    out.append(digits, std::size_t(end - digits));
}

void appendHex4(std::string& out, unsigned value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(kHex[(value >> shift) & 0xF]);
    out.push_back('_');
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
        return;
    }
    if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
    } else {
        if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        }
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(char(0x80 | (c & 0x3F)));
}

// Markup characters as entities and the rest as it is, line ends included; only the characters
// XML cannot carry take the _xHHHH_ form spreadsheet programs read, so that the part still
// parses. Unpaired surrogates become "?".
void appendCommentText(std::string& out, QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '\t':
            case '\n':
            case '\r':
                out.push_back(char(c));
                continue;
            case 0xFFFE:
            case 0xFFFF:
                appendHex4(out, unsigned(c));
                continue;
            default:
                break;
        }
        if (c < 0x20) {
            appendHex4(out, unsigned(c));
        } else if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                appendUtf8(out, QChar::surrogateToUcs4(char16_t(c), text[++i].unicode()));
            else
                out.push_back('?');
        } else {
            appendUtf8(out, c);
        }
    }
}

// A box's corners: column and row (0-based) with the offset in pixels into each.
struct Anchor {
    int fromColumn, fromX, fromRow, fromY, toColumn, toX, toRow, toY;
    long long left, top;  // pixels from the sheet's top left corner
};

// The box sits one column right and one row up of its cell, 15 and 10 pixels in; at the sheet's
// edges it is pulled back inside.
Anchor placeBox(int row, int column, const ColumnPixels& columns,
                const std::vector<long long>& leftEdges) {
    int startRow = row - 1, y = 10;
    if (row == 0) {
        startRow = 0;
        y = 2;
    } else if (row >= kSheetRows - 3) {
        startRow = row - 4;
        y = row == kSheetRows - 1 ? 14 : 16;
    }
    int startColumn = column + 1, x = 15;
    if (column >= kSheetColumns - 3) {
        startColumn = column - 3;
        x = 49;
    }
    Anchor a{};
    const int lastSet = int(leftEdges.size()) - 1;
    a.left = startColumn <= lastSet
                 ? leftEdges[std::size_t(startColumn)]
                 : leftEdges.back() + (long long)(startColumn - lastSet) * kDefaultColumnPixels;
    a.left += x;
    a.top = (long long)startRow * kRowPixels + y;
    while (x >= columns.at(startColumn))
        x -= columns.at(startColumn++);
    int width = kBoxWidth + x, height = kBoxHeight + y;
    int endColumn = startColumn, endRow = startRow;
    while (width >= columns.at(endColumn))
        width -= columns.at(endColumn++);
    while (height >= kRowPixels) {
        height -= kRowPixels;
        ++endRow;
    }
    a.fromColumn = startColumn;
    a.fromX = x;
    a.fromRow = startRow;
    a.fromY = y;
    a.toColumn = endColumn;
    a.toX = width;
    a.toRow = endRow;
    a.toY = height;
    return a;
}

void appendShape(std::string& out, const CellComment& comment, int shapeId, int zIndex,
                 const Anchor& a) {
    out += "<v:shape id=\"_x0000_s";
    appendInt(out, shapeId);
    out += "\" type=\"#_x0000_t202\" style=\"position:absolute;margin-left:";
    appendPoints(out, a.left);
    out += "pt;margin-top:";
    appendPoints(out, a.top);
    out += "pt;width:";
    appendPoints(out, kBoxWidth);
    out += "pt;height:";
    appendPoints(out, kBoxHeight);
    out += "pt;z-index:";
    appendInt(out, zIndex);
    out += comment.visible ? ";visibility:visible" : ";visibility:hidden";
    out +=
        "\" fillcolor=\"#ffffe1\" o:insetmode=\"auto\"><v:fill color2=\"#ffffe1\"/>"
        "<v:shadow on=\"t\" color=\"black\" obscured=\"t\"/><v:path o:connecttype=\"none\"/>"
        "<v:textbox style=\"mso-direction-alt:auto\"><div style=\"text-align:left\"></div>"
        "</v:textbox><x:ClientData ObjectType=\"Note\"><x:MoveWithCells/><x:SizeWithCells/>"
        "<x:Anchor>";
    for (int value : {a.fromColumn, a.fromX, a.fromRow, a.fromY, a.toColumn, a.toX, a.toRow}) {
        appendInt(out, value);
        out += ", ";
    }
    appendInt(out, a.toY);
    out += "</x:Anchor><x:AutoFill>False</x:AutoFill><x:Row>";
    appendInt(out, comment.row - 1);
    out += "</x:Row><x:Column>";
    appendInt(out, comment.column - 1);
    out += "</x:Column>";
    if (comment.visible) out += "<x:Visible/>";
    out += "</x:ClientData></v:shape>";
}

}  // namespace

std::vector<CommentParts> numberCommentParts(const std::vector<qsizetype>& commentCounts) {
    std::vector<CommentParts> parts;
    parts.reserve(commentCounts.size());
    int number = 0, block = 1;
    for (qsizetype count : commentCounts) {
        if (count == 0) {
            parts.push_back({});
            continue;
        }
        parts.push_back({++number, block});
        block += int((kShapesPerBlock + count) / kShapesPerBlock);
    }
    return parts;
}

void ColumnPixels::set(int firstColumn, int lastColumn, double width) {
    // Whole pixels, as spreadsheet programs draw a width of characters 7 pixels wide plus padding.
    const int pixels = width < 1 ? int(width * 12 + 0.5) : int(std::uint32_t(width * 7 + 0.5) + 5);
    if (int(pixels_.size()) < lastColumn)
        pixels_.resize(std::size_t(lastColumn), kDefaultColumnPixels);
    for (int c = firstColumn; c <= lastColumn; ++c)
        pixels_[std::size_t(c - 1)] = pixels;
}

int ColumnPixels::at(int column) const {
    return column < int(pixels_.size()) ? pixels_[std::size_t(column)] : kDefaultColumnPixels;
}

bool commentFits(QStringView text) {
    if (text.size() <= kMaxCommentText) return true;
    qsizetype characters = text.size();
    for (QChar c : text)
        if (c.isLowSurrogate()) --characters;
    return characters <= kMaxCommentText;
}

void writeCommentsPart(ChunkedDeflate& out, const QList<CellComment>& comments) {
    std::string& xml = out.buffer();
    xml += kDeclaration;
    xml +=
        "<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<authors><author></author></authors><commentList>";
    for (const CellComment& comment : comments) {
        xml += "<comment ref=\"";
        appendCellName(xml, comment.row, comment.column);
        xml +=
            "\" authorId=\"0\"><text><r><rPr><sz val=\"8\"/><color indexed=\"81\"/>"
            "<rFont val=\"Tahoma\"/><family val=\"2\"/></rPr><t>";
        appendCommentText(xml, comment.text);
        xml += "</t></r></text></comment>";
        out.chunkDone();
    }
    xml += "</commentList></comments>";
}

void writeVmlDrawing(ChunkedDeflate& out, const QList<CellComment>& comments,
                     const ColumnPixels& columns, int firstBlock) {
    std::string& xml = out.buffer();
    xml +=
        "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
        "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
        "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
        "<o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"";
    // Every block the sheet's shape ids reach.
    const int blocks = int(comments.size() / kShapesPerBlock) + 1;
    for (int b = 0; b < blocks; ++b) {
        if (b > 0) xml += ',';
        appendInt(xml, firstBlock + b);
    }
    xml +=
        "\"/></o:shapelayout><v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" "
        "o:spt=\"202\" path=\"m,l,21600r21600,l21600,xe\"><v:stroke joinstyle=\"miter\"/>"
        "<v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>";
    std::vector<long long> leftEdges(std::size_t(columns.setCount()) + 1, 0);
    for (int c = 0; c < columns.setCount(); ++c)
        leftEdges[std::size_t(c) + 1] = leftEdges[std::size_t(c)] + columns.at(c);
    int shapeId = firstBlock * kShapesPerBlock, zIndex = 0;
    for (const CellComment& comment : comments) {
        appendShape(xml, comment, ++shapeId, ++zIndex,
                    placeBox(comment.row - 1, comment.column - 1, columns, leftEdges));
        out.chunkDone();
    }
    xml += "</xml>";
}

std::string commentsPartName(int number) {
    return "xl/comments" + std::to_string(number) + ".xml";
}

std::string vmlDrawingName(int number) {
    return "xl/drawings/vmlDrawing" + std::to_string(number) + ".vml";
}

std::string sheetRelationshipsName(const std::string& sheetPartName) {
    const std::size_t slash = sheetPartName.rfind('/');
    return sheetPartName.substr(0, slash + 1) + "_rels/" + sheetPartName.substr(slash + 1) +
           ".rels";
}

std::string sheetRelationships(int number) {
    const std::string n = std::to_string(number);
    return std::string(kDeclaration) +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
           "2006/relationships/vmlDrawing\" Target=\"../drawings/vmlDrawing" +
           n +
           ".vml\"/><Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/"
           "officeDocument/2006/relationships/comments\" Target=\"../comments" +
           n + ".xml\"/></Relationships>";
}

void addCommentFont(std::string& styles) {
    constexpr std::string_view count = "<fonts count=\"";
    const std::size_t fonts = styles.find(count);
    const std::size_t end = styles.find("</fonts>");
    if (fonts == std::string::npos || end == std::string::npos) return;
    styles.insert(end,
                  "<font><sz val=\"8\"/><color indexed=\"81\"/><name val=\"Tahoma\"/>"
                  "<family val=\"2\"/></font>");
    const std::size_t digits = fonts + count.size();
    int fontCount = 0;
    const auto [last, error] =
        std::from_chars(styles.data() + digits, styles.data() + styles.size(), fontCount);
    if (error == std::errc())
        styles.replace(digits, std::size_t(last - styles.data()) - digits,
                       std::to_string(fontCount + 1));
}

void addCommentContentTypes(std::string& contentTypes, int count) {
    if (count == 0) return;
    constexpr std::string_view xmlDefault = "<Default Extension=\"xml\"";
    constexpr std::string_view sheetOverride = "<Override PartName=\"/xl/worksheets/sheet";
    std::string overrides;
    for (int n = 1; n <= count; ++n)
        overrides += "<Override PartName=\"/xl/comments" + std::to_string(n) +
                     ".xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.spreadsheetml.comments+xml\"/>";
    // After the sheets, where the writer library puts them.
    std::size_t at = contentTypes.rfind(sheetOverride);
    at = at == std::string::npos ? contentTypes.rfind("</Types>") : contentTypes.find('>', at) + 1;
    contentTypes.insert(at, overrides);
    const std::size_t defaults = contentTypes.find(xmlDefault);
    const std::string vml =
        "<Default Extension=\"vml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>";
    contentTypes.insert(defaults == std::string::npos ? contentTypes.find("<Override")
                                                      : contentTypes.find('>', defaults) + 1,
                        vml);
}

}  // namespace tallimo::host::xlsx
