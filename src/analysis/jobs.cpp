// The statistics and matrix jobs over the project workspace.
#include "analysis/jobs.h"
#include "huge_pages.h"
#include "messages.h"

#include "text/text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <future>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace lumacite::analysis {

std::string statistics_question(std::string_view keyword, bool counted_before) {
    std::string out = counted_before ? msg::stats_ask_again_prefix : msg::stats_ask_prefix;
    out += keyword;
    out += counted_before ? msg::stats_ask_again_suffix : msg::stats_ask_suffix;
    return out;
}

std::string statistics_needed_message(std::string_view keyword) {
    std::string out = msg::stats_need_prefix;
    out += keyword;
    out += msg::stats_need_suffix;
    return out;
}

std::string generation_question(std::string_view keyword, MatrixKind kind) {
    std::string out = msg::matrix_ask_prefix;
    out += keyword;
    out += kind == MatrixKind::word_document ? msg::matrix_ask_word_document_suffix
                                             : msg::matrix_ask_cooccurrence_suffix;
    return out;
}

std::string statistics_job_title(std::string_view keyword) {
    std::string out = msg::job_title_statistics;
    out += keyword;
    return out;
}

std::string matrix_job_title(MatrixKind kind) {
    return kind == MatrixKind::word_document ? msg::job_title_word_document
                                             : msg::job_title_cooccurrence;
}

namespace {

// A cheap 64-bit hash of a short byte string, a word at a time (values and article numbers
// are mostly under 64 bytes); the final mix spreads every input bit over the low bits
// the table indexes with.
std::uint64_t text_hash(std::string_view text) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = text.size() * k;
    const char* p = text.data();
    std::size_t left = text.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * k;
        h ^= h >> 32;
    }
    if (left > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, left);
        h = (h ^ w) * k;
    }
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}

// Numbers the distinct stored texts of a field in order of first appearance. An open-
// addressing table of slots (the hash's high half, number, where the text is) over one
// buffer of the texts: a lookup reads one slot and, when the tags agree, the text.
class StoredNumbers {
public:
    StoredNumbers() : slots_(1024) {}

    std::uint32_t number(std::string_view stored) {
        const std::uint64_t hash = text_hash(stored);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.number == empty) {
                break;
            }
            if (slot.tag == tag && text(slot.where) == stored) {
                return slot.number;
            }
        }
        const auto n = static_cast<std::uint32_t>(where_.size());
        // A stored field is at most 255 bytes: the length takes the low 16 bits.
        const std::uint64_t where = (std::uint64_t{buffer_.size()} << 16) | stored.size();
        where_.push_back(where);
        buffer_.append(stored);
        if (2 * where_.size() > slots_.size()) {
            grow();
            mask = slots_.size() - 1;
        }
        place(hash, {tag, n, where});
        return n;
    }

    std::size_t size() const { return where_.size(); }
    // The text numbered n.
    std::string_view text_of(std::uint32_t n) const { return text(where_[n]); }

    // Decodes each text once into `decoded` (texts that decode alike share one entry) and
    // returns the entry of each number.
    // An ASCII text decodes to itself and no other text decodes to it (every byte from
    // 0x80 up decodes to a character from U+0080 up): it takes an entry of its own.
    std::vector<std::uint32_t> decode(std::vector<std::string>& decoded) const {
        std::unordered_map<std::string, std::uint32_t> seen;
        std::vector<std::uint32_t> entry;
        entry.reserve(where_.size());
        decoded.reserve(where_.size());
        for (const std::uint64_t where : where_) {
            const std::string_view stored = text(where);
            if (text::is_ascii(stored)) {
                entry.push_back(static_cast<std::uint32_t>(decoded.size()));
                decoded.emplace_back(stored);
                continue;
            }
            std::string utf8 = text::gb18030_to_utf8(stored);
            const auto [it, added] = seen.emplace(utf8, static_cast<std::uint32_t>(decoded.size()));
            if (added) {
                decoded.push_back(std::move(utf8));
            }
            entry.push_back(it->second);
        }
        return entry;
    }

private:
    static constexpr std::uint32_t empty = UINT32_MAX;
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t number = empty;
        std::uint64_t where = 0; // offset << 16 | length
    };

    std::string_view text(std::uint64_t where) const {
        return {buffer_.data() + (where >> 16), static_cast<std::size_t>(where & 0xFFFF)};
    }
    void place(std::uint64_t hash, const Slot& slot) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        while (slots_[i].number != empty) {
            i = (i + 1) & mask;
        }
        slots_[i] = slot;
    }
    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.number != empty) {
                place(text_hash(text(slot.where)), slot);
            }
        }
    }

    std::vector<Slot> slots_;          // a power of two, at most half full
    std::string buffer_;               // the texts one after another
    std::vector<std::uint64_t> where_; // where each number's text is
};

