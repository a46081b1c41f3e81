#include "XlsxSheetData.h"

#include "Palette.h"
#include "XlsxCommon.h"
#include "XlsxDeflate.h"

#include <algorithm>
#include <charconv>

namespace tallimo::host::xlsx {

namespace {

// Files hold at most this many characters in a cell, and rows at most this height.
constexpr int kMaxCellText = 32767;
constexpr double kMaxRowHeight = 409;

void appendInt(std::string& out, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, std::size_t(end - digits));
}

void appendHex4(std::string& out, unsigned value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(kHex[(value >> shift) & 0xF]);
    out.push_back('_');
}

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

// "_x0041_" in a text would be read back as "A"; its underscore is written escaped instead.
bool startsEscapeSequence(QStringView text, qsizetype i) {
    if (i + 6 >= text.size() || text[i + 1] != u'x' || text[i + 6] != u'_') return false;
    for (qsizetype k = i + 2; k < i + 6; ++k)
        if (!isHexDigit(text[k])) return false;
    return true;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// A text with white space at either end keeps it only when the element says so.
void appendTextElement(std::string& out, QStringView text) {
    const bool preserve = !text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()));
    out += preserve ? "<t xml:space=\"preserve\">" : "<t>";
    appendEscaped(out, text);
    out += "</t>";
}

void appendRgb(std::string& out, std::uint32_t hostColor) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint32_t rgb = rgbFromHost(hostColor);
    out += "<color rgb=\"FF";
    for (int shift = 20; shift >= 0; shift -= 4)
        out.push_back(kHex[(rgb >> shift) & 0xF]);
    out += "\"/>";
}

}  // namespace

void appendEscaped(std::string& out, QStringView text) {
    const qsizetype n = text.size();
    out.reserve(out.size() + std::size_t(n) * 3);
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x80) {
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
                case '"':
                    out += "&quot;";
                    continue;
                case '_':
                    if (startsEscapeSequence(text, i))
                        appendHex4(out, '_');
                    else
                        out.push_back('_');
                    continue;
                case '\t':
                case '\n':
                    out.push_back(char(c));
                    continue;
                default:
                    // Other control characters, and CR (which XML reads as a line feed).
                    if (c < 0x20)
                        appendHex4(out, unsigned(c));
                    else
                        out.push_back(char(c));
                    continue;
            }
        }
        if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
            continue;
        }
        if (QChar::isSurrogate(c)) {
            if (!QChar::isHighSurrogate(c) || i + 1 == n || !text[i + 1].isLowSurrogate()) {
                out.push_back('?');
                continue;
            }
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        } else if (c == 0xFFFE || c == 0xFFFF) {
            appendHex4(out, unsigned(c));
            continue;
        } else {
            out.push_back(char(0xE0 | (c >> 12)));
        }
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

void appendNumber(std::string& out, double value) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, std::size_t(end - digits));
}

void appendCellName(std::string& out, int row, int column) {
    char letters[3];
    int count = 0;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters[count++] = char('A' + (c - 1) % 26);
    while (count > 0)
        out.push_back(letters[--count]);
    appendInt(out, row);
}

SheetDataWriter::SheetDataWriter(const HostBackend& host, SheetId sheet, const StyleIndex& styles)
    : host_(host), sheet_(sheet), styles_(styles), default_(host.formatById(0)) {}

const CellFormat& SheetDataWriter::formatOf(std::uint32_t formatId) {
    if (formatId == 0) return default_;
    auto found = formats_.find(formatId);
    if (found == formats_.end())
        found = formats_.emplace(formatId, host_.formatById(formatId)).first;
    return found->second;
}

void SheetDataWriter::write(ChunkedDeflate& out, const RowSpan& span) {
    out_ = &out;
    out.buffer() += "<sheetData>";
    for (int row = span.firstRow; row <= span.lastRow; ++row) {
        const double height = host_.rowHeight(sheet_, row);
        const bool heightSet = height != span.defaultHeight;
        const bool inUsed = row >= span.used.top && row <= span.used.bottom;
        if (!heightSet && !inUsed) continue;
        std::string& xml = out.buffer();
        const std::size_t rowStart = xml.size();
        // A row or cell that follows the previous one needs no reference: readers count on from
        // it. Only the gaps are written, which spares about a tenth of a sheet's bytes.
        xml += "<row";
        if (row != lastRow_ + 1) {
            xml += " r=\"";
            appendInt(xml, row);
            xml += '"';
        }
        if (heightSet) {
            xml += " ht=\"";
            appendNumber(xml, std::clamp(height, 0.0, kMaxRowHeight));
            xml += "\" customHeight=\"1\"";
        }
        xml += '>';
        cellsInRow_ = 0;
        lastColumn_ = 0;
        if (inUsed) writeRow(row);
        // Without a cell nothing was handed on, so the row's start is still in the buffer.
        if (cellsInRow_ > 0) {
            xml += "</row>";
            lastRow_ = row;
        } else if (heightSet) {
            xml.back() = '/', xml += '>';
            lastRow_ = row;
        } else {
            xml.resize(rowStart);  // a row with neither cells nor a height is left out
        }
        out.chunkDone();
    }
    out.buffer() += "</sheetData>";
    out_ = nullptr;
}

void SheetDataWriter::writeRow(int row) {
    host_.visitRowCells(sheet_, row, [&](const CellView& cell) {
        if (!writeCell(out_->buffer(), row, cell)) return;
        ++cellsInRow_;
        out_->chunkDone();
    });
}

