// Statistics and matrices on generated value rows of realistic shape: each article carries
// a handful of values drawn from a Zipf distribution (a few very common values, a long
// tail of rare ones), with article numbers as the extraction's ten-digit counter.
#include "analysis/analysis.h"
#include "analysis/jobs.h"
#include "store/workspace.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace lumacite::analysis;

namespace {

struct Row {
    std::string wenzhangha;
    std::string guanjianzi;
    std::string zhi;
};

class Zipf {
public:
    Zipf(std::size_t n, double s) : cdf_(n) {
        double sum = 0;
        for (std::size_t k = 0; k < n; ++k) {
            sum += 1.0 / std::pow(static_cast<double>(k + 1), s);
            cdf_[k] = sum;
        }
        for (auto& c : cdf_) {
            c /= sum;
        }
    }
    template <class Rng> std::size_t operator()(Rng& rng) {
        const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        return static_cast<std::size_t>(std::lower_bound(cdf_.begin(), cdf_.end(), u) -
                                        cdf_.begin());
    }

private:
    std::vector<double> cdf_;
};

// `articles` articles with `per_article` values each of keyword "关键词" (distinct
// vocabulary of `vocabulary` values), plus one title row per article.
std::vector<Row> generate(std::size_t articles, std::size_t per_article, std::size_t vocabulary) {
    std::mt19937_64 rng(20240601);
    Zipf zipf(vocabulary, 1.0);
    std::vector<Row> rows;
    rows.reserve(articles * (per_article + 1));
    char number[16];
    for (std::size_t a = 1; a <= articles; ++a) {
        std::snprintf(number, sizeof number, "%010zu", a);
        rows.push_back({number, "标题", "论文标题 " + std::to_string(a)});
        for (std::size_t k = 0; k < per_article; ++k) {
            rows.push_back({number, "关键词", "主题词" + std::to_string(zipf(rng))});
        }
    }
    return rows;
}

std::vector<RankedValue> ranked(const std::vector<Row>& rows) {
    lumacite::NullProgress quiet;
    const auto occ = select_occurrences(rows, "关键词", "<txt>");
    std::vector<RankedValue> out;
    for (const auto& r : compute_statistics(occ, static_cast<long long>(occ.size()), quiet)) {
        out.push_back({r.zhi, parse_count(r.cishu)});
    }
    return out;
}

// Statistics of one keyword with 1,000,000 value rows (100,000 articles × 10).
void BM_StatisticsMillionRows(benchmark::State& state) {
    const auto rows = generate(100000, 10, 50000);
    lumacite::NullProgress quiet;
    std::size_t groups = 0;
    for (auto _ : state) {
        const auto occ = select_occurrences(rows, "关键词", "<txt>");
        const auto stats = compute_statistics(occ, static_cast<long long>(occ.size()), quiet);
        groups = stats.size();
        benchmark::DoNotOptimize(stats.data());
    }
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(BM_StatisticsMillionRows)->Unit(benchmark::kMillisecond);

// Co-occurrence matrix of the 1,000 most frequent values over 100,000 articles.
void BM_Cooccurrence1000Values(benchmark::State& state) {
    const auto rows = generate(100000, 8, 20000);
    const auto all = ranked(rows);
    lumacite::NullProgress quiet;
    const long long upper = all.front().cishu;
    const long long lower = all[999].cishu;
    std::size_t n = 0;
    for (auto _ : state) {
        auto selected = *select_values(all, lower, upper);
        selected.resize(std::min<std::size_t>(selected.size(), 1000));
        const auto occ = select_occurrences(rows, "关键词", "<txt>");
        const auto matched = match_selected(occ, selected);
        const auto matrix = build_cooccurrence(selected, matched, quiet);
        n = matrix.size();
        benchmark::DoNotOptimize(matrix.cells.data());
    }
    state.counters["values"] = static_cast<double>(n);
}
BENCHMARK(BM_Cooccurrence1000Values)->Unit(benchmark::kMillisecond);

// Word–document matrix of the 300 most frequent values over 20,000 articles, with its
// text lines.
void BM_WordDocument300x20000(benchmark::State& state) {
    const auto rows = generate(20000, 8, 5000);
    const auto all = ranked(rows);
    lumacite::NullProgress quiet;
    const long long upper = all.front().cishu;
    const long long lower = all[299].cishu;
    std::size_t columns = 0;
    for (auto _ : state) {
        auto selected = *select_values(all, lower, upper);
        selected.resize(std::min<std::size_t>(selected.size(), 300));
        const auto occ = select_occurrences(rows, "关键词", "<txt>");
        const auto matched = match_selected(occ, selected);
        const auto matrix = build_word_document(selected, matched, quiet);
        const auto lines = text_lines(matrix);
        columns = matrix.columns();
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["articles"] = static_cast<double>(columns);
}
BENCHMARK(BM_WordDocument300x20000)->Unit(benchmark::kMillisecond);

} // namespace

// A project whose zidian holds the rows of generate(200000, 10, 50000) (2.2 million rows,
// 2 million of "关键词"), made once in a temporary folder.
const std::filesystem::path& bench_project() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumacite-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        auto ws = lumacite::store::Workspace::bind(pattern, "B1");
        for (const Row& r : generate(200000, 10, 50000)) {
            ws.append_value(1, r.wenzhangha, r.guanjianzi, r.zhi);
        }
        ws.close();
        std::atexit([] { std::filesystem::remove_all(bench_project()); });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// The floor of every count: one sequential read of the zidian file in 1 MB blocks.
void BM_PlainReadOfZidian(benchmark::State& state) {
    const auto file = bench_project() / "B1" / lumacite::store::zidian_file_name("B1");
    std::vector<char> block(1 << 20);
    for (auto _ : state) {
        const int fd = ::open(file.c_str(), O_RDONLY);
        std::size_t total = 0;
        for (ssize_t n; (n = ::read(fd, block.data(), block.size())) > 0;) {
            total += static_cast<std::size_t>(n);
        }
        ::close(fd);
        state.counters["MB"] = static_cast<double>(total) / (1 << 20);
    }
}
BENCHMARK(BM_PlainReadOfZidian)->Unit(benchmark::kMillisecond);

// The statistics job of "关键词" on that project, tongji written; compare with the read.
void BM_StatisticsJobOnZidian(benchmark::State& state) {
    auto ws = lumacite::store::Workspace::bind(bench_project(), "B1");
    lumacite::NullProgress quiet;
    for (auto _ : state) {
        run_statistics_job(ws, "关键词", "<txt>", quiet);
    }
}
BENCHMARK(BM_StatisticsJobOnZidian)->Unit(benchmark::kMillisecond);

// The co-occurrence matrix of the 1,000 most frequent values of "关键词" on that project.
void BM_CooccurrenceJobOnZidian(benchmark::State& state) {
    auto ws = lumacite::store::Workspace::bind(bench_project(), "B1");
    lumacite::NullProgress quiet;
    run_statistics_job(ws, "关键词", "<txt>", quiet);
    const auto values = ranked_values(ws, "关键词");
    const long long lower = values.at(999).cishu;
    for (auto _ : state) {
        MatrixResults results;
        run_matrix_job(ws, MatrixKind::cooccurrence, "关键词", "<txt>", values, lower,
                       values.front().cishu, results, quiet);
        benchmark::DoNotOptimize(results.cooccurrence->cells.data());
    }
}
BENCHMARK(BM_CooccurrenceJobOnZidian)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
