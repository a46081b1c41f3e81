#include "TextEncoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tallimo::area {

namespace {

bool isForeignControl(char16_t u) {
    return u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != 0x0C && u != 0x1A;
}

// Decodes strictly: nothing when a byte sequence is invalid or a character is one no text
// file holds. TAB, LF, CR, form feed and the old end-of-file mark are text; other control
// characters below U+0020 are taken for binary content.
std::optional<QString> strictly(QByteArrayView bytes, QStringDecoder decoder) {
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    const bool binary = std::any_of(text.cbegin(), text.cend(),
                                    [](QChar c) { return isForeignControl(c.unicode()); });
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
    const QByteArrayView text = withoutMark(bytes, encoding);
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE)
        return strictly(text, decoderFor(encoding)).has_value();
    // In UTF-8 and GB18030 a control character is a byte of its own and no part of a longer
    // sequence, so the bytes are checked where they lie, without a decoded copy of the file.
    if (std::any_of(text.begin(), text.end(),
                    [](char c) { return isForeignControl(char16_t(std::uint8_t(c))); }))
        return false;
    if (encoding == TextEncoding::Utf8)
        return isWellFormedUtf8({text.data(), std::size_t(text.size())});
    QStringDecoder decoder = decoderFor(encoding);
    const QString decoded = decoder.decode(text);  // the decoder only runs into a result
    return !decoder.hasError();
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

bool isWellFormedUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: the bulk of any ledger.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) return false;
        for (int i = 2; i < length; ++i)
            if (p[i] < 0x80 || p[i] > 0xBF) return false;
        p += length;
    }
    return true;
}

}  // namespace tallimo::area
