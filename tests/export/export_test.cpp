// The exports, their files read back: workbooks through the tests' own .xlsx reader, text
// files as bytes.
#include "export/exports.h"
#include "store/program_folder.h"
#include "support/temp_dir.h"
#include "support/xlsx_reader.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace lumacite::exports;
using lumacite::NullProgress;
using lumacite::store::StatisticsRow;
using lumacite::store::Workspace;
using lumacite::testing::read_file;
using lumacite::testing::read_xlsx;
using lumacite::testing::TempDir;
using lumacite::testing::XlsxSheet;
using lumacite::text::utf8_to_gb18030;
namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

namespace {

const Texts statistics_titles = {"序号", "关键字段", "出现频次", "百分比％", "累计百分比％"};

std::string padded(long long n) {
    std::string s = std::to_string(n);
    return std::string(10 - s.size(), ' ') + s;
}

std::vector<StatisticsRow> ranked(const std::vector<long long>& counts) {
    std::vector<StatisticsRow> out;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        StatisticsRow r;
        r.xuhao = padded(static_cast<long long>(i + 1));
        r.zhi = "v" + std::to_string(i + 1);
        r.cishu = padded(counts[i]);
        r.baifenbi = "1.0000";
        r.leijibi = std::to_string(i + 1) + ".0000";
        out.push_back(r);
    }
    return out;
}

class Exports : public ::testing::Test {
protected:
    // Value rows (document, article, keyword, value) of project P1.
    Workspace project(const std::vector<std::array<std::string, 4>>& rows) {
        auto ws = Workspace::bind(dir.path(), "P1");
        for (const auto& [doc, article, keyword, value] : rows) {
            ws.append_value(std::stoll(doc), article, keyword, value);
        }
        ws.flush();
        return ws;
    }

    TempDir dir;
    NullProgress progress;
};

// ---- Statistics workbook --------------------------------------------------------------------

TEST_F(Exports, StatisticsRowsDownToTheThreshold) {
    const auto rows = ranked({9, 5, 3, 3, 2});
    struct Case {
        long long threshold;
        std::size_t rows;
    };
    for (const Case c : {Case{3, 4}, Case{10, 0}, Case{0, 5}, Case{2, 5}, Case{9, 1}}) {
        const auto file = dir / ("s" + std::to_string(c.threshold) + ".xlsx");
        const auto result = write_statistics_workbook(file, rows, c.threshold, progress);
        EXPECT_EQ(result.rows, c.rows) << c.threshold;
        EXPECT_EQ(result.pages, 1);
        const auto sheets = read_xlsx(file);
        ASSERT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets[0].name, "第1页");
        EXPECT_EQ(sheets[0].row_texts(1), statistics_titles);
        ASSERT_EQ(sheets[0].row_count(), c.rows + 1) << c.threshold;
        for (std::size_t r = 0; r < c.rows; ++r) {
            EXPECT_EQ(sheets[0].row_texts(r + 2), (Texts{rows[r].xuhao, rows[r].zhi, rows[r].cishu,
                                                         rows[r].baifenbi, rows[r].leijibi}));
        }
    }
    const auto sheets = read_xlsx(dir / "s3.xlsx");
    EXPECT_EQ(sheets[0].text(2, 1), "         1");
    EXPECT_EQ(sheets[0].cell(2, 1).format_code, "@");
    EXPECT_EQ(sheets[0].cell(1, 5).format_code, "@");
    EXPECT_EQ(sheets[0].text(5, 3), "         3");
}

