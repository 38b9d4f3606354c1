// The project and document-list commands as a user runs them.
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using lumacite::testing::CliResult;
using lumacite::testing::read_file;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
namespace fs = std::filesystem;

namespace {

class ProjectsCli : public ::testing::Test {
protected:
    TempDir dir;
    fs::path home = dir / "home";
    CliResult run(std::vector<std::string> args) { return run_cli_in(home, std::move(args)); }
};

TEST_F(ProjectsCli, ProjectAddRefusesWithTheWindowsMessages) {
    EXPECT_EQ(
        run({"project", "add", "A1", "--format", "PubMed", "--description", "说明"}).exit_code, 0);
    EXPECT_TRUE(fs::exists(home / "A1" / "zidianA1.dbf"));
    EXPECT_TRUE(fs::exists(home / "A1" / "tongjiA1.dbf"));
    EXPECT_EQ(run({"projects"}).out, "A1\tPubMed\t说明\n");

    auto r = run({"project", "add", "A-1", "--format", "PubMed"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "编号只能采用数字和字母命名！\n");
    r = run({"project", "add", "A1", "--format", "PubMed"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "编号重复！\n");
    r = run({"project", "add", "C1", "--format", "无此格式"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(run({"project", "add", "C1"}).exit_code, 1);

    const auto k = run({"keywords", "A1"});
    EXPECT_EQ(k.exit_code, 0);
    EXPECT_EQ(k.out.substr(0, k.out.find('\n')), "全部主题词＋副主题词");
    EXPECT_TRUE(k.out.ends_with("\n第一作者\n"));
}

TEST_F(ProjectsCli, DocumentCommandsAskForYesBeforeReplacingOrRemoving) {
    ASSERT_EQ(run({"project", "add", "A1", "--format", "WOS"}).exit_code, 0);
    write_file(dir / "a.txt", "first");
    EXPECT_EQ(run({"doc", "add", "A1", (dir / "a.txt").string()}).exit_code, 0);
    write_file(dir / "a.txt", "second");
    auto r = run({"doc", "add", "A1", (dir / "a.txt").string()});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "已存在同名文件，是否覆盖？\n");
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "first");
    EXPECT_EQ(run({"doc", "add", "A1", (dir / "a.txt").string(), "--yes"}).exit_code, 0);
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "second");

    fs::create_directory(dir / "d");
    EXPECT_EQ(run({"doc", "add-dir", "A1", (dir / "d").string() + "/", ".xml"}).exit_code, 0);
    r = run({"doc", "add-dir", "A1", (dir / "d").string(), "XML"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "已选择了相同的目录路径以及文件扩展名！\n");
    EXPECT_EQ(run({"docs", "A1"}).out, "1\ta.txt\t\n2\t" + (dir / "d").string() + "\tXML\n");

    r = run({"doc", "remove", "A1", "1"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "确认移除当前所选择的文档文件“a."
                     "txt”吗？\r\r注意：如果移除，相应的提取数据也将一并被移除！\n");
    EXPECT_EQ(run({"doc", "remove", "A1", "1", "--yes"}).exit_code, 0);
    EXPECT_EQ(run({"docs", "A1"}).out, "1\t" + (dir / "d").string() + "\tXML\n");
    EXPECT_EQ(run({"doc", "remove", "A1", "5", "--yes"}).exit_code, 2);
    EXPECT_EQ(run({"doc", "remove", "A1", "x", "--yes"}).exit_code, 1);
}

// Replacing a registered copy: --yes clears its values, --yes --keep-values keeps them
// (the window's Yes to replacing, then No to clearing).
TEST_F(ProjectsCli, ReplacingACopyKeepsOrClearsItsValues) {
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).exit_code, 0);
    write_file(dir / "r.txt", "PT J\nAU Li M\nER\n");
    ASSERT_EQ(run({"doc", "add", "W1", (dir / "r.txt").string()}).exit_code, 0);
    ASSERT_EQ(run({"extract", "W1", "1"}).exit_code, 0);
    ASSERT_EQ(run({"stats", "W1", "作者"}).exit_code, 0);

    write_file(dir / "r.txt", "PT J\nAU Wu X\nER\n");
    auto r = run({"doc", "add", "W1", (dir / "r.txt").string(), "--keep-values"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "已存在同名文件，是否覆盖？\n");
    r = run({"doc", "add", "W1", (dir / "r.txt").string(), "--yes", "--keep-values"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(home / "W1" / "r.txt"), "PT J\nAU Wu X\nER\n");
    EXPECT_EQ(run({"values", "W1", "1", "作者"}).out, "0000000001\tLi M\n");
    EXPECT_EQ(run({"show-stats", "W1", "作者"}).out,
              "         1\tLi M\t         1\t100.0000\t100.0000\n");

    write_file(dir / "r.txt", "PT J\nAU Zhou Q\nER\n");
    r = run({"doc", "add", "W1", (dir / "r.txt").string(), "--yes"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(home / "W1" / "r.txt"), "PT J\nAU Zhou Q\nER\n");
    EXPECT_EQ(run({"values", "W1", "1", "作者"}).out, "");
    EXPECT_EQ(run({"show-stats", "W1", "作者"}).out, "");
    EXPECT_EQ(run({"docs", "W1"}).out, "1\tr.txt\t\n");
}

TEST_F(ProjectsCli, ProjectDeleteNeedsYesAndRemovesTheFolder) {
    ASSERT_EQ(run({"project", "add", "A1", "--format", "cnki"}).exit_code, 0);
    write_file(home / "A1" / ".hidden", "h");
    auto r = run({"project", "delete", "A1"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err,
              "确认删除当前所选择的“A1”项目吗？\r\r项目所包含的所有提取、统计数据都将被删除。\r包括"
              "项目文件夹“" +
                  (home / "A1").string() + "”也将一并删除！\r且不可恢复回收！\n");
    EXPECT_TRUE(fs::exists(home / "A1"));
    EXPECT_EQ(run({"project", "delete", "A1", "--yes"}).exit_code, 0);
    EXPECT_FALSE(fs::exists(home / "A1"));
    EXPECT_EQ(run({"projects"}).out, "");
    EXPECT_EQ(run({"project", "delete", "A1", "--yes"}).exit_code, 2);
}

} // namespace
