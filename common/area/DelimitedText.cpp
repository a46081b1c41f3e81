#include "DelimitedText.h"

#include "TextEncoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace tallimo::area {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Walks the fields of delimited text one by one, over UTF-16 (char16_t) or over UTF-8 bytes
// (char): quotes, delimiters and line ends are ASCII either way. A field is a view into the text
// wherever it can be: every unquoted field, and a quoted one whose quotes only enclose it. Only a
// field with "" inside or text after its closing quote is put together in one reused buffer, so
// a million-line file costs no allocation per field.
template <typename Char>
class FieldScanner {
public:
    using View = std::basic_string_view<Char>;

    FieldScanner(View text, char16_t delimiter) : text_(text), delimiter_(Char(delimiter)) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Reads the next field into field(); returns true when it ended its line (or the text).
    bool next() {
        const std::size_t start = pos_;
        const std::size_t size = text_.size();
        if (start < size && text_[start] == Char('"')) {
            const std::size_t close = text_.find(Char('"'), start + 1);
            if (close != View::npos && (close + 1 == size || endsField(text_[close + 1]))) {
                field_ = text_.substr(start + 1, close - start - 1);
                return finishAt(close + 1);
            }
            return nextPieceByPiece();
        }
        const Char* chars = text_.data();
        std::size_t end = start;
        while (end < size && !endsField(chars[end]))
            ++end;
        field_ = text_.substr(start, end - start);
        return finishAt(end);
    }

    // Skips to the start of the next line, honouring quoted line breaks.
    void skipLine() {
        while (!next()) {
        }
    }

    View field() const { return field_; }

private:
    bool endsField(Char c) const { return c == delimiter_ || c == Char('\n') || c == Char('\r'); }

    // Steps over the delimiter or line end at `at`; true when the line (or the text) ended.
    bool finishAt(std::size_t at) {
        if (at >= text_.size()) {
            pos_ = at;
            return true;
        }
        const Char c = text_[at];
        if (c == delimiter_) {
            pos_ = at + 1;
            return false;
        }
        const bool crLf = c == Char('\r') && at + 1 < text_.size() && text_[at + 1] == Char('\n');
        pos_ = at + (crLf ? 2 : 1);
        return true;
    }

