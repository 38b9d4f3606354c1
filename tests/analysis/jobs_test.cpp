#include "analysis/jobs.h"
#include "store/dbase.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <string>
#include <vector>

using namespace lumacite::analysis;
using lumacite::store::Workspace;
using lumacite::testing::TempDir;

namespace {

lumacite::NullProgress quiet;

// Records what a job reports, to check the gauge and the last title.
struct RecordingProgress : lumacite::Progress {
    std::string title;
    long long maximum = -1;
    long long position = -1;
    void set_title(const std::string& t) override { title = t; }
    void set_maximum(long long m) override { maximum = m; }
    void set_position(long long p) override { position = p; }
};

struct Project {
    TempDir dir;
    Workspace ws = Workspace::bind(dir.path(), "P1");
    void add(const char* article, const char* keyword, const char* value, long long doc = 1) {
        ws.append_value(doc, article, keyword, value);
    }
    // The jobs read zidian and leave the scratch table temp alone.
    bool temp_written() const { return std::filesystem::exists(ws.temp_path()); }
};

TEST(AnalysisTexts, QuestionsAndMessages) {
    EXPECT_EQ(statistics_question("作者", false), "是否要对“作者”进行统计工作？\r");
    EXPECT_EQ(statistics_question("作者", true), "已做过“作者”统计工作，是否重新进行统计？\r");
    EXPECT_EQ(statistics_needed_message("期刊"), "请首先进行“期刊”的汇总统计工作！\r");
    EXPECT_EQ(generation_question("期刊", MatrixKind::word_document),
              "是否要对“期刊”进行“词篇矩阵”生成？\r");
    EXPECT_EQ(generation_question("期刊", MatrixKind::cooccurrence),
              "是否要对“期刊”进行“共现矩阵”生成？\r");
    EXPECT_EQ(statistics_job_title("期刊"), "汇总统计计算...... 期刊");
    EXPECT_EQ(matrix_job_title(MatrixKind::cooccurrence), "共现矩阵......");
}

TEST(StatisticsJob, WritesRankedRowsAndRecountReplacesOnlyThatKeyword) {
    Project p;
    for (const char* a : {"1", "2", "3"}) {
        p.add(a, "期刊", "A");
    }
    p.add("4", "期刊", "B");
    p.add("5", "期刊", "C");
    p.add("6", "期刊", "C");
    p.add("1", "年代", "2001");
    ASSERT_EQ(run_statistics_job(p.ws, "年代", "<txt>", quiet), StatisticsOutcome::counted);
    RecordingProgress progress;
    ASSERT_EQ(run_statistics_job(p.ws, "期刊", "<txt>", progress), StatisticsOutcome::counted);
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.position, 3);

    auto rows = p.ws.statistics("期刊");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].bianhao, "P1");
    EXPECT_EQ(rows[1].guanjianzi, "期刊");
    EXPECT_EQ(rows[1].xuhao, "         2");
    EXPECT_EQ(rows[1].zhi, "C");
    EXPECT_EQ(rows[1].cishu, "         2");
    EXPECT_EQ(rows[1].baifenbi, "33.3333");
    EXPECT_EQ(rows[2].leijibi, "100.0000");
    EXPECT_FALSE(p.temp_written());

    // Counting again after new values: the keyword's rows are replaced, 年代 stays.
    p.add("7", "期刊", "B");
    p.add("8", "期刊", "B");
    p.add("9", "期刊", "B");
    EXPECT_TRUE(p.ws.has_statistics("期刊"));
    run_statistics_job(p.ws, "期刊", "<txt>", quiet);
    rows = p.ws.statistics("期刊");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].zhi, "B");
    EXPECT_EQ(rows[0].cishu, "         4");
    EXPECT_EQ(rows[1].zhi, "A");
    const auto years = p.ws.statistics("年代");
    ASSERT_EQ(years.size(), 1u);
    EXPECT_EQ(years[0].leijibi, "100.0000");
}

TEST(StatisticsJob, ZeroAndArticleBaseWithoutValues) {
    Project p;
    p.add("1", "标题", "t1");
    p.add("2", "标题", "t2");
    // Rows of an earlier count whose values have gone since: a count of none removes them.
    lumacite::store::StatisticsRow old;
    old.xuhao = "         1";
    old.guanjianzi = "期刊";
    old.zhi = "gone";
    p.ws.append_statistic(old);
    EXPECT_EQ(run_statistics_job(p.ws, "期刊", "<txt>", quiet), StatisticsOutcome::zero);
    EXPECT_TRUE(p.ws.statistics("期刊").empty());
    EXPECT_TRUE(p.ws.all_statistics().empty());
    // 作者 of an XML project: the base is the number of articles, so no zero message,
    // yet there is no row to write.
    EXPECT_EQ(run_statistics_job(p.ws, "作者", "<xml>", quiet), StatisticsOutcome::counted);
    EXPECT_TRUE(p.ws.statistics("作者").empty());
    EXPECT_EQ(run_statistics_job(p.ws, "作者", "<txt>", quiet), StatisticsOutcome::zero);
}

