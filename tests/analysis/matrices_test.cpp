#include "analysis/analysis.h"
#include "support/temp_dir.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

using namespace lumacite::analysis;
using lumacite::testing::TempDir;

namespace {

struct Row {
    std::string wenzhangha;
    std::string guanjianzi;
    std::string zhi;
};

lumacite::NullProgress quiet;

std::vector<RankedValue> ranked_from(const std::vector<Row>& rows, const std::string& keyword,
                                     const std::string& type) {
    const auto occ = select_occurrences(rows, keyword, type);
    std::vector<RankedValue> out;
    for (const auto& r : compute_statistics(occ, static_cast<long long>(occ.size()), quiet)) {
        out.push_back({r.zhi, parse_count(r.cishu)});
    }
    return out;
}

struct Built {
    std::vector<RankedValue> selected;
    WordDocumentMatrix wd;
    CooccurrenceMatrix co;
};

Built build(const std::vector<Row>& rows, const std::string& keyword, const std::string& type,
            long long lower, long long upper) {
    const auto ranked = ranked_from(rows, keyword, type);
    auto selected = select_values(ranked, lower, upper);
    if (!selected) {
        throw std::logic_error("quick check failed");
    }
    const auto occ = select_occurrences(rows, keyword, type);
    const auto matched = match_selected(occ, *selected);
    return {*selected, build_word_document(*selected, matched, quiet),
            build_cooccurrence(*selected, matched, quiet)};
}

std::vector<RankedValue> counts(std::initializer_list<long long> cs) {
    std::vector<RankedValue> out;
    int k = 0;
    for (long long c : cs) {
        out.push_back({"v" + std::to_string(++k), c});
    }
    return out;
}

TEST(ValueSelection, BoundsSelectOneRunOfRanks) {
    const auto ranked = counts({9, 5, 5, 3, 2, 1});
    const auto s = select_values(ranked, 2, 5);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->size(), 4u);
    EXPECT_EQ((*s)[0].zhi, "v2");
    EXPECT_EQ((*s)[3].zhi, "v5");
    EXPECT_EQ(select_values(ranked, 1, 9)->size(), 6u);
    EXPECT_EQ(select_values(ranked, 9, 9)->size(), 1u);
}

TEST(ValueSelection, QuickCheckAndEmptySelections) {
    const auto ranked = counts({9, 5, 5, 3, 2, 1});
    // Outside every count: nothing is to change.
    EXPECT_FALSE(select_values(ranked, 10, 20));
    EXPECT_FALSE(select_values(ranked, 0, 0));
    EXPECT_FALSE(select_values({}, 0, 100));
    // Lower above upper passes the check and selects nothing; so does a gap between counts.
    const auto crossed = select_values(ranked, 5, 3);
    ASSERT_TRUE(crossed);
    EXPECT_TRUE(crossed->empty());
    const auto gap = select_values(counts({9, 5, 1}), 6, 8);
    ASSERT_TRUE(gap);
    EXPECT_TRUE(gap->empty());
}

TEST(ValueSelection, BoundsAsTyped) {
    EXPECT_EQ(parse_bound(""), 0);
    EXPECT_EQ(parse_bound("007"), 7);
    EXPECT_EQ(parse_bound("999999"), 999999);
    EXPECT_EQ(parse_bound("1a"), 0);
}

TEST(WordDocument, CellsColumnsAndTextLines) {
    const std::vector<Row> rows{{"9", "K", "P"},  {"9", "K", "P"},  {"10", "K", "P"},
                                {"10", "K", "Q"}, {"甲", "K", "Q"}, {"B", "K", "R"},
                                {"C", "J", "P"}};
    // R (count 1) is left out by the lower bound, so article "B" is no column.
    const auto b = build(rows, "K", "<txt>", 2, 3);
    ASSERT_EQ(b.wd.rows(), 2u);
    EXPECT_EQ(b.wd.values, (std::vector<std::string>{"P", "Q"}));
    // Articles ascend as text: "10" before "9", Latin before Chinese.
    EXPECT_EQ(b.wd.articles, (std::vector<std::string>{"10", "9", "甲"}));
    EXPECT_TRUE(b.wd.cell(0, 1)); // P twice in article 9: still one
    EXPECT_FALSE(b.wd.cell(0, 2));
    EXPECT_EQ(text_lines(b.wd),
              (std::vector<std::string>{"*\t10\t9\t甲", "P\t1\t1\t0", "Q\t1\t0\t1"}));
}

TEST(WordDocument, MergedHeadingsOfXmlProjectsMarkBothArticles) {
    const std::vector<Row> rows{{"A1", "主要主题词＋副主题词", "Liver"},
                                {"A2", "次要主题词＋副主题词", "Liver"},
                                {"A2", "主要主题词＋副主题词", "Liver"}};
    const auto b = build(rows, "全部主题词＋副主题词", "<xml>", 1, 2);
    EXPECT_EQ(text_lines(b.wd), (std::vector<std::string>{"*\tA1\tA2", "Liver\t1\t1"}));
    // Pairs are distinct, so the diagonal (statistics count) is 2 and not 3.
    EXPECT_EQ(b.co.at(0, 0), 2);
}

