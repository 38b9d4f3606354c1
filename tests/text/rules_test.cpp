#include "text/text.h"

#include <gtest/gtest.h>

using namespace lumacite::text;

namespace {

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(trim(std::string("\x01\x1F x \x00", 6)), "x");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trim(""), "");
    // The full-width space U+3000 is not a control character and stays.
    EXPECT_EQ(trim("\u3000中\u3000 "), "\u3000中\u3000");
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
    EXPECT_EQ(replace_all("a'b'c", "'", "\u2032"), "a\u2032b\u2032c");
    EXPECT_EQ(replace_all("肿瘤 肿瘤", "肿瘤", "癌"), "癌 癌");
    EXPECT_EQ(replace_all("abc", "x", "y"), "abc");
    EXPECT_EQ(replace_all("*Neoplasms/*therapy", "*", ""), "Neoplasms/therapy");
}

TEST(ReplaceAll, LooksAgainFromTheStartAfterEachReplacement) {
    // Removing "ab" from "aabb" forms a new "ab", which is removed as well.
    EXPECT_EQ(replace_all("aabb", "ab", ""), "");
    // "aa" -> "a" keeps collapsing.
    EXPECT_EQ(replace_all("aaaa", "aa", "a"), "a");
    EXPECT_EQ(replace_all("  x   y", "  ", " "), " x y");
}

TEST(ReplaceAll, DoesNothingWhenSearchIsEmptyOrInsideTheReplacement) {
    EXPECT_EQ(replace_all("abc", "", "x"), "abc");
    EXPECT_EQ(replace_all("abc", "b", "bb"), "abc");
    EXPECT_EQ(replace_all("abc", "b", "abc"), "abc");
}

TEST(ReplaceAll, StopsWhenTheTextWouldGrowPastTheBound) {
    // In "aab", "ab" -> "bbaa" recreates "ab" at every step and would never end.
    EXPECT_EQ(replace_all("ab", "ab", "bbaa"), "bbaa");
    const std::string out = replace_all("aab", "ab", "bbaa");
    EXPECT_LE(gb18030_width(out), 254u);
    EXPECT_GT(gb18030_width(out), 250u);
    // Long texts may grow to twice their width: every apostrophe of a long abstract is
    // replaced.
    std::string abstract;
    for (int i = 0; i < 400; ++i) {
        abstract += "it's ";
    }
    const std::string done = substitute_apostrophes(abstract);
    EXPECT_EQ(done.find('\''), std::string::npos);
    EXPECT_EQ(char_count(done), char_count(abstract));
}

TEST(ReplaceEach, OnePassGivesWhatReplaceAllGivesForOneCharacterNotInTheReplacement) {
    for (const std::string text : {"", "'", "''", "a'b''c'", "*Neo*plasms/*therapy*", "中'文*"}) {
        EXPECT_EQ(replace_each(text, "'", "\u2032"), replace_all(text, "'", "\u2032")) << text;
        EXPECT_EQ(replace_each(text, "*", ""), replace_all(text, "*", "")) << text;
    }
    // One pass: an occurrence formed by a replacement is left, unlike replace_all.
    EXPECT_EQ(replace_each("aabb", "ab", ""), "ab");
    EXPECT_EQ(replace_each("abc", "", "x"), "abc");
    EXPECT_EQ(replace_each("abab", "ab", "b"), "bb");
}

TEST(Apostrophes, BecomePrimes) {
    EXPECT_EQ(substitute_apostrophes("O'Brien's"), "O\u2032Brien\u2032s");
    EXPECT_EQ(substitute_apostrophes("no quote"), "no quote");
    EXPECT_EQ(utf8_to_gb18030(substitute_apostrophes("'")), "\xA1\xE4");
}

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(ascii_upper("txt 中文 éa"), "TXT 中文 éA");
    EXPECT_EQ(ascii_lower("ENG Chi ÉA"), "eng chi Éa");
}

} // namespace
