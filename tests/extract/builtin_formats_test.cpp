// Real export files extracted with the built-in formats into a project's value table.
#include "extract/extraction_run.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

namespace lumacite::extract {
namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;

class BuiltinFormats : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue_path_ = home_ / "velkor.exs";
        store::build_catalogue(fs::path(LUMACITE_SOURCE_DIR) / "assets" / "formats.tsv",
                               catalogue_path_);
        workspace_.emplace(store::Workspace::bind(home_.path(), "P1"));
    }

    // Copies the sample into the project folder and extracts it as document `xuhao`.
    ExtractionResult extract(const std::string& format, const std::string& sample,
                             long long xuhao = 1) {
        fs::copy_file(fs::path(LUMACITE_TEST_DATA) / "samples" / sample,
                      workspace_->folder() / sample, fs::copy_options::overwrite_existing);
        const store::Catalogue catalogue = store::Catalogue::open(catalogue_path_);
        WorkspaceValueTable table(*workspace_);
        NullProgress progress;
        return run_extraction(make_request(catalogue, {"P1", format, ""}, {"P1", xuhao, sample, ""},
                                           workspace_->folder(), true),
                              table, progress);
    }

    Pairs rows(const std::string& keyword) {
        Pairs out;
        for (const auto& r : workspace_->select_values(store::ValueFilter::keyword(keyword))) {
            out.emplace_back(r.wenzhangha, r.zhi);
        }
        return out;
    }
    std::size_t count(const std::string& keyword) { return rows(keyword).size(); }
    std::uint64_t count_document(long long xuhao) {
        store::ValueFilter f;
        f.xuhao = xuhao;
        return workspace_->count_values(f);
    }
    std::uint64_t count_empty() {
        store::ValueFilter f;
        f.zhi = "";
        return workspace_->count_values(f);
    }

    testing::TempDir home_;
    fs::path catalogue_path_;
    std::optional<store::Workspace> workspace_;
};

TEST_F(BuiltinFormats, Medline) {
    ASSERT_EQ(extract("MEDLINE", "biopython_Medline_pubmed_result2.txt").status,
              ExtractionResult::Status::done);
    EXPECT_EQ(rows("第一作者"), (Pairs{{"16403221", "Casbon JA"},
                                       {"16377612", "Pritchard L"},
                                       {"14871861", "de Hoon MJ"},
                                       {"14630660", "Hamelryck T"}}));
    EXPECT_EQ(count("作者"), 13u);
    EXPECT_EQ(rows("期刊"), (Pairs{{"16403221", "BMC Bioinformatics"},
                                   {"16377612", "Bioinformatics"},
                                   {"14871861", "Bioinformatics"},
                                   {"14630660", "Bioinformatics"}}));
    // 34 heading lines, 27 with a major mark; one line has two subheadings.
    EXPECT_EQ(count("全部主题词－副主题词"), 34u);
    EXPECT_EQ(count("主要主题词－副主题词"), 27u);
    EXPECT_EQ(count("次要主题词－副主题词"), 7u);
    EXPECT_EQ(count("全部主题词＋副主题词"), 35u);
    EXPECT_EQ(count("<主题词>"), 0u);
    const Pairs types = rows("文献类型");
    EXPECT_EQ(types.size(), 13u);
    EXPECT_EQ(types[3], (std::pair<std::string, std::string>{"16377612",
                                                             "Research Support, Non-U.S. Gov′t"}));
    // No empty value is left.
    EXPECT_EQ(count_empty(), 0u);
}