TEST(Cooccurrence, PairsProductsAndDiagonal) {
    const std::vector<Row> rows{{"A1", "K", "P"}, {"A2", "K", "P"}, {"A3", "K", "P"},
                                {"A2", "K", "Q"}, {"A3", "K", "Q"}, {"A4", "K", "Q"},
                                {"B1", "K", "S"}, {"B1", "K", "S"}, {"B1", "K", "T"},
                                {"C1", "K", "U"}, {"C2", "K", "U"}};
    // Counts: P 3, Q 3, S 2, U 2, T 1.
    const auto b = build(rows, "K", "<txt>", 1, 3);
    ASSERT_EQ(b.co.size(), 5u);
    EXPECT_EQ(b.co.values, (std::vector<std::string>{"P", "Q", "S", "U", "T"}));
    EXPECT_EQ(b.co.at(0, 1), 2);
    EXPECT_EQ(b.co.at(1, 0), 2);
    EXPECT_EQ(b.co.at(2, 4), 2); // S twice in B1 times T once
    EXPECT_EQ(b.co.at(4, 2), 2);
    EXPECT_EQ(b.co.at(0, 3), 0);
    EXPECT_EQ(b.co.at(3, 0), 0);
    EXPECT_EQ(b.co.at(0, 0), 3);
    EXPECT_EQ(b.co.at(2, 2), 2);
    const auto lines = text_lines(b.co);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "*\tP\tQ\tS\tU\tT");
    EXPECT_EQ(lines[1], "P\t3\t2\t0\t0\t0");
    EXPECT_EQ(lines[3], "S\t0\t0\t2\t0\t2");
}

TEST(Cooccurrence, DiagonalKeepsStatisticsCountWhenTopValuesAreLeftOut) {
    const std::vector<Row> rows{{"A1", "K", "P"}, {"A2", "K", "P"}, {"A3", "K", "P"},
                                {"A1", "K", "Q"}, {"A2", "K", "Q"}, {"A1", "K", "R"}};
    const auto b = build(rows, "K", "<txt>", 1, 2);
    EXPECT_EQ(b.co.values, (std::vector<std::string>{"Q", "R"}));
    EXPECT_EQ(text_lines(b.co), (std::vector<std::string>{"*\tQ\tR", "Q\t2\t1", "R\t1\t1"}));
}

TEST(Cooccurrence, SingleValueAndEmptySelection) {
    const std::vector<Row> rows{{"A1", "K", "P"}, {"A2", "K", "P"}, {"A1", "K", "Q"}};
    const auto one = build(rows, "K", "<txt>", 2, 2);
    EXPECT_EQ(text_lines(one.co), (std::vector<std::string>{"*\tP", "P\t2"}));
    // Lower above upper: an empty matrix with its header.
    const auto none = build(rows, "K", "<txt>", 2, 1);
    EXPECT_EQ(text_lines(none.co), (std::vector<std::string>{"*"}));
    EXPECT_EQ(text_lines(none.wd), (std::vector<std::string>{"*"}));
}

TEST(Matrices, ValuesWithQuotationMarksAreMatchedExactly) {
    const std::vector<Row> rows{{"A1", "K", "say \"hi\""},
                                {"A2", "K", "say \"hi\""},
                                {"A2", "K", "say "},
                                {"A3", "K", "hi"},
                                {"A3", "K", "'say \"hi\"'"}};
    const auto b = build(rows, "K", "<txt>", 2, 2);
    EXPECT_EQ(text_lines(b.wd), (std::vector<std::string>{"*\tA1\tA2", "say \"hi\"\t1\t1"}));
}

// The definition, evaluated pair by pair over the raw occurrence rows.
long long by_definition(const std::vector<Row>& rows, const std::string& vi,
                        const std::string& vj) {
    std::map<std::string, std::pair<long long, long long>> per_article;
    for (const auto& r : rows) {
        if (r.zhi == vi) {
            ++per_article[r.wenzhangha].first;
        }
        if (r.zhi == vj) {
            ++per_article[r.wenzhangha].second;
        }
    }
    long long x = 0;
    for (const auto& [article, c] : per_article) {
        x += c.first * c.second;
    }
    return x;
}