TEST_F(Exports, StatisticsPagesOf65535Rows) {
    for (const std::size_t n : {std::size_t{65535}, std::size_t{65536}}) {
        const auto rows = ranked(std::vector<long long>(n, 1));
        const auto file = dir / ("p" + std::to_string(n) + ".xlsx");
        const auto result = write_statistics_workbook(file, rows, 1, progress);
        EXPECT_EQ(result.rows, n);
        const auto sheets = read_xlsx(file);
        ASSERT_EQ(sheets.size(), n == 65535 ? 1u : 2u);
        EXPECT_EQ(result.pages, static_cast<int>(sheets.size()));
        EXPECT_EQ(sheets[0].name, "第1页");
        EXPECT_EQ(sheets[0].row_count(), 65536u);
        EXPECT_EQ(sheets[0].text(65536, 1), padded(65535));
        if (n == 65536) {
            EXPECT_EQ(sheets[1].name, "第2页");
            EXPECT_EQ(sheets[1].row_texts(1), statistics_titles);
            EXPECT_EQ(sheets[1].row_count(), 2u);
            EXPECT_EQ(sheets[1].text(2, 1), padded(65536));
            EXPECT_EQ(sheets[1].text(2, 2), "v65536");
        }
    }
}

TEST_F(Exports, AWorkbookThatCannotBeWrittenNamesThePath) {
    const auto file = dir / "no folder" / "s.xlsx";
    try {
        write_statistics_workbook(file, ranked({1}), 1, progress);
        FAIL() << "no error";
    } catch (const ExportError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "无法写入文件：" + file.string() + "：No such file or directory");
    }
    auto ws = project({{"1", "A", "K", "v"}});
    EXPECT_THROW(write_values_workbook(ws, "K", dir.path(), progress), ExportError);
    EXPECT_THROW(write_values_text(ws, "K", dir / "no folder" / "v.txt", progress), ExportError);
    EXPECT_THROW(write_text_report(ws, Texts{"A"}, dir.path(), progress), ExportError);
}

// ---- Value export ---------------------------------------------------------------------------

TEST_F(Exports, EveryValueOfTheKeywordFromEveryDocumentInTableOrder) {
    auto ws = project({{"1", "0000000001", "作者", "Smith J"},
                       {"2", "0000000007", "作者", "张三"},
                       {"1", "0000000001", "标题", "not exported"},
                       {"3", "0012", "作者", "Smith J"},
                       {"3", "0013", "作者", "𠀀 é"},
                       {"3", "0013", "作者x", "other keyword"}});
    const auto text_file = dir / value_text_file_name("作者");
    EXPECT_EQ(text_file.filename().string(), "关键字“作者”值.txt");
    lumacite::testing::write_file(text_file, "an older, longer export\r\n\r\n\r\n");
    EXPECT_EQ(write_values_text(ws, "作者", text_file, progress), 4u);
    EXPECT_EQ(read_file(text_file), utf8_to_gb18030("Smith J\r\n张三\r\nSmith J\r\n𠀀 é\r\n"));

    EXPECT_EQ(write_values_workbook(ws, "作者", dir / "v.xlsx", progress), 4u);
    const auto sheets = read_xlsx(dir / "v.xlsx");
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "Sheet1");
    EXPECT_EQ(sheets[0].column_formats.at(1), "@");
    EXPECT_EQ(sheets[0].column_spans.at(1), 4);
    const std::vector<Texts> expected = {{"序号", "文章号", "关键字段", "值"},
                                         {"1", "0000000001", "作者", "Smith J"},
                                         {"2", "0000000007", "作者", "张三"},
                                         {"3", "0012", "作者", "Smith J"},
                                         {"4", "0013", "作者", "𠀀 é"}};
    ASSERT_EQ(sheets[0].row_count(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        EXPECT_EQ(sheets[0].row_texts(r + 1), expected[r]);
        EXPECT_EQ(sheets[0].cell(r + 1, 2).format_code, "@");
    }
}

TEST_F(Exports, MergedHeadingKeywordsHaveNoRowsOfTheirOwn) {
    auto ws = project({{"1", "A1", "主要主题词＋副主题词", "Humans"},
                       {"1", "A1", "次要主题词＋副主题词", "Mice"}});
    const auto file = dir / "m.txt";
    EXPECT_EQ(write_values_text(ws, "全部主题词＋副主题词", file, progress), 0u);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(read_file(file), "");
    EXPECT_EQ(write_values_workbook(ws, "全部主题词＋副主题词", dir / "m.xlsx", progress), 0u);
    const auto sheets = read_xlsx(dir / "m.xlsx");
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].row_count(), 1u);
    EXPECT_EQ(sheets[0].row_texts(1), (Texts{"序号", "文章号", "关键字段", "值"}));
}

