// stats, show-stats and matrix through the built lumacite-cli.
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using lumacite::testing::CliResult;
using lumacite::testing::read_file;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;

namespace {

class AnalysisCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(run({"projects"}).exit_code, 0); // installs the shipped catalogue
        auto cat = lumacite::store::Catalogue::open(home() / "velkor.exs");
        cat.add_project({"T1", "WOS", ""});
        cat.add_project({"X1", "PubMed", ""});
    }

    std::filesystem::path home() const { return dir / "home"; }

    CliResult run(const std::vector<std::string>& args) { return run_cli_in(home(), args); }

    void values(const std::string& project, const std::vector<std::array<const char*, 3>>& rows) {
        auto ws = lumacite::store::Workspace::bind(home(), project);
        for (const auto& [article, keyword, value] : rows) {
            ws.append_value(1, article, keyword, value);
        }
        ws.close();
    }

    TempDir dir;
};

TEST_F(AnalysisCli, StatsPrintsStoredRowsAndRecountNeedsYes) {
    values("T1", {{{"1", "期刊", "A"}},
                  {{"2", "期刊", "A"}},
                  {{"3", "期刊", "A"}},
                  {{"3", "期刊", "C"}},
                  {{"4", "期刊", "C"}},
                  {{"5", "期刊", "B\tx"}}});
    const std::string expected = "         1\tA\t         3\t50.0000\t50.0000\n"
                                 "         2\tC\t         2\t33.3333\t83.3333\n"
                                 "         3\tB\\tx\t         1\t16.6667\t100.0000\n";
    CliResult r = run({"stats", "T1", "期刊"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(run({"show-stats", "T1", "期刊"}).out, expected);

    r = run({"stats", "T1", "期刊"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "已做过“期刊”统计工作，是否重新进行统计？\n");
    EXPECT_EQ(r.out, "");
    r = run({"stats", "T1", "期刊", "--yes"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, expected);
}

TEST_F(AnalysisCli, StatsRefusals) {
    values("X1", {{{"1", "标题", "t"}}});
    CliResult r = run({"stats", "X1", "期刊"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "无相应关键字的提取信息，统计结果为零！\n");
    EXPECT_EQ(run({"show-stats", "X1", "期刊"}).out, "");
    // 作者 of an XML project: the article base is positive, so no message and no row.
    r = run({"stats", "X1", "作者"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(run({"stats", "NOPE", "作者"}).exit_code, 2);
    EXPECT_EQ(run({"stats", "X1"}).exit_code, 1);
}

// The window's jobs do nothing for a project whose format has no definitions; the command
// line says so and writes nothing.
TEST_F(AnalysisCli, ProjectWithoutFormatTypeIsRefused) {
    {
        auto cat = lumacite::store::Catalogue::open(home() / "velkor.exs");
        cat.add_project({"E1", "无此格式", ""});
    }
    values("E1", {{{"1", "期刊", "A"}}});
    CliResult r = run({"stats", "E1", "期刊"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "项目的格式没有关键字定义，无法统计！\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(run({"show-stats", "E1", "期刊"}).out, "");
    r = run({"matrix", "E1", "期刊", "--kind", "word-document"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "项目的格式没有关键字定义，无法生成矩阵！\n");
}

// Values with line breaks and control characters: escaped in the statistics rows and the
// matrix lines on standard output, as they are in the matrix file.
TEST_F(AnalysisCli, ValuesAreEscapedOnStandardOutputOnly) {
    values("T1", {{{"A\n1", "K", "P\nQ\x02"}}, {{"A2", "K", "R"}}});
    CliResult r = run({"stats", "T1", "K"});
    EXPECT_EQ(r.out, "         1\tP\\nQ\\x02\t         1\t50.0000\t50.0000\n"
                     "         2\tR\t         1\t50.0000\t100.0000\n");
    r = run({"matrix", "T1", "K", "--kind", "word-document"});
    EXPECT_EQ(r.out, "*\tA\\n1\tA2\nP\\nQ\\x02\t1\t0\nR\t0\t1\n");
    r = run({"matrix", "T1", "K", "--kind", "cooccurrence"});
    EXPECT_EQ(r.out, "*\tP\\nQ\\x02\tR\nP\\nQ\\x02\t1\t0\nR\t0\t1\n");
    const auto file = dir / "m.txt";
    ASSERT_EQ(run({"matrix", "T1", "K", "--kind", "cooccurrence", "-o", file.string()}).exit_code,
              0);
    EXPECT_EQ(read_file(file), "*\tP\nQ\x02\tR\r\nP\nQ\x02\t1\t0\r\nR\t0\t1\r\n");
}

TEST_F(AnalysisCli, MatrixToStandardOutputAndToAFile) {
    values("T1", {{{"A1", "K", "P"}},
                  {{"A2", "K", "P"}},
                  {{"A3", "K", "P"}},
                  {{"A2", "K", "Q"}},
                  {{"A3", "K", "Q"}},
                  {{"A4", "K", "Q"}},
                  {{"A1", "K", "甲"}}});
    CliResult r = run({"matrix", "T1", "K", "--kind", "cooccurrence"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "请首先进行“K”的汇总统计工作！\n");
    ASSERT_EQ(run({"stats", "T1", "K"}).exit_code, 0);

    r = run({"matrix", "T1", "K", "--kind", "cooccurrence"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "*\tP\tQ\t甲\nP\t3\t2\t1\nQ\t2\t3\t0\n甲\t1\t0\t1\n");

    r = run({"matrix", "T1", "K", "--kind", "word-document", "--min", "2", "--max=3"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "*\tA1\tA2\tA3\tA4\nP\t1\t1\t1\t0\nQ\t0\t1\t1\t1\n");

    const auto file = dir / "m.txt";
    r = run({"matrix", "T1", "K", "--kind", "word-document", "--min", "1", "--max", "1", "-o",
             file.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(file), "*\tA1\r\n\xBC\xD7\t1\r\n");

    // Crossed bounds: an empty matrix with its header.
    EXPECT_EQ(run({"matrix", "T1", "K", "--kind", "cooccurrence", "--min", "3", "--max", "2"}).out,
              "*\n");
    r = run({"matrix", "T1", "K", "--kind", "cooccurrence", "--min", "4"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(run({"matrix", "T1", "K", "--kind", "both"}).exit_code, 1);
    EXPECT_EQ(run({"matrix", "T1", "K", "--kind", "cooccurrence", "--min", "-1"}).exit_code, 1);
}

} // namespace
