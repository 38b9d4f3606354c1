// The value table at a realistic size: appending a million value rows, selecting one
// keyword's rows from them, and packing after a third of them were deleted.
#include "store/workspace.h"

#include "bench_home.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lumacite::store;
namespace fs = std::filesystem;
using lumacite::bench::bench_home;

namespace {

constexpr long long row_count = 1'000'000;

const std::vector<std::string> keywords = {"标题",
                                           "作者",
                                           "第一作者",
                                           "期刊",
                                           "年代",
                                           "卷",
                                           "期",
                                           "起始页",
                                           "关键词",
                                           "语种",
                                           "国家",
                                           "文献类型",
                                           "主要主题词＋副主题词",
                                           "次要主题词＋副主题词",
                                           "<引文>",
                                           "<引文作者>",
                                           "<引文年代>",
                                           "<引文期刊>",
                                           "DOI",
                                           "机构"};

void fill(Workspace& ws, long long rows) {
    std::mt19937 rng(11);
    const std::vector<std::string> values = {"Smith J",
                                             "肿瘤基因表达的研究进展",
                                             "Neoplasms/genetics",
                                             "中华医学杂志",
                                             "2013",
                                             "细胞凋亡",
                                             "A very long English title of an article about "
                                             "co-occurrence analysis of subject headings"};
    for (long long i = 0; i < rows; ++i) {
        const long long article = i / 40;
        ws.append_value(1 + article / 5000, "PMID" + std::to_string(10000000 + article),
                        keywords[static_cast<std::size_t>(i % 20)], values[rng() % values.size()]);
    }
    ws.commit();
}

// The table the scan and pack benchmarks start from, built once.
const fs::path& prepared_table() {
    static const fs::path file = [] {
        fs::remove_all(bench_home() / "P1");
        Workspace ws = Workspace::bind(bench_home(), "P1");
        fill(ws, row_count);
        ws.close();
        return bench_home() / "P1" / zidian_file_name("P1");
    }();
    return file;
}

void BM_AppendValueRows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(bench_home() / "A1");
        state.ResumeTiming();
        Workspace ws = Workspace::bind(bench_home(), "A1");
        fill(ws, row_count);
        ws.close();
    }
    state.SetItemsProcessed(state.iterations() * row_count);
    fs::remove_all(bench_home() / "A1");
}
BENCHMARK(BM_AppendValueRows)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SelectKeywordRows(benchmark::State& state) {
    prepared_table();
    Workspace ws = Workspace::bind(bench_home(), "P1");
    std::size_t found = 0;
    for (auto _ : state) {
        found = ws.select_values(ValueFilter::keyword("作者")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["rows_found"] = static_cast<double>(found);
    state.SetItemsProcessed(state.iterations() * row_count);
}
BENCHMARK(BM_SelectKeywordRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PackAfterDeletingAThird(benchmark::State& state) {
    const fs::path source = prepared_table();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(bench_home() / "K1");
        fs::create_directory(bench_home() / "K1");
        fs::copy_file(source, bench_home() / "K1" / zidian_file_name("K1"));
        std::optional<Workspace> ws(Workspace::bind(bench_home(), "K1"));
        ValueFilter f = ValueFilter::keywords({"标题", "作者", "期刊", "年代", "卷", "期", "国家"});
        ws->delete_values(f);
        ws->flush();
        state.ResumeTiming();
        ws->pack_values();
        state.PauseTiming();
        ws.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * row_count);
    fs::remove_all(bench_home() / "K1");
}
BENCHMARK(BM_PackAfterDeletingAThird)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