TEST_F(Exports, ValueRowsBeyondASheetContinueOnFurtherSheets) {
    std::vector<std::array<std::string, 4>> rows;
    for (int i = 1; i <= 7; ++i) {
        rows.push_back({"1", "A" + std::to_string(i), "K", "v" + std::to_string(i)});
    }
    auto ws = project(rows);
    struct Case {
        std::uint32_t sheet_rows;
        Texts names;
    };
    for (const Case& c :
         {Case{3, {"第1页", "第2页", "第3页"}}, Case{7, {"Sheet1"}}, Case{6, {"第1页", "第2页"}}}) {
        const auto file = dir / ("k" + std::to_string(c.sheet_rows) + ".xlsx");
        EXPECT_EQ(write_values_workbook(ws, "K", file, progress, c.sheet_rows), 7u);
        const auto sheets = read_xlsx(file);
        ASSERT_EQ(sheets.size(), c.names.size());
        int n = 0;
        for (std::size_t s = 0; s < sheets.size(); ++s) {
            EXPECT_EQ(sheets[s].name, c.names[s]);
            EXPECT_EQ(sheets[s].row_texts(1), (Texts{"序号", "文章号", "关键字段", "值"}));
            for (std::size_t r = 2; r <= sheets[s].row_count(); ++r) {
                ++n;
                EXPECT_EQ(sheets[s].row_texts(r), (Texts{std::to_string(n), "A" + std::to_string(n),
                                                         "K", "v" + std::to_string(n)}));
            }
        }
        EXPECT_EQ(n, 7) << c.sheet_rows;
        EXPECT_EQ(sheets.back().row_count(),
                  c.sheet_rows == 3 ? 2u : (c.sheet_rows == 6 ? 2u : 8u));
    }
    EXPECT_EQ(value_sheet_rows, 1'048'575u);
}

TEST(ValueExportNames, KeywordsThatCannotNameAFile) {
    EXPECT_TRUE(keyword_fits_file_name("作者"));
    EXPECT_TRUE(keyword_fits_file_name("<引文作者>"));
    EXPECT_FALSE(keyword_fits_file_name("作者/机构"));
    EXPECT_FALSE(keyword_fits_file_name("a\tb"));
    EXPECT_FALSE(keyword_fits_file_name(std::string(250, 'k')));
    EXPECT_EQ(keyword_not_file_name_message("作者/机构"),
              "关键字“作者/机构”不能用作文件名，无法建立文本文件！\r");
    EXPECT_EQ(value_export_title("作者", false), "当前关键字“作者”值全部导出至TXT文本文件......");
    EXPECT_EQ(value_export_title("作者", true), "当前关键字“作者”值全部导出至Excel格式文件......");
}

// ---- Workbook names -------------------------------------------------------------------------

TEST(WorkbookNames, SayWhatAndWhenAndNeverReplaceAnEarlierExport) {
    TempDir dir;
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 9;
    when.tm_hour = 10;
    when.tm_min = 35;
    when.tm_sec = 1;
    const Texts parts = {"作者"};
    const auto first = new_workbook_path(dir.path(), "统计", parts, when);
    EXPECT_EQ(first, dir / "exports" / "统计_作者_20261209-103501.xlsx");
    EXPECT_TRUE(fs::exists(first));
    EXPECT_EQ(new_workbook_path(dir.path(), "统计", parts, when).filename(),
              "统计_作者_20261209-103501-2.xlsx");
    EXPECT_EQ(new_workbook_path(dir.path(), "统计", parts, when).filename(),
              "统计_作者_20261209-103501-3.xlsx");
    const Texts odd = {"a/b\tc", std::string(50, 'x') + "尾"};
    EXPECT_EQ(new_workbook_path(dir.path(), "文献", odd, when).filename(),
              "文献_a_b_c_" + std::string(40, 'x') + "_20261209-103501.xlsx");
    lumacite::testing::write_file(dir / "file", "a file, not a folder");
    EXPECT_THROW(new_workbook_path(dir / "file", "统计", parts, when), ExportError);
}

