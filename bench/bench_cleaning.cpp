// Similar-value groups over 200,000 distinct values: author names in several spellings
// (case, full-width forms, punctuation, diacritics, initials) and Chinese values.
#include "text/text.h"
#include "values/cleaning.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

using namespace lumacite;

namespace {

constexpr std::size_t distinct_values = 200'000;

std::vector<values::ValueCount> corpus() {
    static const char* family[] = {"Smith",  "Müller",  "García", "Nguyen",
                                   "Łukasz", "O′Brien", "Dubois", "Kowalski"};
    static const char* chinese[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄"};
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<std::uint64_t> count(1, 40);
    std::vector<values::ValueCount> out;
    out.reserve(distinct_values);
    for (std::size_t i = 0; out.size() < distinct_values; ++i) {
        const std::string n = std::to_string(i);
        if (i % 4 == 3) {
            out.push_back({std::string(chinese[i % 8]) + chinese[(i / 8) % 8] + n, count(rng)});
            continue;
        }
        const std::string surname = std::string(family[i % 8]) + n;
        const char a = static_cast<char>('A' + i % 26);
        const char b = static_cast<char>('A' + (i / 26) % 26);
        switch (i % 4) {
        case 0:
            out.push_back({surname + " " + a, count(rng)});
            out.push_back({surname + " " + a + b, count(rng)});
            break;
        case 1:
            out.push_back({surname + ", " + a + "." + b + ".", count(rng)});
            out.push_back({text::ascii_upper(surname) + " " + a + b, count(rng)});
            break;
        default:
            out.push_back({"Ｗｏｒｄ" + n + " " + a, count(rng)});
            out.push_back({"word-" + n + " " + static_cast<char>(a + 32), count(rng)});
        }
    }
    out.resize(distinct_values);
    return out;
}

void BM_SimilarGroups200k(benchmark::State& state) {
    const auto values = corpus();
    const bool authors = state.range(0) != 0;
    std::size_t groups = 0;
    for (auto _ : state) {
        groups = values::similar_groups(values, authors).size();
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(BM_SimilarGroups200k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
