// export-stats, export-values and report through the built lumacite-cli.
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "support/xlsx_reader.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using lumacite::testing::CliResult;
using lumacite::testing::read_file;
using lumacite::testing::read_xlsx;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;
using lumacite::text::utf8_to_gb18030;
using Texts = std::vector<std::string>;

namespace {

class ExportCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(run({"projects"}).exit_code, 0); // installs the shipped catalogue
        auto cat = lumacite::store::Catalogue::open(home() / "velkor.exs");
        cat.add_project({"T1", "WOS", ""});
        auto ws = lumacite::store::Workspace::bind(home(), "T1");
        for (const auto& [article, keyword, value] :
             std::vector<std::array<const char*, 3>>{{"0001", "期刊", "J BIOL CHEM"},
                                                     {"0001", "年代", "2001"},
                                                     {"0001", "卷", "276"},
                                                     {"0001", "起始页", "1234"},
                                                     {"0001", "第一作者", "Smith J"},
                                                     {"0001", "作者", "Smith J"},
                                                     {"0001", "作者", "Wang L"},
                                                     {"0002", "作者", "Smith J"},
                                                     {"0002", "期刊", "中华医学杂志"},
                                                     {"0003", "作者", "Wang L"}}) {
            ws.append_value(1, article, keyword, value);
        }
        ws.close();
        ASSERT_EQ(run({"stats", "T1", "作者"}).exit_code, 0);
    }

    std::filesystem::path home() const { return dir / "home"; }
    CliResult run(const std::vector<std::string>& args) { return run_cli_in(home(), args); }

    TempDir dir;
};

TEST_F(ExportCli, StatisticsWorkbookWithItsThreshold) {
    const auto file = dir / "s.xlsx";
    CliResult r = run({"export-stats", "T1", "作者", "-o", file.string(), "--threshold", "2"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    auto sheets = read_xlsx(file);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "第1页");
    ASSERT_EQ(sheets[0].row_count(), 3u);
    EXPECT_EQ(sheets[0].row_texts(2),
              (Texts{"         1", "Smith J", "         2", "50.0000", "50.0000"}));
    EXPECT_EQ(sheets[0].row_texts(3),
              (Texts{"         2", "Wang L", "         2", "50.0000", "100.0000"}));

    r = run({"export-stats", "T1", "期刊", "-o", file.string()});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "请首先进行“期刊”的汇总统计工作！\n");
    EXPECT_EQ(
        run({"export-stats", "T1", "作者", "-o", file.string(), "--threshold", "x"}).exit_code, 1);
    EXPECT_EQ(run({"export-stats", "T1", "作者"}).exit_code, 1);
    r = run({"export-stats", "NOPE", "作者", "-o", file.string()});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "请首先准确建立或选择工作项目！\n");
}

TEST_F(ExportCli, ValuesToTextAndWorkbookWhereOSays) {
    const auto text_file = dir / "v.txt";
    CliResult r = run({"export-values", "T1", "作者", "--txt", "-o", text_file.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(text_file), "Smith J\r\nWang L\r\nSmith J\r\nWang L\r\n");
    EXPECT_FALSE(std::filesystem::exists(home() / "关键字“作者”值.txt"));

    const auto book = dir / "v.xlsx";
    r = run({"export-values", "T1", "期刊", "--xlsx", "-o", book.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const auto sheets = read_xlsx(book);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].row_texts(3), (Texts{"2", "0002", "期刊", "中华医学杂志"}));

    EXPECT_EQ(run({"export-values", "T1", "作者", "-o", book.string()}).exit_code, 1);
    EXPECT_EQ(
        run({"export-values", "T1", "作者", "--txt", "--xlsx", "-o", book.string()}).exit_code, 1);
    // A bad output path: exit 3 with the message naming it, and nothing reported done.
    const auto bad = dir / "missing" / "v.xlsx";
    r = run({"export-values", "T1", "作者", "--xlsx", "-o", bad.string()});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_EQ(r.err, "无法写入文件：" + bad.string() + "：No such file or directory\n");
}

TEST_F(ExportCli, ReportsByValuePairAndArticleList) {
    const auto file = dir / "r.txt";
    CliResult r = run({"report", "T1", "--value", "作者", "Smith J", "--txt", "-o", file.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(file), utf8_to_gb18030("序号：1  文章号：0001  第一作者：Smith J  期刊：J "
                                               "BIOL CHEM  年代：2001\r\n"
                                               "序号：2  文章号：0002  期刊：中华医学杂志\r\n"));
    r = run({"report", "T1", "--pair", "作者", "Smith J", "Wang L", "--txt", "-o", file.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(file), utf8_to_gb18030("序号：1  文章号：0001  第一作者：Smith J  期刊：J "
                                               "BIOL CHEM  年代：2001\r\n"));

    // The shipped journal table gives the abbreviation in the query combination.
    const auto book = dir / "r.xlsx";
    r = run({"report", "T1", "--articles", "0003, 0001,0003", "--xlsx", "-o", book.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const auto sheets = read_xlsx(book);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].row_count(), 3u);
    EXPECT_EQ(sheets[0].row_texts(2),
              (Texts{"1", "0003", " ", " ", " ", " ", " ", " ", " | | | | |0003|"}));
    EXPECT_EQ(sheets[0].row_texts(3),
              (Texts{"2", "0001", " ", "Smith J", "J BIOL CHEM", "2001", "276", "1234",
                     "J Biol Chem|2001|276|1234|Smith J|0001|"}));

    r = run({"report", "T1", "--articles", " , ", "--txt", "-o", file.string()});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "请选择（利用鼠标双击或键盘录入）要导出的文章号！\n");
    EXPECT_EQ(run({"report", "T1", "--value", "作者", "--txt", "-o", file.string()}).exit_code, 1);
    EXPECT_EQ(run({"report", "T1", "--txt", "-o", file.string()}).exit_code, 1);
}

TEST_F(ExportCli, ExportsChangeNothingInTheProgramFolder) {
    std::vector<std::pair<std::filesystem::path, std::string>> before;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home())) {
        if (e.is_regular_file()) {
            before.emplace_back(e.path(), read_file(e.path()));
        }
    }
    ASSERT_EQ(run({"export-stats", "T1", "作者", "-o", (dir / "a.xlsx").string()}).exit_code, 0);
    ASSERT_EQ(run({"report", "T1", "--value", "作者", "Wang L", "--xlsx", "-o",
                   (dir / "b.xlsx").string()})
                  .exit_code,
              0);
    std::size_t files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home())) {
        files += e.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, before.size()); // no temp.dbf, no exports/ folder
    for (const auto& [path, bytes] : before) {
        EXPECT_EQ(read_file(path), bytes) << path;
    }
    // A project without tables is not created by an export.
    lumacite::store::Catalogue::open(home() / "velkor.exs").add_project({"T2", "WOS", ""});
    std::filesystem::remove_all(home() / "T2");
    CliResult r = run({"export-values", "T2", "作者", "--txt", "-o", (dir / "c.txt").string()});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_FALSE(std::filesystem::exists(home() / "T2"));
}

} // namespace
