// lumacite-cli as a user runs it: program folder, listing commands, exit codes.
#include "messages.h"
#include "store/catalogue.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using lumacite::testing::read_file;
using lumacite::testing::run_cli;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
namespace fs = std::filesystem;
namespace store = lumacite::store;
namespace msg = lumacite::msg;

namespace {

const std::string shipped_formats = "CSSCI·中文社会科学引文索引 纯文本·<txt>\n"
                                    "MEDLINE·MEDLINE 纯文本·<txt>\n"
                                    "MedlineXML·MEDLINE XML (MedlineCitationSet)·<xml>\n"
                                    "PubMed·PubMed XML·<xml>\n"
                                    "RIS·RIS (Scopus, Zotero, EndNote)·<txt>\n"
                                    "WOS·Web of Science 纯文本·<txt>\n"
                                    "cnki·中国知网 RefWorks·<txt>\n"
                                    "cnki-E-Study·中国知网 E-Study·<txt>\n"
                                    "cnki-EndNote·中国知网 EndNote·<txt>\n"
                                    "cnki-NoteExpress·中国知网 NoteExpress·<txt>\n"
                                    "万方·万方数据 NoteExpress·<txt>\n";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == '\t') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

TEST(Cli, FormatsOnAFreshHomeInstallsTheShippedCatalogue) {
    TempDir dir;
    const fs::path home = dir / "nested" / "home";
    const auto r = run_cli({"--home", home.string(), "formats"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, shipped_formats);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::is_regular_file(home / "velkor.exs"));

    // The installed copy is used from then on; --home=DIR is the same option.
    const auto again = run_cli({"--home=" + home.string(), "formats"});
    EXPECT_EQ(again.exit_code, 0);
    EXPECT_EQ(again.out, shipped_formats);
}