TEST_F(BuiltinFormats, WebOfScienceWithCitedReferences) {
    ASSERT_EQ(extract("WOS", "metaknowledge_TwoPaper.isi").status, ExtractionResult::Status::done);
    EXPECT_EQ(rows("作者"), (Pairs{{"0000000001", "Kim, S"}, {"0000000002", "Kim, S"}}));
    EXPECT_EQ(rows("期刊"), (Pairs{{"0000000001", "SYNTHESE"}, {"0000000002", "ERKENNTNIS"}}));
    EXPECT_EQ(rows("年代"), (Pairs{{"0000000001", "2000"}, {"0000000002", "2001"}}));
    EXPECT_EQ(rows("学科类别"), (Pairs{{"0000000001", "History & Philosophy Of Science"},
                                       {"0000000001", "Philosophy"},
                                       {"0000000002", "Philosophy"}}));
    EXPECT_EQ(count("<引文>"), 27u);
    EXPECT_EQ(count("<引文作者>"), 27u);
    EXPECT_EQ(count("<引文年代>"), 27u);
    const Pairs journals = rows("<引文期刊>");
    ASSERT_EQ(journals.size(), 27u);
    EXPECT_EQ(journals[12], (std::pair<std::string, std::string>{"0000000001", "PHILOS STUDIES"}));
    EXPECT_EQ(journals[13], (std::pair<std::string, std::string>{"0000000002", "PHILOS SCI"}));
}

TEST_F(BuiltinFormats, CnkiRefWorks) {
    ASSERT_EQ(extract("cnki", "cross-reality_CNKI_refworks_first3.txt").status,
              ExtractionResult::Status::done);
    EXPECT_EQ(rows("作者"), (Pairs{{"0000000001", "谢进"},
                                   {"0000000001", "王娜"},
                                   {"0000000001", "杨子奇"},
                                   {"0000000002", "谢志贤"},
                                   {"0000000003", "王曦"}}));
    // The empty "vo " lines give no volume (the page line after them is not taken).
    EXPECT_EQ(count("卷"), 0u);
    EXPECT_EQ(rows("页码"),
              (Pairs{{"0000000001", "72-74"}, {"0000000002", "161-163"}, {"0000000003", "1-6"}}));
    EXPECT_EQ(rows("期刊"), (Pairs{{"0000000001", "美术教育研究"},
                                   {"0000000002", "美术教育研究"},
                                   {"0000000003", "情报科学"}}));
}

TEST_F(BuiltinFormats, WanfangNoteExpressAndReextraction) {
    ASSERT_EQ(extract("万方", "mrhelper_demo_wanfang_202101_noteexpress.NET").status,
              ExtractionResult::Status::done);
    EXPECT_EQ(count("作者"), 61u);
    EXPECT_EQ(count("第一作者"), 20u);
    EXPECT_EQ(count("关键词"), 80u);
    EXPECT_EQ(count("年代"), 20u);
    const Pairs keywords = rows("关键词");
    EXPECT_EQ(Pairs(keywords.begin(), keywords.begin() + 3),
              (Pairs{{"0000000001", "前锯肌平面阻滞"},
                     {"0000000001", "乳腺癌改良根治术"},
                     {"0000000001", "基质金属蛋白酶"}}));
    EXPECT_EQ(rows("第一作者")[0], (std::pair<std::string, std::string>{"0000000001", "江文杰"}));

    // A second document, then the first again: its rows are replaced, the other's stay.
    ASSERT_EQ(extract("万方", "mrhelper_demo_wanfang_202101_noteexpress.NET", 2).status,
              ExtractionResult::Status::done);
    const auto before = count_document(2);
    ASSERT_EQ(extract("万方", "mrhelper_demo_wanfang_202101_noteexpress.NET").status,
              ExtractionResult::Status::done);
    EXPECT_EQ(count("作者"), 122u);
    EXPECT_EQ(before, count_document(1));
    EXPECT_EQ(count_document(2), before);
}

// The Chinese database exports and RIS, each extracted whole with its built-in format. The
// row counts were taken from the files independently: tag lines counted, fields cut at
// their separator with empty pieces dropped, cited references counted by their numbers.
struct ExportCase {
    std::string name; // of the test case
    std::string geshi;
    std::string sample;
    std::size_t articles;
    std::map<std::string, std::size_t> rows; // keyword -> value rows
    std::vector<std::tuple<std::string, std::size_t, std::string, std::string>>
        values; // keyword, position among its rows, wenzhangha, zhi
};

std::ostream& operator<<(std::ostream& os, const ExportCase& c) {
    return os << c.name;
}