bool SheetDataWriter::writeCell(std::string& xml, int row, const CellView& cell) {
    using Kind = CellValue::Kind;
    const bool formula = !cell.formulaA1.isEmpty();
    const bool text = cell.kind == Kind::Text && !formula;
    if (text && cell.text.size() > kMaxCellText)
        throw HostError(QStringLiteral("单元格 %1 的文字超过 %2 个字符")
                            .arg(cellName(row, cell.column))
                            .arg(kMaxCellText));
    const bool valueless = !formula && (cell.kind == Kind::Empty || (text && cell.text.isEmpty()));
    if (valueless && cell.formatId == 0) return false;
    std::vector<int> colorOf;
    std::optional<int> wholeTextColor;
    if (text && cell.runs && !cell.text.isEmpty()) {
        colorOf = paintedColors(cell.text.size(), *cell.runs);
        wholeTextColor = singleColor(colorOf);
    }

    xml += "<c";
    if (cell.column != lastColumn_ + 1) {
        xml += " r=\"";
        appendCellName(xml, row, cell.column);
        xml += '"';
    }
    lastColumn_ = cell.column;
    if (const int style = styleOf(row, cell, wholeTextColor); style != 0) {
        xml += " s=\"";
        appendInt(xml, style);
        xml += '"';
    }
    if (valueless) {
        xml += "/>";
        return true;
    }
    if (formula && cell.kind == Kind::Error && cell.text == circularReferenceError()) {
        xml += "><f>";
        appendEscaped(xml, cell.formulaA1);
        xml += "</f></c>";
        return true;
    }
    if (text) {
        xml += " t=\"inlineStr\"><is>";
        if (!colorOf.empty() && !wholeTextColor)
            writeRuns(xml, cell, colorOf);
        else
            appendTextElement(xml, cell.text);
        xml += "</is></c>";
        return true;
    }
    // Files keep a bare error only as a formula's result; a formula that is the error itself
    // reads back as that error.
    const QStringView formulaText = formula ? cell.formulaA1 : cell.text;
    switch (cell.kind) {
        case Kind::Text:
            xml += " t=\"str\"";
            break;
        case Kind::Boolean:
            xml += " t=\"b\"";
            break;
        case Kind::Error:
            xml += " t=\"e\"";
            break;
        case Kind::Empty:
        case Kind::Number:
            break;
    }
    xml += '>';
    if (formula || cell.kind == Kind::Error) {
        xml += "<f>";
        appendEscaped(xml, formulaText);
        xml += "</f>";
    }
    xml += "<v>";
    switch (cell.kind) {
        case Kind::Text:
        case Kind::Error:
            appendEscaped(xml, cell.text);
            break;
        case Kind::Boolean:
            xml += cell.number != 0 ? '1' : '0';
            break;
        case Kind::Empty:
        case Kind::Number:
            appendNumber(xml, cell.number);
            break;
    }
    xml += "</v></c>";
    return true;
}

// Neighbouring cells mostly share a format.
int SheetDataWriter::styleOf(int row, const CellView& cell, std::optional<int> wholeTextColor) {
    const auto unknown = [&] {
        return HostError(QStringLiteral("单元格 %1 的格式未登记").arg(cellName(row, cell.column)));
    };
    if (wholeTextColor) {
        const auto style = styles_.byWholeTextColor.find({cell.formatId, *wholeTextColor});
        if (style == styles_.byWholeTextColor.end()) throw unknown();
        return style->second;
    }
    if (cell.formatId == 0) return 0;
    if (cell.formatId == lastFormatId_) return lastStyle_;
    const auto style = styles_.byFormat.find(cell.formatId);
    if (style == styles_.byFormat.end()) throw unknown();
    lastFormatId_ = cell.formatId;
    lastStyle_ = style->second;
    return lastStyle_;
}

// A text in pieces of one colour each, every piece in the cell's font.
void SheetDataWriter::writeRuns(std::string& xml, const CellView& cell,
                                const std::vector<int>& colorOf) {
    const CellFormat& format = formatOf(cell.formatId);
    const QStringView text = cell.text;
    for (qsizetype begin = 0; begin < text.size();) {
        qsizetype end = begin + 1;
        while (end < text.size() && colorOf[std::size_t(end)] == colorOf[std::size_t(begin)])
            ++end;
        // Never split a surrogate pair between two pieces.
        if (end < text.size() && text[end].isLowSurrogate()) ++end;
        xml += "<r>";
        writeRunFont(xml, format, colorOf[std::size_t(begin)]);
        appendTextElement(xml, text.mid(begin, end - begin));
        xml += "</r>";
        begin = end;
    }
}

void SheetDataWriter::writeRunFont(std::string& xml, const CellFormat& format, int colorIndex) {
    xml += "<rPr>";
    if (format.bold) xml += "<b/>";
    xml += "<sz val=\"";
    appendNumber(
        xml, format.fontSize > 0 && format.fontSize != default_.fontSize ? format.fontSize : 11.0);
    xml += "\"/>";
    std::uint32_t color = 0;
    if (paletteColor(colorIndex, color))
        appendRgb(xml, color);
    else if (const auto cellColor = fontColorOf(format))
        appendRgb(xml, *cellColor);
    else
        xml += "<color theme=\"1\"/>";
    const bool defaultFont = format.fontName.isEmpty() || format.fontName == default_.fontName;
    xml += "<rFont val=\"";
    if (defaultFont)
        xml += "Calibri";
    else
        appendEscaped(xml, format.fontName);
    xml += "\"/><family val=\"2\"/>";
    if (defaultFont) xml += "<scheme val=\"minor\"/>";
    xml += "</rPr>";
}

}  // namespace tallimo::host::xlsx