TEST(Matrices, RandomDataEqualsTheDefinitionCellByCell) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> article(1, 40);
        std::uniform_int_distribution<int> value(1, 25);
        std::vector<Row> rows;
        for (int k = 0; k < 600; ++k) {
            const int v = std::min(value(rng), value(rng)); // skewed towards small values
            rows.push_back({"a" + std::to_string(article(rng)), "K", "值" + std::to_string(v)});
        }
        const auto b = build(rows, "K", "<txt>", 1, 1000000);
        const std::size_t n = b.selected.size();
        ASSERT_EQ(b.co.size(), n);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                const long long expected =
                    i == j ? b.selected[i].cishu
                           : by_definition(rows, b.co.values[i], b.co.values[j]);
                ASSERT_EQ(b.co.at(i, j), expected) << "seed " << seed << " cell " << i << "," << j;
            }
            for (std::size_t c = 0; c < b.wd.columns(); ++c) {
                const bool carries = std::any_of(rows.begin(), rows.end(), [&](const Row& r) {
                    return r.wenzhangha == b.wd.articles[c] && r.zhi == b.wd.values[i];
                });
                ASSERT_EQ(b.wd.cell(i, c), carries);
            }
        }
        for (std::size_t c = 1; c < b.wd.columns(); ++c) {
            ASSERT_LT(lumacite::text::compare_text(b.wd.articles[c - 1], b.wd.articles[c]), 0);
        }
    }
}

TEST(Cooccurrence, NumberedArticlesInAnyOrderAndBeyondOneTile) {
    // 150 values (the mirror works in tiles of 64), 300 articles of which some carry
    // nothing, occurrences shuffled so that no article's come together, and the same
    // occurrences article by article as a table holds them; summed in one pass and in two
    // halves at once.
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::uint32_t> article(0, 299);
    std::uniform_int_distribution<std::uint32_t> value(0, 149);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> occurrences;
    std::vector<std::map<std::uint32_t, long long>> per_article(300);
    for (int k = 0; k < 4000; ++k) {
        const std::uint32_t a = article(rng) % 250; // articles 250..299 carry nothing
        const std::uint32_t v = std::min(value(rng), value(rng));
        occurrences.emplace_back(a, v);
        ++per_article[a][v];
    }
    std::vector<RankedValue> selected;
    for (int v = 0; v < 150; ++v) {
        selected.push_back({"v" + std::to_string(v), 1000 + v});
    }
    std::vector<long long> expected(150 * 150, 0);
    for (const auto& counts : per_article) {
        for (const auto& [i, ci] : counts) {
            for (const auto& [j, cj] : counts) {
                if (i != j) {
                    expected[i * 150 + j] += ci * cj;
                }
            }
        }
    }
    for (std::size_t i = 0; i < 150; ++i) {
        expected[i * 150 + i] = 1000 + static_cast<long long>(i);
    }
    auto together = occurrences;
    std::stable_sort(together.begin(), together.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const std::size_t halves_from : {SIZE_MAX, std::size_t{1}}) {
        SCOPED_TRACE(halves_from);
        const auto m = build_cooccurrence(selected, occurrences, 300, quiet, halves_from);
        EXPECT_EQ(m.values[149], "v149");
        EXPECT_EQ(m.cells, expected);
        EXPECT_EQ(build_cooccurrence(selected, together, 300, quiet, halves_from).cells, expected);
        // No occurrence at all: only the diagonal.
        const auto empty =
            build_cooccurrence(std::span(selected).first(2), {}, 0, quiet, halves_from - 1);
        EXPECT_EQ(empty.cells, (std::vector<long long>{1000, 0, 0, 1001}));
    }
}

TEST(MatrixExport, LinesBeforeAnyGenerationAndAfterOne) {
    MatrixResults results;
    EXPECT_EQ(results.word_document_lines(), (std::vector<std::string>{"临时存储"}));
    EXPECT_TRUE(results.cooccurrence_lines().empty());
    CooccurrenceMatrix co;
    co.values = {"P"};
    co.cells = {4};
    results.cooccurrence = co;
    EXPECT_EQ(results.cooccurrence_lines(), (std::vector<std::string>{"*\tP", "P\t4"}));
    EXPECT_EQ(results.word_document_lines(), (std::vector<std::string>{"临时存储"}));
}

TEST(MatrixExport, TargetAlwaysGetsTxtAppended) {
    EXPECT_EQ(matrix_export_target("/x/m"), std::filesystem::path("/x/m.txt"));
    EXPECT_EQ(matrix_export_target("/x/m.txt"), std::filesystem::path("/x/m.txt.txt"));
}

TEST(MatrixExport, WritesGb18030WithCrLfAfterEveryLine) {
    TempDir dir;
    const auto file = dir / "m.txt";
    lumacite::testing::write_file(file, "older and longer content");
    const std::vector<std::string> lines{"临时存储"};
    write_matrix_lines(file, lines);
    EXPECT_EQ(lumacite::testing::read_file(file), "\xC1\xD9\xCA\xB1\xB4\xE6\xB4\xA2\r\n");

    const std::vector<std::string> co{"*\tP", "P\t2"};
    write_matrix_lines(file, co);
    EXPECT_EQ(lumacite::testing::read_file(file), "*\tP\r\nP\t2\r\n");

    write_matrix_lines(file, std::vector<std::string>{});
    EXPECT_EQ(lumacite::testing::read_file(file), "");

    EXPECT_THROW(write_matrix_lines(dir / "missing" / "m.txt", lines), std::runtime_error);
}

} // namespace
