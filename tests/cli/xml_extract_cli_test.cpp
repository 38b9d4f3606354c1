// Extracting PubMed XML files with the shipped "PubMed" format through lumacite-cli.
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumacite::testing::CliResult;
using lumacite::testing::read_file;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;

namespace {

class XmlExtractCli : public ::testing::Test {
protected:
    CliResult run(const std::vector<std::string>& args) { return run_cli_in(dir / "home", args); }
    void copy_sample(const std::string& name, const std::filesystem::path& to) {
        std::filesystem::copy_file(std::string(LUMACITE_TEST_DATA) + "/samples/" + name, to);
    }

    TempDir dir;
};

TEST_F(XmlExtractCli, DirectoryOfPubMedFilesWithOneThatIsNotXml) {
    const auto recs = dir / "recs";
    std::filesystem::create_directory(recs);
    copy_sample("biopython_Entrez_pubmed1.xml", recs / "a.xml");
    write_file(recs / "b.xml", "<PubmedArticleSet><PubmedArticle>\n");
    copy_sample("sr-project_pubmed_result_excerpt.xml", recs / "c.XML");
    ASSERT_EQ(run({"project", "add", "P1", "--format", "PubMed"}).exit_code, 0);
    ASSERT_EQ(run({"doc", "add-dir", "P1", recs.string(), "xml"}).exit_code, 0);

    const CliResult r = run({"extract", "P1", "1"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("“" + (recs / "b.xml").string() + "”文件非<xml>格式，无法读取！"),
              std::string::npos)
        << r.err;

    EXPECT_EQ(run({"values", "P1", "1", "第一作者"}).out,
              "12091962\tOlivero JM\n9997\tStrekas TC\n12121007\tHendricks D\n"
              "10953346\tOosthuizen MM\n");
    EXPECT_EQ(run({"values", "P1", "1", "文献类型"}).out,
              "12091962\tJournal Article\n12091962\tReview\n9997\tJournal Article\n"
              "12121007\tJournal Article\n12121007\tResearch Support, Non-U.S. Gov′t\n"
              "12121007\tReview\n10953346\tJournal Article\n"
              "10953346\tResearch Support, Non-U.S. Gov′t\n");
    const std::string major = run({"values", "P1", "1", "主要主题词＋副主题词"}).out;
    EXPECT_NE(major.find("\n9997\tChromatium / enzymology\n"), std::string::npos) << major;
}

// A registered file is named by its place in the program folder. A run that read no
// article is a failure (exit 2) with the run's summary, never a silent success.
TEST_F(XmlExtractCli, RegisteredFileThatIsNotXmlIsNamedInTheProjectFolder) {
    write_file(dir / "bad.xml", "<PubmedArticleSet><PubmedArticle>\n");
    ASSERT_EQ(run({"project", "add", "P9", "--format", "PubMed"}).exit_code, 0);
    ASSERT_EQ(run({"doc", "add", "P9", (dir / "bad.xml").string()}).exit_code, 0);
    const CliResult r = run({"extract", "P9", "1"});
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_EQ(r.err, "“./P9/bad.xml”文件非<xml>格式，无法读取！\n"
                     "未从文档中读取到任何文章！\r读取文件 0 个，文章 0 篇，写入 0 行。\n");
    EXPECT_EQ(r.out, "");
}

// The shipped "MedlineXML" format over two excerpts of an old licensee file (root
// MedlineCitationSet): affiliations in Article/Affiliation, MedlineDate years, an article
// without volume and issue, keyword lists, and an investigator who is not an author.
TEST_F(XmlExtractCli, MedlineCitationSetFilesWithTheShippedFormat) {
    const auto recs = dir / "recs";
    std::filesystem::create_directory(recs);
    copy_sample("exi_NLM_medsamp2006_excerpt.xml", recs / "a.xml");
    copy_sample("exi_NLM_medsamp2006_nasa_kie_excerpt.xml", recs / "b.xml");
    ASSERT_EQ(run({"project", "add", "M1", "--format", "MedlineXML"}).exit_code, 0);
    ASSERT_EQ(run({"doc", "add-dir", "M1", recs.string(), "xml"}).exit_code, 0);
    const CliResult r = run({"extract", "M1", "1"});
    ASSERT_EQ(r.exit_code, 0) << r.err;

    auto values = [&](const std::string& keyword) {
        return run({"values", "M1", "1", keyword}).out;
    };
    EXPECT_EQ(values("第一作者"), "10540283\tSaunders NF\n10854512\tSoon MS\n"
                                  "11583040\tPierazzo E\n11686176\tBower JJ\n"
                                  "11686167\tKindregan CP\n");
    EXPECT_EQ(values("作者").substr(values("作者").find("11583040")),
              "11583040\tPierazzo E\n11583040\tMelosh HJ\n11686176\tBower JJ\n"
              "11686167\tKindregan CP\n");
    // Year from Year, or the first four characters of MedlineDate ("1979 Jan-Feb").
    EXPECT_EQ(values("年代"), "10540283\t1999\n10854512\t2000\n11583040\t2000\n"
                              "11686176\t1979\n11686167\t1990\n");
    EXPECT_EQ(values("卷"), "10540283\t34\n10854512\t14\n11583040\t28\n11686167\t25-26\n");
    EXPECT_EQ(values("期"), "10540283\t1\n10854512\t1\n");
    EXPECT_EQ(values("页码"), "10540283\t24-36\n10854512\t86\n11583040\t141-67\n"
                              "11686176\t1-2\n11686167\t276-92\n");
    EXPECT_EQ(values("期刊全称").substr(values("期刊全称").find("11583040")),
              "11583040\tAnnual review of earth and planetary sciences.\n"
              "11686176\tMalpractice digest.\n"
              "11686167\tReporter on human reproduction and the law.\n");
    EXPECT_EQ(values("期刊").substr(values("期刊").find("11583040")),
              "11583040\tAnnu Rev Earth Planet Sci\n11686176\tMalpract Dig\n"
              "11686167\tReport Hum Reprod Law\n");
    EXPECT_EQ(values("关键词"), "11583040\tNASA Discipline Exobiology\n"
                                "11583040\tNon-NASA Center\n"
                                "11686167\tAbortion Act 1967 (Great Britain)\n"
                                "11686167\tGenetics and Reproduction\n"
                                "11686167\tLegal Approach\n11686167\tRoe v. Wade\n"
                                "11686167\tWebster v. Reproductive Health Services\n");
    EXPECT_EQ(values("第一作者机构"),
              "10540283\tDepartment of Molecular Cell Physiology, Faculty of Biology, "
              "BioCentrum Amsterdam, Vrije Universiteit, De Boelelaan 1087, NL-1081 HV "
              "Amsterdam, The Netherlands.\n"
              "10854512\tDivision of Gastroenterology, ChangHua Christian Medical Center, "
              "ChangHua, Taiwan.\n"
              "11583040\tLunar and Planetary Lab., University of Arizona, Tucson, 84721, USA. "
              "betty@lpl.arizona.edu\n");
    EXPECT_EQ(values("国家"), "10540283\tENGLAND\n10854512\tUNITED STATES\n"
                              "11583040\tUnited States\n11686176\tUnited States\n"
                              "11686167\tUnited States\n");
    EXPECT_EQ(values("文献类型").substr(values("文献类型").find("11583040")),
              "11583040\tJournal Article\n11583040\tReview\n11686176\tJournal Article\n"
              "11686167\tJournal Article\n");
    // Subject headings are read only for the format named "PubMed".
    EXPECT_EQ(values("主要主题词＋副主题词"), "");
}

} // namespace