    // A quoted field that no view can show: "" inside, text after the closing quote, or no
    // closing quote at all (the field then runs to the end of the text).
    bool nextPieceByPiece() {
        buffer_.clear();
        bool quoted = false;
        while (pos_ < text_.size()) {
            const Char c = text_[pos_];
            if (quoted) {
                ++pos_;
                if (c != Char('"')) {
                    buffer_.push_back(c);
                } else if (pos_ < text_.size() && text_[pos_] == Char('"')) {
                    buffer_.push_back(c);
                    ++pos_;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (endsField(c)) {
                field_ = buffer_;
                return finishAt(pos_);
            }
            ++pos_;
            if (c == Char('"') && buffer_.empty()) {
                quoted = true;
            } else {
                buffer_.push_back(c);
            }
        }
        field_ = buffer_;
        return true;
    }

    View text_;
    Char delimiter_;
    std::size_t pos_ = 0;
    View field_;
    std::basic_string<Char> buffer_;
};

// Hands every cell of the block to visit(row, column, field), 0-based inside the block.
template <typename Char, typename Visit>
void walkBlock(FieldScanner<Char>& scanner, const host::CellRect& block, const Visit& visit) {
    const int columns = block.columnCount();
    int row = 1;
    for (; row < block.top && !scanner.atEnd(); ++row)
        scanner.skipLine();
    for (; row <= block.bottom && !scanner.atEnd(); ++row) {
        int column = 1;
        bool lineEnded = false;
        while (!lineEnded) {
            lineEnded = scanner.next();
            if (column >= block.left && column <= block.right)
                visit(row - block.top, column - block.left, scanner.field());
            ++column;
        }
        // A short line's missing cells are empty.
        for (int c = std::max(column, block.left); c <= block.right; ++c)
            visit(row - block.top, c - block.left, {});
    }
    for (; row <= block.bottom; ++row)
        for (int c = 0; c < columns; ++c)
            visit(row - block.top, c, {});
}

// From the first to the last row and column holding a field that is not empty.
template <typename Char>
std::optional<host::CellRect> usedAreaOf(FieldScanner<Char>& scanner) {
    std::optional<host::CellRect> used;
    int row = 1, column = 1;
    while (!scanner.atEnd() && row <= host::kMaxRows) {
        const bool lineEnded = scanner.next();
        if (!scanner.field().empty() && column <= host::kMaxColumns) {
            if (!used) used = host::CellRect{row, column, row, column};
            used->left = std::min(used->left, column);
            used->right = std::max(used->right, column);
            used->bottom = row;
        }
        if (lineEnded) {
            ++row;
            column = 1;
        } else {
            ++column;
        }
    }
    return used;
}

// Well-formed UTF-8 appended as UTF-16 to `out`, which is cleared first.
void decodeWellFormedUtf8(std::string_view bytes, QString& out) {
    out.resize(qsizetype(bytes.size()));  // never more UTF-16 units than bytes
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    char16_t* const start = to;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned lead = *p;
        if (lead < 0x80) {
            *to++ = char16_t(lead);
            ++p;
        } else if (lead < 0xE0) {
            *to++ = char16_t(((lead & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (lead < 0xF0) {
            *to++ = char16_t(((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else {
            const char32_t code = ((lead & 0x07) << 18) | ((p[1] & 0x3F) << 12) |
                                  ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            *to++ = char16_t(0xD800 + ((code - 0x10000) >> 10));
            *to++ = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
            p += 4;
        }
    }
    out.truncate(to - start);
}

}  // namespace

QString decodeDelimitedFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    }
    const bool utf8Mark = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes).sliced(utf8Mark ? 3 : 0));
    if (utf8Mark || !utf8.hasError()) return text;
    return QStringDecoder("GB18030").decode(bytes);
}

void visitDelimitedBlock(QStringView text, QChar delimiter, const host::CellRect& block,
                         const BlockCellVisitor& visit) {
    FieldScanner<char16_t> scanner({text.utf16(), std::size_t(text.size())}, delimiter.unicode());
    walkBlock(scanner, block, [&](int row, int column, std::u16string_view field) {
        visit(row, column, QStringView(field.data(), qsizetype(field.size())));
    });
}

void visitDelimitedFile(QByteArrayView bytes, QChar delimiter, const host::CellRect& block,
                        const BlockCellVisitor& visit) {
    std::string_view text(bytes.data(), std::size_t(bytes.size()));
    // The decoder skips one mark after the one cut off, so both go.
    for (int mark = 0; mark < 2 && text.starts_with(kUtf8Mark); ++mark)
        text.remove_prefix(kUtf8Mark.size());
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (utf16 || delimiter.unicode() >= 0x80 || !isWellFormedUtf8(text)) {
        const QString decoded = decodeDelimitedFile(bytes.toByteArray());
        visitDelimitedBlock(decoded, delimiter, block, visit);
        return;
    }
    // Well-formed UTF-8 (nearly every file) is read where it lies, each field decoded on its own
    // into one reused buffer: no decoded copy of the whole file.
    FieldScanner<char> scanner(text, delimiter.unicode());
    QString field;
    walkBlock(scanner, block, [&](int row, int column, std::string_view bytesOfField) {
        decodeWellFormedUtf8(bytesOfField, field);
        visit(row, column, field);
    });
}

TextGrid readDelimitedBlock(QStringView text, QChar delimiter, const host::CellRect& block) {
    TextGrid grid(block.columnCount());
    grid.reserve(block.rowCount(), 0);
    const int lastColumn = block.columnCount() - 1;
    visitDelimitedBlock(text, delimiter, block, [&](int, int column, QStringView cell) {
        grid.addCell(cell);
        if (column == lastColumn) grid.endRow();
    });
    return grid;
}

std::optional<host::CellRect> usedDelimitedArea(QStringView text, QChar delimiter) {
    FieldScanner<char16_t> scanner({text.utf16(), std::size_t(text.size())}, delimiter.unicode());
    return usedAreaOf(scanner);
}

std::optional<host::CellRect> usedDelimitedFileArea(QByteArrayView bytes, QChar delimiter) {
    std::string_view text(bytes.data(), std::size_t(bytes.size()));
    for (int mark = 0; mark < 2 && text.starts_with(kUtf8Mark); ++mark)
        text.remove_prefix(kUtf8Mark.size());
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (utf16 || delimiter.unicode() >= 0x80 || !isWellFormedUtf8(text))
        return usedDelimitedArea(decodeDelimitedFile(bytes.toByteArray()), delimiter);
    FieldScanner<char> scanner(text, delimiter.unicode());
    return usedAreaOf(scanner);
}

}  // namespace tallimo::area
