// Text rules shared by every module: decoding of input bytes, the GB18030 storage
// encoding with its byte widths, trimming, the replace-all routine, the apostrophe
// substitution, ASCII case mapping and the one text order every sort uses.
//
// Text in memory is always UTF-8. Widths are counted in GB18030 bytes, the encoding
// of the stored tables and the exported files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumacite::text {

// ---- Decoding and encoding -------------------------------------------------------

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool is_valid_utf8(std::string_view bytes);

// Decodes GB18030 (and so GBK and GB2312) bytes to UTF-8 by the GB18030-2005 mapping,
// under which every character round-trips. A byte sequence that is not GB18030 becomes
// U+FFFD, one byte at a time, so nothing after it is lost.
std::string gb18030_to_utf8(std::string_view bytes);

// Encodes UTF-8 text as GB18030. Every Unicode character has a GB18030 form; invalid
// UTF-8 bytes are encoded as "?".
std::string utf8_to_gb18030(std::string_view utf8);

// Decodes UTF-16 bytes (without BOM) to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::string_view bytes, bool little_endian);

// gb18030: a file without a byte-order mark that is not valid UTF-8 as a whole.
enum class Encoding { utf8, utf8_bom, utf16le, utf16be, gb18030 };

// Detects the encoding of an input file: a byte-order mark decides; otherwise valid
// UTF-8 is UTF-8 and anything else is GB18030 (decided line by line when decoding).
Encoding detect_encoding(std::string_view bytes);

// Decodes text that is UTF-8, GB18030 or a mixture of both (exports joined by hand):
// valid UTF-8 as a whole stays as it is; otherwise each line (with its line end: LF, CR
// LF or CR) that is valid UTF-8 stays UTF-8 and every other line is read as GB18030.
std::string decode_lines(std::string_view bytes);

// Decodes the bytes of an input file to UTF-8 by detect_encoding (the BOM is dropped);
// UTF-8 with or without a byte-order mark, and GB18030, go through decode_lines.
std::string decode_input(std::string_view bytes);

// The encoding named by an XML declaration at the start of the bytes, lower-cased
// ("gbk", "utf-8", ...); empty when there is no declaration or it names none.
// Looks at UTF-8/ASCII-compatible bytes only.
std::string xml_declared_encoding(std::string_view bytes);

// Decodes an XML file to UTF-8: a BOM decides; otherwise a declaration naming
// GB2312, GBK, GB18030 (or their aliases) is honoured; otherwise as decode_input.
std::string decode_xml(std::string_view bytes);

// True when decode_xml(bytes) gives the bytes unchanged (valid UTF-8 without a BOM and
// without a declaration of a Chinese code page), so they can be parsed where they are.
bool xml_is_plain_utf8(std::string_view bytes);

// ---- GB18030 widths ---------------------------------------------------------------

// Number of bytes the text takes in GB18030 (1 for ASCII, 2 or 4 otherwise).
std::size_t gb18030_width(std::string_view utf8);

// The longest prefix of the text whose GB18030 width is at most max_bytes; never
// splits a character.
std::string truncate_to_width(std::string_view utf8, std::size_t max_bytes);
// The length of that prefix, in UTF-8 bytes.
std::size_t width_prefix(std::string_view utf8, std::size_t max_bytes);

// Field widths of the project tables, in GB18030 bytes.
inline constexpr std::size_t project_number_width = 50;
inline constexpr std::size_t keyword_width = 30;
inline constexpr std::size_t value_width = 254;

// ---- Editing rules ------------------------------------------------------------------

// Removes leading and trailing characters up to and including the space (blanks and
// control characters, bytes 0x00-0x20).
std::string trim(std::string_view s);
std::string_view trim_view(std::string_view s);

// Replaces every occurrence of `search` in `text`, looking again from the start after
// each replacement, so that occurrences formed by a replacement are replaced too.
// Does nothing when `search` is empty or occurs in `replacement` (that would never end).
// A replacement that would make the text wider than max(254, 2 x its original width)
// GB18030 bytes is not made: the routine stops there, so it always ends.
std::string replace_all(std::string_view text, std::string_view search,
                        std::string_view replacement);

// Replaces every occurrence of `search` in one pass from left to right, in time linear in
// the text; an occurrence formed by a replacement is not looked for again. For a search
// text of one character that the replacement does not hold (the apostrophe substitution,
// the removal of the "*" marks of subject headings) the result equals replace_all's.
// Does nothing when `search` is empty.
std::string replace_each(std::string_view text, std::string_view search,
                         std::string_view replacement);

// Every ASCII apostrophe "'" becomes the prime "′" (U+2032).
std::string substitute_apostrophes(std::string_view text);

// True when every byte is ASCII (such a text is its own GB18030 form, a byte a character).
bool is_ascii(std::string_view s);

// ASCII-only case mapping: A-Z and a-z change, every other character stays.
std::string ascii_upper(std::string_view s);
std::string ascii_lower(std::string_view s);

// ---- Text order ----------------------------------------------------------------------

// Compares two texts by the byte order of their GB18030 encodings (common Chinese
// characters then come in pinyin order). Negative, zero or positive like strcmp.
int compare_text(std::string_view a, std::string_view b);

// Strict weak order for sorting by compare_text.
struct TextLess {
    bool operator()(std::string_view a, std::string_view b) const { return compare_text(a, b) < 0; }
};
inline bool text_less(std::string_view a, std::string_view b) {
    return compare_text(a, b) < 0;
}

// ---- UTF-8 helpers -------------------------------------------------------------------

// Decodes one code point at `pos` and advances `pos`; an invalid byte gives U+FFFD and
// advances by one.
char32_t next_code_point(std::string_view s, std::size_t& pos);
void append_utf8(std::string& out, char32_t cp);

// Number of characters (code points) in UTF-8 text.
std::size_t char_count(std::string_view utf8);

} // namespace lumacite::text
