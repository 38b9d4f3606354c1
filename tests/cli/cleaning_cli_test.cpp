// thesaurus and similar through the built lumacite-cli.
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using lumacite::testing::append_rows;
using lumacite::testing::CliResult;
using lumacite::testing::make_catalogue;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;

namespace {

class CleaningCli : public ::testing::Test {
protected:
    void SetUp() override {
        make_catalogue(home(), {{"T1", "WOS", ""}},
                       {{"T1", 1, "a.txt", ""}, {"T1", 2, "b.txt", ""}});
        append_rows(home(), "T1",
                    {{1, "A1", "作者", "Smith J"},
                     {1, "A1", "作者", "Müller H"},
                     {1, "A2", "作者", "Smith JA"},
                     {1, "A2", "作者", "Muller H"},
                     {2, "B1", "作者", "Smith JA"},
                     {2, "B1", "作者", "MULLER H"},
                     {2, "B2", "作者", "Anon"}});
    }

    std::filesystem::path home() const { return dir / "home"; }
    CliResult run(const std::vector<std::string>& args) { return run_cli_in(home(), args); }
    std::string file(const std::string& content) {
        const auto path = dir / "t.txt";
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    std::string values(const std::string& xuhao) {
        return run({"values", "T1", xuhao, "作者"}).out;
    }

    TempDir dir;
};

TEST_F(CleaningCli, ThesaurusPreviewsAsksAndApplies) {
    const std::string t = file("label\treplace by\nMuller H\tMüller H\nAnon\t\nNobody\tX\n");
    const std::string expected = "Muller H\tMuller H\tMüller H\t1\n"
                                 "Anon\tAnon\t\t1\n"
                                 "Nobody\t\tX\t0\n";
    const CliResult dry = run({"thesaurus", "T1", "作者", t, "--dry-run"});
    EXPECT_EQ(dry.exit_code, 0) << dry.err;
    EXPECT_EQ(dry.out, expected);

    const CliResult asked = run({"thesaurus", "T1", "作者", t});
    EXPECT_EQ(asked.exit_code, 2);
    EXPECT_EQ(
        asked.err,
        "将按词表修改关键字段值1行，删除1行。此操作一旦执行，将不可逆转，不可恢复！是否继续？\n");
    EXPECT_EQ(values("1"), "A1\tSmith J\nA1\tMüller H\nA2\tSmith JA\nA2\tMuller H\n");

    const CliResult applied = run({"thesaurus", "T1", "作者", t, "--yes"});
    EXPECT_EQ(applied.exit_code, 0) << applied.err;
    EXPECT_EQ(applied.out, expected);
    EXPECT_EQ(values("1"), "A1\tSmith J\nA1\tMüller H\nA2\tSmith JA\nA2\tMüller H\n");
    EXPECT_EQ(values("2"), "B1\tSmith JA\nB1\tMULLER H\n");

    // Folded, in document 2 only.
    const std::string folded = file("label\treplace by\nmuller h\tMüller H\n");
    EXPECT_EQ(run({"thesaurus", "T1", "作者", folded, "--document", "2", "--fold", "--yes"}).out,
              "muller h\tMULLER H\tMüller H\t1\n");
    EXPECT_EQ(values("2"), "B1\tSmith JA\nB1\tMüller H\n");

    const CliResult nothing = run({"thesaurus", "T1", "作者", folded, "--yes"});
    EXPECT_EQ(nothing.exit_code, 2);
    EXPECT_EQ(nothing.err, "词表中的“label”在当前关键字段中没有匹配的值，无需修改！\n");
}

TEST_F(CleaningCli, AFaultyThesaurusChangesNothing) {
    const std::string t = file("label\treplace by\nMuller H\tMüller H\nAnon\n");
    const CliResult r = run({"thesaurus", "T1", "作者", t, "--yes"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "词表文件有误，未做任何修改。请改正以下各行后再试：\n"
                     "第3行：缺少制表符：每行应为“label”和“replace by”两列，以制表符分隔\n");
    EXPECT_EQ(values("1"), "A1\tSmith J\nA1\tMüller H\nA2\tSmith JA\nA2\tMuller H\n");
    EXPECT_EQ(run({"thesaurus", "T1", "作者", (dir / "none.txt").string(), "--yes"}).exit_code, 3);
    EXPECT_EQ(run({"thesaurus", "T9", "作者", t, "--yes"}).err, "没有这个项目：T9\n");
}

TEST_F(CleaningCli, SimilarPrintsGroupsOrWritesTheirThesaurus) {
    EXPECT_EQ(run({"similar", "T1", "作者"}).out, "1\tsame\tMULLER H\t1\tMULLER H\n"
                                                  "1\tsame\tMuller H\t1\tMULLER H\n"
                                                  "1\tsame\tMüller H\t1\tMULLER H\n");
    EXPECT_EQ(run({"similar", "T1", "作者", "--authors"}).out,
              "1\tsame\tMULLER H\t1\tMULLER H\n"
              "1\tsame\tMuller H\t1\tMULLER H\n"
              "1\tsame\tMüller H\t1\tMULLER H\n"
              "2\tinitials\tSmith JA\t2\tSmith JA\n"
              "2\tinitials\tSmith J\t1\tSmith JA\n");

    const auto out = dir / "merged.txt";
    const CliResult saved = run({"similar", "T1", "作者", "--authors", "-o", out.string()});
    EXPECT_EQ(saved.exit_code, 0) << saved.err;
    EXPECT_EQ(saved.out, "3\n");
    std::ifstream in(out, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(written, "label\treplace by\nMuller H\tMULLER H\nMüller H\tMULLER H\n"
                       "Smith J\tSmith JA\n");
    EXPECT_EQ(run({"thesaurus", "T1", "作者", out.string(), "--yes"}).exit_code, 0);
    EXPECT_EQ(values("1"), "A1\tSmith JA\nA1\tMULLER H\nA2\tSmith JA\nA2\tMULLER H\n");
}

} // namespace
