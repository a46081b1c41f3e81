#include "Scramble.h"

#include <string_view>

namespace tallimo::reconciler {

QString scrambleText(const QString& text, ScrambleMode mode) {
    static constexpr std::string_view kKey = "wk!*&(#&(#&5.[{;~)=";
    // XOR passes commute: the key in either order folds into one mask per byte. Unscrambling
    // takes the key's characters in reverse order, which gives the same mask.
    unsigned char mask = 0;
    if (mode == ScrambleMode::Scramble) {
        for (const char c : kKey)
            mask ^= static_cast<unsigned char>(c);
    } else {
        for (auto c = kKey.rbegin(); c != kKey.rend(); ++c)
            mask ^= static_cast<unsigned char>(*c);
    }
    QString result = text;
    for (QChar& unit : result) {
        const char16_t u = unit.unicode();
        const auto low = static_cast<unsigned char>((u & 0xFF) ^ mask);
        const auto high = static_cast<unsigned char>((u >> 8) ^ mask);
        unit = QChar(static_cast<char16_t>(low | (high << 8)));
    }
    return result;
}

}  // namespace tallimo::reconciler
