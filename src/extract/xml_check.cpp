#include "extract/xml_check.h"

#include "text/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumacite::extract {
namespace {

struct NotWellFormed {};

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A byte that is not allowed as it stands: a control character other than tab, line feed
// and carriage return.
constexpr bool is_bad_control(unsigned char b) {
    return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}

// Bytes at which a scan over text stops: markup, references, the "]" of "]]>", the lead
// byte 0xEF of U+FFFE and U+FFFF, control characters; in attribute values also quotes.
using ByteSet = std::array<bool, 256>;
constexpr ByteSet stop_bytes(bool attribute) {
    ByteSet s{};
    for (int b = 0; b < 0x20; ++b) {
        s[static_cast<std::size_t>(b)] = is_bad_control(static_cast<unsigned char>(b));
    }
    s['<'] = true;
    s['&'] = true;
    s[0xEF] = true;
    if (attribute) {
        s['"'] = true;
        s['\''] = true;
    } else {
        s[']'] = true;
    }
    return s;
}
constexpr ByteSet text_stops = stop_bytes(false);
constexpr ByteSet value_stops = stop_bytes(true);

// The position of the first stop byte at or after `p` (text.size() when there is none).
// Text runs are most of a file: sixteen bytes are tested at a time where SSE2 is there.
std::size_t next_stop(std::string_view text, std::size_t p, bool attribute) {
    const ByteSet& stops = attribute ? value_stops : text_stops;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i amp = _mm_set1_epi8('&');
    const __m128i third = _mm_set1_epi8(attribute ? '"' : ']');
    const __m128i fourth = _mm_set1_epi8(attribute ? '\'' : ']');
    const __m128i lead = _mm_set1_epi8(static_cast<char>(0xEF));
    const __m128i below_space = _mm_set1_epi8(0x1F);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (p + 16 <= text.size()) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + p));
        const __m128i control = _mm_andnot_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)),
                         _mm_cmpeq_epi8(v, cr)),
            _mm_cmpeq_epi8(_mm_max_epu8(v, below_space), below_space));
        const __m128i hit = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, amp)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, third), _mm_cmpeq_epi8(v, fourth))),
            _mm_or_si128(_mm_cmpeq_epi8(v, lead), control));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) {
            return p + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
        p += 16;
    }
#endif
    while (p < text.size() && !stops[static_cast<unsigned char>(text[p])]) {
        ++p;
    }
    return p;
}

constexpr ByteSet ascii_names(bool start) {
    ByteSet s{};
    for (int c = 'a'; c <= 'z'; ++c) {
        s[static_cast<std::size_t>(c)] = true;
        s[static_cast<std::size_t>(c - 'a' + 'A')] = true;
    }
    s[':'] = true;
    s['_'] = true;
    if (!start) {
        for (int c = '0'; c <= '9'; ++c) {
            s[static_cast<std::size_t>(c)] = true;
        }
        s['-'] = true;
        s['.'] = true;
    }
    return s;
}
constexpr ByteSet name_start_ascii = ascii_names(true);
constexpr ByteSet name_ascii = ascii_names(false);