// The pairs of a stretch of the table, values and articles numbered in order of first
// appearance there.
struct OccurrencePart {
    StoredNumbers values;
    StoredNumbers articles;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    // A document's rows come article by article: the last article saves most lookups.
    std::string last_article;
    std::uint32_t last_number = 0;
    bool any = false;

    void take(std::span<const store::StoredValue> rows) {
        for (const store::StoredValue& row : rows) {
            if (!any || row.wenzhangha != last_article) {
                last_article.assign(row.wenzhangha);
                last_number = articles.number(row.wenzhangha);
                any = true;
            }
            if (row.selected) {
                pairs.emplace_back(last_number, values.number(row.zhi));
            }
        }
    }
    // Adds the stretch that follows this one: its texts take this part's numbers, or new
    // ones in their order there, as one reading of both would have numbered them.
    void append(const OccurrencePart& next) {
        const auto renumbered = [](StoredNumbers& to, const StoredNumbers& from) {
            std::vector<std::uint32_t> map(from.size());
            for (std::uint32_t n = 0; n < map.size(); ++n) {
                map[n] = to.number(from.text_of(n));
            }
            return map;
        };
        const auto article_map = renumbered(articles, next.articles);
        const auto value_map = renumbered(values, next.values);
        for (const auto& [article, value] : next.pairs) {
            pairs.emplace_back(article_map[article], value_map[value]);
        }
    }
};

} // namespace

KeywordOccurrences read_occurrences(store::Workspace& workspace, std::string_view keyword,
                                    std::string_view format_type, bool count_all_articles,
                                    Progress& progress, std::uint32_t halves_from) {
    const OccurrenceSource source = occurrence_source(keyword, format_type);
    const std::uint32_t records = workspace.value_record_count();
    // A large table is read in two halves at once, the second on another thread.
    const bool halves = records >= halves_from && std::thread::hardware_concurrency() > 1;
    const std::uint32_t middle = halves ? records / 2 : records;
    OccurrencePart first;
    OccurrencePart second;
    // Room for a pair per row: only what is filled is touched, and the pairs are never
    // copied to a larger block on the way.
    reserve_huge(first.pairs, records);
    std::atomic<std::uint64_t> second_read{0};
    bool started = false;
    const auto show = [&](std::uint64_t done) {
        if (!started) {
            progress.set_maximum(static_cast<long long>(records));
            started = true;
        }
        progress.set_position(static_cast<long long>(done));
        progress.pump();
    };
    std::future<void> other;
    if (halves) {
        workspace.settle_values();
        reserve_huge(second.pairs, records - middle);
        other = std::async(std::launch::async, [&] {
            workspace.scan_value_records(
                middle, records, source.stored_keywords, count_all_articles,
                [&](std::span<const store::StoredValue> rows) { second.take(rows); },
                [&](std::uint64_t done, std::uint64_t) { second_read = done; });
        });
    }
    workspace.scan_value_records(
        0, middle, source.stored_keywords, count_all_articles,
        [&](std::span<const store::StoredValue> rows) { first.take(rows); },
        [&](std::uint64_t done, std::uint64_t) { show(done + second_read); });
    if (halves) {
        while (other.wait_for(std::chrono::milliseconds(40)) != std::future_status::ready) {
            show(middle + second_read);
        }
        other.get();
        show(records);
        first.append(second);
        second = OccurrencePart{};
    }
    StoredNumbers& values = first.values;
    StoredNumbers& articles = first.articles;
    std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs = first.pairs;

    KeywordOccurrences out;
    const auto value_entry = values.decode(out.values);
    const auto article_entry = articles.decode(out.articles);
    for (auto& [article, value] : pairs) {
        article = article_entry[article];
        value = value_entry[value];
    }
    if (source.distinct) {
        std::unordered_set<std::uint64_t> seen;
        seen.reserve(pairs.size());
        std::erase_if(pairs, [&](const auto& p) {
            return !seen.insert((std::uint64_t{p.first} << 32) | p.second).second;
        });
    }
    out.pairs = std::move(pairs);
    if (count_all_articles) {
        out.all_articles = static_cast<long long>(out.articles.size());
    }
    return out;
}

