#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 text as users see it, through utf8proc: validity, repair, user-perceived
// characters (extended grapheme clusters) and what is safe to print on a terminal.
namespace fray::UnicodeText {

// Every sequence well-formed: no stray or missing continuation bytes, overlong forms,
// surrogates or values past U+10FFFF.
bool isValid(std::string_view text);

// Each ill-formed subsequence (its maximal valid prefix, as web browsers decode) becomes
// U+FFFD; valid text comes back unchanged.
std::string repaired(std::string_view text);

// The first or last n user-perceived characters, never cutting one apart: a base letter
// with its marks, a Hangul syllable from its jamo, an emoji sequence, a flag. An
// ill-formed byte counts as one character.
std::string_view firstCharacters(std::string_view text, std::size_t n);
std::string_view lastCharacters(std::string_view text, std::size_t n);

// Terminal columns the text takes: 2 for wide East Asian characters, 0 for marks and
// controls, 1 for an ill-formed byte.
std::size_t displayWidth(std::string_view text);

// Control characters (C0, DEL and C1, CSI among them) and ill-formed bytes become "?".
std::string terminalSafe(std::string_view text);

// The length of the well-formed sequence `text` starts with; 0 when it starts ill-formed
// (or is empty).
std::size_t sequenceLength(std::string_view text);
// Appends the UTF-8 form of a code point (U+FFFD for one that is not a scalar value).
void append(std::string& out, char32_t codePoint);

// `text` as a JSON string literal: quotes, backslashes and every control character
// escaped, ill-formed bytes replaced with U+FFFD.
std::string jsonString(std::string_view text);

// One line of at most `n` characters: ill-formed bytes repaired, every run of control
// characters and white space a single space, none at either end.
std::string oneLine(std::string_view text, std::size_t n);

} // namespace fray::UnicodeText
