#include "DelimitedText.h"

#include <QStringDecoder>

namespace tallimo::area {

namespace {

// Walks the fields of delimited text one by one. The field's text is kept in one reused buffer,
// so a million-line file costs no allocation per field.
class FieldScanner {
public:
    FieldScanner(QStringView text, QChar delimiter) : text_(text), delimiter_(delimiter) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Reads the next field into field(); returns true when it ended its line (or the text).
    bool next() {
        field_.clear();
        bool quoted = false;
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (quoted) {
                ++pos_;
                if (c != u'"') {
                    field_.append(c);
                } else if (pos_ < text_.size() && text_[pos_] == u'"') {
                    field_.append(c);
                    ++pos_;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == delimiter_) {
                ++pos_;
                return false;
            }
            if (c == u'\n' || c == u'\r') {
                const bool crLf = c == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n';
                pos_ += crLf ? 2 : 1;
                return true;
            }
            ++pos_;
            if (c == u'"' && field_.isEmpty()) {
                quoted = true;
            } else {
                field_.append(c);
            }
        }
        return true;
    }

    // Skips to the start of the next line, honouring quoted line breaks.
    void skipLine() {
        while (!next()) {
        }
    }

    QStringView field() const { return field_; }

private:
    QStringView text_;
    QChar delimiter_;
    qsizetype pos_ = 0;
    QString field_;
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

TextGrid readDelimitedBlock(QStringView text, QChar delimiter, const host::CellRect& block) {
    TextGrid grid(block.columnCount());
    grid.reserve(block.rowCount(), 0);
    FieldScanner scanner(text, delimiter);
    int row = 1;
    for (; row < block.top && !scanner.atEnd(); ++row)
        scanner.skipLine();
    for (; row <= block.bottom && !scanner.atEnd(); ++row) {
        int column = 1;
        bool lineEnded = false;
        while (!lineEnded) {
            lineEnded = scanner.next();
            if (column >= block.left && column <= block.right) grid.addCell(scanner.field());
            ++column;
        }
        grid.endRow();
    }
    for (; row <= block.bottom; ++row)
        grid.endRow();
    return grid;
}

}  // namespace tallimo::area
