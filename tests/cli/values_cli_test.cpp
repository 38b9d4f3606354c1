// values, edit and remove through the built lumacite-cli.
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumacite::testing::append_rows;
using lumacite::testing::CliResult;
using lumacite::testing::make_catalogue;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;

namespace {

class ValuesCli : public ::testing::Test {
protected:
    void SetUp() override {
        make_catalogue(home(), {{"T1", "WOS", ""}},
                       {{"T1", 1, "a.txt", ""}, {"T1", 2, "b.txt", ""}});
        append_rows(home(), "T1",
                    {{1, "A1", "作者", "li m"},
                     {1, "A1", "作者", "Wu (ed.) X"},
                     {1, "A2", "作者", "li m"},
                     {1, "A3", "作者", "Bo1"},
                     {2, "B1", "作者", "li m"}});
    }

    std::filesystem::path home() const { return dir / "home"; }
    CliResult run(const std::vector<std::string>& args) { return run_cli_in(home(), args); }
    std::string values(const std::string& xuhao = "1") {
        return run({"values", "T1", xuhao, "作者"}).out;
    }

    TempDir dir;
};

TEST_F(ValuesCli, ValuesFilteredAndSorted) {
    EXPECT_EQ(values(), "A1\tli m\nA1\tWu (ed.) X\nA2\tli m\nA3\tBo1\n");
    EXPECT_EQ(run({"values", "T1", "1", "作者", "--sort", "desc"}).out,
              "A1\tli m\nA2\tli m\nA1\tWu (ed.) X\nA3\tBo1\n");
    EXPECT_EQ(run({"values", "T1", "1", "作者", "--same", "li m", "--sort", "asc"}).out,
              "A1\tli m\nA2\tli m\n");
    EXPECT_EQ(run({"values", "T1", "3", "作者"}).err, "没有这个文档：3\n");
    EXPECT_EQ(run({"values", "T1", "1", "作者", "--sort", "up"}).exit_code, 1);
}

TEST_F(ValuesCli, EditPrintsTheRowsChangedAndRefusesWithTheWindowsMessages) {
    const CliResult upper = run({"edit", "T1", "1", "作者", "--same", "li m", "--case", "upper"});
    EXPECT_EQ(upper.exit_code, 0) << upper.err;
    EXPECT_EQ(upper.out, "2\n");
    EXPECT_EQ(run({"edit", "T1", "1", "作者", "--cut", "(", ")"}).out, "1\n");
    EXPECT_EQ(run({"edit", "T1", "1", "作者", "--strip", "digits"}).out, "1\n");
    EXPECT_EQ(run({"edit", "T1", "1", "作者", "--set", "LI M", "Li M", "--article", "A2"}).out,
              "1\n");
    EXPECT_EQ(values(), "A1\tLI M\nA1\tWu  X\nA2\tLi M\nA3\tBo\n");
    EXPECT_EQ(values("2"), "B1\tli m\n");

    struct Refusal {
        std::vector<std::string> operation;
        std::string message;
    };
    const std::vector<Refusal> refusals = {
        {{"--keep", "5", "3"}, "“止值”不应小于“起值”！\n"},
        {{"--keep", "", "3"}, "起、止两项都必须有值，且大于零！\n"},
        {{"--cut", " ", ")"}, "起、止两项都必须有值！\n"},
        {{"--replace", "", "x"}, "“被替换”项都必须有值！\n"},
        {{"--replace", "L", "L'"}, "修改内容中不能包含“半角单引号”！\n"},
        {{"--set", "Bo", "O'Bo", "--article", "A3"}, "修改内容中不能包含“半角单引号”！\n"},
        {{"--set", "Bo", "x", "--article", "A1"}, "值列表中没有这一行：A1 Bo\n"},
    };
    for (const auto& r : refusals) {
        std::vector<std::string> args{"edit", "T1", "1", "作者"};
        args.insert(args.end(), r.operation.begin(), r.operation.end());
        const CliResult result = run(args);
        EXPECT_EQ(result.exit_code, 2) << r.operation.front();
        EXPECT_EQ(result.err, r.message) << r.operation.front();
    }
    EXPECT_EQ(values(), "A1\tLI M\nA1\tWu  X\nA2\tLi M\nA3\tBo\n");

    for (const auto& usage :
         std::vector<std::vector<std::string>>{{"--case", "upper", "--strip", "letters"},
                                               {"--set", "Bo", "x"},
                                               {"--case", "title"},
                                               {"--batch", "--case", "upper"},
                                               {}}) {
        std::vector<std::string> args{"edit", "T1", "1", "作者"};
        args.insert(args.end(), usage.begin(), usage.end());
        EXPECT_EQ(run(args).exit_code, 1) << (usage.empty() ? "none" : usage.front());
    }
}

TEST_F(ValuesCli, RemoveNeedsYesAndTakesItsScope) {
    const CliResult asked =
        run({"remove", "T1", "1", "作者", "--article", "A2", "--value", "li m", "--scope", "same"});
    EXPECT_EQ(asked.exit_code, 2);
    EXPECT_EQ(asked.err, "确认删除关键字段值“li m”（全部相同的值）吗？\n");
    EXPECT_EQ(values(), "A1\tli m\nA1\tWu (ed.) X\nA2\tli m\nA3\tBo1\n");

    EXPECT_EQ(run({"remove", "T1", "1", "作者", "--article", "A2", "--value", "li m", "--scope",
                   "same", "--yes"})
                  .out,
              "3\n");
    EXPECT_EQ(values(), "A1\tWu (ed.) X\nA3\tBo1\n");
    EXPECT_EQ(values("2"), "");
    // Sorted descending the grid reads "Wu (ed.) X", "Bo1": from Bo1 on, Bo1 goes alone.
    EXPECT_EQ(run({"remove", "T1", "1", "作者", "--article", "A3", "--value", "Bo1", "--scope",
                   "below", "--sort", "desc", "--yes"})
                  .out,
              "1\n");
    EXPECT_EQ(values(), "A1\tWu (ed.) X\n");
    const CliResult missing = run({"remove", "T1", "1", "作者", "--article", "A3", "--value", "Bo1",
                                   "--scope", "one", "--yes"});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_EQ(missing.err, "值列表中没有这一行：A3 Bo1\n");
    EXPECT_EQ(run({"remove", "T1", "1", "作者", "--article", "A1", "--value", "x", "--scope", "all",
                   "--yes"})
                  .exit_code,
              1);
}

} // namespace