TEST(StatisticsJob, ArticleBaseCountsArticlesOfEveryDocumentAndKeyword) {
    Project p;
    for (int a = 1; a <= 10; ++a) {
        const std::string article = "A" + std::to_string(a);
        p.add(article.c_str(), "标题", "t", a <= 5 ? 1 : 2);
        if (a <= 4) {
            p.add(article.c_str(), "作者", "Zhang");
            p.add(article.c_str(), "作者", ("X" + std::to_string(a)).c_str());
        }
    }
    run_statistics_job(p.ws, "作者", "<xml>", quiet);
    const auto rows = p.ws.statistics("作者");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].zhi, "Zhang");
    EXPECT_EQ(rows[0].baifenbi, "40.0000");
    EXPECT_EQ(rows[4].leijibi, "80.0000");
}

TEST(StatisticsJob, MergedHeadingsOfXmlProjectCountPairsOnce) {
    Project p;
    p.add("A1", "主要主题词＋副主题词", "Liver");
    p.add("A1", "次要主题词＋副主题词", "Liver");
    p.add("A2", "次要主题词＋副主题词", "Liver");
    run_statistics_job(p.ws, "全部主题词＋副主题词", "<xml>", quiet);
    const auto rows = p.ws.statistics("全部主题词＋副主题词");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].cishu, "         2");
    EXPECT_EQ(rows[0].baifenbi, "100.0000");
    EXPECT_FALSE(p.temp_written());
}

class MatrixJob : public ::testing::Test {
protected:
    void SetUp() override {
        // P: A1 A2 A3; Q: A2 A3 A4; R: A1 twice.
        for (const char* a : {"A1", "A2", "A3"}) {
            p.add(a, "K", "P");
        }
        for (const char* a : {"A2", "A3", "A4"}) {
            p.add(a, "K", "Q");
        }
        p.add("A1", "K", "R");
        p.add("A1", "K", "R");
        p.add("A9", "J", "P");
        run_statistics_job(p.ws, "K", "<txt>", quiet);
        ranked = ranked_values(p.ws, "K");
    }
    Project p;
    std::vector<RankedValue> ranked;
    MatrixResults results;
};

TEST_F(MatrixJob, EachGenerationReplacesOnlyItsOwnMatrix) {
    ASSERT_EQ(ranked.size(), 3u);
    RecordingProgress progress;
    ASSERT_TRUE(run_matrix_job(p.ws, MatrixKind::cooccurrence, "K", "<txt>", ranked, 1, 3, results,
                               progress));
    EXPECT_EQ(progress.title, "共现矩阵......  9 \\ 9");
    EXPECT_EQ(results.word_document_lines(), (std::vector<std::string>{"临时存储"}));
    EXPECT_EQ(results.cooccurrence_lines(),
              (std::vector<std::string>{"*\tP\tQ\tR", "P\t3\t2\t2", "Q\t2\t3\t0", "R\t2\t0\t2"}));
    EXPECT_FALSE(p.temp_written());

    ASSERT_TRUE(run_matrix_job(p.ws, MatrixKind::word_document, "K", "<txt>", ranked, 3, 3, results,
                               progress));
    EXPECT_EQ(progress.title, "词篇矩阵......  8 \\ 8");
    EXPECT_EQ(results.word_document_lines(),
              (std::vector<std::string>{"*\tA1\tA2\tA3\tA4", "P\t1\t1\t1\t0", "Q\t0\t1\t1\t1"}));
    EXPECT_EQ(results.cooccurrence_lines().size(), 4u);
}

