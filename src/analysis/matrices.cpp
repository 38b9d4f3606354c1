// Value selection by count range, the word–document and co-occurrence matrices, their
// text lines and the matrix export file.
#include "analysis/analysis.h"
#include "huge_pages.h"
#include "messages.h"
#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <unordered_map>

namespace lumacite::analysis {

long long parse_bound(std::string_view text) {
    const std::string_view t = text::trim_view(text);
    long long value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        return 0;
    }
    return value;
}

std::optional<std::vector<RankedValue>> select_values(std::span<const RankedValue> ranked,
                                                      long long lower, long long upper) {
    if (ranked.empty() || ranked.front().cishu < lower || ranked.back().cishu > upper) {
        return std::nullopt;
    }
    std::vector<RankedValue> selected;
    for (const RankedValue& r : ranked) {
        if (r.cishu > upper) {
            continue;
        }
        if (r.cishu < lower) {
            break;
        }
        selected.push_back(r);
    }
    return selected;
}

std::vector<MatrixOccurrence> match_selected(std::span<const Occurrence> occurrences,
                                             std::span<const RankedValue> selected) {
    std::unordered_map<std::string_view, std::uint32_t> index;
    index.reserve(selected.size() * 2);
    for (std::size_t i = 0; i < selected.size(); ++i) {
        index.emplace(selected[i].zhi, static_cast<std::uint32_t>(i));
    }
    std::vector<MatrixOccurrence> out;
    for (const Occurrence& o : occurrences) {
        if (const auto it = index.find(o.zhi); it != index.end()) {
            out.push_back({o.wenzhangha, it->second});
        }
    }
    return out;
}

namespace {

// Gives every distinct article of the occurrences a dense number; `ordered` numbers them
// in ascending text order, otherwise in order of first appearance.
struct ArticleNumbers {
    std::vector<std::string_view> articles;
    std::vector<std::uint32_t> of_occurrence;
};

ArticleNumbers number_articles(std::span<const MatrixOccurrence> occurrences, bool ordered) {
    ArticleNumbers out;
    std::unordered_map<std::string_view, std::uint32_t> ids;
    ids.reserve(occurrences.size() / 2 + 16);
    out.of_occurrence.reserve(occurrences.size());
    for (const MatrixOccurrence& o : occurrences) {
        const auto [it, added] =
            ids.emplace(o.wenzhangha, static_cast<std::uint32_t>(out.articles.size()));
        if (added) {
            out.articles.push_back(o.wenzhangha);
        }
        out.of_occurrence.push_back(it->second);
    }
    if (ordered) {
        std::vector<std::uint32_t> order(out.articles.size());
        for (std::uint32_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return text::compare_text(out.articles[a], out.articles[b]) < 0;
        });
        std::vector<std::uint32_t> rank(order.size());
        std::vector<std::string_view> sorted(order.size());
        for (std::uint32_t r = 0; r < order.size(); ++r) {
            rank[order[r]] = r;
            sorted[r] = out.articles[order[r]];
        }
        out.articles = std::move(sorted);
        for (auto& id : out.of_occurrence) {
            id = rank[id];
        }
    }
    return out;
}

std::string progress_title(const char* prefix, long long position, long long maximum) {
    return prefix + std::to_string(position) + " \\ " + std::to_string(maximum);
}

} // namespace

bool WordDocumentMatrix::cell(std::size_t row, std::size_t column) const {
    const auto& r = ones[row];
    return std::binary_search(r.begin(), r.end(), static_cast<std::uint32_t>(column));
}

WordDocumentMatrix build_word_document(std::span<const RankedValue> selected,
                                       std::span<const MatrixOccurrence> occurrences,
                                       Progress& progress) {
    WordDocumentMatrix m;
    m.values.reserve(selected.size());
    for (const RankedValue& v : selected) {
        m.values.push_back(v.zhi);
    }
    const ArticleNumbers numbers = number_articles(occurrences, true);
    m.articles.assign(numbers.articles.begin(), numbers.articles.end());
    m.ones.resize(selected.size());
    for (std::size_t k = 0; k < occurrences.size(); ++k) {
        m.ones[occurrences[k].value].push_back(numbers.of_occurrence[k]);
    }
    const long long columns = static_cast<long long>(m.articles.size());
    const long long maximum = columns * static_cast<long long>(selected.size());
    progress.set_maximum(maximum);
    for (std::size_t i = 0; i < m.ones.size(); ++i) {
        auto& row = m.ones[i];
        std::sort(row.begin(), row.end());
        row.erase(std::unique(row.begin(), row.end()), row.end());
        const long long done = columns * static_cast<long long>(i + 1);
        progress.set_position(done);
        progress.set_title(progress_title(msg::word_document_cell_title, done, maximum));
        progress.pump();
    }
    return m;
}

