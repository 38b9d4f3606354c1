// Trimming, replace-all, apostrophe substitution and ASCII case mapping.
#include "text/text.h"

#include <algorithm>

namespace lumacite::text {

std::string_view trim_view(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) {
        ++b;
    }
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) {
        --e;
    }
    return s.substr(b, e - b);
}

std::string trim(std::string_view s) {
    return std::string(trim_view(s));
}

std::string replace_all(std::string_view text, std::string_view search,
                        std::string_view replacement) {
    std::string out(text);
    if (search.empty() || replacement.find(search) != std::string_view::npos) {
        return out;
    }
    // Growth per replacement in GB18030 bytes; the text may not grow past the limit.
    const auto search_width = static_cast<long long>(gb18030_width(search));
    const auto replacement_width = static_cast<long long>(gb18030_width(replacement));
    const long long growth = replacement_width - search_width;
    long long width = static_cast<long long>(gb18030_width(out));
    const long long limit = std::max<long long>(static_cast<long long>(value_width), 2 * width);

    // Looking again "from the start" only needs to look from the first place where an
    // occurrence could overlap the text just replaced: nothing before it changed, and
    // it held no occurrence.
    std::size_t from = 0;
    // Same-length rewrites cannot grow the text; bound their number as well.
    std::size_t steps_left = 64 * (out.size() + 1) * (out.size() + 1);
    while (true) {
        const std::size_t pos = out.find(search, from);
        if (pos == std::string::npos) {
            break;
        }
        if (growth > 0 && width + growth > limit) {
            break;
        }
        if (steps_left-- == 0) {
            break;
        }
        out.replace(pos, search.size(), replacement);
        width += growth;
        from = pos >= search.size() - 1 ? pos - (search.size() - 1) : 0;
    }
    return out;
}

std::string replace_each(std::string_view text, std::string_view search,
                         std::string_view replacement) {
    if (search.empty()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(search); at != std::string_view::npos;
         at = text.find(search, from)) {
        out.append(text, from, at - from);
        out.append(replacement);
        from = at + search.size();
    }
    out.append(text, from, std::string_view::npos);
    return out;
}

std::string substitute_apostrophes(std::string_view text) {
    return replace_each(text, "'", "\u2032");
}

std::string ascii_upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

} // namespace lumacite::text
