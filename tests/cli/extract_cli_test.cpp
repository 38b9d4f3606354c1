// extract and values through the built lumacite-cli.
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumacite::testing::CliResult;
using lumacite::testing::read_file;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;

namespace {

class ExtractCli : public ::testing::Test {
protected:
    std::filesystem::path home() const { return dir / "home"; }

    CliResult run(const std::vector<std::string>& args) { return run_cli_in(home(), args); }

    TempDir dir;
};

TEST_F(ExtractCli, ExtractsAFileEntryAndAsksBeforeReplacing) {
    write_file(dir / "recs.txt", "FN x\nPT J\nAU O'Hara K\n   Li M\nSO NATURE\nPY 2001\nER\n"
                                 "PT J\nAU Wu X\nPY 2002\nER\n");
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).exit_code, 0);
    ASSERT_EQ(run({"doc", "add", "W1", (dir / "recs.txt").string()}).exit_code, 0);

    const CliResult first = run({"extract", "W1", "1"});
    EXPECT_EQ(first.exit_code, 0) << first.err;
    EXPECT_EQ(run({"values", "W1", "1", "作者"}).out,
              "0000000001\tO′Hara K\n0000000001\tLi M\n0000000002\tWu X\n");
    EXPECT_EQ(run({"values", "W1", "1", "第一作者"}).out,
              "0000000001\tO′Hara K\n0000000002\tWu X\n");
    EXPECT_EQ(run({"values", "W1", "1", "期刊全称"}).out, "0000000001\tNATURE\n");

    const CliResult again = run({"extract", "W1", "1"});
    EXPECT_EQ(again.exit_code, 2);
    EXPECT_EQ(again.err, "已进行过相应的关键字提取工作，是否确认要重新进行？\n");
    EXPECT_EQ(run({"extract", "W1", "1", "--yes"}).exit_code, 0);
    EXPECT_EQ(run({"values", "W1", "1", "年代"}).out, "0000000001\t2001\n0000000002\t2002\n");
}

// Exports joined by hand: a UTF-8 file with one GBK record, and GBK records after a UTF-8
// byte-order mark. Every line is read in its own encoding, and the characters GBK keeps in
// its private-use area (FE51 here) survive the way into the value table and back.
TEST_F(ExtractCli, MixedEncodingsAreReadLineByLine) {
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).exit_code, 0);
    const std::string gbk_record = "PT J\nTI \xB7\xCE\xB0\xA9\xD1\xD0\xBE\xBF\xFE\x51\nER\n";
    write_file(dir / "a.txt", "PT J\nTI 中文标题\nER\n" + gbk_record);
    write_file(dir / "b.txt", "\xEF\xBB\xBF" + gbk_record + "PT J\nTI 中文标题\nER\n");
    for (const char* name : {"a.txt", "b.txt"}) {
        ASSERT_EQ(run({"doc", "add", "W1", (dir / name).string()}).exit_code, 0);
    }
    ASSERT_EQ(run({"extract", "W1", "1"}).exit_code, 0);
    ASSERT_EQ(run({"extract", "W1", "2"}).exit_code, 0);
    EXPECT_EQ(run({"values", "W1", "1", "标题"}).out,
              "0000000001\t中文标题\n0000000002\t肺癌研究\uE816\n");
    EXPECT_EQ(run({"values", "W1", "2", "标题"}).out,
              "0000000001\t肺癌研究\uE816\n0000000002\t中文标题\n");
}

TEST_F(ExtractCli, RefusalsAndUsage) {
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).exit_code, 0);
    std::filesystem::create_directory(dir / "recs");
    write_file(dir / "recs" / "a.TXT", "PT J\nPY 1999\n");
    write_file(dir / "one.txt", "PT J\n");
    ASSERT_EQ(run({"doc", "add-dir", "W1", (dir / "recs").string(), "txt"}).exit_code, 0);
    ASSERT_EQ(run({"doc", "add", "W1", (dir / "one.txt").string()}).exit_code, 0);

    std::filesystem::remove_all(dir / "recs");
    const CliResult no_dir = run({"extract", "W1", "1"});
    EXPECT_EQ(no_dir.exit_code, 2);
    EXPECT_EQ(no_dir.err, "无相应的目录路径！\n");
    std::filesystem::remove(home() / "W1" / "one.txt");
    const CliResult no_file = run({"extract", "W1", "2"});
    EXPECT_EQ(no_file.exit_code, 2);
    EXPECT_EQ(no_file.err, "无相应的文档文件！\n");

    EXPECT_EQ(run({"extract", "W1", "9"}).exit_code, 2);
    EXPECT_EQ(run({"extract", "Nope", "1"}).err, "没有这个项目：Nope\n");
    EXPECT_EQ(run({"extract", "W1", "x"}).exit_code, 1);
    EXPECT_EQ(run({"values", "W1", "1"}).exit_code, 1);
}

} // namespace
