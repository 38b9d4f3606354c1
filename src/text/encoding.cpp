// UTF-8, UTF-16 and GB18030 conversion. GB18030 goes through tables made from glibc's
// converter when the program is built (gb18030_bmp_keys), so that nothing calls iconv.
#include "text/text.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace lumacite::text {

// The GB18030 bytes of each BMP code point (see Gb18030Tables::key), generated.
extern const std::uint32_t gb18030_bmp_keys[0x10000];

namespace {

constexpr char32_t replacement_char = 0xFFFD;

// Number of BMP code points in the four-byte area of GB18030 below U+10000.
constexpr std::size_t four_byte_bmp_slots = 39420;
constexpr std::size_t two_byte_slots = 126 * 191;

struct Gb18030Tables {
    // For every BMP code point its GB18030 bytes packed big-endian and left-aligned
    // (b0 << 24 | b1 << 16 | ...), and its length in bytes.
    std::vector<std::uint32_t> key;
    std::vector<std::uint8_t> length;
    // Reverse maps: two-byte codes and four-byte codes below U+10000.
    std::vector<char32_t> from_two;
    std::vector<char32_t> from_four;
};

std::uint32_t four_byte_linear(unsigned b0, unsigned b1, unsigned b2, unsigned b3) {
    return (b0 - 0x81) * 12600 + (b1 - 0x30) * 1260 + (b2 - 0x81) * 10 + (b3 - 0x30);
}

// GB18030-2005 mappings that glibc's converter leaves out or gives otherwise: it has no
// code for the private-use points below and decodes their two-byte codes to other
// characters (FE51, FE52, FE53, FE6C, FE76 and FE91 to characters outside the BMP), so
// text with them would not survive a round trip. Taken from the WHATWG Encoding
// Standard's tables of the GB18030-2005 mapping: index-gb18030.txt (pointers 7182-7208
// and 23767-23845) for the two-byte codes, index-gb18030-ranges.txt for the four-byte
// codes of U+FE10-FE19 and U+9FB4-9FBB, whose two-byte codes the private-use points hold.
struct Gb18030Mapping {
    char32_t code_point;
    std::uint32_t bytes; // big-endian, two or four bytes
};
constexpr std::array<Gb18030Mapping, 42> gb18030_2005_mappings = {{
    {0xE78D, 0xA6D9},     {0xE78E, 0xA6DA},     {0xE78F, 0xA6DB},     {0xE790, 0xA6DC},
    {0xE791, 0xA6DD},     {0xE792, 0xA6DE},     {0xE793, 0xA6DF},     {0xE794, 0xA6EC},
    {0xE795, 0xA6ED},     {0xE796, 0xA6F3},     {0xE816, 0xFE51},     {0xE817, 0xFE52},
    {0xE818, 0xFE53},     {0xE81E, 0xFE59},     {0xE826, 0xFE61},     {0xE82B, 0xFE66},
    {0xE82C, 0xFE67},     {0xE831, 0xFE6C},     {0xE832, 0xFE6D},     {0xE83B, 0xFE76},
    {0xE843, 0xFE7E},     {0xE854, 0xFE90},     {0xE855, 0xFE91},     {0xE864, 0xFEA0},
    {0xFE10, 0x84318236}, {0xFE11, 0x84318237}, {0xFE12, 0x84318238}, {0xFE13, 0x84318239},
    {0xFE14, 0x84318330}, {0xFE15, 0x84318331}, {0xFE16, 0x84318332}, {0xFE17, 0x84318333},
    {0xFE18, 0x84318334}, {0xFE19, 0x84318335}, {0x9FB4, 0x82359037}, {0x9FB5, 0x82359038},
    {0x9FB6, 0x82359039}, {0x9FB7, 0x82359130}, {0x9FB8, 0x82359131}, {0x9FB9, 0x82359132},
    {0x9FBA, 0x82359133}, {0x9FBB, 0x82359134},
}};

const Gb18030Tables& tables() {
    static const Gb18030Tables t = [] {
        Gb18030Tables r;
        r.key.assign(0x10000, 0);
        r.length.assign(0x10000, 0);
        r.from_two.assign(two_byte_slots, 0);
        r.from_four.assign(four_byte_bmp_slots, 0);
        for (char32_t cp = 0; cp < 0x10000; ++cp) {
            const std::uint32_t k = gb18030_bmp_keys[cp];
            const unsigned b0 = k >> 24;
            const unsigned b1 = (k >> 16) & 0xFF;
            const unsigned n = (k & 0xFFFF) != 0 ? 4 : b1 != 0 ? 2 : 1;
            r.key[cp] = k;
            r.length[cp] = static_cast<std::uint8_t>(n);
            if (n == 2) {
                const unsigned idx = (b0 - 0x81) * 191 + (b1 - 0x40);
                if (idx < two_byte_slots) {
                    r.from_two[idx] = cp;
                }
            } else if (n == 4) {
                const auto lin = four_byte_linear(b0, b1, (k >> 8) & 0xFF, k & 0xFF);
                if (lin < four_byte_bmp_slots) {
                    r.from_four[lin] = cp;
                }
            }
        }
        for (const auto& m : gb18030_2005_mappings) {
            if (m.bytes <= 0xFFFF) {
                r.key[m.code_point] = m.bytes << 16;
                r.length[m.code_point] = 2;
                r.from_two[((m.bytes >> 8) - 0x81) * 191 + ((m.bytes & 0xFF) - 0x40)] =
                    m.code_point;
            } else {
                r.key[m.code_point] = m.bytes;
                r.length[m.code_point] = 4;
                r.from_four[four_byte_linear(m.bytes >> 24, (m.bytes >> 16) & 0xFF,
                                             (m.bytes >> 8) & 0xFF, m.bytes & 0xFF)] = m.code_point;
            }
        }
        return r;
    }();
    return t;
}

// GB18030 key of any code point, as in Gb18030Tables::key.
std::uint32_t gb_key(char32_t cp, unsigned& len) {
    if (cp < 0x10000) {
        const auto& t = tables();
        len = t.length[cp];
        return t.key[cp];
    }
    if (cp > 0x10FFFF) {
        len = 1;
        return static_cast<std::uint32_t>('?') << 24;
    }
    std::uint32_t idx = cp - 0x10000;
    const std::uint32_t b0 = 0x90 + idx / 12600;
    idx %= 12600;
    const std::uint32_t b1 = 0x30 + idx / 1260;
    idx %= 1260;
    const std::uint32_t b2 = 0x81 + idx / 10;
    const std::uint32_t b3 = 0x30 + idx % 10;
    len = 4;
    return (b0 << 24) | (b1 << 16) | (b2 << 8) | b3;
}

bool is_cont(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The number of ASCII bytes from `pos` on, eight at a time.
std::size_t ascii_run(std::string_view s, std::size_t pos) {
    std::size_t end = pos;
    for (; end + 8 <= s.size(); end += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, s.data() + end, 8);
        if ((w & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (end < s.size() && static_cast<unsigned char>(s[end]) < 0x80) {
        ++end;
    }
    return end - pos;
}

} // namespace

char32_t next_code_point(std::string_view s, std::size_t& pos) {
    const auto c0 = static_cast<unsigned char>(s[pos]);
    if (c0 < 0x80) {
        ++pos;
        return c0;
    }
    const std::size_t left = s.size() - pos;
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    if (c0 >= 0xC2 && c0 <= 0xDF && left >= 2 && is_cont(at(1))) {
        const char32_t cp = ((c0 & 0x1F) << 6) | (at(1) & 0x3F);
        pos += 2;
        return cp;
    }
    if (c0 >= 0xE0 && c0 <= 0xEF && left >= 3 && is_cont(at(1)) && is_cont(at(2))) {
        const char32_t cp = ((c0 & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F);
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
            pos += 3;
            return cp;
        }
    }
    if (c0 >= 0xF0 && c0 <= 0xF4 && left >= 4 && is_cont(at(1)) && is_cont(at(2)) &&
        is_cont(at(3))) {
        const char32_t cp =
            ((c0 & 0x07) << 18) | ((at(1) & 0x3F) << 12) | ((at(2) & 0x3F) << 6) | (at(3) & 0x3F);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            pos += 4;
            return cp;
        }
    }
    ++pos;
    return replacement_char;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::size_t char_count(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        next_code_point(utf8, pos);
        ++n;
    }
    return n;
}

bool is_valid_utf8(std::string_view bytes) {
    const std::size_t n = bytes.size();
    for (std::size_t pos = 0; pos < n;) {
        // ASCII runs are the bulk of most export files: skip them eight bytes at a time.
        while (pos + 8 <= n) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + pos, 8);
            if ((word & 0x8080808080808080ULL) != 0) {
                break;
            }
            pos += 8;
        }
        if (pos >= n) {
            break;
        }
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t before = pos;
        const char32_t cp = next_code_point(bytes, pos);
        if (cp == replacement_char && pos - before == 1) {
            return false;
        }
        // A literal U+FFFD is three bytes, so a one-byte advance means an invalid byte.
    }
    return true;
}

