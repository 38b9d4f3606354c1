#include "analysis/analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lumacite::analysis;

namespace {

struct Row {
    std::string wenzhangha;
    std::string guanjianzi;
    std::string zhi;
};

lumacite::NullProgress quiet;

std::vector<StatisticsRow> count(const std::vector<Row>& rows, const std::string& keyword,
                                 const std::string& type) {
    const auto occ = select_occurrences(rows, keyword, type);
    const long long base = uses_article_base(keyword, type) ? count_distinct_articles(rows)
                                                            : static_cast<long long>(occ.size());
    return compute_statistics(occ, base, quiet);
}

void expect_row(const StatisticsRow& r, const char* xuhao, const char* zhi, const char* cishu,
                const char* baifenbi, const char* leijibi) {
    EXPECT_EQ(r.xuhao, xuhao);
    EXPECT_EQ(r.zhi, zhi);
    EXPECT_EQ(r.cishu, cishu);
    EXPECT_EQ(r.baifenbi, baifenbi);
    EXPECT_EQ(r.leijibi, leijibi);
}

TEST(Statistics, RanksCountsAndPercentagesOfAThreeValueKeyword) {
    const std::vector<Row> rows{{"1", "期刊", "A"}, {"2", "期刊", "C"}, {"3", "期刊", "A"},
                                {"4", "期刊", "B"}, {"5", "期刊", "A"}, {"6", "期刊", "C"},
                                {"6", "年代", "A"}};
    const auto s = count(rows, "期刊", "<txt>");
    ASSERT_EQ(s.size(), 3u);
    expect_row(s[0], "         1", "A", "         3", "50.0000", "50.0000");
    expect_row(s[1], "         2", "C", "         2", "33.3333", "83.3333");
    expect_row(s[2], "         3", "B", "         1", "16.6667", "100.0000");
}

TEST(Statistics, EqualCountsComeInAscendingGb18030OrderWhateverTheInputOrder) {
    // 乙 precedes 甲 in code point order but follows it in GB18030 (pinyin) order.
    const std::vector<Row> rows{{"1", "K", "乙"}, {"2", "K", "甲"}, {"3", "K", "b"},
                                {"4", "K", "B"},  {"5", "K", "甲"}, {"6", "K", "乙"}};
    const auto s = count(rows, "K", "<txt>");
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].zhi, "甲");
    EXPECT_EQ(s[1].zhi, "乙");
    EXPECT_EQ(s[2].zhi, "B");
    EXPECT_EQ(s[3].zhi, "b");
    EXPECT_EQ(s[3].leijibi, "100.0000");
}

TEST(Statistics, AValueStoredTwiceForOneArticleCountsTwice) {
    const std::vector<Row> rows{{"A1", "作者", "Li"}, {"A1", "作者", "Li"}, {"A2", "作者", "Wu"}};
    const auto s = count(rows, "作者", "<txt>");
    ASSERT_EQ(s.size(), 2u);
    expect_row(s[0], "         1", "Li", "         2", "66.6667", "66.6667");
    expect_row(s[1], "         2", "Wu", "         1", "33.3333", "100.0000");
}

TEST(Statistics, MergedSubjectHeadingsOfXmlProjectsCountEachArticleValuePairOnce) {
    const std::vector<Row> rows{
        {"A1", "主要主题词＋副主题词", "Liver"}, {"A1", "次要主题词＋副主题词", "Liver"},
        {"A2", "次要主题词＋副主题词", "Liver"}, {"A2", "主要主题词＋副主题词", "Heart"},
        {"A3", "主要主题词－副主题词", "Lung"},  {"A3", "全部主题词＋副主题词", "Stored"}};
    const auto xml = count(rows, "全部主题词＋副主题词", "<xml>");
    ASSERT_EQ(xml.size(), 2u);
    // Three distinct pairs: (A1, Liver), (A2, Liver), (A2, Heart).
    expect_row(xml[0], "         1", "Liver", "         2", "66.6667", "66.6667");
    expect_row(xml[1], "         2", "Heart", "         1", "33.3333", "100.0000");

    const auto minus = count(rows, "全部主题词－副主题词", "<xml>");
    ASSERT_EQ(minus.size(), 1u);
    EXPECT_EQ(minus[0].zhi, "Lung");

    // Any other type: the merged name is an ordinary stored keyword.
    const auto txt = count(rows, "全部主题词＋副主题词", "<txt>");
    ASSERT_EQ(txt.size(), 1u);
    expect_row(txt[0], "         1", "Stored", "         1", "100.0000", "100.0000");
}