// ---- Article information report -------------------------------------------------------------

TEST_F(Exports, CarriersOfAValueAndOfACellInTextOrder) {
    auto ws = project({{"1", "B2", "作者", "P"},
                       {"1", "A1", "作者", "P"},
                       {"1", "A1", "作者", "P"},
                       {"1", "C3", "作者", "P"},
                       {"1", "C3", "作者", "Q"},
                       {"1", "B2", "作者", "Q"},
                       {"1", "D4", "作者", "Q"},
                       {"1", "E5", "机构", "P"},
                       {"1", "M1", "主要主题词－副主题词", "H"},
                       {"1", "M2", "次要主题词－副主题词", "H"},
                       {"1", "M1", "次要主题词－副主题词", "H"},
                       {"1", "M3", "全部主题词－副主题词", "H"}});
    EXPECT_EQ(value_carriers(ws, "作者", "<txt>", "P"), (Texts{"A1", "B2", "C3"}));
    EXPECT_EQ(pair_carriers(ws, "作者", "<txt>", "P", "Q"), (Texts{"B2", "C3"}));
    EXPECT_EQ(pair_carriers(ws, "作者", "<txt>", "Q", "Q"), (Texts{"B2", "C3", "D4"}));
    EXPECT_EQ(pair_carriers(ws, "作者", "<txt>", "P", "none"), Texts{});
    // The merged keyword of an XML project reads its major and minor keys, once per article.
    EXPECT_EQ(value_carriers(ws, "全部主题词－副主题词", "<xml>", "H"), (Texts{"M1", "M2"}));
    EXPECT_EQ(value_carriers(ws, "全部主题词－副主题词", "<txt>", "H"), (Texts{"M3"}));
    EXPECT_EQ(cooccurrence_report_question(2, "Smith J", 3, "Wang L", "2"),
              "是否要导出“第2行Smith J”、“第3列Wang L”2篇共现文献的信息吗？\r");
}

TEST_F(Exports, TextReportLinesLeaveMissingDetailsOut) {
    auto ws = project({{"1", "987", "标题", "A title"},
                       {"1", "987", "第一作者", "Smith J"},
                       {"1", "987", "第一作者", "second row ignored"},
                       {"1", "987", "期刊", "J BIOL CHEM"},
                       {"1", "987", "年代", "2001"},
                       {"1", "987", "卷", "276"},
                       {"1", "0012", "期刊", "中华医学杂志"},
                       {"1", "0012", "标题", "𠀀字 é"},
                       {"2", "555", "作者", "only other keywords"}});
    const auto file = dir / "temp.txt";
    lumacite::testing::write_file(file, "old report, longer than the new one\r\n\r\n\r\n\r\n");
    write_text_report(ws, Texts{"987", "0012", "555", "missing"}, file, progress);
    EXPECT_EQ(read_file(file),
              utf8_to_gb18030("序号：1  文章号：987  标题：A title  第一作者：Smith J  "
                              "期刊：J BIOL CHEM  年代：2001\r\n"
                              "序号：2  文章号：0012  标题：𠀀字 é  期刊：中华医学杂志\r\n"
                              "序号：3  文章号：555\r\n"
                              "序号：4  文章号：missing\r\n"));
}

