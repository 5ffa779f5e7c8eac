#include "UnicodeText.h"

#include <utf8proc.h>

#include <algorithm>
#include <vector>

namespace fray::UnicodeText {

namespace {

struct Step {
    utf8proc_int32_t codePoint; // -1 for an ill-formed subsequence
    std::size_t length;
};

// How many bytes at the start of `s` form the longest prefix of some well-formed sequence
// (at least 1): the unit one U+FFFD stands for.
std::size_t maximalSubpart(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    std::size_t need;
    unsigned char lo = 0x80, hi = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF)
        need = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        need = 3, lo = lead == 0xE0 ? 0xA0 : 0x80, hi = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4)
        need = 4, lo = lead == 0xF0 ? 0x90 : 0x80, hi = lead == 0xF4 ? 0x8F : 0xBF;
    else
        return 1;
    std::size_t n = 1;
    while (n < need && n < s.size() && b(n) >= (n == 1 ? lo : 0x80) && b(n) <= (n == 1 ? hi : 0xBF))
        ++n;
    return n;
}

Step next(std::string_view s) {
    utf8proc_int32_t cp = 0;
    const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data()),
                                    static_cast<utf8proc_ssize_t>(s.size()), &cp);
    if (n > 0) return {cp, static_cast<std::size_t>(n)};
    return {-1, maximalSubpart(s)};
}

// Byte offsets where user-perceived characters begin, and the end, up to `limit` starts.
std::vector<std::size_t> characterStarts(std::string_view text, std::size_t limit) {
    std::vector<std::size_t> starts;
    utf8proc_int32_t state = 0, previous = -1;
    std::size_t i = 0;
    while (i < text.size()) {
        const Step step = next(text.substr(i));
        const bool breaks = previous < 0 || step.codePoint < 0 ||
                            utf8proc_grapheme_break_stateful(previous, step.codePoint, &state);
        if (breaks) {
            if (starts.size() == limit) break;
            starts.push_back(i);
            state = 0;
        }
        previous = step.codePoint;
        i += step.length;
    }
    starts.push_back(i);
    return starts;
}

} // namespace

bool isValid(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Step step = next(text.substr(i));
        if (step.codePoint < 0) return false;
        i += step.length;
    }
    return true;
}

std::string repaired(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Step step = next(text.substr(i));
        if (step.codePoint < 0)
            out += "\xEF\xBF\xBD";
        else
            out.append(text.substr(i, step.length));
        i += step.length;
    }
    return out;
}

std::string_view firstCharacters(std::string_view text, std::size_t n) {
    return text.substr(0, characterStarts(text, n).back());
}

std::string_view lastCharacters(std::string_view text, std::size_t n) {
    const auto starts = characterStarts(text, std::string_view::npos);
    const std::size_t count = starts.size() - 1;
    return count <= n ? text : text.substr(starts[count - n]);
}

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Step step = next(text.substr(i));
        width += step.codePoint < 0
                     ? 1
                     : static_cast<std::size_t>(std::max(0, utf8proc_charwidth(step.codePoint)));
        i += step.length;
    }
    return width;
}

std::string terminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Step step = next(text.substr(i));
        if (step.codePoint < 0)
            out.append(step.length, '?'); // byte for byte, so nothing is hidden
        else if (utf8proc_category(step.codePoint) == UTF8PROC_CATEGORY_CC)
            out += '?';
        else
            out.append(text.substr(i, step.length));
        i += step.length;
    }
    return out;
}

std::string oneLine(std::string_view text, std::size_t n) {
    const std::string valid = repaired(text);
    std::string out;
    out.reserve(std::min(valid.size(), n * 4));
    bool space = false;
    for (std::size_t i = 0; i < valid.size();) {
        const Step step = next(std::string_view(valid).substr(i));
        const auto category = utf8proc_category(step.codePoint);
        const bool blank = category == UTF8PROC_CATEGORY_CC || category == UTF8PROC_CATEGORY_ZS ||
                           category == UTF8PROC_CATEGORY_ZL || category == UTF8PROC_CATEGORY_ZP;
        if (blank) {
            space = !out.empty();
        } else {
            if (space) out += ' ';
            space = false;
            out.append(valid, i, step.length);
        }
        i += step.length;
    }
    return std::string(firstCharacters(out, n));
}

std::size_t sequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    const Step step = next(text);
    return step.codePoint < 0 ? 0 : step.length;
}

void append(std::string& out, char32_t codePoint) {
    utf8proc_uint8_t buf[4];
    const auto cp =
        utf8proc_codepoint_valid(utf8proc_int32_t(codePoint)) ? utf8proc_int32_t(codePoint) : 0xFFFD;
    out.append(reinterpret_cast<const char*>(buf), std::size_t(utf8proc_encode_char(cp, buf)));
}

std::string jsonString(std::string_view text) {
    const std::string valid = repaired(text);
    std::string out = "\"";
    out.reserve(valid.size() + 2);
    for (unsigned char c : valid) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                static const char digits[] = "0123456789abcdef";
                out += "\\u00";
                out += digits[c >> 4];
                out += digits[c & 15];
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

} // namespace fray::UnicodeText