TEST_F(MatrixJob, BoundsOutsideEveryCountChangeNothing) {
    ASSERT_TRUE(run_matrix_job(p.ws, MatrixKind::word_document, "K", "<txt>", ranked, 2, 2, results,
                               quiet));
    const auto before = results.word_document_lines();
    EXPECT_FALSE(run_matrix_job(p.ws, MatrixKind::word_document, "K", "<txt>", ranked, 4, 9,
                                results, quiet));
    EXPECT_FALSE(
        run_matrix_job(p.ws, MatrixKind::word_document, "K", "<txt>", {}, 0, 9, results, quiet));
    EXPECT_EQ(results.word_document_lines(), before);
    // Crossed bounds pass the check: an empty matrix with its header.
    EXPECT_TRUE(run_matrix_job(p.ws, MatrixKind::word_document, "K", "<txt>", ranked, 3, 2, results,
                               quiet));
    EXPECT_EQ(results.word_document_lines(), (std::vector<std::string>{"*"}));
    EXPECT_FALSE(p.temp_written());
}

} // namespace

namespace {

// The network's read of the matrix: the same cells as the job, the articles of the whole
// keyword (A1 … A4, not A9 of J), and no table written.
TEST_F(MatrixJob, ReadCooccurrenceGivesTheJobsCellsAndWritesNothing) {
    ASSERT_TRUE(run_matrix_job(p.ws, MatrixKind::word_document, "K", "<txt>", ranked, 3, 3, results,
                               quiet));
    const auto data = read_cooccurrence(p.ws, "K", "<txt>", ranked, 2, 3, quiet);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->articles, 4);
    EXPECT_EQ(data->matrix.values, (std::vector<std::string>{"P", "Q", "R"}));
    EXPECT_EQ(data->matrix.cells, (std::vector<long long>{3, 2, 2, 2, 3, 0, 2, 0, 2}));
    EXPECT_FALSE(p.temp_written());
    EXPECT_FALSE(read_cooccurrence(p.ws, "K", "<txt>", ranked, 4, 9, quiet).has_value());
}

} // namespace

namespace {

// The job reads the stored bytes in place; its rows must equal those of the plain rule
// (select_occurrences and compute_statistics over every decoded row), for deleted rows,
// Chinese values, values with inner and trailing blanks, and the merged headings.
TEST(StatisticsJob, ReadingInPlaceGivesTheRowsOfTheDecodedRule) {
    Project p;
    const char* rows[][3] = {
        {"A1", "主要主题词＋副主题词", "肝脏"},
        {"A1", "次要主题词＋副主题词", "肝脏"},
        {"A1", "次要主题词＋副主题词", "肝脏"},
        {"A2", "主要主题词＋副主题词", "肝 脏"},
        {"A2", "作者", "Zhang  Wei "},
        {"A3", "作者", "Zhang  Wei"},
        {"A3", "作者", "王芳"},
        {"A3", "次要主题词＋副主题词", "Liver"},
        {"A4", "标题", "t"},
        {"A5", "作者", "gone"},
        {"A2", "次要主题词＋副主题词", "Liver"},
        {"A6", "主要主题词＋副主题词", "Liver"},
    };
    for (const auto& r : rows) {
        p.add(r[0], r[1], r[2]);
    }
    lumacite::store::ValueFilter gone;
    gone.zhi = "gone";
    ASSERT_EQ(p.ws.delete_values(gone), 1u);

    for (const char* keyword : {"全部主题词＋副主题词", "作者", "次要主题词＋副主题词"}) {
        SCOPED_TRACE(keyword);
        const auto all = p.ws.select_values({});
        const auto occurrences = select_occurrences(all, keyword, "<xml>");
        long long base = static_cast<long long>(occurrences.size());
        if (uses_article_base(keyword, "<xml>")) {
            base = count_distinct_articles(all);
        }
        const auto expected = compute_statistics(occurrences, base, quiet);
        ASSERT_EQ(run_statistics_job(p.ws, keyword, "<xml>", quiet), StatisticsOutcome::counted);
        const auto stored = p.ws.statistics(keyword);
        ASSERT_EQ(stored.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(stored[i].zhi, expected[i].zhi);
            EXPECT_EQ(stored[i].cishu, expected[i].cishu);
            EXPECT_EQ(stored[i].baifenbi, expected[i].baifenbi);
            EXPECT_EQ(stored[i].leijibi, expected[i].leijibi);
        }
    }
    // 作者 of an XML project: "Zhang  Wei" twice (the trailing blank is not stored), base
    // the 5 live articles (A5's only row is deleted).
    const auto authors = p.ws.statistics("作者");
    ASSERT_EQ(authors.size(), 2u);
    EXPECT_EQ(authors[0].zhi, "Zhang  Wei");
    EXPECT_EQ(authors[0].baifenbi, "40.0000");
    EXPECT_EQ(authors[1].zhi, "王芳");

    // The occurrences as the matrices read them: distinct pairs, first appearance order.
    const auto read = read_occurrences(p.ws, "全部主题词＋副主题词", "<xml>", true, quiet);
    EXPECT_EQ(read.values, (std::vector<std::string>{"肝脏", "肝 脏", "Liver"}));
    EXPECT_EQ(read.all_articles, 5);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs(read.pairs.begin(),
                                                               read.pairs.end());
    ASSERT_EQ(pairs.size(), 5u); // A1 肝脏 once, A2 肝 脏, A3 Liver, A2 Liver, A6 Liver
    EXPECT_EQ(read.articles[pairs[3].first], "A2");
    EXPECT_EQ(read.values[pairs[3].second], "Liver");
}

// Stored texts that differ in their bytes but decode alike are one value (one article);
// an ASCII text is never merged with another.
TEST(ReadOccurrences, StoredTextsThatDecodeAlikeAreOne) {
    TempDir dir;
    std::filesystem::path zidian;
    {
        Workspace ws = Workspace::bind(dir.path(), "P1");
        ws.append_value(1, "A1", "期刊", "X1");
        ws.append_value(1, "A2", "期刊", "X2");
        ws.append_value(1, "A3", "期刊", "?");
        ws.append_value(1, "A4", "期刊", "\uFFFD"); // stored as its four GB18030 bytes
        zidian = ws.zidian_path();
        ws.close();
    }
    {
        // Single bytes 0x80 and 0xFF decode to U+FFFD as well.
        auto table = lumacite::store::DbaseTable::open(zidian);
        const auto& fields = table.layout().fields();
        const auto field = [&](const char* name) {
            return static_cast<std::size_t>(
                std::find_if(fields.begin(), fields.end(),
                             [&](const auto& f) { return f.name == name; }) -
                fields.begin());
        };
        const auto padded = [&](std::size_t f, std::string bytes) {
            bytes.resize(fields[f].width, ' ');
            return bytes;
        };
        table.modify([&](lumacite::store::DbaseRecordEdit& r) {
            if (r.number() > 1) {
                return false;
            }
            const std::string bad = r.number() == 0 ? "\x80" : "\xFF";
            r.set_raw(field("zhi"), padded(field("zhi"), bad));
            r.set_raw(field("wenzhangha"), padded(field("wenzhangha"), bad + "a"));
            return true;
        });
        table.close();
    }
    Workspace ws = Workspace::bind(dir.path(), "P1");
    const auto read = read_occurrences(ws, "期刊", "<txt>", true, quiet);
    EXPECT_EQ(read.values, (std::vector<std::string>{"\uFFFD", "?"}));
    EXPECT_EQ(read.articles, (std::vector<std::string>{"\uFFFDa", "A3", "A4"}));
    EXPECT_EQ(read.all_articles, 3);
    EXPECT_EQ(read.pairs, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                              {0, 0}, {0, 0}, {1, 1}, {2, 0}}));
}

