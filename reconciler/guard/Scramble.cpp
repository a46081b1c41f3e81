#include "Scramble.h"

#include <string_view>

namespace tallimo::reconciler {

namespace {

constexpr std::string_view scrambleKey = "wk!*&(#&(#&5.[{;~)=";

// XOR passes commute, so the key's passes over a byte (in either order) are one XOR with the
// combination of its characters; both bytes of a code unit get it.
constexpr char16_t unitMask() {
    unsigned combined = 0;
    for (const char c : scrambleKey)
        combined ^= static_cast<unsigned char>(c);
    return static_cast<char16_t>(combined | (combined << 8));
}

}  // namespace

QString scrambleText(const QString& text, ScrambleMode /*mode: both directions are one XOR*/) {
    QString result(text.size(), Qt::Uninitialized);
    constexpr char16_t mask = unitMask();
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = QChar(static_cast<char16_t>(text[i].unicode() ^ mask));
    return result;
}

}  // namespace tallimo::reconciler
