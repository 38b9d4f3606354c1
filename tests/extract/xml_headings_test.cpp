// The subject-heading rule of the format "PubMed": major and minor descriptors and
// qualifiers, written under the four major/minor keys.
#include "xml_support.h"

#include <gtest/gtest.h>

namespace lumacite::xml_tests {
namespace {

using Rows = std::vector<Row>;

const std::string major_with = "主要主题词＋副主题词";
const std::string major_without = "主要主题词－副主题词";
const std::string minor_with = "次要主题词＋副主题词";
const std::string minor_without = "次要主题词－副主题词";

// One PubmedArticle with PMID 1 and the given MeshHeading elements.
std::string article(const std::string& headings) {
    return "<PubmedArticleSet><PubmedArticle><MedlineCitation><PMID>1</PMID>"
           "<MeshHeadingList>" +
           headings + "</MeshHeadingList></MedlineCitation></PubmedArticle></PubmedArticleSet>";
}

std::string heading(const std::string& d, bool major,
                    std::vector<std::pair<std::string, bool>> q = {}) {
    std::string s = "<MeshHeading><DescriptorName MajorTopicYN=\"" +
                    std::string(major ? "Y" : "N") + "\">" + d + "</DescriptorName>";
    for (const auto& [name, m] : q) {
        s += "<QualifierName MajorTopicYN=\"" + std::string(m ? "Y" : "N") + "\">" + name +
             "</QualifierName>";
    }
    return s + "</MeshHeading>";
}

// The PubMed format reduced to its article number and its heading definition.
extract::ExtractionFormat headings_only(const std::string& geshi = "PubMed") {
    auto f = pubmed_format();
    f.geshi = geshi;
    f.walked.clear();
    return f;
}

Rows headings_of(const std::string& xml, const extract::ExtractionFormat& f = headings_only()) {
    const auto e = extract_text(xml, f);
    EXPECT_EQ(e.outcome.kind, extract::FileOutcome::Kind::done) << e.outcome.message;
    return e.rows;
}

TEST(XmlHeadings, MinorDescriptorWithMajorAndMinorQualifier) {
    EXPECT_EQ(headings_of(article(heading("D", false, {{"q1", true}, {"q2", false}}))),
              (Rows{{"1", minor_without, "D"},
                    {"1", major_without, "D"},
                    {"1", major_with, "D / q1"},
                    {"1", minor_with, "D / q2"}}));
}

TEST(XmlHeadings, MajorDescriptorWithoutQualifiers) {
    EXPECT_EQ(headings_of(article(heading("D", true))),
              (Rows{{"1", major_without, "D"}, {"1", major_with, "D"}}));
}

TEST(XmlHeadings, MinorDescriptorWithOnlyAMajorQualifierIsMajorOnly) {
    EXPECT_EQ(headings_of(article(heading("D", false, {{"q", true}}))),
              (Rows{{"1", major_without, "D"}, {"1", major_with, "D / q"}}));
}

TEST(XmlHeadings, OtherCombinations) {
    // Minor descriptor alone; major descriptor with qualifiers (major ones first);
    // minor descriptor with minor qualifiers.
    EXPECT_EQ(headings_of(article(heading("Alpha", false) +
                                  heading("Beta", true, {{"b1", false}, {"b2", true}}) +
                                  heading("Gamma", false, {{"g1", false}, {"g2", false}}))),
              (Rows{{"1", minor_without, "Alpha"},
                    {"1", minor_with, "Alpha"},
                    {"1", major_without, "Beta"},
                    {"1", major_with, "Beta / b2"},
                    {"1", major_with, "Beta / b1"},
                    {"1", minor_without, "Gamma"},
                    {"1", minor_with, "Gamma / g1"},
                    {"1", minor_with, "Gamma / g2"}}));
}

TEST(XmlHeadings, EmptyPartsApostrophesAndTheTopicAttribute) {
    const std::string xml = article(
        // An empty qualifier counts as none; an empty descriptor gives nothing.
        "<MeshHeading><DescriptorName MajorTopicYN=\"Y\"> Crohn's Disease </DescriptorName>"
        "<QualifierName MajorTopicYN=\"N\">  </QualifierName></MeshHeading>"
        "<MeshHeading><DescriptorName MajorTopicYN=\"Y\"></DescriptorName>"
        "<QualifierName MajorTopicYN=\"Y\">x</QualifierName></MeshHeading>"
        // Only "Y" marks a major topic; a missing attribute reads as minor.
        "<MeshHeading><DescriptorName MajorTopicYN=\"y\">Lower</DescriptorName></MeshHeading>"
        "<MeshHeading><DescriptorName>Bare</DescriptorName></MeshHeading>"
        // Other elements of a heading, and other children of the list, are passed over.
        "<MeshHeading><Other>o</Other><DescriptorName MajorTopicYN=\"N\">Last</DescriptorName>"
        "</MeshHeading><Comment>c</Comment>");
    EXPECT_EQ(headings_of(xml), (Rows{{"1", major_without, "Crohn′s Disease"},
                                      {"1", major_with, "Crohn′s Disease"},
                                      {"1", minor_without, "Lower"},
                                      {"1", minor_with, "Lower"},
                                      {"1", minor_without, "Bare"},
                                      {"1", minor_with, "Bare"},
                                      {"1", minor_without, "Last"},
                                      {"1", minor_with, "Last"}}));
}

TEST(XmlHeadings, OnlyTheFormatNamedExactlyPubMed) {
    const std::string xml = article(heading("D", true));
    for (const std::string name : {"pubmed", "PubMed ", "PUBMED", "PubMed2"}) {
        EXPECT_TRUE(headings_of(xml, headings_only(name)).empty()) << name;
    }
    auto without = headings_only();
    without.subject_headings.reset();
    EXPECT_TRUE(headings_of(xml, without).empty());
    // An article without the heading list.
    EXPECT_TRUE(headings_of("<PubmedArticleSet><PubmedArticle><MedlineCitation><PMID>2</PMID>"
                            "</MedlineCitation></PubmedArticle></PubmedArticleSet>")
                    .empty());
}

TEST(XmlHeadings, WrittenAfterTheOrdinaryKeywordsOfEachArticle) {
    auto f = headings_only();
    f.walked = {definition("编号", {"MedlineCitation", "PMID"})};
    const std::string two = "<PubmedArticleSet>"
                            "<PubmedArticle><MedlineCitation><PMID>1</PMID><MeshHeadingList>" +
                            heading("A", true) +
                            "</MeshHeadingList></MedlineCitation></PubmedArticle>"
                            "<PubmedArticle><MedlineCitation><PMID>2</PMID><MeshHeadingList>" +
                            heading("B", false) +
                            "</MeshHeadingList></MedlineCitation></PubmedArticle>"
                            "</PubmedArticleSet>";
    EXPECT_EQ(headings_of(two, f), (Rows{{"1", "编号", "1"},
                                         {"1", major_without, "A"},
                                         {"1", major_with, "A"},
                                         {"2", "编号", "2"},
                                         {"2", minor_without, "B"},
                                         {"2", minor_with, "B"}}));
}

TEST(XmlHeadings, DescriptorWithInlineMarkupAndElementContent) {
    // Inline markup reads as text; a descriptor holding record elements stops the run
    // with a message naming the heading definition.
    EXPECT_EQ(headings_of(article("<MeshHeading><DescriptorName MajorTopicYN=\"N\">"
                                  "<i>Escherichia coli</i> Infections</DescriptorName>"
                                  "</MeshHeading>")),
              (Rows{{"1", minor_without, "Escherichia coli Infections"},
                    {"1", minor_with, "Escherichia coli Infections"}}));
    const auto e = extract_text(article("<MeshHeading><DescriptorName MajorTopicYN=\"N\">"
                                        "<Term>a</Term><Term>b</Term></DescriptorName>"
                                        "</MeshHeading>"),
                                headings_only());
    EXPECT_EQ(e.outcome.kind, extract::FileOutcome::Kind::stopped);
    EXPECT_EQ(e.outcome.message,
              "关键字“<主题词>”的节点路径止于只含子元素的节点，无法取得文本，提取已中止！\r");
}

} // namespace
} // namespace lumacite::xml_tests