TEST_F(Exports, WorkbookReportWithTheQueryCombination) {
    auto ws = project({{"1", "987", "标题", "A title"},
                       {"1", "987", "第一作者", "Smith J"},
                       {"1", "987", "期刊", "J BIOL CHEM"},
                       {"1", "987", "年代", "2001"},
                       {"1", "987", "卷", "276"},
                       {"1", "987", "起始页", "1234"},
                       {"1", "0012", "期刊", "NATURE"},
                       {"1", "0012", "年代", "1999"},
                       {"1", "0012", "起始页", "0045"},
                       {"1", "0012", "第一作者", "王五"}});
    JournalTable journals;
    journals.add("J BIOL CHEM", "J Biol Chem");
    const auto file = dir / "r.xlsx";
    write_workbook_report(ws, Texts{"987", "0012", "77"}, journals, file, progress);
    const auto sheets = read_xlsx(file);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].column_formats.at(1), "@");
    EXPECT_EQ(sheets[0].column_spans.at(1), 9);
    const std::vector<Texts> expected = {
        {"序号", "文章号", "标题", "第一作者", "期刊", "年代", "卷", "起始页", "查询信息组合"},
        {"1", "987", "A title", "Smith J", "J BIOL CHEM", "2001", "276", "1234",
         "J Biol Chem|2001|276|1234|Smith J|987|"},
        {"2", "0012", " ", "王五", "NATURE", "1999", " ", "0045", "NATURE|1999| |0045|王五|0012|"},
        {"3", "77", " ", " ", " ", " ", " ", " ", " | | | | |77|"}};
    ASSERT_EQ(sheets[0].row_count(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        EXPECT_EQ(sheets[0].row_texts(r + 1), expected[r]) << r;
        for (std::size_t c = 1; c <= 9; ++c) {
            EXPECT_EQ(sheets[0].cell(r + 1, c).format_code, "@");
        }
    }
}

TEST(JournalTables, TheUsersWorkbookFirstOtherwiseTheShippedTable) {
    TempDir dir;
    const fs::path data = fs::path(LUMACITE_TEST_DATA) / "journals";
    const fs::path shipped =
        shipped_journal_table(lumacite::store::executable_folder()); // the build tree's copy

    const auto own = JournalTable::from_xls(data / journal_workbook_name);
    EXPECT_EQ(own.size(), 3u);
    ASSERT_NE(own.med_abbreviation("J BIOL CHEM"), nullptr);
    ASSERT_NE(own.med_abbreviation("2001"), nullptr);
    EXPECT_EQ(*own.med_abbreviation("J BIOL CHEM"), "J Biol Chem"); // the first such row
    EXPECT_EQ(*own.med_abbreviation("2001"), "0012");
    EXPECT_EQ(own.med_abbreviation("J Biol Chem"), nullptr);

    const auto table = JournalTable::from_tsv(shipped);
    EXPECT_GT(table.size(), 19000u);
    for (const auto& [sci, med] : std::vector<std::pair<std::string, std::string>>{
             {"J BIOL CHEM", "J Biol Chem"}, {"PLOS ONE", "PLoS ONE"}, {"NATURE", "Nature"}}) {
        ASSERT_NE(table.med_abbreviation(sci), nullptr) << sci;
        EXPECT_EQ(*table.med_abbreviation(sci), med);
    }
    EXPECT_EQ(table.med_abbreviation("SCI简称"), nullptr); // the header is no row

    // load(): the program folder's workbook when there is one.
    EXPECT_EQ(JournalTable::load(dir.path(), shipped).size(), table.size());
    fs::copy_file(data / journal_workbook_name, dir / journal_workbook_name);
    EXPECT_EQ(*JournalTable::load(dir.path(), shipped).med_abbreviation("2001"), "0012");

    lumacite::testing::write_file(dir / journal_workbook_name, "not a workbook");
    try {
        JournalTable::load(dir.path(), shipped);
        FAIL() << "no error";
    } catch (const ExportError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("无法读取期刊缩写表：" +
                                                      (dir / journal_workbook_name).string()))
            << e.what();
    }
    EXPECT_THROW(JournalTable::from_tsv(dir / "none.tsv"), ExportError);
}

} // namespace
