// Occurrence selection and the frequency statistics of one keyword.
#include "analysis/analysis.h"
#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <unordered_map>

namespace lumacite::analysis {

OccurrenceSource occurrence_source(std::string_view keyword, std::string_view format_type) {
    if (format_type == xml_type) {
        if (keyword == all_headings_minus) {
            return {{std::string(major_headings_minus), std::string(minor_headings_minus)}, true};
        }
        if (keyword == all_headings_plus) {
            return {{std::string(major_headings_plus), std::string(minor_headings_plus)}, true};
        }
    }
    return {{std::string(keyword)}, false};
}

bool uses_article_base(std::string_view keyword, std::string_view format_type) {
    return format_type == xml_type && (keyword == "国家" || keyword == "作者");
}

namespace {

struct PairHash {
    std::size_t operator()(const Occurrence& o) const noexcept {
        const std::size_t a = std::hash<std::string_view>{}(o.wenzhangha);
        const std::size_t b = std::hash<std::string_view>{}(o.zhi);
        return a ^ (b + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
    }
};
struct PairEqual {
    bool operator()(const Occurrence& x, const Occurrence& y) const noexcept {
        return x.wenzhangha == y.wenzhangha && x.zhi == y.zhi;
    }
};

} // namespace

void remove_repeated_pairs(std::vector<Occurrence>& occurrences) {
    std::unordered_set<Occurrence, PairHash, PairEqual> seen;
    seen.reserve(occurrences.size());
    std::size_t kept = 0;
    for (const Occurrence& o : occurrences) {
        if (seen.insert(o).second) {
            occurrences[kept++] = o;
        }
    }
    occurrences.resize(kept);
}

std::string pad_number(long long number) {
    std::string digits = std::to_string(number);
    if (digits.size() < 10) {
        digits.insert(0, 10 - digits.size(), ' ');
    }
    return digits;
}

std::string format_percentage(long long part, long long base) {
    if (base <= 0) {
        return "0.0000";
    }
    // part × 100 × 10^4 ÷ base, rounded half away from zero, in exact integer arithmetic.
    const bool negative = part < 0;
    const unsigned long long numerator =
        static_cast<unsigned long long>(negative ? -part : part) * 1000000ULL;
    const auto denominator = static_cast<unsigned long long>(base);
    unsigned long long scaled = numerator / denominator;
    if ((numerator % denominator) * 2 >= denominator) {
        ++scaled;
    }
    std::string frac = std::to_string(scaled % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    std::string out = negative && scaled != 0 ? "-" : "";
    out += std::to_string(scaled / 10000);
    out += '.';
    out += frac;
    return out;
}

long long parse_count(std::string_view text) {
    const std::string_view t = text::trim_view(text);
    long long value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size()) {
        return 0;
    }
    return value;
}

std::vector<StatisticsRow> compute_statistics(std::span<const Occurrence> occurrences,
                                              long long base, Progress& progress) {
    std::unordered_map<std::string_view, long long> counts;
    counts.reserve(occurrences.size() / 4 + 16);
    for (const Occurrence& o : occurrences) {
        ++counts[o.zhi];
    }
    std::vector<ValueCount> groups;
    groups.reserve(counts.size());
    for (const auto& [zhi, count] : counts) {
        groups.push_back({zhi, count});
    }
    return rank_statistics(std::move(groups), base, progress);
}

std::vector<StatisticsRow> rank_statistics(std::vector<ValueCount> groups, long long base,
                                           Progress& progress) {
    std::sort(groups.begin(), groups.end(), [](const ValueCount& a, const ValueCount& b) {
        if (a.count != b.count) {
            return a.count > b.count;
        }
        return text::compare_text(a.zhi, b.zhi) < 0;
    });

    progress.set_maximum(static_cast<long long>(groups.size()));
    std::vector<StatisticsRow> rows;
    rows.reserve(groups.size());
    long long rank = 1;
    long long running = 0;
    for (const auto& [value, count] : groups) {
        running += count;
        rows.push_back({pad_number(rank), std::string(value), pad_number(count),
                        format_percentage(count, base), format_percentage(running, base)});
        if ((rank & 0x3FF) == 0 || rank == static_cast<long long>(groups.size())) {
            progress.set_position(rank);
            progress.pump();
        }
        ++rank;
    }
    return rows;
}

} // namespace lumacite::analysis
