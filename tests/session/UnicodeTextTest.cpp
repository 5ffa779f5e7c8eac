#include "session/UnicodeText.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace fray;

namespace {
const std::string fffd = "\xef\xbf\xbd";
const std::string thaiKi = "\xe0\xb8\x81\xe0\xb8\xb5\xe0\xb9\x88";        // ก ี ่: one character
const std::string hanDecomposed = "\xe1\x84\x92\xe1\x85\xa1\xe1\x86\xab"; // 한 as three jamo
const std::string bengaliKi = "\xe0\xa6\x95\xe0\xa6\xbf";                 // কি, a vowel sign after
const std::string flagDE = "\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa";
const std::string womanTechnologist = "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb";
} // namespace

// The grapheme rules themselves are utf8proc's: these rows check that its state is carried
// within a character and started afresh after one, and that an ill-formed byte stands alone.
TEST(UnicodeText, CharactersAreWhatUsersSee) {
    for (auto [name, text, n, first] : {
             std::tuple<const char*, std::string, std::size_t, std::string>{"ShorterThanAsked", "short", 22,
                                                                            "short"},
             {"CombiningAccent", std::string("e\xcc\x81") + "abc", 1, "e\xcc\x81"},
             {"FlagsPairUp", flagDE + "\xf0\x9f\x87\xab", 1, flagDE},
             {"ZeroWidthJoiner", womanTechnologist + "!", 1, womanTechnologist},
             // Scripts whose marks a code-point count once split (titles came out half as long).
             {"ThaiMarks", thaiKi + thaiKi + "x", 2, thaiKi + thaiKi},
             {"DecomposedHangul", hanDecomposed + hanDecomposed, 1, hanDecomposed},
             {"BengaliVowelSign", bengaliKi + "x", 1, bengaliKi},
             {"IllFormedByteIsOne", std::string("\xff") + "ab", 2, std::string("\xff") + "a"},
         }) {
        EXPECT_EQ(UnicodeText::firstCharacters(text, n), first) << name;
        // Cutting from the end keeps the same units whole.
        const std::string tail(UnicodeText::lastCharacters(text, 1));
        EXPECT_EQ(UnicodeText::lastCharacters(first + tail, 1), tail) << name;
    }
    EXPECT_EQ(UnicodeText::lastCharacters("x" + flagDE + womanTechnologist, 2), flagDE + womanTechnologist);
    EXPECT_EQ(UnicodeText::lastCharacters("abc", 0), "");
}

TEST(UnicodeText, RepairReplacesEachMaximalIllFormedPart) {
    for (auto [name, in, out] : {
             std::tuple<const char*, std::string, std::string>{"Valid", "h\xc3\xa9llo " + flagDE,
                                                               "h\xc3\xa9llo " + flagDE},
             {"CutSequence", "\xe2\x82z", fffd + "z"},
             {"Overlong", "\xc0\xaf", fffd + fffd},
             {"Surrogate", "\xed\xa0\x80", fffd + fffd + fffd},
             {"CutAtTheEnd", "ok\xf0\x9f", "ok" + fffd},
         }) {
        EXPECT_EQ(UnicodeText::repaired(in), out) << name;
        EXPECT_EQ(UnicodeText::isValid(in), in == out) << name;
        EXPECT_TRUE(UnicodeText::isValid(UnicodeText::repaired(in))) << name;
    }
}

// What reaches a terminal can carry no escape sequence; ill-formed bytes show, one '?' each.
TEST(UnicodeText, TerminalsSeeNoControls) {
    for (auto [in, out] : {std::pair<std::string, std::string>{"plain-name", "plain-name"},
                           {"evil\x1b]0;owned\x07", "evil?]0;owned?"},
                           {"tab\tnew\nline\x7f", "tab?new?line?"},
                           {std::string("csi\xc2\x9b") + "2J", "csi?2J"}, // C1 control U+009B
                           {"caf\xc3\xa9 \xe2\x9c\x93", "caf\xc3\xa9 \xe2\x9c\x93"},
                           {"bad\xff\xc3", "bad??"}})
        EXPECT_EQ(UnicodeText::terminalSafe(in), out);
}
