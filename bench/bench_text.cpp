// Text rules on realistic values: storage encoding, widths, sorting.
#include "text/text.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

using namespace lumacite::text;

namespace {

std::vector<std::string> sample_values(std::size_t n) {
    const std::vector<std::string> words = {"肿瘤",     "基因",      "表达", "Smith J", "cancer",
                                            "细胞凋亡", "Neoplasms", "𠀀字", "护理",    "信息"};
    std::mt19937 rng(7);
    std::vector<std::string> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::string v;
        for (int k = 0; k < 3; ++k) {
            v += words[rng() % words.size()];
        }
        out.push_back(v);
    }
    return out;
}

void BM_EncodeGb18030(benchmark::State& state) {
    const auto values = sample_values(10000);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& v : values) {
            total += utf8_to_gb18030(v).size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_EncodeGb18030);

void BM_SortByTextOrder(benchmark::State& state) {
    const auto values = sample_values(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto copy = values;
        std::sort(copy.begin(), copy.end(), TextLess{});
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortByTextOrder)->Arg(100000);

void BM_DecodeGb18030(benchmark::State& state) {
    std::string utf8;
    for (const auto& v : sample_values(20000)) {
        utf8 += v + "\r\n";
    }
    const std::string gb = utf8_to_gb18030(utf8);
    for (auto _ : state) {
        benchmark::DoNotOptimize(gb18030_to_utf8(gb));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(gb.size()));
}
BENCHMARK(BM_DecodeGb18030);

// A field of n apostrophes, the case that once took time growing with the square of n.
void BM_SubstituteApostrophes(benchmark::State& state) {
    const std::string field = "a" + std::string(static_cast<std::size_t>(state.range(0)), '\'');
    for (auto _ : state) {
        benchmark::DoNotOptimize(substitute_apostrophes(field));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(field.size()));
}
BENCHMARK(BM_SubstituteApostrophes)->Arg(200000)->Arg(20000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