// A table read in two halves at once gives what one reading gives: values and articles
// numbered in order of first appearance across the middle, the pairs in table order,
// deleted rows left out, distinct pairs and every article counted — for tables split at
// every place around an article that straddles the middle.
TEST(ReadOccurrences, TwoHalvesAtOnceGiveWhatOneReadingGives) {
    for (const int rows : {2, 3, 7, 60, 61}) {
        SCOPED_TRACE(rows);
        TempDir dir;
        Workspace ws = Workspace::bind(dir.path(), "P1");
        for (int i = 0; i < rows; ++i) {
            const std::string article = "A" + std::to_string(i / 3 % 9);
            ws.append_value(1, article, i % 4 == 0 ? "作者" : "全部主题词＋副主题词",
                            "v" + std::to_string(i * 7 % 11) + (i % 5 == 0 ? "肝" : ""));
        }
        lumacite::store::ValueFilter gone;
        gone.zhi = "v0肝";
        ws.delete_values(gone);
        for (const char* keyword : {"作者", "全部主题词＋副主题词"}) {
            for (const bool all : {false, true}) {
                SCOPED_TRACE(std::string(keyword) + (all ? ", every article" : ""));
                const auto one = read_occurrences(ws, keyword, "<xml>", all, quiet, UINT32_MAX);
                const auto two = read_occurrences(ws, keyword, "<xml>", all, quiet, 1);
                EXPECT_EQ(two.values, one.values);
                EXPECT_EQ(two.articles, one.articles);
                EXPECT_EQ(two.pairs, one.pairs);
                EXPECT_EQ(two.all_articles, one.all_articles);
            }
        }
    }
}

} // namespace