std::vector<std::string> text_lines(const WordDocumentMatrix& matrix, LineCell cell) {
    std::vector<std::string> lines;
    lines.reserve(matrix.rows() + 1);
    std::string header = "*";
    for (const auto& a : matrix.articles) {
        header += '\t';
        header += cell != nullptr ? cell(a) : a;
    }
    lines.push_back(std::move(header));
    for (std::size_t i = 0; i < matrix.rows(); ++i) {
        std::string line = cell != nullptr ? cell(matrix.values[i]) : matrix.values[i];
        line.reserve(line.size() + 2 * matrix.columns());
        std::size_t column = 0;
        for (const std::uint32_t one : matrix.ones[i]) {
            for (; column < one; ++column) {
                line += "\t0";
            }
            line += "\t1";
            ++column;
        }
        for (; column < matrix.columns(); ++column) {
            line += "\t0";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

CooccurrenceMatrix build_cooccurrence(std::span<const RankedValue> selected,
                                      std::span<const MatrixOccurrence> occurrences,
                                      Progress& progress) {
    const ArticleNumbers numbers = number_articles(occurrences, false);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> numbered(occurrences.size());
    for (std::size_t k = 0; k < occurrences.size(); ++k) {
        numbered[k] = {numbers.of_occurrence[k], occurrences[k].value};
    }
    return build_cooccurrence(selected, numbered,
                              static_cast<std::uint32_t>(numbers.articles.size()), progress);
}

CooccurrenceMatrix
build_cooccurrence(std::span<const RankedValue> selected,
                   std::span<const std::pair<std::uint32_t, std::uint32_t>> occurrences,
                   std::uint32_t articles, Progress& progress, std::size_t halves_from) {
    const std::size_t n = selected.size();
    CooccurrenceMatrix m;
    m.values.reserve(n);
    for (const RankedValue& v : selected) {
        m.values.push_back(v.zhi);
    }
    reserve_huge(m.cells, n * n);
    m.cells.assign(n * n, 0);

    // The values of each article together, as groups: value(k) for k from group_start[g] to
    // group_start[g + 1]. When each article's occurrences already come together (a table's
    // rows come article by article) the groups are their runs where they stand; otherwise
    // the articles' values are brought together by a counting sort by article.
    std::vector<std::uint32_t> group_start;
    std::unique_ptr<std::uint32_t[]> grouped;
    {
        std::vector<bool> seen(articles, false);
        bool together = true;
        for (std::size_t k = 0; k < occurrences.size() && together; ++k) {
            if (k == 0 || occurrences[k].first != occurrences[k - 1].first) {
                together = !seen[occurrences[k].first];
                seen[occurrences[k].first] = true;
                group_start.push_back(static_cast<std::uint32_t>(k));
            }
        }
        group_start.push_back(static_cast<std::uint32_t>(occurrences.size()));
        if (!together) {
            group_start.assign(static_cast<std::size_t>(articles) + 1, 0);
            for (const auto& o : occurrences) {
                ++group_start[o.first + 1];
            }
            for (std::size_t a = 0; a < articles; ++a) {
                group_start[a + 1] += group_start[a];
            }
            // Every entry is written below: left uninitialised until then.
            grouped.reset(new std::uint32_t[occurrences.size()]);
            advise_huge_pages(grouped.get(), occurrences.size() * sizeof(std::uint32_t));
            std::vector<std::uint32_t> next(group_start.begin(), group_start.end() - 1);
            for (const auto& o : occurrences) {
                grouped[next[o.first]++] = o.second;
            }
        }
    }
    const std::size_t groups = group_start.size() - 1;
    const auto value = [&](std::uint32_t k) {
        return grouped ? grouped[k] : occurrences[k].second;
    };

    const long long maximum = static_cast<long long>(n) * static_cast<long long>(n);
    progress.set_maximum(maximum);
    // Adds the pairs of groups [first, last) to the upper triangle of `cells`; `shown`
    // reports the groups done (the calling thread only). An article's distinct values
    // and their repeats are counted in `times` (a value indexes it directly, cheaper than
    // sorting the article's values), then put in ascending order.
    const auto sum = [&](std::size_t first, std::size_t last, long long* cells,
                         const std::function<void(std::size_t)>& shown) {
        std::vector<std::uint32_t> times(n, 0);
        std::vector<std::uint32_t> distinct;
        for (std::size_t g = first; g < last; ++g) {
            distinct.clear();
            for (std::uint32_t k = group_start[g]; k < group_start[g + 1]; ++k) {
                const std::uint32_t v = value(k);
                if (times[v]++ == 0) {
                    distinct.push_back(v);
                }
            }
            std::sort(distinct.begin(), distinct.end());
            for (std::size_t i = 0; i < distinct.size(); ++i) {
                const long long repeats = times[distinct[i]];
                long long* row = cells + static_cast<std::size_t>(distinct[i]) * n;
                for (std::size_t j = i + 1; j < distinct.size(); ++j) {
                    row[distinct[j]] += repeats * times[distinct[j]];
                }
            }
            for (const std::uint32_t v : distinct) {
                times[v] = 0;
            }
            if (shown && ((g - first + 1) & 0xFFF) == 0) {
                shown(g - first + 1);
            }
        }
    };
    const auto show = [&](std::size_t done) {
        const long long position =
            maximum * static_cast<long long>(done) / std::max<long long>(groups, 1);
        progress.set_position(position);
        progress.set_title(progress_title(msg::cooccurrence_cell_title, position, maximum));
        progress.pump();
    };
    // Many occurrences: the groups holding the second half of them are summed on another
    // thread into a matrix of its own, added at the end.
    const bool halves = occurrences.size() >= halves_from &&
                        std::thread::hardware_concurrency() > 1 &&
                        n * n * sizeof(long long) <= (8u << 20);
    if (halves) {
        const auto middle = static_cast<std::size_t>(
            std::lower_bound(group_start.begin(), group_start.end(), group_start[groups] / 2) -
            group_start.begin());
        const std::size_t split = std::min<std::size_t>(middle, groups);
        std::vector<long long> second(n * n, 0);
        auto other =
            std::async(std::launch::async, [&] { sum(split, groups, second.data(), nullptr); });
        sum(0, split, m.cells.data(), show);
        while (other.wait_for(std::chrono::milliseconds(40)) != std::future_status::ready) {
            progress.pump();
        }
        other.get();
        for (std::size_t k = 0; k < n * n; ++k) {
            m.cells[k] += second[k];
        }
    } else {
        sum(0, groups, m.cells.data(), show);
    }
    // Only the upper triangle was summed (values ascend within an article): mirror it in
    // tiles (the column walk stays within a few pages) and put the statistics counts on
    // the diagonal.
    constexpr std::size_t tile = 64;
    for (std::size_t i0 = 0; i0 < n; i0 += tile) {
        for (std::size_t j0 = i0; j0 < n; j0 += tile) {
            for (std::size_t i = i0; i < std::min(n, i0 + tile); ++i) {
                for (std::size_t j = std::max(j0, i + 1); j < std::min(n, j0 + tile); ++j) {
                    m.cells[j * n + i] = m.cells[i * n + j];
                }
            }
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        m.cells[i * n + i] = selected[i].cishu;
    }
    progress.set_position(maximum);
    progress.set_title(progress_title(msg::cooccurrence_cell_title, maximum, maximum));
    progress.pump();
    return m;
}

std::vector<std::string> text_lines(const CooccurrenceMatrix& matrix, LineCell cell) {
    const std::size_t n = matrix.size();
    std::vector<std::string> lines;
    lines.reserve(n + 1);
    std::string header = "*";
    for (const auto& v : matrix.values) {
        header += '\t';
        header += cell != nullptr ? cell(v) : v;
    }
    lines.push_back(std::move(header));
    char digits[24];
    for (std::size_t i = 0; i < n; ++i) {
        std::string line = cell != nullptr ? cell(matrix.values[i]) : matrix.values[i];
        for (std::size_t j = 0; j < n; ++j) {
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, matrix.at(i, j));
            line += '\t';
            line.append(digits, end);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> MatrixResults::word_document_lines() const {
    if (!word_document) {
        return {msg::word_document_placeholder};
    }
    return text_lines(*word_document);
}

std::vector<std::string> MatrixResults::cooccurrence_lines() const {
    if (!cooccurrence) {
        return {};
    }
    return text_lines(*cooccurrence);
}

std::filesystem::path matrix_export_target(const std::filesystem::path& chosen) {
    std::filesystem::path target = chosen;
    target += ".txt";
    return target;
}

void write_matrix_lines(const std::filesystem::path& file, std::span<const std::string> lines) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error(std::string(msg::file_cannot_write) + file.string());
    }
    for (const auto& line : lines) {
        const std::string encoded = text::utf8_to_gb18030(line);
        out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
        out.write("\r\n", 2);
    }
    out.flush();
    if (!out) {
        throw std::runtime_error(std::string(msg::file_cannot_write) + file.string());
    }
}

} // namespace lumacite::analysis
