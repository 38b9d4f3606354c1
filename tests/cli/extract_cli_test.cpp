// extract and values through the built lumacite-cli.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;

namespace {

struct CliResult {
    int code = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

class ExtractCli : public ::testing::Test {
protected:
    std::filesystem::path home() const { return dir / "home"; }

    CliResult run(const std::vector<std::string>& args) {
        std::string cmd = quoted(std::string(LUMACITE_BINARY_DIR) + "/bin/lumacite-cli") +
                          " --home " + quoted(home().string());
        for (const auto& a : args) {
            cmd += " " + quoted(a);
        }
        cmd += " >" + quoted((dir / "out").string()) + " 2>" + quoted((dir / "err").string());
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir / "out"),
                read_file(dir / "err")};
    }

    TempDir dir;
};

TEST_F(ExtractCli, ExtractsAFileEntryAndAsksBeforeReplacing) {
    write_file(dir / "recs.txt", "FN x\nPT J\nAU O'Hara K\n   Li M\nSO NATURE\nPY 2001\nER\n"
                                 "PT J\nAU Wu X\nPY 2002\nER\n");
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).code, 0);
    ASSERT_EQ(run({"doc", "add", "W1", (dir / "recs.txt").string()}).code, 0);

    const CliResult first = run({"extract", "W1", "1"});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(run({"values", "W1", "1", "作者"}).out,
              "0000000001\tO′Hara K\n0000000001\tLi M\n0000000002\tWu X\n");
    EXPECT_EQ(run({"values", "W1", "1", "第一作者"}).out,
              "0000000001\tO′Hara K\n0000000002\tWu X\n");
    EXPECT_EQ(run({"values", "W1", "1", "期刊全称"}).out, "0000000001\tNATURE\n");

    const CliResult again = run({"extract", "W1", "1"});
    EXPECT_EQ(again.code, 2);
    EXPECT_EQ(again.err, "已进行过相应的关键字提取工作，是否确认要重新进行？\n");
    EXPECT_EQ(run({"extract", "W1", "1", "--yes"}).code, 0);
    EXPECT_EQ(run({"values", "W1", "1", "年代"}).out, "0000000001\t2001\n0000000002\t2002\n");
}

TEST_F(ExtractCli, RefusalsAndUsage) {
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).code, 0);
    std::filesystem::create_directory(dir / "recs");
    write_file(dir / "recs" / "a.TXT", "PT J\nPY 1999\n");
    write_file(dir / "one.txt", "PT J\n");
    ASSERT_EQ(run({"doc", "add-dir", "W1", (dir / "recs").string(), "txt"}).code, 0);
    ASSERT_EQ(run({"doc", "add", "W1", (dir / "one.txt").string()}).code, 0);

    std::filesystem::remove_all(dir / "recs");
    const CliResult no_dir = run({"extract", "W1", "1"});
    EXPECT_EQ(no_dir.code, 2);
    EXPECT_EQ(no_dir.err, "无相应的目录路径！\n");
    std::filesystem::remove(home() / "W1" / "one.txt");
    const CliResult no_file = run({"extract", "W1", "2"});
    EXPECT_EQ(no_file.code, 2);
    EXPECT_EQ(no_file.err, "无相应的文档文件！\n");

    EXPECT_EQ(run({"extract", "W1", "9"}).code, 2);
    EXPECT_EQ(run({"extract", "Nope", "1"}).err, "没有这个项目：Nope\n");
    EXPECT_EQ(run({"extract", "W1", "x"}).code, 1);
    EXPECT_EQ(run({"values", "W1", "1"}).code, 1);
}

} // namespace
