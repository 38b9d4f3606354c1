// The exports on generated project tables: the statistics workbook of 100,000 rows, the
// value export of 1,000,000 rows to a text file and to a workbook, and the article report
// of 10,000 articles from a 2,000,000-row value table. Tables and files live in a folder
// under the system's temporary folder, removed at the end.
#include "export/exports.h"
#include "store/program_folder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace lumacite;
namespace fs = std::filesystem;

namespace {

fs::path bench_folder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "lumacite-bench-XXXXXX").string();
        return fs::path(::mkdtemp(pattern.data()));
    }();
    return folder;
}

std::string article_number(std::size_t a) {
    char number[16];
    std::snprintf(number, sizeof number, "%010zu", a);
    return number;
}

// Project P2M: 200,000 articles, each with the six report keywords and four keywords of
// values ("关键词"): 2,000,000 value rows. Project P1M: 1,000,000 rows of "作者".
store::Workspace& workspace(const std::string& number) {
    static std::map<std::string, store::Workspace> bound;
    if (auto it = bound.find(number); it != bound.end()) {
        return it->second;
    }
    auto ws = store::Workspace::bind(bench_folder(), number);
    if (number == "P2M") {
        std::mt19937_64 rng(7);
        for (std::size_t a = 1; a <= 200000; ++a) {
            const std::string n = article_number(a);
            ws.append_value(1, n, "标题", "论文标题，关于主题 " + std::to_string(a));
            ws.append_value(1, n, "第一作者", "作者" + std::to_string(rng() % 50000));
            ws.append_value(1, n, "期刊", a % 3 == 0 ? "J BIOL CHEM" : "中华医学杂志");
            ws.append_value(1, n, "年代", std::to_string(1990 + a % 30));
            ws.append_value(1, n, "卷", std::to_string(a % 400));
            ws.append_value(1, n, "起始页", std::to_string(a % 2000));
            for (int k = 0; k < 4; ++k) {
                ws.append_value(1, n, "关键词", "主题词" + std::to_string(rng() % 20000));
            }
        }
    } else {
        for (std::size_t i = 1; i <= 1000000; ++i) {
            ws.append_value(1 + i % 3, article_number(i / 4 + 1), "作者",
                            "Author " + std::to_string(i % 70000) + ", 张");
        }
    }
    ws.commit();
    return bound.emplace(number, std::move(ws)).first->second;
}

long max_rss_mb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void BM_StatisticsWorkbook100k(benchmark::State& state) {
    std::vector<store::StatisticsRow> rows(100000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].xuhao = std::string(4, ' ') + std::to_string(100000 + i);
        rows[i].zhi = "关键字段的值 " + std::to_string(i);
        rows[i].cishu = "         1";
        rows[i].baifenbi = "0.0010";
        rows[i].leijibi = "12.3456";
    }
    NullProgress quiet;
    for (auto _ : state) {
        const auto done =
            exports::write_statistics_workbook(bench_folder() / "s.xlsx", rows, 1, quiet);
        benchmark::DoNotOptimize(done);
    }
    state.counters["pages"] = 2;
}
BENCHMARK(BM_StatisticsWorkbook100k)->Unit(benchmark::kMillisecond);

void BM_ValuesText1M(benchmark::State& state) {
    auto& ws = workspace("P1M");
    NullProgress quiet;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            exports::write_values_text(ws, "作者", bench_folder() / "v.txt", quiet));
    }
    state.counters["max_rss_MB"] = static_cast<double>(max_rss_mb());
}
BENCHMARK(BM_ValuesText1M)->Unit(benchmark::kMillisecond);

void BM_ValuesWorkbook1M(benchmark::State& state) {
    auto& ws = workspace("P1M");
    NullProgress quiet;
    const long before = max_rss_mb();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            exports::write_values_workbook(ws, "作者", bench_folder() / "v.xlsx", quiet));
    }
    state.counters["max_rss_MB"] = static_cast<double>(max_rss_mb());
    state.counters["rss_growth_MB"] = static_cast<double>(max_rss_mb() - before);
}
BENCHMARK(BM_ValuesWorkbook1M)->Unit(benchmark::kMillisecond)->Iterations(1);

std::vector<std::string> report_articles() {
    std::vector<std::string> out;
    for (std::size_t a = 1; a <= 200000; a += 20) {
        out.push_back(article_number(a));
    }
    return out; // 10,000 articles
}

void BM_ReportText10kOf2M(benchmark::State& state) {
    auto& ws = workspace("P2M");
    const auto articles = report_articles();
    NullProgress quiet;
    for (auto _ : state) {
        exports::write_text_report(ws, articles, bench_folder() / "r.txt", quiet);
    }
}
BENCHMARK(BM_ReportText10kOf2M)->Unit(benchmark::kMillisecond);

void BM_ReportWorkbook10kOf2M(benchmark::State& state) {
    auto& ws = workspace("P2M");
    const auto articles = report_articles();
    exports::JournalTable journals;
    journals.add("J BIOL CHEM", "J Biol Chem");
    NullProgress quiet;
    for (auto _ : state) {
        exports::write_workbook_report(ws, articles, journals, bench_folder() / "r.xlsx", quiet);
    }
}
BENCHMARK(BM_ReportWorkbook10kOf2M)->Unit(benchmark::kMillisecond);

// Candidates of a statistics row in the 2,000,000-row table.
void BM_ValueCarriersOf2M(benchmark::State& state) {
    auto& ws = workspace("P2M");
    for (auto _ : state) {
        benchmark::DoNotOptimize(exports::value_carriers(ws, "期刊", "<txt>", "J BIOL CHEM"));
    }
}
BENCHMARK(BM_ValueCarriersOf2M)->Unit(benchmark::kMillisecond);

// The shipped journal table, loaded once per workbook report.
void BM_LoadShippedJournalTable(benchmark::State& state) {
    const auto table = exports::shipped_journal_table(store::executable_folder());
    for (auto _ : state) {
        benchmark::DoNotOptimize(exports::JournalTable::from_tsv(table).size());
    }
}
BENCHMARK(BM_LoadShippedJournalTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(bench_folder(), ec);
    return 0;
}
