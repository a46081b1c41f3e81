#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <string_view>

namespace tallimo::area {

enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Gb18030 };

// How the bytes of a text file are encoded, tried in this order, each decoding strictly: UTF-8
// after its byte-order mark, UTF-16 after its mark, UTF-16 without a mark when its bytes show
// the pattern of one (every other byte zero for Latin text), UTF-8, GB18030. Nothing when no
// encoding decodes the bytes or they hold control characters no text holds (a NUL, the
// content of a binary file).
std::optional<TextEncoding> detectTextEncoding(QByteArrayView bytes);

// The text, without a byte-order mark.
QString decodeText(QByteArrayView bytes, TextEncoding encoding);

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms, no surrogates,
// nothing past U+10FFFF, no sequence cut short.
bool isWellFormedUtf8(std::string_view bytes);

}  // namespace tallimo::area
