// Extracting PubMed XML files with the shipped "PubMed" format through lumacite-cli.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;

namespace {

struct CliResult {
    int code = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

class XmlExtractCli : public ::testing::Test {
protected:
    CliResult run(const std::vector<std::string>& args) {
        std::string cmd = quoted(std::string(LUMACITE_BINARY_DIR) + "/bin/lumacite-cli") +
                          " --home " + quoted((dir / "home").string());
        for (const auto& a : args) {
            cmd += " " + quoted(a);
        }
        cmd += " >" + quoted((dir / "out").string()) + " 2>" + quoted((dir / "err").string());
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir / "out"),
                read_file(dir / "err")};
    }
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
    ASSERT_EQ(run({"project", "add", "P1", "--format", "PubMed"}).code, 0);
    ASSERT_EQ(run({"doc", "add-dir", "P1", recs.string(), "xml"}).code, 0);

    const CliResult r = run({"extract", "P1", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
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

} // namespace
