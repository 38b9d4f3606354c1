// Frequency statistics of one keyword and the two matrices over the values whose counts
// lie within a range: the word–document matrix (values × articles) and the co-occurrence
// matrix (values × values), with their tab-separated text lines and the matrix export file.
//
// Everything here works on plain rows and holds no table open; the job bodies in jobs.h
// read the project workspace, call these functions and write the results back.
#pragma once

#include "progress.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace lumacite::analysis {

// ---- Keywords ----------------------------------------------------------------------------

inline constexpr std::string_view xml_type = "<xml>";
inline constexpr std::string_view all_headings_plus = "全部主题词＋副主题词";
inline constexpr std::string_view all_headings_minus = "全部主题词－副主题词";
inline constexpr std::string_view major_headings_plus = "主要主题词＋副主题词";
inline constexpr std::string_view major_headings_minus = "主要主题词－副主题词";
inline constexpr std::string_view minor_headings_plus = "次要主题词＋副主题词";
inline constexpr std::string_view minor_headings_minus = "次要主题词－副主题词";

// Where the occurrences of a keyword are stored. For a project of type "<xml>" the two
// merged subject-heading keywords read the rows of the major and the minor key and count
// each (article, value) pair once; every other keyword reads its own rows, all of them.
struct OccurrenceSource {
    std::vector<std::string> stored_keywords;
    bool distinct = false;

    bool reads(std::string_view guanjianzi) const {
        for (const auto& k : stored_keywords) {
            if (k == guanjianzi) {
                return true;
            }
        }
        return false;
    }
};
OccurrenceSource occurrence_source(std::string_view keyword, std::string_view format_type);

// True when the base of the percentages is the number of distinct articles of the whole
// project rather than the number of occurrences: "国家" and "作者" of an "<xml>" project.
bool uses_article_base(std::string_view keyword, std::string_view format_type);

// ---- Occurrences ---------------------------------------------------------------------------

// One occurrence of a value in an article. Views into rows owned by the caller.
struct Occurrence {
    std::string_view wenzhangha;
    std::string_view zhi;
};

// Removes repeated (article, value) pairs, keeping the first of each.
void remove_repeated_pairs(std::vector<Occurrence>& occurrences);

// The occurrences of `keyword` among value rows (any type with the members wenzhangha,
// guanjianzi and zhi), in row order; repeated pairs removed when the source is distinct.
template <class Rows>
std::vector<Occurrence> select_occurrences(const Rows& rows, std::string_view keyword,
                                           std::string_view format_type) {
    const OccurrenceSource source = occurrence_source(keyword, format_type);
    std::vector<Occurrence> out;
    for (const auto& row : rows) {
        if (source.reads(row.guanjianzi)) {
            out.push_back({row.wenzhangha, row.zhi});
        }
    }
    if (source.distinct) {
        remove_repeated_pairs(out);
    }
    return out;
}

// Number of distinct article numbers among value rows of every keyword.
template <class Rows> long long count_distinct_articles(const Rows& rows) {
    std::unordered_set<std::string_view> seen;
    for (const auto& row : rows) {
        seen.insert(std::string_view(row.wenzhangha));
    }
    return static_cast<long long>(seen.size());
}

// ---- Statistics ------------------------------------------------------------------------------

// One statistics row as stored: rank and count right-aligned to 10 characters,
// percentage and cumulative percentage formatted "0.0000".
struct StatisticsRow {
    std::string xuhao;
    std::string zhi;
    std::string cishu;
    std::string baifenbi;
    std::string leijibi;
};

// `number` in decimal digits, left-padded with blanks to 10 characters.
std::string pad_number(long long number);

// part ÷ base × 100 with exactly four decimals, rounded half away from zero, "." as the
// separator and at least one integer digit ("0.0000", "33.3333", "100.0000").
std::string format_percentage(long long part, long long base);

// A stored count or rank read as a whole number; leading and trailing blanks are ignored,
// anything that is not a number gives 0.
long long parse_count(std::string_view text);

// The statistics rows of a keyword from its occurrences and the base N of the percentages.
// Values are grouped by exact text; rows come by descending count, and values with equal
// counts in ascending text order (text::compare_text), so the result never depends on the
// order of the occurrences. Reports the number of groups as the maximum and each rank as
// the position. Empty when there are no occurrences; the caller checks N first.
std::vector<StatisticsRow> compute_statistics(std::span<const Occurrence> occurrences,
                                              long long base, Progress& progress);

// A distinct value and its number of occurrences.
struct ValueCount {
    std::string_view zhi;
    long long count = 0;
};

// compute_statistics from the counts of distinct values (any order).
std::vector<StatisticsRow> rank_statistics(std::vector<ValueCount> counts, long long base,
                                           Progress& progress);

// ---- Value selection for the matrices --------------------------------------------------------

