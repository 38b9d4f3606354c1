#include "extract/txt_extractor.h"

#include "extract_test_support.h"
#include "support/temp_dir.h"
#include "text/text.h"

#include <gtest/gtest.h>

namespace lumacite::extract {
namespace {

using testing::definition;
using testing::RecordingProgress;
using testing::RecordingSink;
using testing::Row;
using testing::txt_format;
using Pairs = std::vector<std::pair<std::string, std::string>>;
using Values = std::vector<std::string>;

RecordingSink run(const std::vector<store::Definition>& defs, std::string_view text) {
    TxtExtractor extractor(txt_format(defs));
    RecordingSink sink;
    NullProgress progress;
    extractor.extract_text(text, sink, progress);
    return sink;
}

std::filesystem::path sample(const std::string& name) {
    return std::filesystem::path(LUMACITE_TEST_DATA) / "samples" / name;
}

TEST(SplitLines, EveryLineEndAndTheLastLine) {
    EXPECT_EQ(split_lines("a\r\nb\nc\rd"), (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ(split_lines("a\r\r\nb\n"), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_EQ(split_lines("\n\n"), (std::vector<std::string_view>{"", ""}));
    EXPECT_TRUE(split_lines("").empty());
}

// A very long field is read in one pass: two million apostrophes and a heading with a
// million marks (each replacement rewriting the whole text would never end here).
TEST(TxtExtractor, AVeryLongFieldIsRewrittenInOnePass) {
    const std::string apostrophes(2'000'000, '\'');
    const std::string marks(1'000'000, '*');
    const auto sink =
        run({definition("<文章节点>", "PT ", std::nullopt, std::nullopt, 1),
             definition("标题", "TI ", "3"), definition("<主题词>", "MH  - ", "5", "/", 2)},
            "PT J\nTI a" + apostrophes + "b\nMH  - " + marks + "Neoplasms\n");
    const Values titles = sink.values("标题");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].size(), 2 + 2'000'000 * std::string("\u2032").size());
    EXPECT_EQ(titles[0].find('\''), std::string::npos);
    EXPECT_EQ(titles[0].substr(0, 4), "a\u2032");
    EXPECT_EQ(sink.values("主要主题词＋副主题词"), Values{"Neoplasms"});
}

// ---- Real files ------------------------------------------------------------------------

std::vector<store::Definition> medline_definitions() {
    return {definition("<文章节点>", "PMID- ", std::nullopt, std::nullopt, 1),
            definition("<文章号>", "PMID- ", std::nullopt, std::nullopt, 1),
            definition("标题", "TI  - ", "3"),
            definition("作者", "AU  - ", "2"),
            definition("期刊", "TA  - ", "3"),
            definition("出版类型", "PT  - ", "2"),
            definition("摘要", "AB  - ", "4"),
            definition("<主题词>", "MH  - ", "5", "/", 2)};
}

TEST(TxtExtractorMedline, ContinuedFieldsJoinWithOneBlankAndApostrophesBecomePrimes) {
    TxtExtractor extractor(txt_format(medline_definitions()));
    RecordingSink sink;
    NullProgress progress;
    extractor.extract_file(sample("biopython_Medline_pubmed_result2.txt"), sink, progress);
    const Values abstracts = sink.values("摘要");
    ASSERT_EQ(abstracts.size(), 4u);
    EXPECT_EQ(abstracts[0].rfind("BACKGROUND: Benchmarking algorithms in structural "
                                 "bioinformatics often involves the construction of "
                                 "datasets",
                                 0),
              0u);
    EXPECT_NE(abstracts[0].find("structural classification which groups"), std::string::npos);
    EXPECT_NE(abstracts[0].find("a ′ground truth′ for assessing"), std::string::npos);
    EXPECT_EQ(abstracts[0].find('\''), std::string::npos);
    EXPECT_EQ(abstracts[0].substr(abstracts[0].size() - 20), "and more principled.");
    EXPECT_EQ(sink.values("标题")[0],
              "A high level interface to SCOP and ASTRAL implemented in python.");
}

TEST(TxtExtractorMedline, SubjectHeadingsOfARecord) {
    TxtExtractor extractor(txt_format(medline_definitions()));
    RecordingSink sink;
    NullProgress progress;
    extractor.extract_file(sample("biopython_Medline_pubmed_result2.txt"), sink, progress);
    // Record 14630660, lines "Database Management Systems/*standards",
    // "*Databases, Protein" and "Information Storage and Retrieval/*methods/*standards".
    std::vector<Row> rows;
    for (const auto& r : sink.rows) {
        if (std::get<0>(r) == "14630660") {
            rows.push_back(r);
        }
    }
    const std::string a = "14630660";
    const std::vector<Row> expected_start{
        {a, "次要主题词＋副主题词", "Computer Simulation"},
        {a, "次要主题词－副主题词", "Computer Simulation"},
        {a, "全部主题词＋副主题词", "Computer Simulation"},
        {a, "全部主题词－副主题词", "Computer Simulation"},
        {a, "主要主题词＋副主题词", "Database Management Systems/standards"},
        {a, "主要主题词－副主题词", "Database Management Systems"},
        {a, "全部主题词＋副主题词", "Database Management Systems/standards"},
        {a, "全部主题词－副主题词", "Database Management Systems"},
        {a, "主要主题词＋副主题词", "Databases, Protein"},
        {a, "主要主题词－副主题词", "Databases, Protein"},
        {a, "全部主题词＋副主题词", "Databases, Protein"},
        {a, "全部主题词－副主题词", "Databases, Protein"},
        {a, "全部主题词－副主题词", "Information Storage and Retrieval"},
        {a, "主要主题词＋副主题词", "Information Storage and Retrieval/methods"},
        {a, "全部主题词＋副主题词", "Information Storage and Retrieval/methods"},
        {a, "主要主题词－副主题词", "Information Storage and Retrieval"},
        {a, "主要主题词＋副主题词", "Information Storage and Retrieval/standards"},
        {a, "全部主题词＋副主题词", "Information Storage and Retrieval/standards"},
        {a, "次要主题词＋副主题词", "Macromolecular Substances"},
    };
    // The record's rows of the headings pass come after its other keywords' rows.
    auto first = std::find_if(rows.begin(), rows.end(), [](const Row& r) {
        return std::get<1>(r) == "次要主题词＋副主题词";
    });
    ASSERT_GE(std::distance(first, rows.end()), static_cast<long>(expected_start.size()));
    EXPECT_EQ(std::vector<Row>(first, first + static_cast<long>(expected_start.size())),
              expected_start);
    // 34 heading lines, 27 of them marked: every line enters the "all, without" key
    // exactly once.
    EXPECT_EQ(sink.values("全部主题词－副主题词").size(), 34u);
    EXPECT_TRUE(sink.values("<主题词>").empty());
}

TEST(TxtExtractorWos, AutomaticNumbersAuthorsJournalsAndCitedReferences) {
    const std::vector<store::Definition> defs{
        definition("<文章节点>", "PT ", std::nullopt, std::nullopt, 1),
        definition("作者", "AU ", "2"), definition("期刊", "SO ", "3"),
        definition("年代", "PY ", "3"), definition("<引文>", "CR ", "2")};
    TxtExtractor extractor(txt_format(defs));
    RecordingSink sink;
    NullProgress progress;
    ASSERT_EQ(extractor.extract_file(sample("metaknowledge_TwoPaper.isi"), sink, progress).kind,
              FileOutcome::Kind::done);
    const std::string one = "0000000001", two = "0000000002";
    // Definition by definition: every author row comes before the first journal row.
    const std::vector<Row> start(sink.rows.begin(), sink.rows.begin() + 8);
    EXPECT_EQ(start, (std::vector<Row>{{one, "第一作者", "Kim, S"},
                                       {one, "作者", "Kim, S"},
                                       {two, "第一作者", "Kim, S"},
                                       {two, "作者", "Kim, S"},
                                       {one, "期刊", "SYNTHESE"},
                                       {two, "期刊", "ERKENNTNIS"},
                                       {one, "年代", "2000"},
                                       {two, "年代", "2001"}}));
    EXPECT_EQ(sink.values("<引文>").size(), 27u);
    EXPECT_EQ(sink.values("<引文作者>").size(), 27u);
    EXPECT_EQ(sink.values("<引文年代>").size(), 27u);
    EXPECT_EQ(sink.values("<引文期刊>").size(), 27u);
    const std::vector<Row> refs(sink.rows.begin() + 8, sink.rows.begin() + 16);
    EXPECT_EQ(refs, (std::vector<Row>{{one, "<引文>", "Eells E, 1991, PROBABILISTIC CAUSAL"},
                                      {one, "<引文作者>", "Eells E"},
                                      {one, "<引文年代>", "1991"},
                                      {one, "<引文期刊>", "PROBABILISTIC CAUSAL"},
                                      {one, "<引文>", "ENC B, 1983, J PHILOS, V80, P279"},
                                      {one, "<引文作者>", "ENC B"},
                                      {one, "<引文年代>", "1983"},
                                      {one, "<引文期刊>", "J PHILOS"}}));
    EXPECT_EQ(sink.values("<引文>")[8], "Kim J., 1989, P ADDRESSES AM PHILO, V63, P31");
    EXPECT_EQ(sink.of("<引文期刊>").back(),
              (std::pair<std::string, std::string>{two, "BRIT J PHILOS SCI"}));
}

// ---- Value methods -----------------------------------------------------------------------

TEST(TxtExtractorMethods, SeparatedValues) {
    const auto defs = std::vector{definition("关键词", "K ", "1", ";")};
    EXPECT_EQ(run(defs, "K a; b;;c\n").values("关键词"), (Values{"a", "b", "", "c"}));
    // Continued over a second tag line and a continuation line, joined with one blank.
    EXPECT_EQ(run(defs, "K a;b\nK c\n  d;e\nX f\n").values("关键词"), (Values{"a", "b c d", "e"}));
    // A separator of several characters.
    EXPECT_EQ(run({definition("作者", "A ", "1", ";;")}, "A x;;y;z\n").rows,
              (std::vector<Row>{{"", "第一作者", "x"}, {"", "作者", "x"}, {"", "作者", "y;z"}}));
    EXPECT_TRUE(run({definition("关键词", "K ", "1", "")}, "K a;b\n").rows.empty());
    EXPECT_TRUE(run({definition("关键词", "K ", "1")}, "K a;b\n").rows.empty());
}

TEST(TxtExtractorMethods, OneValuePerLineTakesEachLineOnce) {
    const auto defs = std::vector{definition("作者", "AU ", "2")};
    EXPECT_EQ(run(defs, "AU A\nAU B\nAU C\n").rows,
              (std::vector<Row>{
                  {"", "第一作者", "A"}, {"", "作者", "A"}, {"", "作者", "B"}, {"", "作者", "C"}}));
    EXPECT_EQ(run(defs, "AU Smith J\n   Wang L\n   Li Q\nTI x\nAU Other\n").values("作者"),
              (Values{"Smith J", "Wang L", "Li Q", "Other"}));
    EXPECT_EQ(run(defs, "AU Smith J\n   Wang L\n   Li Q\n").values("第一作者"),
              (Values{"Smith J"}));
}

// Authors on separate fields of one article (MEDLINE puts a full-name line between
// them): one first author per article, not one per field.
TEST(TxtExtractorMethods, OneFirstAuthorPerArticle) {
    const auto defs = std::vector{definition("<文章节点>", "PMID-", std::nullopt, std::nullopt, 1),
                                  definition("<文章号>", "PMID-", std::nullopt, std::nullopt, 1),
                                  definition("作者", "AU  - ", "2")};
    const auto r = run(defs, "PMID- 11\nFAU - Li, Ming\nAU  - Li M\nFAU - Wu, Xia\nAU  - Wu X\n"
                             "PMID- 12\nAU  - Zhou Q\nFAU - Zhou, Qi\n");
    EXPECT_EQ(r.rows, (std::vector<Row>{{"11", "第一作者", "Li M"},
                                        {"11", "作者", "Li M"},
                                        {"11", "作者", "Wu X"},
                                        {"12", "第一作者", "Zhou Q"},
                                        {"12", "作者", "Zhou Q"}}));
}

TEST(TxtExtractorMethods, SingleValueJoinsItsLines) {
    const auto defs = std::vector{definition("标题", "TI ", "3"), definition("期刊", "SO ", "4"),
                                  definition("年代", "PY ")};
    const auto sink = run(defs, "TI A long\n   title\nSO J ONE\nSO J TWO\nPY  2001 \n");
    EXPECT_EQ(sink.values("标题"), (Values{"A long title"}));
    EXPECT_EQ(sink.values("期刊"), (Values{"J ONE J TWO"}));
    EXPECT_EQ(sink.values("年代"), (Values{"2001"}));
    // Method 5 on another keyword is a single value.
    EXPECT_EQ(run({definition("主题", "MH ", "5", "/")}, "MH *A/b\n").values("主题"),
              (Values{"*A/b"}));
}

TEST(TxtExtractorMethods, EmptyTagLineTakesTheNextPlainLineOnly) {
    const auto defs =
        std::vector{definition("<文章节点>", "【来源篇名】", std::nullopt, std::nullopt, 1),
                    definition("<文章号>", "x", std::nullopt, std::nullopt, 1),
                    definition("参考文献", "【参考文献】", "3"),
                    definition("卷", "vo ", "4"),
                    definition("页", "OP ", "3"),
                    definition("关键词", "K1 ", "1", ";")};
    const auto sink = run(defs, "【来源篇名】甲\n【参考文献】\n1.张三.论文.期刊.2001\n2.李四.书\n"
                                "【来源篇名】乙\nvo \nOP 72-74\nvo \n【来源篇名】丙\nK1 \nplain\n");
    EXPECT_EQ(sink.of("参考文献"), (Pairs{{"甲", "1.张三.论文.期刊.2001"}}));
    // Not the tag line of another definition, nor an article-node line.
    EXPECT_EQ(sink.of("卷"), (Pairs{{"乙", ""}, {"乙", ""}}));
    EXPECT_EQ(sink.of("页"), (Pairs{{"乙", "72-74"}}));
    EXPECT_EQ(sink.of("关键词"), (Pairs{{"丙", "plain"}}));
}

// "TAG|||s,l": the tag is the text before the bars; every value of the definition, the
// first author included, is cut to l characters from position s.
TEST(TxtExtractorMethods, SubstringTagCutsEachValue) {
    EXPECT_EQ(
        run({definition("年代", "【年代卷期】|||1,4", "3")}, "【年代卷期】2019,38(040):132-137\n")
            .values("年代"),
        (Values{"2019"}));
    const auto year = std::vector{definition("年代", "PY  - |||1,4", "3")};
    EXPECT_EQ(run(year, "PY  - 2019///\n").values("年代"), (Values{"2019"}));
    EXPECT_EQ(run(year, "PY  -  20 \n").values("年代"), (Values{"20"}));
    // Characters, not bytes; each piece of a separated field and each line of method 2.
    EXPECT_EQ(run({definition("关键词", "K |||2,3", "1", ";")}, "K 二〇一九年;abcdef; x\n")
                  .values("关键词"),
              (Values{"〇一九", "bcd", ""}));
    EXPECT_EQ(run({definition("作者", "AU|||1,5", "2")}, "AU Smith John\nAU Li Ming\n").rows,
              (std::vector<Row>{
                  {"", "第一作者", "Smith"}, {"", "作者", "Smith"}, {"", "作者", "Li Mi"}}));
    // Without two whole numbers the text stays the tag as written.
    EXPECT_EQ(run({definition("年代", "PY|||x,4", "3")}, "PY 2001\nPY|||x,4 1999\n").values("年代"),
              (Values{"1999"}));
}

TEST(TxtExtractorMethods, DefinitionWithoutTagReadsNothing) {
    const auto defs = std::vector{definition("<文章节点>", ""), definition("标题", "", "3"),
                                  definition("作者", "AU ", "2")};
    const auto sink = run(defs, "AU A\nTI t\n\nAU B\n");
    // An empty article-node tag starts no article either.
    EXPECT_EQ(sink.rows,
              (std::vector<Row>{{"", "第一作者", "A"}, {"", "作者", "A"}, {"", "作者", "B"}}));
}

// ---- Citation rule ------------------------------------------------------------------------

std::vector<Row> citation(std::string_view line) {
    RecordingSink sink;
    TxtExtractor::write_citation(line, "1", sink);
    return sink.rows;
}

TEST(TxtExtractorCitations, TheFourLayouts) {
    EXPECT_EQ(citation("Smith J, 2001, J BIOL CHEM, V276, P1234"),
              (std::vector<Row>{{"1", "<引文>", "Smith J, 2001, J BIOL CHEM, V276, P1234"},
                                {"1", "<引文作者>", "Smith J"},
                                {"1", "<引文年代>", "2001"},
                                {"1", "<引文期刊>", "J BIOL CHEM"}}));
    EXPECT_EQ(citation("2003, NATURE, V1, P2"),
              (std::vector<Row>{{"1", "<引文>", "2003, NATURE, V1, P2"},
                                {"1", "<引文作者>", "Anonymous"},
                                {"1", "<引文年代>", "2003"},
                                {"1", "<引文期刊>", "NATURE"}}));
    EXPECT_EQ(citation("Smith J, NATURE, V1"),
              (std::vector<Row>{{"1", "<引文>", "Smith J, NATURE, V1"},
                                {"1", "<引文作者>", "Smith J"},
                                {"1", "<引文期刊>", "NATURE"}}));
    EXPECT_EQ(citation("J CLIN ONCOL, V12"),
              (std::vector<Row>{{"1", "<引文>", "J CLIN ONCOL, V12"},
                                {"1", "<引文期刊>", "J CLIN ONCOL"}}));
    // A trailing comma goes; a reference without commas is taken as a journal.
    EXPECT_EQ(citation("  ANONYMOUS, "),
              (std::vector<Row>{{"1", "<引文>", "ANONYMOUS"}, {"1", "<引文期刊>", "ANONYMOUS"}}));
}

TEST(TxtExtractorCitations, YearTestCountsGb18030Bytes) {
    // "20年" is three characters but four bytes: taken as a year.
    EXPECT_EQ(citation("20年, 中国科学, V3"),
              (std::vector<Row>{{"1", "<引文>", "20年, 中国科学, V3"},
                                {"1", "<引文作者>", "Anonymous"},
                                {"1", "<引文年代>", "20年"},
                                {"1", "<引文期刊>", "中国科学"}}));
    // "2001年" is six bytes: an author.
    EXPECT_EQ(citation("2001年, 中国科学")[1], (Row{"1", "<引文作者>", "2001年"}));
}

TEST(TxtExtractorCitations, DoiContinuationAndFieldEnd) {
    const auto defs = std::vector{definition("<引文>", "CR ", "1", ";")};
    const auto sink = run(defs, "CR Smith J, 2001, J BIOL CHEM, V276, P1234, DOI\n"
                                "   10.1074/jbc.M0001\n"
                                "   Wang J, 2020, FIGSHARE, DOI [10.6084/m9, DOI 10.6084/M9]\n"
                                "   O'Brien K, 1999, LANCET, V1\n"
                                "NR 3\n"
                                "   NOT A REFERENCE, 2000, X\n");
    EXPECT_EQ(sink.values("<引文>"),
              (Values{"Smith J, 2001, J BIOL CHEM, V276, P1234", "Wang J, 2020, FIGSHARE",
                      "O′Brien K, 1999, LANCET, V1"}));
    EXPECT_EQ(sink.values("<引文作者>"), (Values{"Smith J", "Wang J", "O′Brien K"}));
    EXPECT_EQ(sink.values("<引文期刊>"), (Values{"J BIOL CHEM", "FIGSHARE", "LANCET"}));
}

// ---- Numbered references ("<引文>" with separator ".") -----------------------------------

std::vector<Row> numbered(std::string_view line) {
    RecordingSink sink;
    TxtExtractor::write_numbered_citation(line, "1", sink);
    return sink.rows;
}

TEST(TxtExtractorNumberedCitations, JournalsBooksThesesAndReports) {
    EXPECT_EQ(
        numbered("3.付业勤.旅游危机事件网络舆情的本体分析.重庆理工大学学报(社会科学).2015.29(2)"),
        (std::vector<Row>{
            {"1", "<引文>",
             "付业勤.旅游危机事件网络舆情的本体分析.重庆理工大学学报(社会科学).2015.29(2)"},
            {"1", "<引文作者>", "付业勤"},
            {"1", "<引文年代>", "2015"},
            {"1", "<引文期刊>", "重庆理工大学学报(社会科学)"}}));
    // An initial's dot before the separator; an issue without a volume.
    EXPECT_EQ(
        numbered("7.KMAILEF,K..Ontology-supported reasoning.Decision Support System.2013.(1)"),
        (std::vector<Row>{
            {"1", "<引文>",
             "KMAILEF,K..Ontology-supported reasoning.Decision Support System.2013.(1)"},
            {"1", "<引文作者>", "KMAILEF,K"},
            {"1", "<引文年代>", "2013"},
            {"1", "<引文期刊>", "Decision Support System"}}));
    // Theses and books end in ",year"; reports in ".year"; no journal.
    EXPECT_EQ(numbered("1.吴文晓.突发事件案例推理研究:学位论文.绵阳:西南科技大学,2017"),
              (std::vector<Row>{
                  {"1", "<引文>", "吴文晓.突发事件案例推理研究:学位论文.绵阳:西南科技大学,2017"},
                  {"1", "<引文作者>", "吴文晓"},
                  {"1", "<引文年代>", "2017"}}));
    EXPECT_EQ(numbered("12..2012年互联网舆情报告.2013"),
              (std::vector<Row>{{"1", "<引文>", ".2012年互联网舆情报告.2013"},
                                {"1", "<引文年代>", "2013"}}));
    // A book without a year; a newspaper whose date is no year; text without any dot.
    EXPECT_EQ(numbered("7.兰月新.群体性事件预警研究.天津:天津大学出版社"),
              (std::vector<Row>{{"1", "<引文>", "兰月新.群体性事件预警研究.天津:天津大学出版社"},
                                {"1", "<引文作者>", "兰月新"}}));
    EXPECT_EQ(
        numbered("1..在全国宣传思想工作会议上的讲话.人民日报.8.21(2)"),
        (std::vector<Row>{{"1", "<引文>", ".在全国宣传思想工作会议上的讲话.人民日报.8.21(2)"}}));
    EXPECT_EQ(numbered("1.上市公司环境信息披露指南"),
              (std::vector<Row>{{"1", "<引文>", "上市公司环境信息披露指南"}}));
    // A volume with a Chinese character is no volume: the year is not taken from before it.
    EXPECT_EQ(numbered("张三.题名.某刊.2001.第3期").size(), 2u);
    // Nothing but the number and dots gives nothing.
    EXPECT_TRUE(numbered("1..").empty());
}

TEST(TxtExtractorNumberedCitations, NumberedLinesContinueTheField) {
    const auto defs = std::vector{definition("<文章节点>", "【来源篇名】", "3", std::nullopt, 1),
                                  definition("<文章号>", "*", "3", std::nullopt, 1),
                                  definition("<引文>", "【参考文献】", "1", "."),
                                  definition("关键词", "【关 键 词】", "1", "/")};
    const auto sink = run(defs, "【来源篇名】甲\n【参考文献】\n1.张三.论文.期刊.2001.3(1)\n"
                                "2.O'Neil,J.Book.New York:Wiley,1999\n\n10.李四.书\n"
                                "-----\n3.不是引文.刊.2000.1\n"
                                "【来源篇名】乙\n【参考文献】1.王五.题.刊.2002.(4)\n"
                                "【关 键 词】x/y\n2.不是引文\n");
    EXPECT_EQ(sink.of("<引文>"), (Pairs{{"0000000001", "张三.论文.期刊.2001.3(1)"},
                                        {"0000000001", "O′Neil,J.Book.New York:Wiley,1999"},
                                        {"0000000001", "李四.书"},
                                        {"0000000002", "王五.题.刊.2002.(4)"}}));
    EXPECT_EQ(sink.values("<引文作者>"), (Values{"张三", "O′Neil,J", "李四", "王五"}));
    EXPECT_EQ(sink.values("<引文年代>"), (Values{"2001", "1999", "2002"}));
    EXPECT_EQ(sink.values("<引文期刊>"), (Values{"期刊", "刊"}));
    EXPECT_EQ(sink.values("关键词"), (Values{"x", "y"}));
}

// ---- Subject headings ----------------------------------------------------------------------

std::vector<Row> headings(std::string_view line) {
    RecordingSink sink;
    TxtExtractor::write_headings(line, "1", sink);
    return sink.rows;
}

TEST(TxtExtractorHeadings, TheThreeShapes) {
    EXPECT_EQ(headings("Alpha/beta"), (std::vector<Row>{{"1", "次要主题词＋副主题词", "Alpha/beta"},
                                                        {"1", "次要主题词－副主题词", "Alpha"},
                                                        {"1", "全部主题词＋副主题词", "Alpha/beta"},
                                                        {"1", "全部主题词－副主题词", "Alpha"}}));
    EXPECT_EQ(headings("*Alpha"), (std::vector<Row>{{"1", "主要主题词＋副主题词", "Alpha"},
                                                    {"1", "主要主题词－副主题词", "Alpha"},
                                                    {"1", "全部主题词＋副主题词", "Alpha"},
                                                    {"1", "全部主题词－副主题词", "Alpha"}}));
    EXPECT_EQ(headings("Alpha"), (std::vector<Row>{{"1", "次要主题词＋副主题词", "Alpha"},
                                                   {"1", "次要主题词－副主题词", "Alpha"},
                                                   {"1", "全部主题词＋副主题词", "Alpha"},
                                                   {"1", "全部主题词－副主题词", "Alpha"}}));
    EXPECT_EQ(headings("Alpha/*beta/gamma"),
              (std::vector<Row>{{"1", "全部主题词－副主题词", "Alpha"},
                                {"1", "主要主题词＋副主题词", "Alpha/beta"},
                                {"1", "全部主题词＋副主题词", "Alpha/beta"},
                                {"1", "主要主题词－副主题词", "Alpha"},
                                {"1", "次要主题词＋副主题词", "Alpha/gamma"},
                                {"1", "全部主题词＋副主题词", "Alpha/gamma"},
                                {"1", "次要主题词－副主题词", "Alpha"}}));
}

TEST(TxtExtractorHeadings, MajorAndMinorWithoutSubheadingsAtMostOncePerField) {
    const auto rows = headings("*Alpha/a/b/c/");
    EXPECT_EQ(rows, (std::vector<Row>{{"1", "全部主题词－副主题词", "Alpha"},
                                      {"1", "主要主题词＋副主题词", "Alpha/a"},
                                      {"1", "全部主题词＋副主题词", "Alpha/a"},
                                      {"1", "主要主题词－副主题词", "Alpha"},
                                      {"1", "主要主题词＋副主题词", "Alpha/b"},
                                      {"1", "全部主题词＋副主题词", "Alpha/b"},
                                      {"1", "主要主题词＋副主题词", "Alpha/c"},
                                      {"1", "全部主题词＋副主题词", "Alpha/c"}}));
}

TEST(TxtExtractorHeadings, EachLineIsAFieldAndContinuationsJoin) {
    const auto defs = std::vector{definition("<主题词>", "MH  - ", "5", "/", 2)};
    const auto sink = run(defs, "MH  - A/x\nMH  - B's\n      part/*y\nMHDA- 2001\n");
    EXPECT_EQ(sink.values("全部主题词＋副主题词"), (Values{"A/x", "B′s part/y"}));
    EXPECT_EQ(sink.values("主要主题词－副主题词"), (Values{"B′s part"}));
    EXPECT_EQ(sink.values("次要主题词－副主题词"), (Values{"A"}));
}

// ---- Articles, files and encodings ---------------------------------------------------------

TEST(TxtExtractorArticles, AutomaticNumbersRestartPerFileAndCarryBeforeTheFirstNode) {
    const auto defs = std::vector{definition("<文章节点>", "PT ", std::nullopt, std::nullopt, 1),
                                  definition("标题", "TI ", "3"), definition("注", "NOTE ", "3")};
    TxtExtractor extractor(txt_format(defs));
    RecordingSink sink;
    NullProgress progress;
    extractor.extract_text("PT J\nTI a\nPT J\nTI b\nPT J\nTI c\n", sink, progress);
    extractor.extract_text("NOTE head\nTI pre\nPT J\nTI d\n", sink, progress);
    EXPECT_EQ(sink.of("标题"), (Pairs{{"0000000001", "a"},
                                      {"0000000002", "b"},
                                      {"0000000003", "c"},
                                      {"0000000003", "pre"},
                                      {"0000000001", "d"}}));
    // A later pass finds the number the file's last article left.
    EXPECT_EQ(sink.of("注"), (Pairs{{"0000000001", "head"}}));
}

TEST(TxtExtractorArticles, RecordNumbersAndFormatsWithoutArticleNode) {
    const auto record = std::vector{definition("<文章节点>", "*PMID-"), definition("<文章号>", "x"),
                                    definition("标题", "TI ", "3")};
    EXPECT_EQ(run(record, "*PMID- 12345\nTI a\n*PMID-67\nTI b\n").of("标题"),
              (Pairs{{"12345", "a"}, {"67", "b"}}));
    // The reserved definitions are walked as keywords when their flag is 0.
    EXPECT_EQ(run(record, "*PMID- 12345\n").of("<文章节点>"), (Pairs{{"12345", "12345"}}));
    // "<文章号>" with node 1 "*" numbers automatically.
    const auto star = std::vector{definition("<文章节点>", "@", std::nullopt, std::nullopt, 1),
                                  definition("<文章号>", "*", std::nullopt, std::nullopt, 1),
                                  definition("标题", "TI ", "3")};
    EXPECT_EQ(run(star, "@ 9\nTI a\n").of("标题"), (Pairs{{"0000000001", "a"}}));
    // Without "<文章节点>" only lines beginning with "*" start articles.
    const auto none = std::vector{definition("标题", "TI ", "3")};
    EXPECT_EQ(run(none, "TI a\nTI b\n").of("标题"), (Pairs{{"", "a b"}}));
    EXPECT_EQ(run(none, "* x\nTI a\n").of("标题"), (Pairs{{"0000000001", "a"}}));
}

TEST(TxtExtractorFiles, EncodingsLineEndsEmptyAndMissingFiles) {
    testing::TempDir dir;
    const auto defs = std::vector{definition("<文章节点>", "PT ", std::nullopt, std::nullopt, 1),
                                  definition("标题", "TI ", "3")};
    const std::string body = "PT J\r\nTI 中文标题 𠀀\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("PT J\rTI ")) {
        utf16 += c;
        utf16 += '\0';
    }
    utf16 += std::string("\x2D\x4E\x87\x65", 4); // 中文
    testing::write_file(dir / "bom.txt", "\xEF\xBB\xBF" + body);
    testing::write_file(dir / "utf16.txt", utf16);
    testing::write_file(dir / "gb.txt", text::utf8_to_gb18030(body));
    testing::write_file(dir / "cr.txt", "PT J\rTI a\r   b\rPT J\rTI c");
    testing::write_file(dir / "empty.txt", "");
    TxtExtractor extractor(txt_format(defs));
    RecordingSink sink;
    RecordingProgress progress;
    for (const char* name : {"bom.txt", "utf16.txt", "gb.txt", "cr.txt", "empty.txt"}) {
        EXPECT_EQ(extractor.extract_file(dir / name, sink, progress).kind, FileOutcome::Kind::done)
            << name;
    }
    EXPECT_EQ(sink.values("标题"), (Values{"中文标题 𠀀", "中文", "中文标题 𠀀", "a b", "c"}));
    // Gauge: lines x walked definitions (the article node has flag 1).
    EXPECT_EQ(progress.maxima, (std::vector<long long>{2, 2, 2, 5, 0}));
    const FileOutcome missing = extractor.extract_file(dir / "gone.txt", sink, progress);
    EXPECT_EQ(missing.kind, FileOutcome::Kind::stopped);
    EXPECT_EQ(missing.message, "“" + (dir / "gone.txt").string() + "”文件无法读取，提取已中止！\r");
    EXPECT_EQ(extractor.extract_file(dir.path(), sink, progress).kind, FileOutcome::Kind::stopped);
}

TEST(TxtExtractorFiles, GaugeStepsOncePerLinePerDefinition) {
    const auto defs = std::vector{definition("标题", "TI ", "3"), definition("空", ""),
                                  definition("作者", "AU ", "2")};
    TxtExtractor extractor(txt_format(defs));
    RecordingSink sink;
    RecordingProgress progress;
    extractor.extract_text("TI a\nAU b\nAU c\n", sink, progress);
    EXPECT_EQ(progress.maxima, (std::vector<long long>{9}));
    EXPECT_EQ(progress.last_position, 9);
    EXPECT_EQ(progress.positions, 7); // the definition without a tag moves the gauge at once
}

} // namespace
} // namespace lumacite::extract