std::string gb18030_to_utf8(std::string_view bytes) {
    const auto& t = tables();
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    while (i < n) {
        // A run of ASCII reads as itself: copied at once.
        const std::size_t ascii = ascii_run(bytes, i);
        if (ascii > 0) {
            out.append(bytes.data() + i, ascii);
            i += ascii;
            continue;
        }
        const unsigned b0 = at(i);
        if (b0 == 0x80 || b0 == 0xFF || i + 1 >= n) {
            append_utf8(out, replacement_char);
            ++i;
            continue;
        }
        const unsigned b1 = at(i + 1);
        if ((b1 >= 0x40 && b1 <= 0x7E) || (b1 >= 0x80 && b1 <= 0xFE)) {
            const char32_t cp = t.from_two[(b0 - 0x81) * 191 + (b1 - 0x40)];
            append_utf8(out, cp != 0 ? cp : replacement_char);
            i += 2;
            continue;
        }
        if (b1 >= 0x30 && b1 <= 0x39 && i + 3 < n) {
            const unsigned b2 = at(i + 2);
            const unsigned b3 = at(i + 3);
            if (b2 >= 0x81 && b2 <= 0xFE && b3 >= 0x30 && b3 <= 0x39) {
                char32_t cp = 0;
                if (b0 <= 0x84) {
                    const auto lin = four_byte_linear(b0, b1, b2, b3);
                    cp = lin < four_byte_bmp_slots ? t.from_four[lin] : 0;
                } else if (b0 >= 0x90 && b0 <= 0xE3) {
                    const std::uint32_t lin =
                        (b0 - 0x90) * 12600 + (b1 - 0x30) * 1260 + (b2 - 0x81) * 10 + (b3 - 0x30);
                    cp = lin <= 0xFFFFF ? 0x10000 + lin : 0;
                }
                append_utf8(out, cp != 0 ? cp : replacement_char);
                i += 4;
                continue;
            }
        }
        append_utf8(out, replacement_char);
        ++i;
    }
    return out;
}