bool is_name_start(char32_t c) {
    return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C ||
           c == 0x200D || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
           (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool is_name_char(char32_t c) {
    return is_name_start(c) || c == 0xB7 || (c >= 0x300 && c <= 0x36F) || c == 0x203F ||
           c == 0x2040;
}

bool is_xml_char(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    return text::ascii_lower(a) == text::ascii_lower(b);
}

// The value of an internal entity as it may stand in content or in an attribute value of
// either quote: the quotes and ">" written as references.
std::string escaped(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

class Checker {
public:
    Checker(std::string_view text, XmlOutline* outline) : s_(text), outline_(outline) {}

    XmlCheck run(std::string& expanded) {
        try {
            document();
        } catch (const NotWellFormed&) {
            return XmlCheck::refused;
        }
        if (replacements_.empty()) {
            return XmlCheck::well_formed;
        }
        expanded.clear();
        expanded.reserve(s_.size());
        std::size_t from = 0;
        for (const auto& r : replacements_) {
            expanded.append(s_.substr(from, r.at - from));
            expanded += entities_[r.entity].value;
            from = r.at + r.length;
        }
        expanded.append(s_.substr(from));
        return XmlCheck::expanded;
    }

private:
    struct Entity {
        std::string_view name;
        std::string value; // escaped, for an entity that can be replaced
        bool replaceable = false;
    };
    struct Replacement {
        std::size_t at = 0;
        std::size_t length = 0;
        std::size_t entity = 0;
    };

    [[noreturn]] static void fail() { throw NotWellFormed{}; }

    bool at_end() const { return p_ >= s_.size(); }
    bool at(std::string_view literal) const { return s_.substr(p_).starts_with(literal); }
    unsigned char byte() const { return static_cast<unsigned char>(s_[p_]); }
    void expect(char c) {
        if (at_end() || s_[p_] != c) {
            fail();
        }
        ++p_;
    }
    // Skips blanks; true when there was at least one.
    bool space() {
        const std::size_t from = p_;
        while (!at_end() && is_space(s_[p_])) {
            ++p_;
        }
        return p_ != from;
    }
    void required_space() {
        if (!space()) {
            fail();
        }
    }
    std::size_t find(std::string_view what) const {
        const std::size_t found = s_.find(what, p_);
        if (found == std::string_view::npos) {
            fail();
        }
        return found;
    }

    // Every character of [from, to) is an XML character.
    void check_chars(std::size_t from, std::size_t to) const {
        for (std::size_t i = from; i < to; ++i) {
            const auto b = static_cast<unsigned char>(s_[i]);
            if (is_bad_control(b)) {
                fail();
            }
            if (b == 0xEF) {
                check_not_a_noncharacter(i);
            }
        }
    }
    // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are not characters of XML.
    void check_not_a_noncharacter(std::size_t i) const {
        if (i + 2 < s_.size() && static_cast<unsigned char>(s_[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(s_[i + 2]) & 0xFE) == 0xBE) {
            fail();
        }
    }

    std::string_view name() {
        const std::size_t from = p_;
        const std::size_t n = s_.size();
        while (p_ < n) {
            const auto b = static_cast<unsigned char>(s_[p_]);
            if (b < 0x80) {
                // ASCII name characters, the bulk of every name, in a tight loop.
                if (!(p_ == from ? name_start_ascii : name_ascii)[b]) {
                    break;
                }
                ++p_;
                while (p_ < n && name_ascii[static_cast<unsigned char>(s_[p_])]) {
                    ++p_;
                }
                continue;
            }
            std::size_t next = p_;
            const char32_t c = text::next_code_point(s_, next);
            if (!(p_ == from ? is_name_start(c) : is_name_char(c))) {
                break;
            }
            p_ = next;
        }
        if (p_ == from) {
            fail();
        }
        return s_.substr(from, p_ - from);
    }

    // A quoted literal; returns its contents.
    std::string_view literal() {
        if (at_end() || (s_[p_] != '"' && s_[p_] != '\'')) {
            fail();
        }
        const char quote = s_[p_++];
        const std::size_t from = p_;
        const std::size_t end = s_.find(quote, p_);
        if (end == std::string_view::npos) {
            fail();
        }
        check_chars(from, end);
        p_ = end + 1;
        return s_.substr(from, end - from);
    }

    void document() {
        if (at("<?xml") && s_.size() > 5 && (is_space(s_[5]) || s_[5] == '?')) {
            const std::size_t end = find("?>");
            if (s_.substr(0, end).find("version") == std::string_view::npos) {
                fail();
            }
            check_chars(0, end);
            p_ = end + 2;
        }
        bool root_seen = false;
        bool doctype_seen = false;
        for (;;) {
            // Outside the document element: blanks, comments, processing instructions and,
            // before the element, one document type declaration.
            space();
            if (at_end()) {
                break;
            }
            if (at("<?")) {
                processing_instruction();
            } else if (at("<!--")) {
                comment();
            } else if (at("<!DOCTYPE")) {
                if (root_seen || doctype_seen) {
                    fail();
                }
                doctype_seen = true;
                doctype();
            } else if (s_[p_] == '<' && !root_seen && !at("</") && !at("<!")) {
                root_seen = true;
                element();
            } else {
                fail();
            }
        }
        if (!root_seen) {
            fail();
        }
    }

    // The stretch [from, to) between two children of the document element.
    void between_children(std::size_t from, std::size_t to) {
        if (outline_ != nullptr && std::any_of(s_.begin() + static_cast<std::ptrdiff_t>(from),
                                               s_.begin() + static_cast<std::ptrdiff_t>(to),
                                               [](char c) { return !is_space(c); })) {
            outline_->text_between.emplace_back(from, to);
        }
    }

    // The document element with everything in it.
    void element() {
        if (start_tag()) {
            if (outline_ != nullptr) {
                outline_->content_begin = outline_->content_end = p_;
            }
            return;
        }
        if (outline_ != nullptr) {
            outline_->content_begin = p_;
        }
        std::size_t child_end = p_; // where the stretch after the last child began
        const std::size_t depth = open_.size() - 1;
        while (open_.size() > depth) {
            p_ = next_stop(s_, p_, false);
            if (at_end()) {
                fail();
            }
            switch (byte()) {
            case '<':
                if (at("</")) {
                    const std::size_t tag = p_;
                    end_tag();
                    if (open_.size() == 1) {
                        child_end = p_;
                    } else if (open_.empty()) {
                        between_children(child_end, tag);
                        if (outline_ != nullptr) {
                            outline_->content_end = tag;
                        }
                    }
                } else if (at("<!--")) {
                    comment();
                } else if (at("<![CDATA[")) {
                    p_ += 9;
                    const std::size_t end = find("]]>");
                    check_chars(p_, end);
                    p_ = end + 3;
                } else if (at("<?")) {
                    processing_instruction();
                } else if (at("<!")) {
                    fail();
                } else if (open_.size() == 1) {
                    // A child of the document element.
                    between_children(child_end, p_);
                    if (outline_ != nullptr) {
                        ++outline_->elements;
                    }
                    if (start_tag()) {
                        child_end = p_;
                    }
                } else {
                    start_tag();
                }
                break;
            case '&':
                reference();
                break;
            case ']':
                if (at("]]>")) {
                    fail();
                }
                ++p_;
                break;
            case 0xEF:
                check_not_a_noncharacter(p_);
                ++p_;
                break;
            default:
                fail(); // a control character
            }
        }
    }

    // A start tag at "<"; true when it is an empty-element tag.
    bool start_tag() {
        ++p_;
        const std::string_view tag = name();
        attributes_.clear();
        for (;;) {
            const bool blank = space();
            if (at_end()) {
                fail();
            }
            if (s_[p_] == '>') {
                ++p_;
                open_.push_back(tag);
                return false;
            }
            if (at("/>")) {
                p_ += 2;
                return true;
            }
            if (!blank) {
                fail();
            }
            const std::string_view attribute = name();
            for (const auto& seen : attributes_) {
                if (seen == attribute) {
                    fail();
                }
            }
            attributes_.push_back(attribute);
            space();
            expect('=');
            space();
            attribute_value();
        }
    }

    void attribute_value() {
        if (at_end() || (s_[p_] != '"' && s_[p_] != '\'')) {
            fail();
        }
        const char quote = s_[p_++];
        for (;;) {
            p_ = next_stop(s_, p_, true);
            if (at_end()) {
                fail();
            }
            const char c = s_[p_];
            if (c == quote) {
                ++p_;
                return;
            }
            if (c == '"' || c == '\'') {
                ++p_;
            } else if (c == '&') {
                reference();
            } else if (byte() == 0xEF) {
                check_not_a_noncharacter(p_);
                ++p_;
            } else {
                fail(); // "<" or a control character
            }
        }
    }

    void end_tag() {
        p_ += 2;
        const std::string_view tag = name();
        space();
        expect('>');
        if (open_.empty() || open_.back() != tag) {
            fail();
        }
        open_.pop_back();
    }

    void comment() {
        p_ += 4;
        const std::size_t dashes = find("--");
        if (dashes + 2 >= s_.size() || s_[dashes + 2] != '>') {
            fail();
        }
        check_chars(p_, dashes);
        p_ = dashes + 3;
    }

    void processing_instruction() {
        p_ += 2;
        const std::string_view target = name();
        // The XML declaration stands only at the very start of the document.
        if (equals_ignoring_case(target, "xml")) {
            fail();
        }
        if (at("?>")) {
            p_ += 2;
            return;
        }
        required_space();
        const std::size_t end = find("?>");
        check_chars(p_, end);
        p_ = end + 2;
    }

    // A reference at "&": a character reference to an XML character, a predefined
    // entity, or an internal entity whose value can be given.
    void reference() {
        const std::size_t from = p_++;
        if (!at_end() && s_[p_] == '#') {
            ++p_;
            const bool hex = !at_end() && s_[p_] == 'x';
            if (hex) {
                ++p_;
            }
            std::uint32_t value = 0;
            int digits = 0;
            for (; !at_end() && s_[p_] != ';'; ++p_, ++digits) {
                const char c = s_[p_];
                int d = -1;
                if (c >= '0' && c <= '9') {
                    d = c - '0';
                } else if (hex && c >= 'a' && c <= 'f') {
                    d = c - 'a' + 10;
                } else if (hex && c >= 'A' && c <= 'F') {
                    d = c - 'A' + 10;
                }
                if (d < 0) {
                    fail();
                }
                value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + d, 0x110000);
            }
            expect(';');
            if (digits == 0 || !is_xml_char(value)) {
                fail();
            }
            return;
        }
        const std::string_view entity = name();
        expect(';');
        if (entity == "lt" || entity == "gt" || entity == "amp" || entity == "apos" ||
            entity == "quot") {
            return;
        }
        for (std::size_t i = 0; i < entities_.size(); ++i) {
            if (entities_[i].name == entity) {
                if (!entities_[i].replaceable) {
                    fail();
                }
                replacements_.push_back({from, p_ - from, i});
                return;
            }
        }
        fail();
    }

    void external_id() {
        if (at("SYSTEM")) {
            p_ += 6;
            required_space();
            literal();
        } else if (at("PUBLIC")) {
            p_ += 6;
            required_space();
            literal();
            required_space();
            literal();
        } else {
            fail();
        }
    }

    void doctype() {
        p_ += 9;
        required_space();
        name();
        space();
        if (at("SYSTEM") || at("PUBLIC")) {
            external_id();
            space();
        }
        if (!at_end() && s_[p_] == '[') {
            ++p_;
            internal_subset();
            expect(']');
            space();
        }
        expect('>');
    }

    void internal_subset() {
        for (;;) {
            space();
            if (at_end()) {
                fail();
            }
            if (s_[p_] == ']') {
                return;
            }
            if (s_[p_] == '%') {
                ++p_;
                name();
                expect(';');
            } else if (at("<!--")) {
                comment();
            } else if (at("<?")) {
                processing_instruction();
            } else if (at("<!ENTITY")) {
                entity_declaration();
            } else if (at("<!ELEMENT") || at("<!ATTLIST") || at("<!NOTATION")) {
                skip_declaration();
            } else {
                fail();
            }
        }
    }

    // An element, attribute-list or notation declaration: to its ">", quotes respected.
    void skip_declaration() {
        p_ += 2;
        while (!at_end() && s_[p_] != '>') {
            if (s_[p_] == '"' || s_[p_] == '\'') {
                literal();
            } else {
                check_chars(p_, p_ + 1);
                ++p_;
            }
        }
        expect('>');
    }

    void entity_declaration() {
        p_ += 8;
        required_space();
        bool parameter = false;
        if (!at_end() && s_[p_] == '%') {
            ++p_;
            required_space();
            parameter = true;
        }
        Entity e;
        e.name = name();
        required_space();
        if (!at_end() && (s_[p_] == '"' || s_[p_] == '\'')) {
            const std::string_view value = literal();
            // A parameter-entity reference may not stand inside a declaration here.
            if (value.find('%') != std::string_view::npos) {
                fail();
            }
            e.replaceable = value.find_first_of("&<") == std::string_view::npos;
            e.value = escaped(value);
        } else {
            external_id();
            if (space() && at("NDATA")) {
                p_ += 5;
                required_space();
                name();
            }
        }
        space();
        expect('>');
        if (parameter) {
            return;
        }
        // The first declaration of a name binds.
        for (const auto& seen : entities_) {
            if (seen.name == e.name) {
                return;
            }
        }
        entities_.push_back(std::move(e));
    }

    std::string_view s_;
    XmlOutline* outline_;
    std::size_t p_ = 0;
    std::vector<std::string_view> open_;
    std::vector<std::string_view> attributes_;
    std::vector<Entity> entities_;
    std::vector<Replacement> replacements_;
};

} // namespace

XmlCheck check_xml(std::string_view text, std::string& expanded, XmlOutline* outline) {
    if (outline != nullptr) {
        *outline = XmlOutline{};
    }
    return Checker(text, outline).run(expanded);
}

} // namespace lumacite::extract
