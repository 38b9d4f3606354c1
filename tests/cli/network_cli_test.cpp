// network through the built lumacite-cli: files, summary, pictures, refusals and usage.
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

class NetworkCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(run({"projects"}).exit_code, 0);
        {
            auto cat = lumacite::store::Catalogue::open(home() / "velkor.exs");
            cat.add_project({"T1", "WOS", ""});
        }
        // Li (A1 A2 A3), Wang (A1 A4), Zhang (A3): Li–Wang and Li–Zhang once each.
        auto ws = lumacite::store::Workspace::bind(home(), "T1");
        for (const auto& [article, value] :
             std::vector<std::array<const char*, 2>>{{"A1", "Li"},
                                                     {"A1", "Wang"},
                                                     {"A2", "Li"},
                                                     {"A3", "Li"},
                                                     {"A3", "Zhang"},
                                                     {"A4", "Wang"}}) {
            ws.append_value(1, article, "作者", value);
        }
        ws.close();
    }

    std::filesystem::path home() const { return dir / "home"; }
    CliResult run(const std::vector<std::string>& args) { return run_cli_in(home(), args); }

    TempDir dir;
};

TEST_F(NetworkCli, FilesAndSummaryOfACountedKeyword) {
    CliResult r = run({"network", "T1", "作者", "--summary"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "请首先进行“作者”的汇总统计工作！\n");
    ASSERT_EQ(run({"stats", "T1", "作者"}).exit_code, 0);

    const auto out = (dir / "net.net").string();
    r = run({"network", "T1", "作者", "--measure", "cosine", "--format", "pajek", "-o", out});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, out + "\n");
    // Cosine: Li–Wang 1/√(3·2), Li–Zhang 1/√(3·1).
    EXPECT_EQ(read_file(out), "*Vertices 3\n1 \"Li\"\n2 \"Wang\"\n3 \"Zhang\"\n*Edges\n"
                              "1 2 0.4082482904638631\n1 3 0.5773502691896258\n");

    // A minimum weight drops Li–Wang; dropping isolated values then drops Wang.
    r = run({"network", "T1", "作者", "--measure", "cosine", "--min-weight", "0.5",
             "--drop-isolated", "--format", "csv", "-o", (dir / "c").string(), "--summary"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, (dir / "c_nodes.csv").string() + "\n" + (dir / "c_edges.csv").string() +
                         "\n1\t2\tLi\tZhang\n");
    EXPECT_EQ(read_file(dir / "c_edges.csv"),
              "\xEF\xBB\xBFSource,Target,Type,Weight,Cooccurrence\r\n"
              "1,2,Undirected,0.5773502691896258,1\r\n");

    // Bounds: only Li (3) lies within 3 ≤ c ≤ 3; nothing lies within 5 ≤ c.
    r = run({"network", "T1", "作者", "--min", "3", "--summary"});
    EXPECT_EQ(r.out, "1\t1\tLi\n");
    r = run({"network", "T1", "作者", "--min", "5", "--summary"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "频次阈值范围内没有关键字段，网络图未生成。\n");
}

TEST_F(NetworkCli, PicturesOfTheRequestedSize) {
    ASSERT_EQ(run({"stats", "T1", "作者"}).exit_code, 0);
    const auto png = dir / "m.png";
    const auto svg = dir / "m.svg";
    CliResult r = run({"network", "T1", "作者", "--png", png.string(), "--size", "640x480", "--svg",
                       svg.string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string bytes = read_file(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // Width and height of the IHDR chunk, big-endian.
    EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xe0", 8));
    const std::string text = read_file(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("viewBox=\"0 0 640 480\""), std::string::npos);
    EXPECT_NE(text.find("Zhang"), std::string::npos);

    r = run({"network", "T1", "作者", "--png", (dir / "none" / "m.png").string()});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_EQ(r.err, "无法保存图片：" + (dir / "none" / "m.png").string() + "\n");
}

TEST_F(NetworkCli, UsageErrorsAndRefusals) {
    const std::vector<std::vector<std::string>> cases = {
        {"network", "T1", "作者"},
        {"network", "T1", "作者", "--summary", "--measure", "dice"},
        {"network", "T1", "作者", "--summary", "--cluster", "walktrap"},
        {"network", "T1", "作者", "--summary", "--resolution", "0"},
        {"network", "T1", "作者", "--summary", "--min-weight", "-1"},
        {"network", "T1", "作者", "--summary", "--seed", "x"},
        {"network", "T1", "作者", "--format", "pajek"},
        {"network", "T1", "作者", "-o", "f"},
        {"network", "T1", "作者", "--png", "f.png", "--size", "10x10"},
        {"network", "T1", "作者", "--summary", "--min", "a"},
    };
    for (const auto& args : cases) {
        const CliResult r = run(args);
        EXPECT_EQ(r.exit_code, 1) << args.back() << r.err;
    }
    EXPECT_EQ(run({"network", "NOPE", "作者", "--summary"}).exit_code, 2);
    {
        auto cat = lumacite::store::Catalogue::open(home() / "velkor.exs");
        cat.add_project({"E1", "无此格式", ""});
    }
    const CliResult r = run({"network", "E1", "作者", "--summary"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "项目的格式没有关键字定义，无法生成网络图！\n");

    // lumacite-cli without lumacite-network beside it: a failure naming the program.
    std::filesystem::create_directory(dir / "alone");
    std::filesystem::copy_file(lumacite::testing::cli_binary(), dir / "alone" / "lumacite-cli");
    const CliResult alone = lumacite::testing::run_program(
        dir / "alone" / "lumacite-cli", {"--home", home().string(), "network", "T1", "作者"});
    EXPECT_EQ(alone.exit_code, 3);
    EXPECT_EQ(alone.err,
              (dir / "alone" / "lumacite-network").string() + ": No such file or directory\n");
}

} // namespace