bool is_ascii(std::string_view s) {
    return ascii_run(s, 0) == s.size();
}

std::string utf8_to_gb18030(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        // A run of ASCII is its own GB18030 form: copied at once.
        const std::size_t ascii = ascii_run(utf8, pos);
        if (ascii > 0) {
            out.append(utf8.data() + pos, ascii);
            pos += ascii;
            continue;
        }
        const std::size_t before = pos;
        const char32_t cp = next_code_point(utf8, pos);
        if (cp == replacement_char && pos - before == 1) {
            out.push_back('?');
            continue;
        }
        unsigned len = 0;
        const std::uint32_t k = gb_key(cp, len);
        for (unsigned b = 0; b < len; ++b) {
            out.push_back(static_cast<char>((k >> (24 - 8 * b)) & 0xFF));
        }
    }
    return out;
}

std::string utf16_to_utf8(std::string_view bytes, bool little_endian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return little_endian ? (b << 8 | a) : (a << 8 | b);
    };
    const std::size_t n = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < n;) {
        char32_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i < n) {
                const char32_t lo = unit(i);
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    i += 2;
                    append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                    continue;
                }
            }
            u = replacement_char;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            u = replacement_char;
        }
        append_utf8(out, u);
    }
    if (bytes.size() % 2 != 0) {
        append_utf8(out, replacement_char);
    }
    return out;
}

Encoding detect_encoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return Encoding::utf8_bom;
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return Encoding::utf16le;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return Encoding::utf16be;
    }
    return is_valid_utf8(bytes) ? Encoding::utf8 : Encoding::gb18030;
}