TEST(Cli, DefinitionsPrintsTheFormatAsTsvInIdOrder) {
    TempDir dir;
    const auto r = run_cli({"--home", dir.path().string(), "definitions", "PubMed"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "1\t<文章节点>\tPubmedArticle\t\t\t\t\t\t1\t;\t1");
    EXPECT_EQ(lines[1], "2\t<文章号>\tMedlineCitation\tPMID\t\t\t\t\t1\t;\t1");
    // The pair form's three backslashes are written escaped, one cell per node.
    EXPECT_EQ(lines[3], "4\t作者\tMedlineCitation\tArticle\tAuthorList\tAuthor\t"
                        "LastName\\\\\\\\\\\\Initials\t\t1\t;\t0");
    // The year comes from Year or, failing that, from the first four characters of
    // MedlineDate.
    EXPECT_EQ(lines[6], "7\t年代\tMedlineCitation\tArticle\tJournal\tJournalIssue\tPubDate\t"
                        "Year\t1\t;\t0");
    EXPECT_EQ(lines[7], "8\t年代\tMedlineCitation\tArticle\tJournal\tJournalIssue\tPubDate\t"
                        "MedlineDate|||1,4\t1\t;\t0");
    EXPECT_EQ(lines[19], "20\t<主题词>\tMedlineCitation\tMeshHeadingList\tMeshHeading\t"
                         "DescriptorName\tQualifierName\tMajorTopicYN\t1\t;\t2");
    long long previous = 0;
    for (const auto& line : lines) {
        const auto cells = cells_of(line);
        ASSERT_EQ(cells.size(), 11u) << line;
        EXPECT_GT(std::stoll(cells[0]), previous) << line;
        previous = std::stoll(cells[0]);
    }

    // A TXT format: tags keep their trailing blank, empty separators stay empty cells.
    const auto wos = run_cli({"--home", dir.path().string(), "definitions", "WOS"});
    ASSERT_EQ(wos.exit_code, 0) << wos.err;
    const auto wos_lines = lines_of(wos.out);
    ASSERT_EQ(wos_lines.size(), 19u);
    EXPECT_EQ(wos_lines[0], "21\t<文章节点>\tPT \t\t\t\t\t\t3\t\t1");
    EXPECT_EQ(wos_lines[1], "22\t<文章号>\t*\t\t\t\t\t\t3\t\t1");
    EXPECT_EQ(wos_lines[18], "39\t<引文>\tCR \t\t\t\t\t\t2\t\t2");
}

TEST(Cli, DefinitionsOfAnUnknownFormatIsRefused) {
    TempDir dir;
    // Names are matched exactly: the built-in is "PubMed", not "pubmed".
    const auto r = run_cli({"--home", dir.path().string(), "definitions", "pubmed"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(msg::format_not_found) + "pubmed\n");
}

TEST(Cli, ProjectsOnAFreshHomeIsEmpty) {
    TempDir dir;
    const auto r = run_cli({"--home", dir.path().string(), "projects"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(Cli, VersionAndHelp) {
    const auto version = run_cli({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_TRUE(
        std::regex_match(version.out, std::regex("lumacite-cli [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;

    const auto help = run_cli({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.err, "");
    for (const char* expected :
         {"--home DIR", "--version", "\n  formats ", "\n  definitions FORMAT ", "\n  projects ",
          "Exit codes: 0 success, 1 usage error"}) {
        EXPECT_NE(help.out.find(expected), std::string::npos) << expected;
    }
    // -h is the short form and prints the same text.
    EXPECT_EQ(run_cli({"-h"}).out, help.out);
}

TEST(Cli, UsageErrorsExitWithOne) {
    TempDir dir;
    const std::string home = dir.path().string();

    const auto unknown = run_cli({"--home", home, "frobnicate"});
    EXPECT_EQ(unknown.exit_code, 1);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "lumacite-cli: unknown command frobnicate (see --help)\n");

    const auto option = run_cli({"--bogus", "formats"});
    EXPECT_EQ(option.exit_code, 1);
    EXPECT_EQ(option.err, "lumacite-cli: unknown option --bogus\n");
    const auto short_option = run_cli({"-x", "formats"});
    EXPECT_EQ(short_option.exit_code, 1);
    EXPECT_EQ(short_option.err, "lumacite-cli: unknown option -x\n");

    const auto extra = run_cli({"--home", home, "formats", "extra"});
    EXPECT_EQ(extra.exit_code, 1);
    EXPECT_EQ(extra.out, "");
    EXPECT_EQ(lines_of(extra.err).front(), "lumacite-cli formats: unexpected argument: extra");

    const auto missing = run_cli({"--home", home, "definitions"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(lines_of(missing.err).front(), "lumacite-cli definitions: missing FORMAT");

    // No command at all: the help goes to standard error.
    const auto none = run_cli({"--home", home});
    EXPECT_EQ(none.exit_code, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("Commands:"), std::string::npos);
}

// A catalogue that exists but cannot be opened is reported with its path and kept as it
// is: it may be the user's only copy of their projects.
TEST(Cli, DamagedCatalogueExitsWithThreeAndIsLeftUntouched) {
    TempDir dir;
    const fs::path catalogue = dir / "velkor.exs";
    const std::vector<std::string> contents = {
        std::string("not a database, just some bytes\n"),
        std::string(), // an empty file is not a catalogue either
        std::string("SQLite format 3\0", 16) + std::string(4080, '\x5a'),
    };
    for (const auto& bytes : contents) {
        write_file(catalogue, bytes);
        for (const char* command : {"formats", "projects"}) {
            const auto r = run_cli({"--home", dir.path().string(), command});
            EXPECT_EQ(r.exit_code, 3) << command;
            EXPECT_EQ(r.out, "");
            EXPECT_TRUE(r.err.starts_with(msg::catalogue_cannot_open)) << r.err;
            EXPECT_NE(r.err.find(catalogue.string()), std::string::npos) << r.err;
            EXPECT_EQ(read_file(catalogue), bytes);
        }
    }
    // Nothing was added beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Cli, AnExistingCatalogueIsUsedAndNeverReplaced) {
    TempDir dir;
    {
        auto cat = store::Catalogue::create(dir / "velkor.exs");
        store::Definition d;
        d.geshi = "O'Brien";
        d.geshi_quancheng = "Quote \"test\"";
        d.leixing = "<txt>";
        d.guanjianzi = "标题";
        d.jiedian[0] = "TI\t";
        d.pailie = "3";
        d.yueding = 0;
        cat.add_definition(d);
        cat.add_project({"P1", "O'Brien", "line one\nline two\\"});
    }
    const std::string home = dir.path().string();
    const auto formats = run_cli({"--home", home, "formats"});
    EXPECT_EQ(formats.exit_code, 0) << formats.err;
    EXPECT_EQ(formats.out, "O'Brien·Quote \"test\"·<txt>\n");

    const auto definitions = run_cli({"--home", home, "definitions", "O'Brien"});
    EXPECT_EQ(definitions.exit_code, 0) << definitions.err;
    EXPECT_EQ(definitions.out, "1\t标题\tTI\\t\t\t\t\t\t\t3\t\t0\n");

    const auto projects = run_cli({"--home", home, "projects"});
    EXPECT_EQ(projects.exit_code, 0) << projects.err;
    EXPECT_EQ(projects.out, "P1\tO'Brien\tline one\\nline two\\\\\n");
}

TEST(Cli, LumaciteHomeIsHonouredAndHomeOptionWins) {
    TempDir dir;
    const fs::path from_env = dir / "env-home";
    const fs::path from_option = dir / "option-home";

    const auto r = run_cli({"formats"}, {{"LUMACITE_HOME", from_env.string()}});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, shipped_formats);
    EXPECT_TRUE(fs::is_regular_file(from_env / "velkor.exs"));

    // --home is chosen over LUMACITE_HOME, which is then left alone.
    fs::remove_all(from_env);
    const auto both = run_cli({"--home", from_option.string(), "projects"},
                              {{"LUMACITE_HOME", from_env.string()}});
    EXPECT_EQ(both.exit_code, 0) << both.err;
    EXPECT_TRUE(fs::is_regular_file(from_option / "velkor.exs"));
    EXPECT_FALSE(fs::exists(from_env));

    // A damaged catalogue in LUMACITE_HOME is reported like one given with --home.
    fs::create_directories(from_env);
    write_file(from_env / "velkor.exs", "garbage");
    const auto damaged = run_cli({"formats"}, {{"LUMACITE_HOME", from_env.string()}});
    EXPECT_EQ(damaged.exit_code, 3);
    EXPECT_NE(damaged.err.find((from_env / "velkor.exs").string()), std::string::npos);
    EXPECT_EQ(read_file(from_env / "velkor.exs"), "garbage");
}

} // namespace