const std::vector<ExportCase> export_cases = {
    {"CnkiEndNote",
     "cnki-EndNote",
     "cnki-converter_demo_endnote.txt",
     40,
     {{"标题", 40},
      {"作者", 125},
      {"第一作者", 39},
      {"机构", 74},
      {"期刊", 28},
      {"年代", 38},
      {"关键词", 174},
      {"学位授予单位", 12}},
     {{"第一作者", 1, "0000000002", "赵亚欧"},
      {"关键词", 2, "0000000001", "“走出去”通事语言"},
      {"学位授予单位", 0, "0000000021", "北京邮电大学"}}},
    // ";;" between English names, ";" and a trailing one between Chinese names.
    {"CnkiNoteExpress",
     "cnki-NoteExpress",
     "CNKI_2_BibTeX_Classic5Test.net",
     5,
     {{"标题", 5},
      {"作者", 24},
      {"第一作者", 5},
      {"机构", 10},
      {"期刊", 5},
      {"年代", 3},
      {"关键词", 23}},
     {{"作者", 2, "0000000001", "John Stittle"}, {"第一作者", 2, "0000000003", "齐淑霞"}}},
    {"CnkiEStudy",
     "cnki-E-Study",
     "mrhelper_demo_cnki_202101_estudy.txt",
     20,
     {{"标题", 20},
      {"作者", 65},
      {"第一作者", 19},
      {"机构", 31},
      {"期刊", 20},
      {"年代", 13},
      {"关键词", 88}},
     {{"第一作者", 1, "0000000003", "张楠"}, {"机构", 2, "0000000002", "中华预防医学会"}}},
    {"Cssci",
     "CSSCI",
     "paper-longtail_DataSet_CSSCI_first10.txt",
     10,
     {{"标题", 10},
      {"作者", 33},
      {"第一作者", 10},
      {"机构", 33},
      {"第一机构", 10},
      {"期刊", 10},
      {"年代", 10},
      {"关键词", 43},
      {"<引文>", 189},
      {"<引文作者>", 161},
      {"<引文年代>", 164},
      {"<引文期刊>", 123}},
     {{"年代", 0, "0000000001", "2019"}, // from "2019,38(040):132-137"
      {"<引文>", 2, "0000000001",
       "付业勤.旅游危机事件网络舆情的本体分析.重庆理工大学学报(社会科学).2015.29(2)"},
      {"<引文年代>", 0, "0000000001", "2017"},
      {"<引文期刊>", 0, "0000000001", "重庆理工大学学报(社会科学)"}}},
    {"RisFromScopus",
     "RIS",
     "synthesisr_scopus_first5.ris",
     5,
     {{"标题", 5},
      {"作者", 25},
      {"第一作者", 5},
      {"机构", 22},
      {"期刊", 5},
      {"年代", 5},
      {"关键词", 34},
      {"起始页", 2}},
     {{"第一作者", 4, "0000000005", "Matseur, E.A."}, {"年代", 0, "0000000001", "2020"}}},
};

class BuiltinExportFormats : public BuiltinFormats,
                             public ::testing::WithParamInterface<ExportCase> {};

TEST_P(BuiltinExportFormats, ReadsTheRealExport) {
    const ExportCase& c = GetParam();
    ASSERT_EQ(extract(c.geshi, c.sample).status, ExtractionResult::Status::done);
    EXPECT_EQ(workspace_->distinct_articles({}).size(), c.articles);
    for (const auto& [keyword, n] : c.rows) {
        EXPECT_EQ(count(keyword), n) << keyword;
    }
    for (const auto& [keyword, at, wenzhangha, zhi] : c.values) {
        const Pairs got = rows(keyword);
        ASSERT_LT(at, got.size()) << keyword;
        EXPECT_EQ(got[at], (std::pair{wenzhangha, zhi})) << keyword;
    }
    EXPECT_EQ(count_empty(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ChineseAndRis, BuiltinExportFormats, ::testing::ValuesIn(export_cases),
                         [](const ::testing::TestParamInfo<ExportCase>& info) {
                             return info.param.name;
                         });

TEST_F(BuiltinFormats, PubMedXmlGoesToTheXmlExtractor) {
    ASSERT_EQ(extract("PubMed", "biopython_Entrez_pubmed1.xml").status,
              ExtractionResult::Status::done);
    EXPECT_EQ(workspace_->distinct_articles({}).size(), 2u);
}

} // namespace
} // namespace lumacite::extract
