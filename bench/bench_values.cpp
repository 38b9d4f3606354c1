// The values browser and value cleaning on a value table of 2,000,000 rows: two documents
// of 50,000 articles with 20 rows each; in document 1 the keyword "作者" holds 200,000 rows
// (four authors an article, names drawn from a Zipf distribution, Latin and Chinese); a
// thesaurus acts on "作者" in both documents.
//
// The table lives in $TMPDIR (default /tmp); removal packs the table, which writes the
// whole file again and syncs it, so its figure depends on the disk.
#include "values/cleaning.h"
#include "values/values.h"

#include "bench_home.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace lumacite;
namespace fs = std::filesystem;
using lumacite::bench::bench_home;

namespace {

constexpr long long articles_per_document = 50'000;
constexpr int documents = 2;

std::vector<std::string> author_names(std::size_t n) {
    static const char* family[] = {"Smith", "Wang", "Li", "Zhang", "Müller", "Garcia", "Chen"};
    static const char* chinese[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄"};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 3 == 0) {
            names.push_back(std::string(chinese[i % 8]) + chinese[(i / 8) % 8] + "伟" +
                            std::to_string(i));
        } else {
            names.push_back(std::string(family[i % 7]) + " " + static_cast<char>('A' + i % 26) +
                            std::to_string(i));
        }
    }
    return names;
}

// Builds the table once; every benchmark works on a copy of it in a project of its own.
const fs::path& prepared_table() {
    static const fs::path file = [] {
        auto ws = store::Workspace::bind(bench_home(), "P1");
        const auto names = author_names(40'000);
        std::vector<double> cdf(names.size());
        double sum = 0;
        for (std::size_t k = 0; k < names.size(); ++k) {
            sum += 1.0 / static_cast<double>(k + 1);
            cdf[k] = sum;
        }
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> u(0.0, sum);
        auto author = [&] {
            const auto at = std::lower_bound(cdf.begin(), cdf.end(), u(rng)) - cdf.begin();
            return names[static_cast<std::size_t>(std::min<long>(at, long(names.size()) - 1))];
        };
        static const char* others[] = {"标题",   "期刊", "年代", "卷",   "期",       "页码",
                                       "关键词", "机构", "国家", "语种", "文献类型", "DOI"};
        char number[16];
        for (int d = 1; d <= documents; ++d) {
            for (long long a = 1; a <= articles_per_document; ++a) {
                std::snprintf(number, sizeof number, "%010lld", a);
                for (int k = 0; k < 4; ++k) {
                    ws.append_value(d, number, "作者", author());
                }
                ws.append_value(d, number, "第一作者", author());
                for (int k = 0; k < 15; ++k) {
                    ws.append_value(d, number, others[k % 12],
                                    std::string(others[k % 12]) + " " + std::to_string(a % 997));
                }
            }
        }
        ws.close();
        return bench_home() / "P1" / store::zidian_file_name("P1");
    }();
    return file;
}

// A project "W<n>" holding a fresh copy of the prepared table.
store::Workspace fresh_copy(const std::string& number) {
    const fs::path source = prepared_table();
    fs::remove_all(bench_home() / number);
    fs::create_directory(bench_home() / number);
    fs::copy_file(source, bench_home() / number / store::zidian_file_name(number));
    return store::Workspace::bind(bench_home(), number);
}

// The rows of every copy carry the number of the project the table was built in.
values::GridQuery authors(values::Sort sort = values::Sort::none) {
    values::GridQuery q;
    q.bianhao = "P1";
    q.xuhao = 1;
    q.keyword = "作者";
    q.format_type = "<txt>";
    q.sort = sort;
    return q;
}

void BM_OpenKeyword200k(benchmark::State& state) {
    const auto sort = static_cast<values::Sort>(state.range(0));
    prepared_table();
    auto ws = store::Workspace::bind(bench_home(), "P1");
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = values::grid_rows(ws, authors(sort)).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_OpenKeyword200k)
    ->Arg(static_cast<int>(values::Sort::none))
    ->Arg(static_cast<int>(values::Sort::ascending))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Operation 4 (upper case, then lower case) over the 200,000 rows of the grid.
void BM_ChangeCase200k(benchmark::State& state) {
    auto ws = fresh_copy("W1");
    bool upper = true;
    std::uint64_t changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto query = authors();
        const auto rows = values::grid_rows(ws, query);
        state.ResumeTiming();
        changed = values::apply_operation(ws, query, rows, values::ChangeCase{upper}).rows_changed;
        upper = !upper;
    }
    state.counters["rows_changed"] = static_cast<double>(changed);
}
BENCHMARK(BM_ChangeCase200k)->Unit(benchmark::kMillisecond)->Iterations(4);

// "全部相同的值" on the most common author (in both documents), then pack.
void BM_RemoveSameValueAndPack(benchmark::State& state) {
    std::uint64_t removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<store::Workspace> ws(fresh_copy("W2"));
        const auto query = authors();
        const auto rows = values::grid_rows(*ws, query);
        const auto first = std::find_if(rows.begin(), rows.end(), [](const values::GridRow& r) {
            return r.zhi.starts_with("张张伟0");
        });
        state.ResumeTiming();
        removed = values::remove_values(*ws, query, rows, first - rows.begin(),
                                        values::RemovalScope::same);
        state.PauseTiming();
        ws.reset();
        state.ResumeTiming();
    }
    state.counters["rows_removed"] = static_cast<double>(removed);
}
BENCHMARK(BM_RemoveSameValueAndPack)->Unit(benchmark::kMillisecond)->Iterations(3);

// A thesaurus of 20,000 author names (every tenth removed) applied to "作者" in both
// documents: one pass over the 2,000,000 rows that also packs the table.
void BM_Thesaurus20kEntries(benchmark::State& state) {
    std::vector<values::ThesaurusEntry> entries;
    const auto names = author_names(20'000);
    for (std::size_t i = 0; i < names.size(); ++i) {
        entries.push_back({i + 2, names[i], i % 10 == 0 ? "" : names[i] + " (merged)"});
    }
    const values::Thesaurus thesaurus = values::thesaurus_of(entries);
    const values::ThesaurusScope scope{"P1", "作者", "<txt>", std::nullopt};
    values::ThesaurusOutcome outcome;
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<store::Workspace> ws(fresh_copy("W3"));
        NullProgress progress;
        state.ResumeTiming();
        outcome = values::apply_thesaurus(*ws, scope, thesaurus, progress);
        state.PauseTiming();
        ws.reset();
        state.ResumeTiming();
    }
    state.counters["rows_changed"] = static_cast<double>(outcome.rows_changed);
    state.counters["rows_removed"] = static_cast<double>(outcome.rows_removed);
}
BENCHMARK(BM_Thesaurus20kEntries)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
