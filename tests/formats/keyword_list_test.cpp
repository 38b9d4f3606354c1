#include "formats/formats.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace lumacite;
using namespace lumacite::formats;
using lumacite::testing::TempDir;
using V = std::vector<std::string>;

namespace {

class KeywordList : public ::testing::Test {
protected:
    TempDir dir;
    store::Catalogue cat = store::Catalogue::create(dir / "velkor.exs");

    void add(const std::string& format, const std::string& type,
             const std::vector<std::pair<std::string, std::optional<int>>>& rows) {
        for (const auto& [name, flag] : rows) {
            store::Definition d;
            d.geshi = format;
            d.leixing = type;
            d.guanjianzi = name;
            d.yueding = flag;
            cat.add_definition(d);
        }
    }
};

const V heading_keys = {"全部主题词＋副主题词", "全部主题词－副主题词", "主要主题词＋副主题词",
                        "主要主题词－副主题词", "次要主题词＋副主题词", "次要主题词－副主题词"};

V concat(std::initializer_list<V> parts) {
    V out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

TEST_F(KeywordList, PubMedXmlStartsWithTheHeadingKeys) {
    add("PubMed", "<xml>",
        {{"<文章节点>", 1}, {"标题", 0}, {"<主题词>", 2}, {"作者", 0}, {"无标记", std::nullopt}});
    EXPECT_EQ(project_keyword_list(cat, "PubMed"),
              concat({heading_keys, {"标题", "作者", "第一作者"}}));
    // Another XML format gets no heading keys.
    add("X", "<xml>", {{"标题", 0}, {"<主题词>", 0}});
    EXPECT_EQ(project_keyword_list(cat, "X"), (V{"标题", "<主题词>", "第一作者"}));
}

TEST_F(KeywordList, TxtHeadingsStandWhereTheirDefinitionStood) {
    add("M", "<txt>",
        {{"<文章节点>", 1}, {"标题", 0}, {"<主题词>", 0}, {"标题", 0}, {"年代", 0}, {"隐藏", 1}});
    EXPECT_EQ(project_keyword_list(cat, "M"),
              concat({{"标题"}, heading_keys, {"年代", "第一作者"}}));
}

TEST_F(KeywordList, WosTxtGetsTheCitationItems) {
    add("WOS", "<txt>", {{"<文章节点>", 1}, {"作者", 0}, {"<引文>", 0}});
    EXPECT_EQ(project_keyword_list(cat, "WOS"), (V{"作者", "<引文>", "<引文>", "<引文作者>",
                                                   "<引文年代>", "<引文期刊>", "第一作者"}));
}

// Another text format lists the three names the extractor derives from each reference
// right after "<引文>"; an XML format, and a "<引文>" not listed (flag 2), get none.
TEST_F(KeywordList, OtherTxtFormatsOfferTheDerivedCitationNames) {
    add("C", "<txt>", {{"<文章节点>", 1}, {"标题", 0}, {"<引文>", 0}, {"年代", 0}});
    EXPECT_EQ(project_keyword_list(cat, "C"),
              (V{"标题", "<引文>", "<引文作者>", "<引文年代>", "<引文期刊>", "年代", "第一作者"}));
    add("X", "<xml>", {{"标题", 0}, {"<引文>", 0}});
    EXPECT_EQ(project_keyword_list(cat, "X"), (V{"标题", "<引文>", "第一作者"}));
    add("F", "<txt>", {{"标题", 0}, {"<引文>", 2}});
    EXPECT_EQ(project_keyword_list(cat, "F"), (V{"标题", "第一作者"}));
}

TEST_F(KeywordList, UnknownOrUntypedFormats) {
    EXPECT_EQ(project_keyword_list(cat, "无此格式"), (V{"第一作者"}));
    // An empty type reads like a non-XML type: flag 2 is left out.
    add("E", "", {{"标题", 0}, {"<主题词>", 2}});
    EXPECT_EQ(project_keyword_list(cat, "E"), (V{"标题", "第一作者"}));
}

} // namespace
