#include "TextEncoding.h"

#include <QStringDecoder>
#include <algorithm>

namespace tallimo::area {

namespace {

// Decodes strictly: nothing when a byte sequence is invalid or a character is one no text
// file holds. TAB, LF, CR, form feed and the old end-of-file mark are text; other control
// characters below U+0020 are taken for binary content.
std::optional<QString> strictly(QByteArrayView bytes, QStringDecoder decoder) {
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    const bool binary = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != 0x0C && u != 0x1A;
    });
    if (binary) return std::nullopt;
    return text;
}

QStringDecoder decoderFor(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return QStringDecoder(QStringDecoder::Utf8);
        case TextEncoding::Utf16LE:
            return QStringDecoder(QStringDecoder::Utf16LE);
        case TextEncoding::Utf16BE:
            return QStringDecoder(QStringDecoder::Utf16BE);
        case TextEncoding::Gb18030:
            break;
    }
    return QStringDecoder("GB18030");
}

QByteArrayView withoutMark(QByteArrayView bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8 && bytes.startsWith("\xEF\xBB\xBF")) return bytes.sliced(3);
    if ((encoding == TextEncoding::Utf16LE && bytes.startsWith("\xFF\xFE")) ||
        (encoding == TextEncoding::Utf16BE && bytes.startsWith("\xFE\xFF")))
        return bytes.sliced(2);
    return bytes;
}

bool decodes(QByteArrayView bytes, TextEncoding encoding) {
    return strictly(withoutMark(bytes, encoding), decoderFor(encoding)).has_value();
}

// UTF-16 without a mark: Latin and digits have a zero high byte, so zeros crowd into the even
// (big-endian) or the odd (little-endian) positions; the bulk of a ledger is digits.
std::optional<TextEncoding> utf16ByPattern(QByteArrayView bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0) return std::nullopt;
    const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 32768);
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        evenZeros += bytes[2 * i] == 0;
        oddZeros += bytes[2 * i + 1] == 0;
    }
    if (oddZeros * 4 >= pairs && evenZeros * 20 < oddZeros) return TextEncoding::Utf16LE;
    if (evenZeros * 4 >= pairs && oddZeros * 20 < evenZeros) return TextEncoding::Utf16BE;
    return std::nullopt;
}

}  // namespace

std::optional<TextEncoding> detectTextEncoding(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodes(bytes, TextEncoding::Utf8) ? std::optional(TextEncoding::Utf8)
                                                  : std::nullopt;
    for (const TextEncoding marked : {TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        if (withoutMark(bytes, marked).size() != bytes.size())
            return decodes(bytes, marked) ? std::optional(marked) : std::nullopt;
    }
    if (bytes.contains('\0')) {
        const std::optional<TextEncoding> unmarked = utf16ByPattern(bytes);
        if (unmarked && decodes(bytes, *unmarked)) return unmarked;
        return std::nullopt;
    }
    for (const TextEncoding plain : {TextEncoding::Utf8, TextEncoding::Gb18030})
        if (decodes(bytes, plain)) return plain;
    return std::nullopt;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding) {
    return decoderFor(encoding).decode(withoutMark(bytes, encoding));
}

}  // namespace tallimo::area
