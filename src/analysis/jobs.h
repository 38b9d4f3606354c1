// The job bodies "统计", "词篇矩阵" and "共现矩阵" over a project workspace, and the texts of
// the questions and messages around them. The front ends ask, then call these inside the
// job dialog (or with the command line's progress bar).
#pragma once

#include "analysis/analysis.h"
#include "progress.h"
#include "store/workspace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumacite::analysis {

enum class MatrixKind { word_document, cooccurrence };

// "是否要对“k”进行统计工作？\r", or when the keyword was counted before
// "已做过“k”统计工作，是否重新进行统计？\r".
std::string statistics_question(std::string_view keyword, bool counted_before);
// "请首先进行“k”的汇总统计工作！\r"
std::string statistics_needed_message(std::string_view keyword);
// "是否要对“k”进行“词篇矩阵”生成？\r" or "…“共现矩阵”生成？\r"
std::string generation_question(std::string_view keyword, MatrixKind kind);
// "汇总统计计算...... k"
std::string statistics_job_title(std::string_view keyword);
// "词篇矩阵......" or "共现矩阵......"
std::string matrix_job_title(MatrixKind kind);

// The occurrences of a keyword read from zidian: the rows select_occurrences takes, with
// repeated (article, value) pairs removed where the keyword asks for it. Only the keyword
// field's bytes are compared per row; each distinct value and article is decoded once.
struct KeywordOccurrences {
    std::vector<std::string> values;   // distinct values, in order of first appearance
    std::vector<std::string> articles; // distinct article numbers, likewise
    // One (article, value) pair of indexes into the two lists per occurrence, in row order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    // The distinct article numbers of every keyword's rows (only when asked for).
    long long all_articles = 0;
};

// Reads the occurrences in one pass over zidian, reporting the records read as the gauge.
// A table of `halves_from` records or more (and a machine of more than one core) is read
// in two halves at once; the result is the same.
KeywordOccurrences read_occurrences(store::Workspace& workspace, std::string_view keyword,
                                    std::string_view format_type, bool count_all_articles,
                                    Progress& progress, std::uint32_t halves_from = 1u << 20);

enum class StatisticsOutcome {
    counted, // rows written (none when an article-base keyword has no value rows)
    zero,    // no occurrence: show msg::stats_zero; the keyword has no rows now
};

// Job "统计": selects the keyword's occurrences from zidian (the merged subject-heading
// keywords of "<xml>" projects as distinct pairs of their major and minor keys), takes the
// base N (the number of occurrences, or the number of distinct articles of the project for
// "国家" and "作者" of "<xml>" projects), and when N ≥ 1 computes the ranked statistics rows
// (see compute_statistics). The scratch table temp is not written. The keyword's rows in
// tongji are then replaced by them at once (a new tongji renamed over the old one: a kill
// leaves the old rows or the new ones, never a part); with N < 1 the keyword is left
// without rows. The workspace must be bound for writing.
StatisticsOutcome run_statistics_job(store::Workspace& workspace, const std::string& keyword,
                                     const std::string& format_type, Progress& progress);

// The stored statistics rows of a keyword in rank order, as the matrices read them.
std::vector<RankedValue> ranked_values(store::Workspace& workspace, std::string_view keyword);

// Jobs "词篇矩阵" and "共现矩阵": selects the values of `ranked` within lower ≤ count ≤
// upper (select_values). When the quick check fails, returns false and changes nothing.
// Otherwise reads the selected values' occurrences (the scratch table temp is not written)
// and replaces the matrix of `kind` in `results`; the other matrix stays as it was.
// A selection without values gives an empty matrix with its header.
bool run_matrix_job(store::Workspace& workspace, MatrixKind kind, const std::string& keyword,
                    const std::string& format_type, std::span<const RankedValue> ranked,
                    long long lower, long long upper, MatrixResults& results, Progress& progress);

// The co-occurrence matrix of the values within lower ≤ count ≤ upper, as the job "共现矩阵"
// computes it, and the number of distinct articles that carry any value of the keyword.
struct CooccurrenceData {
    CooccurrenceMatrix matrix;
    long long articles = 0;
};

// Reads the keyword's occurrences and builds the matrix without writing any table.
// nullopt when the quick check of select_values fails.
std::optional<CooccurrenceData>
read_cooccurrence(store::Workspace& workspace, const std::string& keyword,
                  const std::string& format_type, std::span<const RankedValue> ranked,
                  long long lower, long long upper, Progress& progress);

} // namespace lumacite::analysis