TEST(Statistics, AuthorsAndCountriesOfXmlProjectsUseTheArticleBase) {
    std::vector<Row> rows;
    for (int a = 1; a <= 10; ++a) {
        rows.push_back({"P" + std::to_string(a), "标题", "t"});
    }
    for (int a = 1; a <= 4; ++a) {
        rows.push_back({"P" + std::to_string(a), "作者", "Zhang"});
        rows.push_back({"P" + std::to_string(a), "作者", "Wang"});
        rows.push_back({"P" + std::to_string(a), "作者", "Li" + std::to_string(a)});
    }
    const auto s = count(rows, "作者", "<xml>");
    ASSERT_EQ(s.size(), 6u);
    expect_row(s[0], "         1", "Wang", "         4", "40.0000", "40.0000");
    expect_row(s[1], "         2", "Zhang", "         4", "40.0000", "80.0000");
    expect_row(s[5], "         6", "Li4", "         1", "10.0000", "120.0000");

    // The same keyword of a tagged-text project keeps the occurrence base of 12.
    const auto t = count(rows, "作者", "<txt>");
    EXPECT_EQ(t[0].baifenbi, "33.3333");
    EXPECT_EQ(t[5].leijibi, "100.0000");
    EXPECT_TRUE(uses_article_base("国家", "<xml>"));
    EXPECT_FALSE(uses_article_base("第一作者", "<xml>"));
}

TEST(Statistics, NoOccurrencesGiveNoRows) {
    const std::vector<Row> rows{{"A1", "作者", "Li"}};
    EXPECT_TRUE(select_occurrences(rows, "期刊", "<txt>").empty());
    // "作者" of an XML project without author rows: positive base, no group, no row.
    const std::vector<Row> titles{{"A1", "标题", "x"}};
    EXPECT_EQ(count_distinct_articles(titles), 1);
    EXPECT_TRUE(count(titles, "作者", "<xml>").empty());
}

TEST(Statistics, PercentagesRoundHalfAwayFromZeroWithFourDecimals) {
    EXPECT_EQ(format_percentage(1, 128), "0.7813"); // 0.78125 exactly
    EXPECT_EQ(format_percentage(1, 3), "33.3333");
    EXPECT_EQ(format_percentage(2, 3), "66.6667");
    EXPECT_EQ(format_percentage(1, 1), "100.0000");
    EXPECT_EQ(format_percentage(0, 7), "0.0000");
    EXPECT_EQ(format_percentage(1, 3000000), "0.0000");
    EXPECT_EQ(format_percentage(11, 10), "110.0000");
    EXPECT_EQ(format_percentage(1000000, 1), "100000000.0000");
    EXPECT_EQ(format_percentage(5, 0), "0.0000");
}

TEST(Statistics, PaddingAndReadingOfStoredNumbers) {
    EXPECT_EQ(pad_number(1), "         1");
    EXPECT_EQ(pad_number(1234567890), "1234567890");
    EXPECT_EQ(pad_number(12345678901), "12345678901");
    EXPECT_EQ(parse_count("        42"), 42);
    EXPECT_EQ(parse_count(" 7 "), 7);
    EXPECT_EQ(parse_count(""), 0);
    EXPECT_EQ(parse_count("4x"), 0);
    // Padded ranks sort as text in numeric order.
    EXPECT_LT(pad_number(9), pad_number(10));
}

} // namespace