std::string decode_lines(std::string_view bytes) {
    if (is_valid_utf8(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    while (!bytes.empty()) {
        // A line with its end: CR and LF never occur inside a GB18030 or UTF-8 character.
        std::size_t end = bytes.find_first_of("\r\n");
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end < bytes.size() && bytes[end - 1] == '\r' && bytes[end] == '\n') {
            ++end;
        }
        const std::string_view line = bytes.substr(0, end);
        if (is_valid_utf8(line)) {
            out += line;
        } else {
            out += gb18030_to_utf8(line);
        }
        bytes.remove_prefix(end);
    }
    return out;
}

std::string decode_input(std::string_view bytes) {
    switch (detect_encoding(bytes)) {
    case Encoding::utf8_bom:
        return decode_lines(bytes.substr(3));
    case Encoding::utf16le:
        return utf16_to_utf8(bytes.substr(2), true);
    case Encoding::utf16be:
        return utf16_to_utf8(bytes.substr(2), false);
    case Encoding::utf8:
        return std::string(bytes);
    case Encoding::gb18030:
        break;
    }
    return decode_lines(bytes);
}

std::string xml_declared_encoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    if (!bytes.starts_with("<?xml")) {
        return {};
    }
    const auto end = bytes.find("?>");
    const std::string_view decl = bytes.substr(0, end);
    auto p = decl.find("encoding");
    if (p == std::string_view::npos) {
        return {};
    }
    p += 8;
    while (p < decl.size() && (decl[p] == ' ' || decl[p] == '\t' || decl[p] == '\r' ||
                               decl[p] == '\n' || decl[p] == '=')) {
        ++p;
    }
    if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) {
        return {};
    }
    const char quote = decl[p];
    const auto close = decl.find(quote, p + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return ascii_lower(decl.substr(p + 1, close - p - 1));
}

namespace {

bool declares_chinese_code_page(std::string_view bytes) {
    const std::string declared = xml_declared_encoding(bytes);
    return declared == "gb2312" || declared == "gbk" || declared == "gb18030" ||
           declared == "cp936" || declared == "euc-cn" || declared == "x-gbk" ||
           declared == "windows-936";
}

} // namespace

std::string decode_xml(std::string_view bytes) {
    const Encoding bom = detect_encoding(bytes);
    if (bom == Encoding::utf8_bom || bom == Encoding::utf16le || bom == Encoding::utf16be) {
        return decode_input(bytes);
    }
    if (declares_chinese_code_page(bytes)) {
        return gb18030_to_utf8(bytes);
    }
    return decode_input(bytes);
}

bool xml_is_plain_utf8(std::string_view bytes) {
    return detect_encoding(bytes) == Encoding::utf8 && !declares_chinese_code_page(bytes);
}

std::size_t gb18030_width(std::string_view utf8) {
    std::size_t w = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            ++w;
            ++pos;
            continue;
        }
        const std::size_t before = pos;
        const char32_t cp = next_code_point(utf8, pos);
        if (cp == replacement_char && pos - before == 1) {
            ++w;
            continue;
        }
        unsigned len = 0;
        gb_key(cp, len);
        w += len;
    }
    return w;
}

std::string truncate_to_width(std::string_view utf8, std::size_t max_bytes) {
    return std::string(utf8.substr(0, width_prefix(utf8, max_bytes)));
}

std::size_t width_prefix(std::string_view utf8, std::size_t max_bytes) {
    // No character takes more GB18030 bytes than twice its UTF-8 bytes (a byte that
    // begins none counts one): a short text fits without being measured.
    if (utf8.size() <= max_bytes / 2) {
        return utf8.size();
    }
    std::size_t w = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        // ASCII takes a byte either way.
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            if (w + 1 > max_bytes) {
                break;
            }
            ++w;
            ++pos;
            continue;
        }
        std::size_t next = pos;
        const char32_t cp = next_code_point(utf8, next);
        unsigned len = 1;
        if (!(cp == replacement_char && next - pos == 1)) {
            gb_key(cp, len);
        }
        if (w + len > max_bytes) {
            break;
        }
        w += len;
        pos = next;
    }
    return pos;
}

int compare_text(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
            ++i;
            ++j;
            continue;
        }
        unsigned la = 0;
        unsigned lb = 0;
        const std::uint32_t ka = gb_key(next_code_point(a, i), la);
        const std::uint32_t kb = gb_key(next_code_point(b, j), lb);
        // GB18030 codes are never prefixes of one another, so comparing the
        // left-aligned keys compares the byte sequences.
        if (ka != kb) {
            return ka < kb ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

} // namespace lumacite::text
