// Real PubMed XML files read with the shipped "PubMed" format (built from the catalogue
// seed), and the older MedlineCitationSet files. Expected values were read off the XML.
#include "support/gzip.h"
#include "support/temp_dir.h"
#include "xml_support.h"

#include <gtest/gtest.h>

namespace lumacite::xml_tests {
namespace {

using extract::FileOutcome;
using Rows = std::vector<Row>;
using Values = std::vector<std::string>;

const std::string samples = std::string(LUMACITE_TEST_DATA) + "/samples/";

const std::string major_with = "主要主题词＋副主题词";
const std::string major_without = "主要主题词－副主题词";
const std::string minor_with = "次要主题词＋副主题词";
const std::string minor_without = "次要主题词－副主题词";

// The format "PubMed" as the shipped catalogue defines it (built once: opening a
// catalogue derives its key, which takes a while).
const extract::ExtractionFormat& shipped_pubmed() {
    static const extract::ExtractionFormat format = [] {
        testing::TempDir dir;
        const auto file = dir / "velkor.exs";
        store::build_catalogue(std::string(LUMACITE_SOURCE_DIR) + "/assets/formats.tsv", file);
        const auto catalogue = store::Catalogue::open(file);
        return extract::load_extraction_format(catalogue, "PubMed");
    }();
    return format;
}

struct FileRun {
    FileOutcome outcome;
    RecordingSink sink;
    RecordingProgress progress;
};

FileRun run_file(const std::string& name, const extract::ExtractionFormat& format) {
    FileRun r;
    extract::ArticleCounter counter;
    r.outcome = extract::XmlExtractor().extract_file(samples + name, name, format, counter, r.sink,
                                                     r.progress);
    return r;
}

std::vector<std::string> article_numbers(const RecordingSink& sink) {
    std::vector<std::string> out;
    for (const auto& r : sink.rows) {
        if (out.empty() || out.back() != r.wenzhangha) {
            out.push_back(r.wenzhangha);
        }
    }
    return out;
}

TEST(XmlPubmed, CompactEfetchFileEveryRowOfAnArticle) {
    const auto r = run_file("biopython_Entrez_pubmed1.xml", shipped_pubmed());
    ASSERT_EQ(r.outcome.kind, FileOutcome::Kind::done) << r.outcome.message;
    EXPECT_EQ(article_numbers(r.sink), (Values{"12091962", "9997"}));
    EXPECT_EQ(r.progress.maximum, 2);
    EXPECT_EQ(r.progress.positions, (std::vector<long long>{1, 2}));

    Rows second;
    for (const auto& row : r.sink.rows) {
        if (row.wenzhangha == "9997") {
            second.push_back(row);
        }
    }
    auto both = [](const std::string& d) {
        return Rows{{"9997", minor_without, d}, {"9997", minor_with, d}};
    };
    Rows expected = {
        {"9997", "标题",
         "Magnetic studies of Chromatium flavocytochrome C552. A mechanism for heme-flavin "
         "interaction."},
        {"9997", "第一作者", "Strekas TC"},
        {"9997", "作者", "Strekas TC"},
        {"9997", "期刊", "Biochim Biophys Acta"},
        {"9997", "期刊全称", "Biochimica et biophysica acta"},
        {"9997", "年代", "1976"},
        {"9997", "卷", "446"},
        {"9997", "期", "1"},
        {"9997", "起始页", "179"},
        {"9997", "截止页", "191"},
        {"9997", "页码", "179-91"},
        {"9997", "语种", "eng"},
        {"9997", "国家", "Netherlands"},
        {"9997", "文献类型", "Journal Article"},
        {"9997", "DOI", "10.1016/0005-2795(76)90109-4"},
    };
    for (const auto& rows :
         {both("Binding Sites"),
          // A minor descriptor with only a major qualifier counts as major only.
          Rows{{"9997", major_without, "Chromatium"},
               {"9997", major_with, "Chromatium / enzymology"}},
          Rows{{"9997", major_without, "Cytochrome c Group"},
               {"9997", major_with, "Cytochrome c Group"}},
          both("Electron Spin Resonance Spectroscopy"), both("Flavins"), both("Heme"),
          both("Hydrogen-Ion Concentration"),
          Rows{{"9997", minor_without, "Iron"}, {"9997", minor_with, "Iron / analysis"}},
          both("Magnetics"), both("Oxidation-Reduction"), both("Protein Binding"),
          both("Protein Conformation"), both("Temperature")}) {
        expected.insert(expected.end(), rows.begin(), rows.end());
    }
    EXPECT_EQ(second, expected);
}

TEST(XmlPubmed, CompactEfetchFileFirstArticle) {
    const auto r = run_file("biopython_Entrez_pubmed1.xml", shipped_pubmed());
    const auto& s = r.sink;
    const std::string a = "12091962";
    EXPECT_EQ(s.values(a, "标题"),
              (Values{"The treatment of AIDS behind the walls of correctional facilities."}));
    EXPECT_EQ(s.values(a, "作者"), (Values{"Olivero JM"}));
    EXPECT_EQ(s.values(a, "第一作者"), (Values{"Olivero JM"}));
    EXPECT_EQ(s.values(a, "期刊全称"), (Values{"Social justice (San Francisco, Calif.)"}));
    EXPECT_EQ(s.values(a, "年代"), (Values{"1990"})); // PubDate: Year and Season
    EXPECT_EQ(s.values(a, "页码"), (Values{"113-25"}));
    EXPECT_EQ(s.values(a, "国家"), (Values{"United States"}));
    EXPECT_EQ(s.values(a, "文献类型"), (Values{"Journal Article", "Review"}));
    EXPECT_EQ(s.values(a, "关键词"), (Values{"Health Care and Public Health", "Legal Approach"}));
    EXPECT_EQ(s.values(a, "DOI"), Values{}); // only a pubmed id in ArticleIdList
    const Values major = {"Acquired Immunodeficiency Syndrome", "HIV Seropositivity",
                          "Jurisprudence", "Prisoners", "Public Policy"};
    EXPECT_EQ(s.values(a, major_without), major);
    EXPECT_EQ(s.values(a, major_with), major);
    // The other 14 headings are minor, without qualifiers.
    const auto minor = s.values(a, minor_without);
    ASSERT_EQ(minor.size(), 14u);
    EXPECT_EQ(minor[10], "Social Control, Formal");
    EXPECT_EQ(s.values(a, minor_with), minor);
}

TEST(XmlPubmed, IndentedFileWithInlineMarkupAndManyAuthors) {
    const auto r = run_file("biopython_Entrez_pubmed4.xml", shipped_pubmed());
    ASSERT_EQ(r.outcome.kind, FileOutcome::Kind::done) << r.outcome.message;
    const auto& s = r.sink;
    const std::string a = "27797938";
    EXPECT_EQ(article_numbers(s), Values{a});
    EXPECT_EQ(s.values(a, "标题"), (Values{"Leucocyte telomere length, genetic variants at the "
                                           "TERT gene region and risk of pancreatic cancer."}));
    const Values authors = {
        "Bao Y",           "Prescott J",         "Yuan C",      "Zhang M",   "Kraft P",
        "Babic A",         "Morales-Oyarvide V", "Qian ZR",     "Buring JE", "Cochrane BB",
        "Gaziano JM",      "Giovannucci EL",     "Manson JE",   "Ng K",      "Ogino S",
        "Rohan TE",        "Sesso HD",           "Stampfer MJ", "Fuchs CS",  "De Vivo I",
        "Amundadottir LT", "Wolpin BM"};
    EXPECT_EQ(s.values(a, "作者"), authors);
    EXPECT_EQ(s.values(a, "第一作者"), Values{"Bao Y"});
    EXPECT_EQ(s.values(a, "年代"), Values{"2017"});
    EXPECT_EQ(s.values(a, "卷"), Values{"66"});
    EXPECT_EQ(s.values(a, "期"), Values{"6"});
    EXPECT_EQ(s.values(a, "起始页"), Values{}); // this record has MedlinePgn only
    EXPECT_EQ(s.values(a, "页码"), Values{"1116-1122"});
    EXPECT_EQ(s.values(a, "关键词"), Values{"PANCREATIC CANCER"}); // a single keyword
    EXPECT_EQ(s.values(a, "国家"), Values{"England"});
    EXPECT_EQ(s.values(a, "DOI"), Values{"10.1136/gutjnl-2016-312510"});
    // Apostrophes become primes.
    EXPECT_EQ(
        s.values(a, "文献类型"),
        (Values{"Journal Article", "Observational Study", "Research Support, N.I.H., Extramural",
                "Research Support, U.S. Gov′t, Non-P.H.S.", "Research Support, Non-U.S. Gov′t"}));
    EXPECT_EQ(s.values(a, "第一作者机构"),
              (Values{"Channing Division of Network Medicine, Department of Medicine, Brigham "
                      "and Women′s Hospital, and Harvard Medical School, Boston, "
                      "Massachusetts, USA."}));
    // A minor descriptor with two major qualifiers; a minor one with a minor qualifier.
    EXPECT_EQ(s.values(a, major_with),
              (Values{"Adenocarcinoma / epidemiology", "Adenocarcinoma / genetics",
                      "Pancreatic Neoplasms / epidemiology", "Pancreatic Neoplasms / genetics",
                      "Telomerase / genetics", "Telomere Shortening"}));
    EXPECT_EQ(s.values(a, major_without), (Values{"Adenocarcinoma", "Pancreatic Neoplasms",
                                                  "Telomerase", "Telomere Shortening"}));
    const auto minor_plus = s.values(a, minor_with);
    ASSERT_EQ(minor_plus.size(), 17u); // 16 headings without qualifiers, one with
    EXPECT_EQ(minor_plus.front(), "Adult");
    EXPECT_EQ(minor_plus.back(), "United States / epidemiology");
    EXPECT_EQ(s.values(a, minor_without).back(), "United States");
}

TEST(XmlPubmed, MedlineDateYearAndByteOrderMark) {
    // An excerpt of a legacy export that starts with a UTF-8 byte-order mark; both its
    // records have a PubDate with MedlineDate only. The year is the first four characters.
    auto format = pubmed_format();
    const auto r = run_file("sr-project_pubmed_result_excerpt.xml", format);
    ASSERT_EQ(r.outcome.kind, FileOutcome::Kind::done) << r.outcome.message;
    const auto& s = r.sink;
    EXPECT_EQ(article_numbers(s), (Values{"12121007", "10953346"}));
    EXPECT_EQ(s.values("12121007", "年代"), Values{"2002"});
    EXPECT_EQ(s.values("10953346", "年代"), Values{"2000"});
    EXPECT_EQ(s.values("12121007", "作者"), (Values{"Hendricks D", "Parker MI"}));
    EXPECT_EQ(s.values("10953346", "第一作者"), Values{"Oosthuizen MM"});
    EXPECT_EQ(s.values("10953346", "国家"), Values{"GREECE"});
    EXPECT_EQ(s.values("12121007", "卷"), Values{"53"});
    EXPECT_EQ(s.values("12121007", "文献类型"),
              (Values{"Journal Article", "Research Support, Non-U.S. Gov′t", "Review"}));
    EXPECT_EQ(s.values("12121007", major_without), Values{"Esophageal Neoplasms"});
    EXPECT_EQ(s.values("12121007", major_with), Values{"Esophageal Neoplasms / epidemiology"});
    EXPECT_EQ(s.values("10953346", major_with),
              (Values{"Esophageal Neoplasms / drug therapy", "Hot Temperature"}));

    // The shipped format reads the same records; its second year definition takes the
    // year from MedlineDate.
    const auto shipped = run_file("sr-project_pubmed_result_excerpt.xml", shipped_pubmed());
    ASSERT_EQ(shipped.outcome.kind, FileOutcome::Kind::done);
    EXPECT_EQ(shipped.sink.values("12121007", "年代"), Values{"2002"});
    EXPECT_EQ(shipped.sink.values("10953346", "年代"), Values{"2000"});
    EXPECT_EQ(shipped.sink.values("10953346", "页码"), Values{"2697-703"});
    EXPECT_EQ(shipped.sink.values("12121007", "DOI"), Values{"10.1080/15216540212643"});
}

// A compressed export reads as the plain one, whatever its name: the same outcome, rows
// and gauge, for a file with a byte-order mark and for a compact one.
TEST(XmlPubmed, CompressedFileReadsAsThePlainOne) {
    testing::TempDir dir;
    for (const std::string name :
         {"sr-project_pubmed_result_excerpt.xml", "biopython_Entrez_pubmed4.xml"}) {
        SCOPED_TRACE(name);
        const auto plain = run_file(name, shipped_pubmed());
        ASSERT_EQ(plain.outcome.kind, FileOutcome::Kind::done);
        ASSERT_FALSE(plain.sink.rows.empty());
        testing::write_file(dir / (name + ".gz"),
                            testing::gzip(testing::read_file(samples + name)));
        FileRun packed;
        extract::ArticleCounter counter;
        packed.outcome = extract::XmlExtractor().extract_file(
            dir / (name + ".gz"), name, shipped_pubmed(), counter, packed.sink, packed.progress);
        EXPECT_EQ(packed.outcome.kind, FileOutcome::Kind::done);
        EXPECT_EQ(packed.outcome.articles, plain.outcome.articles);
        EXPECT_EQ(packed.sink.rows, plain.sink.rows);
        EXPECT_EQ(packed.progress.maximum, plain.progress.maximum);
        EXPECT_EQ(packed.progress.positions, plain.progress.positions);
    }
}

// The older licensee files: root MedlineCitationSet with bare MedlineCitation records.
extract::ExtractionFormat citation_set_format() {
    return xml_format(
        "MEDLINE XML", "MedlineCitation", {"PMID"},
        {
            definition("标题", {"Article", "ArticleTitle"}),
            definition("作者", {"Article", "AuthorList", "Author", "LastName\\\\\\Initials"}),
            definition("期刊", {"MedlineJournalInfo", "MedlineTA"}),
            definition("年代", {"Article", "Journal", "JournalIssue", "PubDate", "Year"}),
            definition("国家", {"MedlineJournalInfo", "Country"}),
            definition("主题词", {"MeshHeadingList", "MeshHeading", "DescriptorName"}),
            definition("第一作者机构", {"Article", "Affiliation"}),
        });
}

TEST(XmlPubmed, MedlineCitationSetFiles) {
    // The PubMed format finds no PubmedArticle in them: no rows, no message.
    const auto none = run_file("exi_NLM_medsamp2006_excerpt.xml", shipped_pubmed());
    EXPECT_EQ(none.outcome.kind, FileOutcome::Kind::done);
    EXPECT_TRUE(none.sink.rows.empty());
    EXPECT_EQ(none.progress.maximum, 2);

    const auto r = run_file("exi_NLM_medsamp2006_excerpt.xml", citation_set_format());
    ASSERT_EQ(r.outcome.kind, FileOutcome::Kind::done) << r.outcome.message;
    const auto& s = r.sink;
    EXPECT_EQ(article_numbers(s), (Values{"10540283", "10854512"}));
    EXPECT_EQ(s.values("10854512", "标题"), Values{"Inflammatory fibroid polyp of the duodenum."});
    EXPECT_EQ(s.values("10854512", "作者"), (Values{"Soon MS", "Lin OS"}));
    EXPECT_EQ(s.values("10540283", "第一作者"), Values{"Saunders NF"});
    EXPECT_EQ(s.values("10540283", "年代"), Values{"1999"});
    EXPECT_EQ(s.values("10540283", "期刊"), Values{"Mol Microbiol"});
    EXPECT_EQ(s.values("10540283", "国家"), Values{"ENGLAND"});
    EXPECT_EQ(s.values("10854512", "第一作者机构"),
              Values{"Division of Gastroenterology, ChangHua Christian Medical Center, ChangHua, "
                     "Taiwan."});
    // The repetition rule looks at most two levels up: below a first MeshHeading with
    // qualifiers only that heading's descriptor is read; below a first MeshHeading with a
    // descriptor alone, every heading's descriptor.
    EXPECT_EQ(s.values("10854512", "主题词"), Values{"Duodenal Neoplasms"});
    const auto all = s.values("10540283", "主题词");
    ASSERT_EQ(all.size(), 17u);
    EXPECT_EQ(all[0], "Amino Acid Sequence");
    EXPECT_EQ(all[13], "Research Support, Non-U.S. Gov′t");
    EXPECT_EQ(all[16], "Transcription, Genetic");
}

} // namespace
} // namespace lumacite::xml_tests
