#include "extract/extractor.h"

#include "text/text.h"

#include <cstdio>

namespace lumacite::extract {

ExtractionFormat load_extraction_format(const store::Catalogue& catalogue,
                                        const std::string& geshi) {
    ExtractionFormat f;
    f.geshi = geshi;
    f.leixing = catalogue.format_type(geshi);
    f.walked = f.leixing == "<xml>" ? catalogue.xml_walked_definitions(geshi)
                                    : catalogue.txt_walked_definitions(geshi);
    f.article_node = catalogue.find_definition(geshi, std::string("<文章节点>"));
    f.article_number = catalogue.find_definition(geshi, std::string("<文章号>"));
    f.subject_headings = catalogue.find_definition(geshi, std::string("<主题词>"));
    return f;
}

namespace {

// A whole number as the substring form writes it: optional blanks and sign, digits.
std::optional<long long> whole_number(std::string_view s) {
    s = text::trim_view(s);
    if (s.empty()) {
        return std::nullopt;
    }
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 12) {
        return std::nullopt;
    }
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

} // namespace

std::string automatic_article_number(long long n) {
    char text[32];
    std::snprintf(text, sizeof text, "%010lld", n);
    return text;
}

std::optional<SubstringForm> substring_form(std::string_view node) {
    const auto bar = node.find("|||");
    if (bar == std::string_view::npos) {
        return std::nullopt;
    }
    SubstringForm f;
    f.name = std::string(node.substr(0, bar));
    const std::string_view numbers = node.substr(bar + 3);
    const auto comma = numbers.find(',');
    const auto start =
        comma == std::string_view::npos ? std::nullopt : whole_number(numbers.substr(0, comma));
    const auto length =
        comma == std::string_view::npos ? std::nullopt : whole_number(numbers.substr(comma + 1));
    f.numbers_valid = start.has_value() && length.has_value();
    f.start = start.value_or(0);
    f.length = length.value_or(0);
    return f;
}

std::string substring(std::string_view s, long long start, long long length) {
    if (start < 1) {
        start = 1;
    }
    if (length < 1) {
        return {};
    }
    std::size_t pos = 0;
    for (long long i = 1; i < start && pos < s.size(); ++i) {
        text::next_code_point(s, pos);
    }
    const std::size_t from = pos;
    for (long long i = 0; i < length && pos < s.size(); ++i) {
        text::next_code_point(s, pos);
    }
    return std::string(s.substr(from, pos - from));
}

} // namespace lumacite::extract
