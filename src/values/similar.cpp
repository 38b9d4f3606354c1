// Similar values: the folding that spelling variants share, author initials, and groups.
#include "text/text.h"
#include "values/cleaning.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

namespace lumacite::values {
namespace {

char32_t half_width(char32_t cp) {
    if (cp >= 0xFF01 && cp <= 0xFF5E) {
        return cp - 0xFEE0;
    }
    return cp == 0x3000 ? U' ' : cp;
}

// Chinese, Japanese and Korean characters (CJK punctuation aside).
bool is_cjk(char32_t cp) {
    return (cp >= 0x2E80 && cp < 0x3000) || (cp >= 0x3040 && cp <= 0x9FFF) ||
           (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFF);
}

bool is_dropped(char32_t cp) {
    if (cp < 0x80) {
        return !((cp >= '0' && cp <= '9') || (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z'));
    }
    return (cp >= 0x80 && cp <= 0xBF) || cp == 0xD7 || cp == 0xF7 ||
           (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x2000 && cp <= 0x206F) ||
           (cp >= 0x3000 && cp <= 0x303F) || cp == 0xFEFF;
}

// The base letters of U+00C0-U+017F, lower case; "" where the character has none here.
const char* latin_base(char32_t cp) {
    static const char* const latin1[64] = {
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
        "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
        "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};
    // Latin Extended-A by ranges of one base letter.
    struct Range {
        char32_t last;
        const char* base;
    };
    static const Range extended[] = {
        {0x0105, "a"}, {0x010D, "c"},  {0x0111, "d"}, {0x011B, "e"}, {0x0123, "g"}, {0x0127, "h"},
        {0x0131, "i"}, {0x0133, "ij"}, {0x0135, "j"}, {0x0138, "k"}, {0x0142, "l"}, {0x014B, "n"},
        {0x0151, "o"}, {0x0153, "oe"}, {0x0159, "r"}, {0x0161, "s"}, {0x0167, "t"}, {0x0173, "u"},
        {0x0175, "w"}, {0x0178, "y"},  {0x017E, "z"}, {0x017F, "s"}};
    if (cp >= 0xC0 && cp <= 0xFF) {
        return latin1[cp - 0xC0];
    }
    if (cp >= 0x0100 && cp <= 0x017F) {
        for (const auto& r : extended) {
            if (cp <= r.last) {
                return r.base;
            }
        }
    }
    switch (cp) {
    case 0x0218:
    case 0x0219:
        return "s";
    case 0x021A:
    case 0x021B:
        return "t";
    default:
        return nullptr;
    }
}

bool has_cjk(std::string_view value) {
    for (std::size_t pos = 0; pos < value.size();) {
        if (is_cjk(text::next_code_point(value, pos))) {
            return true;
        }
    }
    return false;
}

// An author name split as surname key and initials ("Smith, J.A." -> "smith", "JA").
struct Name {
    std::string surname;
    std::string initials;
};

std::optional<Name> author_name(std::string_view value) {
    if (has_cjk(value)) {
        return std::nullopt;
    }
    const std::string folded = width_folded(value);
    std::vector<std::string_view> tokens;
    std::string_view rest = folded;
    while (!rest.empty()) {
        const auto start = rest.find_first_not_of(" ,");
        if (start == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(start);
        const auto end = std::min(rest.find_first_of(" ,"), rest.size());
        tokens.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    // Initials: trailing tokens of one to three capitals, dots and hyphens allowed.
    std::size_t first = tokens.size();
    std::string initials;
    while (first > 1) {
        std::string letters;
        bool fits = true;
        for (const char c : tokens[first - 1]) {
            if (c >= 'A' && c <= 'Z') {
                letters += c;
            } else if (c != '.' && c != '-') {
                fits = false;
                break;
            }
        }
        if (!fits || letters.empty() || letters.size() > 3) {
            break;
        }
        initials.insert(0, letters);
        --first;
    }
    if (initials.empty()) {
        return std::nullopt;
    }
    std::string surname;
    for (std::size_t i = 0; i < first; ++i) {
        surname += tokens[i];
    }
    surname = similarity_key(surname);
    if (surname.empty()) {
        return std::nullopt;
    }
    return Name{std::move(surname), std::move(initials)};
}

// The GB18030 bytes of each value, for the text order.
struct ByCount {
    std::span<const ValueCount> values;
    std::vector<std::string>& order_keys;
    bool operator()(std::size_t a, std::size_t b) const {
        if (values[a].cishu != values[b].cishu) {
            return values[a].cishu > values[b].cishu;
        }
        return order_keys[a] < order_keys[b];
    }
};

} // namespace

std::string width_folded(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t pos = 0; pos < value.size();) {
        const std::size_t begin = pos;
        const char32_t cp = text::next_code_point(value, pos);
        const char32_t half = half_width(cp);
        if (half == cp) {
            out.append(value.substr(begin, pos - begin));
        } else {
            text::append_utf8(out, half);
        }
    }
    return out;
}

std::string similarity_key(std::string_view value) {
    if (has_cjk(value)) {
        return width_folded(value);
    }
    std::string out;
    out.reserve(value.size());
    for (std::size_t pos = 0; pos < value.size();) {
        const std::size_t begin = pos;
        const char32_t cp = half_width(text::next_code_point(value, pos));
        if (is_dropped(cp)) {
            continue;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
        } else if (const char* base = latin_base(cp)) {
            out += base;
        } else {
            out.append(value.substr(begin, pos - begin));
        }
    }
    return out;
}

std::vector<ValueCount> value_counts(store::Workspace& workspace, const std::string& keyword,
                                     const std::string& format_type, Progress& progress) {
    const auto source = analysis::occurrence_source(keyword, format_type);
    store::ValueFilter filter = store::ValueFilter::keywords(source.stored_keywords);
    filter.bianhao = workspace.number();
    progress.set_maximum(workspace.value_record_count());
    std::unordered_map<std::string, std::uint64_t> counts;
    std::unordered_set<std::string> pairs;
    std::uint64_t seen = 0;
    workspace.for_each_value(filter, [&](const store::ValueRow& r) {
        if (++seen % 4096 == 0) {
            progress.set_position(r.record);
            progress.pump();
        }
        if (source.distinct && !pairs.insert(r.wenzhangha + '\0' + r.zhi).second) {
            return;
        }
        ++counts[r.zhi];
    });
    std::vector<std::pair<std::string, ValueCount>> keyed;
    keyed.reserve(counts.size());
    for (auto& [zhi, n] : counts) {
        keyed.push_back({text::utf8_to_gb18030(zhi), {zhi, n}});
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ValueCount> out;
    out.reserve(keyed.size());
    for (auto& k : keyed) {
        out.push_back(std::move(k.second));
    }
    progress.set_position(workspace.value_record_count());
    return out;
}

std::vector<SimilarGroup> similar_groups(std::span<const ValueCount> values, bool authors) {
    // Units: the values of one similarity key (a "same" group when more than one).
    std::unordered_map<std::string, std::size_t> unit_of_key;
    std::vector<std::vector<std::size_t>> units;
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string key = similarity_key(values[i].zhi);
        if (key.empty()) {
            continue;
        }
        const auto [it, added] = unit_of_key.try_emplace(std::move(key), units.size());
        if (added) {
            units.emplace_back();
        }
        units[it->second].push_back(i);
    }

    // With authors: units of one surname joined by initials extending one another.
    std::vector<std::size_t> joined_to(units.size(), SIZE_MAX); // unit -> weak group
    std::vector<std::vector<std::size_t>> weak;                 // units of each weak group
    if (authors) {
        // surname -> initials -> units
        std::unordered_map<std::string, std::map<std::string, std::vector<std::size_t>>> names;
        for (std::size_t u = 0; u < units.size(); ++u) {
            for (const std::size_t i : units[u]) {
                if (auto name = author_name(values[i].zhi)) {
                    names[name->surname][name->initials].push_back(u);
                    break;
                }
            }
        }
        for (auto& bucket : names) {
            const auto& by_initials = bucket.second;
            if (by_initials.size() < 2) {
                continue;
            }
            // Initials no others extend.
            std::vector<std::string> maximal;
            for (const auto& a : by_initials) {
                if (std::none_of(by_initials.begin(), by_initials.end(), [&](const auto& b) {
                        return b.first.size() > a.first.size() && b.first.starts_with(a.first);
                    })) {
                    maximal.push_back(a.first);
                }
            }
            std::map<std::string, std::vector<std::size_t>> group_of_longest;
            for (const auto& [initials, us] : by_initials) {
                // The maximal initials this one is a prefix of: one, or the name is ambiguous.
                const std::string* longest = nullptr;
                int extensions = 0;
                for (const auto& m : maximal) {
                    if (m.starts_with(initials)) {
                        longest = &m;
                        ++extensions;
                    }
                }
                if (extensions == 1) {
                    auto& g = group_of_longest[*longest];
                    g.insert(g.end(), us.begin(), us.end());
                }
            }
            for (auto& entry : group_of_longest) {
                auto& us = entry.second;
                if (us.size() < 2) {
                    continue;
                }
                for (const std::size_t u : us) {
                    joined_to[u] = weak.size();
                }
                weak.push_back(std::move(us));
            }
        }
    }

    // Each group with its total count and the stored bytes of its proposed form, the keys of
    // the order of the groups.
    struct Ranked {
        std::uint64_t total = 0;
        std::string key;
        SimilarGroup group;
    };
    std::vector<std::string> order_keys(values.size());
    auto group_of = [&](Likeness likeness, const std::vector<std::size_t>& members) {
        std::vector<std::size_t> sorted = members;
        for (const std::size_t i : sorted) {
            order_keys[i] = text::utf8_to_gb18030(values[i].zhi);
        }
        std::sort(sorted.begin(), sorted.end(), ByCount{values, order_keys});
        Ranked r;
        r.key = order_keys[sorted.front()];
        r.group.likeness = likeness;
        for (const std::size_t i : sorted) {
            r.total += values[i].cishu;
            r.group.members.push_back(values[i]);
        }
        return r;
    };
    std::vector<Ranked> ranked;
    for (std::size_t u = 0; u < units.size(); ++u) {
        if (units[u].size() > 1 && joined_to[u] == SIZE_MAX) {
            ranked.push_back(group_of(Likeness::same, units[u]));
        }
    }
    const auto same_groups = static_cast<long>(ranked.size());
    for (const auto& us : weak) {
        std::vector<std::size_t> members;
        for (const std::size_t u : us) {
            members.insert(members.end(), units[u].begin(), units[u].end());
        }
        ranked.push_back(group_of(Likeness::initials, members));
    }
    auto order = [](const Ranked& a, const Ranked& b) {
        return a.total != b.total ? a.total > b.total : a.key < b.key;
    };
    std::sort(ranked.begin(), ranked.begin() + same_groups, order);
    std::sort(ranked.begin() + same_groups, ranked.end(), order);
    std::vector<SimilarGroup> groups;
    groups.reserve(ranked.size());
    for (auto& r : ranked) {
        groups.push_back(std::move(r.group));
    }
    return groups;
}

} // namespace lumacite::values
