#include "JsonObjectText.h"

#include "session/UnicodeText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace fray::JsonObjectText {

namespace {

constexpr std::size_t bad = std::string_view::npos;

std::size_t skipSpace(std::string_view s, std::size_t i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        ++i;
    return i;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Length of the well-formed UTF-8 sequence at s[i] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0.
// Past the string token starting at the quote at s[i].
std::size_t skipString(std::string_view s, std::size_t i) {
    for (++i; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"') return i + 1;
        if (c < 0x20) return bad;
        if (c == '\\') {
            if (i + 1 >= s.size()) return bad;
            const char e = s[i + 1];
            if (e == 'u') {
                if (i + 6 > s.size()) return bad;
                for (std::size_t k = 2; k < 6; ++k)
                    if (!isHex(s[i + k])) return bad;
                i += 6;
            } else if (e == '"' || e == '\\' || e == '/' || e == 'b' || e == 'f' || e == 'n' || e == 'r' ||
                       e == 't') {
                i += 2;
            } else {
                return bad;
            }
            continue;
        }
        const std::size_t n = UnicodeText::sequenceLength(s.substr(i));
        if (!n) return bad;
        i += n;
    }
    return bad;
}

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    return i;
}

std::size_t skipNumber(std::string_view s, std::size_t i) {
    if (i < s.size() && s[i] == '-') ++i;
    if (i >= s.size()) return bad;
    if (s[i] == '0')
        ++i;
    else if (s[i] >= '1' && s[i] <= '9')
        i = skipDigits(s, i);
    else
        return bad;
    if (i < s.size() && s[i] == '.') {
        const std::size_t from = ++i;
        if ((i = skipDigits(s, i)) == from) return bad;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t from = i;
        if ((i = skipDigits(s, i)) == from) return bad;
    }
    return i;
}

// Past `"key" :` at s[i] (after white space), the key's token in `key`.
std::size_t skipKey(std::string_view s, std::size_t i, std::string_view* key = nullptr) {
    i = skipSpace(s, i);
    if (i >= s.size() || s[i] != '"') return bad;
    const std::size_t end = skipString(s, i);
    if (end == bad) return bad;
    if (key) *key = s.substr(i, end - i);
    i = skipSpace(s, end);
    if (i >= s.size() || s[i] != ':') return bad;
    return i + 1;
}

// Past the one value that begins at s[i] (after white space). Containers are tracked on
// a stack of their own, so depth costs memory in proportion to the text, never the C stack.
std::size_t skipValue(std::string_view s, std::size_t i) {
    std::vector<char> open;
    for (;;) {
        i = skipSpace(s, i);
        if (i >= s.size()) return bad;
        const char c = s[i];
        if (c == '{' || c == '[') {
            const std::size_t next = skipSpace(s, i + 1);
            if (next < s.size() && s[next] == (c == '{' ? '}' : ']')) {
                i = next + 1;
            } else {
                open.push_back(c);
                i = c == '{' ? skipKey(s, i + 1) : i + 1;
                if (i == bad) return bad;
                continue;
            }
        } else if (c == '"') {
            i = skipString(s, i);
        } else if (s.substr(i, 4) == "true" || s.substr(i, 4) == "null") {
            i += 4;
        } else if (s.substr(i, 5) == "false") {
            i += 5;
        } else {
            i = skipNumber(s, i);
        }
        if (i == bad) return bad;
        // After a value: close what ends here, or go on to the next element.
        for (;;) {
            if (open.empty()) return i;
            i = skipSpace(s, i);
            if (i >= s.size()) return bad;
            if (s[i] == (open.back() == '{' ? '}' : ']')) {
                ++i;
                open.pop_back();
                continue;
            }
            if (s[i] != ',') return bad;
            i = open.back() == '{' ? skipKey(s, i + 1) : i + 1;
            if (i == bad) return bad;
            break;
        }
    }
}

std::uint32_t hex4(std::string_view s) {
    std::uint32_t v = 0;
    std::from_chars(s.data(), s.data() + 4, v, 16);
    return v;
}

} // namespace

std::optional<std::vector<Member>> parse(std::string_view text) {
    std::size_t i = text.substr(0, byteOrderMark.size()) == byteOrderMark ? byteOrderMark.size() : 0;
    i = skipSpace(text, i);
    if (i >= text.size() || text[i] != '{') return std::nullopt;
    std::vector<Member> members;
    i = skipSpace(text, i + 1);
    if (i < text.size() && text[i] == '}') {
        ++i;
    } else {
        for (;;) {
            std::string_view key;
            i = skipKey(text, i, &key);
            if (i == bad) return std::nullopt;
            const std::size_t from = skipSpace(text, i);
            i = skipValue(text, from);
            if (i == bad) return std::nullopt;
            members.push_back({decodeString(key), text.substr(from, i - from)});
            i = skipSpace(text, i);
            if (i >= text.size()) return std::nullopt;
            if (text[i] == '}') {
                ++i;
                break;
            }
            if (text[i] != ',') return std::nullopt;
            ++i;
        }
    }
    if (skipSpace(text, i) != text.size()) return std::nullopt;
    return members;
}

std::string decodeString(std::string_view raw) {
    std::string out;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        if (raw[i] != '\\') {
            out += raw[i];
            continue;
        }
        const char e = raw[++i];
        switch (e) {
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            std::uint32_t cp = hex4(raw.substr(i + 1, 4));
            i += 4;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 6 < raw.size() && raw[i + 1] == '\\' &&
                raw[i + 2] == 'u') {
                const std::uint32_t low = hex4(raw.substr(i + 3, 4));
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    i += 6;
                }
            }
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
            UnicodeText::append(out, cp);
            break;
        }
        default: // '"', '\\' and '/'
            out += e;
        }
    }
    return out;
}

std::optional<double> number(std::string_view raw) {
    double v = 0;
    // from_chars, unlike strtod, ignores the locale the application may have set.
    auto [end, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), v);
    if (ec != std::errc() || end != raw.data() + raw.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::string> numberText(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) return std::nullopt;
    return std::string(buf, end);
}

} // namespace fray::JsonObjectText
