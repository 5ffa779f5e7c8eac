#include "TextCut.h"

namespace fray {

namespace {

// Decodes one code point at s[i]; advances i. Invalid bytes count as one code point each.
char32_t decode(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (c >= 0x80 && c < 0xC0) len = 1;
    if (i + len > s.size()) len = 1;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return cp;
}

bool extends(char32_t cp) {
    return (cp >= 0x0300 && cp <= 0x036F) ||                                   // combining diacritical marks
           (cp >= 0x0483 && cp <= 0x0489) ||                                   // Cyrillic combining
           (cp >= 0x0591 && cp <= 0x05BD) ||                                   // Hebrew points
           (cp >= 0x0610 && cp <= 0x061A) || (cp >= 0x064B && cp <= 0x065F) || // Arabic marks
           (cp >= 0x0900 && cp <= 0x0903) || (cp >= 0x093A && cp <= 0x094F) || // Devanagari signs
           (cp >= 0x1AB0 && cp <= 0x1AFF) || (cp >= 0x1DC0 && cp <= 0x1DFF) ||
           (cp >= 0x200C && cp <= 0x200D) || // ZWNJ, ZWJ
           (cp >= 0x20D0 && cp <= 0x20FF) || // combining marks for symbols (keycaps)
           (cp >= 0xFE00 && cp <= 0xFE0F) || // variation selectors
           (cp >= 0xFE20 && cp <= 0xFE2F) || (cp >= 0x1F3FB && cp <= 0x1F3FF) || // emoji skin-tone modifiers
           (cp >= 0xE0020 && cp <= 0xE007F) ||                                   // tags (subdivision flags)
           (cp >= 0xE0100 && cp <= 0xE01EF); // variation selectors supplement
}

bool isRegionalIndicator(char32_t cp) {
    return cp >= 0x1F1E6 && cp <= 0x1F1FF;
}

} // namespace

std::string_view firstCharacters(std::string_view text, std::size_t n) {
    std::size_t i = 0;
    std::size_t count = 0;
    while (i < text.size()) {
        // i is at the start of a character; stop before taking one too many.
        if (count == n) break;
        const char32_t base = decode(text, i);
        ++count;
        if (base == '\r' && i < text.size() && text[i] == '\n') {
            ++i;
            continue;
        }
        bool pairedFlag = false;
        while (i < text.size()) {
            std::size_t j = i;
            const char32_t next = decode(text, j);
            if (extends(next)) {
                i = j;
                if (next == 0x200D && i < text.size()) decode(text, i); // joined to what follows
                continue;
            }
            if (isRegionalIndicator(base) && isRegionalIndicator(next) && !pairedFlag) {
                pairedFlag = true;
                i = j;
                continue;
            }
            break;
        }
    }
    return text.substr(0, i);
}

} // namespace fray