// A statistics row as the matrices read it: the value and its count, in rank order.
struct RankedValue {
    std::string zhi;
    long long cishu = 0;
};

// A bound as typed: empty text (or anything but digits) counts as 0.
long long parse_bound(std::string_view text);

// The values of a keyword whose counts c satisfy lower ≤ c ≤ upper, in rank order.
// nullopt when the quick check fails: there are no rows, the largest count is below
// `lower` or the smallest above `upper`; then nothing is to change. Rows above `upper` are
// passed over and the walk ends at the first row below `lower`, so a lower bound above the
// upper one (or a range between two counts) passes the check and selects no value.
std::optional<std::vector<RankedValue>> select_values(std::span<const RankedValue> ranked,
                                                      long long lower, long long upper);

// One occurrence of a selected value: the article and the value's index in the selection.
struct MatrixOccurrence {
    std::string_view wenzhangha;
    std::uint32_t value = 0;
};

// Matches the occurrences of a keyword (see select_occurrences; already distinct where the
// keyword asks for it) against the selected values by exact text, a value holding quotation
// marks included. Occurrences of other values are left out; order is kept.
std::vector<MatrixOccurrence> match_selected(std::span<const Occurrence> occurrences,
                                             std::span<const RankedValue> selected);

// ---- Word–document matrix ---------------------------------------------------------------------

// Rows are the selected values in rank order; columns are the articles that carry at least
// one of them, in ascending text order of the article number. A cell is 1 when the article
// carries the value at least once.
struct WordDocumentMatrix {
    std::vector<std::string> values;
    std::vector<std::string> articles;
    // For each row, the columns holding 1, ascending.
    std::vector<std::vector<std::uint32_t>> ones;

    std::size_t rows() const { return values.size(); }
    std::size_t columns() const { return articles.size(); }
    bool cell(std::size_t row, std::size_t column) const;
};

WordDocumentMatrix build_word_document(std::span<const RankedValue> selected,
                                       std::span<const MatrixOccurrence> occurrences,
                                       Progress& progress);

// How a value or an article number stands in a text line: as it is (the export file), or
// escaped where a line must stay one line (the command line's output).
using LineCell = std::string (*)(std::string_view);

// "*" and a TAB before each article, then one line per value: the value and a TAB before
// each cell ("1" or "0"). Values and article numbers go through `cell` when given.
std::vector<std::string> text_lines(const WordDocumentMatrix& matrix, LineCell cell = nullptr);

// ---- Co-occurrence matrix -----------------------------------------------------------------------

// x(i, j) for i ≠ j sums, over the articles carrying both values, the product of the two
// values' numbers of occurrences in that article; x(i, i) is value i's statistics count.
struct CooccurrenceMatrix {
    std::vector<std::string> values;
    std::vector<long long> cells; // n × n, row-major

    std::size_t size() const { return values.size(); }
    long long at(std::size_t i, std::size_t j) const { return cells[i * values.size() + j]; }
};

// Computed in one pass over the occurrences grouped by article: each article adds the
// products of its values' counts to every pair it carries.
CooccurrenceMatrix build_cooccurrence(std::span<const RankedValue> selected,
                                      std::span<const MatrixOccurrence> occurrences,
                                      Progress& progress);

// The same from occurrences whose articles are numbered already: (article number below
// `articles`, index in the selection) pairs, in any order. From `halves_from` occurrences
// on (on a machine of more than one core, for a matrix of at most 8 MB) the articles are
// summed in two halves at once; the matrix is the same.
CooccurrenceMatrix
build_cooccurrence(std::span<const RankedValue> selected,
                   std::span<const std::pair<std::uint32_t, std::uint32_t>> occurrences,
                   std::uint32_t articles, Progress& progress,
                   std::size_t halves_from = std::size_t{1} << 20);

// "*" and a TAB before each value, then one line per value: the value and a TAB before
// each x(i, j). Values go through `cell` when given.
std::vector<std::string> text_lines(const CooccurrenceMatrix& matrix, LineCell cell = nullptr);

// ---- Matrix page results and export
// --------------------------------------------------------------

// The two matrices of the matrix page as last generated; each keeps its content until the
// next generation of the same kind.
struct MatrixResults {
    std::optional<WordDocumentMatrix> word_document;
    std::optional<CooccurrenceMatrix> cooccurrence;

    // The single line "临时存储" before the first generation.
    std::vector<std::string> word_document_lines() const;
    // No line before the first generation.
    std::vector<std::string> cooccurrence_lines() const;
};

// The export target: the chosen name with ".txt" appended, always ("m.txt" → "m.txt.txt").
std::filesystem::path matrix_export_target(const std::filesystem::path& chosen);

// Writes the lines in GB18030, each followed by CR LF, replacing an existing file.
// Throws std::runtime_error naming the file when it cannot be written.
void write_matrix_lines(const std::filesystem::path& file, std::span<const std::string> lines);

} // namespace lumacite::analysis
