// The statistics and matrix jobs over the project workspace.
#include "analysis/jobs.h"
#include "messages.h"

#include <algorithm>

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

std::vector<store::ValueRow> source_rows(store::Workspace& workspace, std::string_view keyword,
                                         std::string_view format_type) {
    return workspace.select_values(
        store::ValueFilter::keywords(occurrence_source(keyword, format_type).stored_keywords));
}

} // namespace

StatisticsOutcome run_statistics_job(store::Workspace& workspace, const std::string& keyword,
                                     const std::string& format_type, Progress& progress) {
    const auto rows = source_rows(workspace, keyword, format_type);
    const auto occurrences = select_occurrences(rows, keyword, format_type);
    long long base = static_cast<long long>(occurrences.size());
    if (uses_article_base(keyword, format_type)) {
        base = static_cast<long long>(workspace.distinct_articles(store::ValueFilter{}).size());
    }
    if (base < 1) {
        workspace.replace_statistics(keyword, {});
        return StatisticsOutcome::zero;
    }

    store::TempTable temp = workspace.rebuild_temp();
    for (const Occurrence& o : occurrences) {
        temp.append(o.wenzhangha, o.zhi);
    }
    temp.close();

    const auto computed = compute_statistics(occurrences, base, progress);
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

bool run_matrix_job(store::Workspace& workspace, MatrixKind kind, const std::string& keyword,
                    const std::string& format_type, std::span<const RankedValue> ranked,
                    long long lower, long long upper, MatrixResults& results, Progress& progress) {
    const auto selected = select_values(ranked, lower, upper);
    if (!selected) {
        return false;
    }
    store::TempTable temp = workspace.rebuild_temp();

    const auto n = static_cast<long long>(selected->size());
    const char* select_title = kind == MatrixKind::word_document ? msg::word_document_select_title
                                                                 : msg::cooccurrence_select_title;
    progress.set_maximum(n);

    const auto rows = source_rows(workspace, keyword, format_type);
    const auto occurrences = select_occurrences(rows, keyword, format_type);
    std::vector<MatrixOccurrence> matched = match_selected(occurrences, *selected);
    // temp receives the occurrences value by value, in rank order.
    std::stable_sort(
        matched.begin(), matched.end(),
        [](const MatrixOccurrence& a, const MatrixOccurrence& b) { return a.value < b.value; });
    std::size_t k = 0;
    for (long long i = 0; i < n; ++i) {
        for (; k < matched.size() && matched[k].value == i; ++k) {
            temp.append(matched[k].wenzhangha, (*selected)[matched[k].value].zhi);
        }
        progress.set_position(i + 1);
        progress.set_title(select_title + std::to_string(i + 1) + " \\ " + std::to_string(n));
        progress.pump();
    }
    temp.flush();

    if (kind == MatrixKind::word_document) {
        results.word_document = build_word_document(*selected, matched, progress);
    } else {
        results.cooccurrence = build_cooccurrence(*selected, matched, progress);
    }
    temp.close();
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
    const auto rows = source_rows(workspace, keyword, format_type);
    const auto occurrences = select_occurrences(rows, keyword, format_type);
    const auto matched = match_selected(occurrences, *selected);
    CooccurrenceData out;
    out.articles = count_distinct_articles(occurrences);
    out.matrix = build_cooccurrence(*selected, matched, progress);
    return out;
}

} // namespace lumacite::analysis