StatisticsOutcome run_statistics_job(store::Workspace& workspace, const std::string& keyword,
                                     const std::string& format_type, Progress& progress) {
    const bool article_base = uses_article_base(keyword, format_type);
    const KeywordOccurrences occurrences =
        read_occurrences(workspace, keyword, format_type, article_base, progress);
    const long long base =
        article_base ? occurrences.all_articles : static_cast<long long>(occurrences.pairs.size());
    if (base < 1) {
        workspace.replace_statistics(keyword, {});
        return StatisticsOutcome::zero;
    }

    std::vector<ValueCount> counts(occurrences.values.size());
    for (std::size_t v = 0; v < counts.size(); ++v) {
        counts[v].zhi = occurrences.values[v];
    }
    for (const auto& pair : occurrences.pairs) {
        ++counts[pair.second].count;
    }
    // Values whose every row was a repeat of a pair have no occurrence of their own.
    std::erase_if(counts, [](const ValueCount& c) { return c.count == 0; });

    const auto computed = rank_statistics(std::move(counts), base, progress);
    std::vector<store::StatisticsRow> ranked;
    ranked.reserve(computed.size());
    for (const StatisticsRow& r : computed) {
        store::StatisticsRow row;
        row.xuhao = r.xuhao;
        row.guanjianzi = keyword;
        row.zhi = r.zhi;
        row.cishu = r.cishu;
        row.baifenbi = r.baifenbi;
        row.leijibi = r.leijibi;
        ranked.push_back(std::move(row));
    }
    workspace.replace_statistics(keyword, ranked);
    workspace.commit();
    return StatisticsOutcome::counted;
}

std::vector<RankedValue> ranked_values(store::Workspace& workspace, std::string_view keyword) {
    std::vector<RankedValue> out;
    for (const auto& r : workspace.statistics(keyword)) {
        out.push_back({r.zhi, parse_count(r.cishu)});
    }
    return out;
}

namespace {

// The index in the selection of each of the occurrences' values (none when not selected).
constexpr std::uint32_t none = UINT32_MAX;
std::vector<std::uint32_t> selection_of_values(const KeywordOccurrences& occurrences,
                                               std::span<const RankedValue> selected) {
    std::unordered_map<std::string_view, std::uint32_t> index;
    index.reserve(selected.size() * 2);
    for (std::size_t i = 0; i < selected.size(); ++i) {
        index.emplace(selected[i].zhi, static_cast<std::uint32_t>(i));
    }
    std::vector<std::uint32_t> selection(occurrences.values.size(), none);
    for (std::size_t v = 0; v < selection.size(); ++v) {
        if (const auto it = index.find(occurrences.values[v]); it != index.end()) {
            selection[v] = it->second;
        }
    }
    return selection;
}

// The occurrences of the selected values: each with the article's number and the value's
// index in the selection, in row order.
std::vector<MatrixOccurrence> matched_occurrences(const KeywordOccurrences& occurrences,
                                                  std::span<const RankedValue> selected) {
    const auto selection = selection_of_values(occurrences, selected);
    std::vector<MatrixOccurrence> out;
    for (const auto& [article, value] : occurrences.pairs) {
        if (selection[value] != none) {
            out.push_back({occurrences.articles[article], selection[value]});
        }
    }
    return out;
}

// The co-occurrence matrix of the selected values, the articles numbered as read. The
// pairs of the selected values take the place of the occurrences' pairs, which are spent
// (a copy would be fresh memory as large again).
CooccurrenceMatrix cooccurrence_of(KeywordOccurrences& occurrences,
                                   std::span<const RankedValue> selected, Progress& progress) {
    const auto selection = selection_of_values(occurrences, selected);
    auto& pairs = occurrences.pairs;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const auto [article, value] = pairs[k];
        if (selection[value] != none) {
            pairs[kept++] = {article, selection[value]};
        }
    }
    pairs.resize(kept);
    return build_cooccurrence(selected, pairs,
                              static_cast<std::uint32_t>(occurrences.articles.size()), progress);
}

} // namespace

bool run_matrix_job(store::Workspace& workspace, MatrixKind kind, const std::string& keyword,
                    const std::string& format_type, std::span<const RankedValue> ranked,
                    long long lower, long long upper, MatrixResults& results, Progress& progress) {
    const auto selected = select_values(ranked, lower, upper);
    if (!selected) {
        return false;
    }
    auto occurrences = read_occurrences(workspace, keyword, format_type, false, progress);
    const auto n = static_cast<long long>(selected->size());
    const char* select_title = kind == MatrixKind::word_document ? msg::word_document_select_title
                                                                 : msg::cooccurrence_select_title;
    progress.set_title(select_title + std::to_string(n) + " \\ " + std::to_string(n));
    if (kind == MatrixKind::word_document) {
        results.word_document =
            build_word_document(*selected, matched_occurrences(occurrences, *selected), progress);
    } else {
        results.cooccurrence = cooccurrence_of(occurrences, *selected, progress);
    }
    return true;
}

std::optional<CooccurrenceData>
read_cooccurrence(store::Workspace& workspace, const std::string& keyword,
                  const std::string& format_type, std::span<const RankedValue> ranked,
                  long long lower, long long upper, Progress& progress) {
    const auto selected = select_values(ranked, lower, upper);
    if (!selected) {
        return std::nullopt;
    }
    auto occurrences = read_occurrences(workspace, keyword, format_type, false, progress);
    CooccurrenceData out;
    out.articles = static_cast<long long>(occurrences.articles.size());
    out.matrix = cooccurrence_of(occurrences, *selected, progress);
    return out;
}

} // namespace lumacite::analysis
