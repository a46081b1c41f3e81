#include "DelimitedText.h"

#include <QStringDecoder>
#include <algorithm>

namespace tallimo::area {

namespace {

// Walks the fields of delimited text one by one. A field is a view into the text wherever it can
// be: every unquoted field, and a quoted one whose quotes only enclose it. Only a field with ""
// inside or text after its closing quote is put together in one reused buffer, so a million-line
// file costs no allocation per field.
class FieldScanner {
public:
    FieldScanner(QStringView text, QChar delimiter)
        : text_(text), delimiter_(delimiter.unicode()) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Reads the next field into field(); returns true when it ended its line (or the text).
    bool next() {
        const qsizetype start = pos_;
        const qsizetype size = text_.size();
        if (start < size && text_[start] == u'"') {
            const qsizetype close = text_.indexOf(u'"', start + 1);
            if (close >= 0 && (close + 1 == size || endsField(text_[close + 1].unicode()))) {
                field_ = text_.sliced(start + 1, close - start - 1);
                return finishAt(close + 1);
            }
            return nextPieceByPiece();
        }
        const char16_t* chars = text_.utf16();
        qsizetype end = start;
        while (end < size && !endsField(chars[end]))
            ++end;
        field_ = text_.sliced(start, end - start);
        return finishAt(end);
    }

    // Skips to the start of the next line, honouring quoted line breaks.
    void skipLine() {
        while (!next()) {
        }
    }

    QStringView field() const { return field_; }

private:
    bool endsField(char16_t c) const { return c == delimiter_ || c == u'\n' || c == u'\r'; }

    // Steps over the delimiter or line end at `at`; true when the line (or the text) ended.
    bool finishAt(qsizetype at) {
        if (at >= text_.size()) {
            pos_ = at;
            return true;
        }
        const QChar c = text_[at];
        if (c == delimiter_) {
            pos_ = at + 1;
            return false;
        }
        const bool crLf = c == u'\r' && at + 1 < text_.size() && text_[at + 1] == u'\n';
        pos_ = at + (crLf ? 2 : 1);
        return true;
    }

    // A quoted field that no view can show: "" inside, text after the closing quote, or no
    // closing quote at all (the field then runs to the end of the text).
    bool nextPieceByPiece() {
        buffer_.clear();
        bool quoted = false;
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (quoted) {
                ++pos_;
                if (c != u'"') {
                    buffer_.append(c);
                } else if (pos_ < text_.size() && text_[pos_] == u'"') {
                    buffer_.append(c);
                    ++pos_;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == delimiter_ || c == u'\n' || c == u'\r') {
                field_ = buffer_;
                return finishAt(pos_);
            }
            ++pos_;
            if (c == u'"' && buffer_.isEmpty()) {
                quoted = true;
            } else {
                buffer_.append(c);
            }
        }
        field_ = buffer_;
        return true;
    }

    QStringView text_;
    char16_t delimiter_;
    qsizetype pos_ = 0;
    QStringView field_;
    QString buffer_;
};

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
    const int columns = block.columnCount();
    FieldScanner scanner(text, delimiter);
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

}  // namespace tallimo::area
