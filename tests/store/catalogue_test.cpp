#include "store/catalogue.h"
#include "store/locks.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#define SQLITE_HAS_CODEC // the key functions
#include <sqlite3.h>

using namespace lumacite::store;
using lumacite::testing::TempDir;

namespace {

Definition def(const std::string& format, const std::string& keyword, std::optional<int> flag,
               const std::string& type = "<txt>") {
    Definition d;
    d.geshi = format;
    d.geshi_quancheng = format + " full";
    d.leixing = type;
    d.guanjianzi = keyword;
    d.yueding = flag;
    return d;
}

class CatalogueTest : public ::testing::Test {
protected:
    TempDir dir;
    Catalogue cat = Catalogue::create(dir / "velkor.exs");
};

TEST_F(CatalogueTest, DefinitionsComeInIdOrderAndIdsAscend) {
    const long long a = cat.add_definition(def("F", "<文章节点>", 1));
    const long long b = cat.add_definition(def("G", "标题", 0));
    const long long c = cat.add_definition(def("F", "作者", 0));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    const auto rows = cat.definitions("F");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].id, a);
    EXPECT_EQ(rows[0].guanjianzi, "<文章节点>");
    EXPECT_EQ(rows[1].id, c);
}

TEST_F(CatalogueTest, SelectionsFollowTheFlags) {
    cat.add_definition(def("F", "<文章节点>", 1));
    cat.add_definition(def("F", "标题", 0));
    cat.add_definition(def("F", "<主题词>", 2));
    cat.add_definition(def("F", "无标记", std::nullopt)); // a row without a flag
    cat.add_definition(def("F", "作者", 0));

    auto names = [](const std::vector<Definition>& rows) {
        std::vector<std::string> out;
        for (const auto& r : rows) {
            out.push_back(r.guanjianzi);
        }
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(names(cat.xml_walked_definitions("F")), (V{"标题", "作者"}));
    EXPECT_EQ(names(cat.txt_walked_definitions("F")), (V{"标题", "<主题词>", "作者"}));
    EXPECT_EQ(cat.xml_keyword_names("F"), (V{"标题", "作者"}));
    EXPECT_EQ(cat.other_keyword_names("F"), (V{"标题", "作者"}));
    EXPECT_EQ(cat.definitions("F").size(), 5u);
}

TEST_F(CatalogueTest, FormatTypeIsTheFirstRowsTypeOrEmpty) {
    EXPECT_EQ(cat.format_type("X"), "");
    cat.add_definition(def("X", "a", 0, "<xml>"));
    cat.add_definition(def("X", "b", 0, "<txt>"));
    EXPECT_EQ(cat.format_type("X"), "<xml>");
    EXPECT_EQ(cat.format_type("x"), ""); // exact match, no case folding
    EXPECT_EQ(cat.format_type("X "), "");
}

TEST_F(CatalogueTest, FormatListIsDistinctAndInTextOrder) {
    cat.add_definition(def("万方", "a", 0));
    cat.add_definition(def("WOS", "a", 0));
    cat.add_definition(def("WOS", "b", 0));
    cat.add_definition(def("PubMed", "a", 0, "<xml>"));
    cat.add_definition(def("cnki", "a", 0));
    const auto f = cat.formats();
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0].geshi, "PubMed");
    EXPECT_EQ(f[1].geshi, "WOS");
    EXPECT_EQ(f[2].geshi, "cnki");
    EXPECT_EQ(f[3].geshi, "万方");
    EXPECT_EQ(f[0].leixing, "<xml>");
}

TEST_F(CatalogueTest, LocatesDefinitionsExactly) {
    const long long first = cat.add_definition(def("F", "作者", 0));
    cat.add_definition(def("F", "作者", 0)); // names need not be unique
    EXPECT_EQ(cat.find_definition("F", "作者")->id, first);
    EXPECT_FALSE(cat.find_definition("F", "作").has_value());
    EXPECT_FALSE(cat.find_definition("f", "作者").has_value());
    EXPECT_EQ(cat.find_definition("F", first)->guanjianzi, "作者");
    EXPECT_FALSE(cat.find_definition("G", first).has_value());
}

TEST_F(CatalogueTest, QuotesInNamesAreHarmless) {
    Definition d = def("O'Brien's \"format\"", "it's", 0);
    d.fenge = "';--";
    const long long id = cat.add_definition(d);
    EXPECT_EQ(cat.format_type("O'Brien's \"format\""), "<txt>");
    EXPECT_EQ(cat.find_definition("O'Brien's \"format\"", id)->fenge, "';--");
    EXPECT_EQ(cat.update_format("O'Brien's \"format\"", {"x'", "y'", "<txt>"}), 1);
    EXPECT_EQ(cat.definitions("x'").size(), 1u);
    EXPECT_EQ(cat.delete_format("x'"), 1);
}

TEST_F(CatalogueTest, UnsetFieldsStayUnset) {
    Definition d = def("F", "<文章号>", 0);
    d.pailie.reset();
    d.fenge.reset();
    const long long id = cat.add_definition(d);
    const auto back = cat.find_definition("F", id);
    EXPECT_FALSE(back->pailie.has_value());
    EXPECT_EQ(back->pailie_text(), "");
    EXPECT_EQ(back->jiedian[0], "");
}

TEST_F(CatalogueTest, UpdateAndDeleteDefinitions) {
    const long long id = cat.add_definition(def("F", "标题", 0));
    auto d = *cat.find_definition("F", id);
    d.jiedian[0] = "TI";
    d.pailie = "4";
    cat.update_definition(d);
    EXPECT_EQ(cat.find_definition("F", id)->jiedian[0], "TI");
    EXPECT_FALSE(cat.delete_definition("G", id));
    EXPECT_TRUE(cat.delete_definition("F", id));
    EXPECT_FALSE(cat.format_exists("F"));
}

TEST_F(CatalogueTest, ProjectsInNumberOrderWithThePlaceholderFirst) {
    cat.add_project({"b2", "WOS", ""});
    cat.add_project({"A1", "PubMed", "说明"});
    cat.add_project({"", "", ""});
    const auto p = cat.projects();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].bianhao, "");
    EXPECT_EQ(p[1].bianhao, "A1");
    EXPECT_EQ(p[2].bianhao, "b2");
    EXPECT_EQ(cat.find_project("A1")->shuoming, "说明");
    EXPECT_FALSE(cat.find_project("a1").has_value());
    EXPECT_TRUE(cat.update_project("", {"C3", "cnki", ""}));
    EXPECT_TRUE(cat.find_project("C3").has_value());
    EXPECT_FALSE(cat.find_project("").has_value());
    EXPECT_EQ(cat.projects_using_format("WOS"), 1);
}

TEST_F(CatalogueTest, RemovingADocumentClosesTheGapInThatProjectOnly) {
    for (long long i = 1; i <= 5; ++i) {
        cat.add_document({"P1", i, "f" + std::to_string(i) + ".txt", ""});
        cat.add_document({"P2", i, "g" + std::to_string(i) + ".txt", ""});
    }
    cat.remove_document("P1", 2);
    const auto docs = cat.documents("P1");
    ASSERT_EQ(docs.size(), 4u);
    const std::vector<std::string> names = {"f1.txt", "f3.txt", "f4.txt", "f5.txt"};
    for (std::size_t i = 0; i < docs.size(); ++i) {
        EXPECT_EQ(docs[i].xuhao, static_cast<long long>(i + 1));
        EXPECT_EQ(docs[i].wenjianming, names[i]);
    }
    const auto other = cat.documents("P2");
    ASSERT_EQ(other.size(), 5u);
    EXPECT_EQ(other[1].wenjianming, "g2.txt");
    EXPECT_EQ(other[1].xuhao, 2);
}

TEST_F(CatalogueTest, DocumentLocates) {
    cat.add_document({"P", 1, "a.txt", ""});
    cat.add_document({"P", 2, "/data/x", "TXT"});
    EXPECT_EQ(cat.find_file_entry("P", "a.txt")->xuhao, 1);
    EXPECT_FALSE(cat.find_file_entry("P", "A.txt").has_value());
    EXPECT_FALSE(cat.find_file_entry("P", "/data/x").has_value()); // a directory entry
    EXPECT_EQ(cat.find_directory_entry("P", "/data/x", "TXT")->xuhao, 2);
    EXPECT_FALSE(cat.find_directory_entry("P", "/data/x", "XML").has_value());
    EXPECT_TRUE(cat.has_documents("P"));
    EXPECT_FALSE(cat.has_documents("Q"));
}

TEST_F(CatalogueTest, DeletingAProjectDeletesItsDocuments) {
    cat.add_project({"P", "WOS", ""});
    cat.add_project({"Q", "WOS", ""});
    cat.add_document({"P", 1, "a.txt", ""});
    cat.add_document({"Q", 1, "b.txt", ""});
    cat.delete_project("P");
    EXPECT_FALSE(cat.find_project("P").has_value());
    EXPECT_FALSE(cat.has_documents("P"));
    EXPECT_TRUE(cat.has_documents("Q"));
}

TEST_F(CatalogueTest, OneChangeAtATimeAcrossPrograms) {
    using std::chrono::milliseconds;
    // Another program's handle on the same file stands for another program.
    Catalogue other = Catalogue::open(dir / "velkor.exs");
    {
        const auto held = cat.lock_for_change();
        const auto again = cat.lock_for_change(milliseconds(0)); // the same program: counts
        try {
            (void)other.lock_for_change(milliseconds(0));
            FAIL() << "two programs changing the catalogue at once";
        } catch (const LockBusy& e) {
            EXPECT_STREQ(e.what(), "目录数据库正被另一个程序修改，请稍后再试！\r");
        }
    }
    // Let go of when the outermost guard goes.
    const auto taken = other.lock_for_change(milliseconds(0));
    EXPECT_THROW((void)cat.lock_for_change(milliseconds(0)), LockBusy);
}

TEST(CatalogueFile, CannotBeReadWithoutThePassword) {
    TempDir dir;
    const auto file = dir / "velkor.exs";
    {
        auto cat = Catalogue::create(file);
        cat.add_project({"SECRET1", "WOS", "机密"});
    }
    // Plain SQLite (no key) sees no database.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const int rc =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    EXPECT_EQ(rc, SQLITE_NOTADB);
    sqlite3_close(db);
    // Nor do the bytes show the text.
    const std::string bytes = lumacite::testing::read_file(file);
    EXPECT_EQ(bytes.find("SECRET1"), std::string::npos);
    EXPECT_EQ(bytes.find("SQLite format"), std::string::npos);
    // With the password it opens.
    EXPECT_EQ(Catalogue::open(file).find_project("SECRET1")->shuoming, "机密");
}

// Catalogues are made with few rounds of key derivation; one made with the library's
// default rounds (every program folder made before) opens and changes all the same, and
// neither opens without the password's rounds given.
TEST(CatalogueFile, CataloguesMadeWithTheDefaultRoundsStillOpen) {
    TempDir dir;
    const auto old_file = dir / "old.exs";
    std::filesystem::copy_file(std::filesystem::path(LUMACITE_TEST_DATA) / "catalogue" /
                                   "velkor-default-rounds.exs",
                               old_file);
    const auto new_file = dir / "new.exs";
    Catalogue::create(new_file).add_project({"P1", "WOS", "new"});
    {
        auto old = Catalogue::open(old_file);
        EXPECT_FALSE(old.definitions("PubMed").empty());
        old.add_project({"P2", "PubMed", "old"});
    }
    EXPECT_EQ(Catalogue::open(old_file).find_project("P2")->shuoming, "old");
    EXPECT_EQ(Catalogue::open(new_file).find_project("P1")->shuoming, "new");

    // Each needs its own rounds: keyed with the password alone, only the old one reads.
    for (const auto& [file, readable] : {std::pair{old_file, true}, std::pair{new_file, false}}) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_key(db, catalogue_password, 4), SQLITE_OK);
        const int rc =
            sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        EXPECT_EQ(rc, readable ? SQLITE_OK : SQLITE_NOTADB) << file;
        sqlite3_close(db);
    }
}

TEST(CatalogueFile, OpeningFailuresNameTheFile) {
    TempDir dir;
    try {
        Catalogue::open(dir / "missing.exs");
        FAIL() << "opened a missing file";
    } catch (const CatalogueError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.exs"), std::string::npos);
    }
    lumacite::testing::write_file(dir / "junk.exs", std::string(4096, 'x'));
    EXPECT_THROW(Catalogue::open(dir / "junk.exs"), CatalogueError);
    EXPECT_THROW(Catalogue::create(dir / "junk.exs"), CatalogueError); // never replaced
    EXPECT_EQ(lumacite::testing::read_file(dir / "junk.exs"), std::string(4096, 'x'));
}

TEST(Seed, ReadsRowsWithUnsetCellsAndRejectsBadLines) {
    TempDir dir;
    lumacite::testing::write_file(
        dir / "seed.tsv",
        "# comment\n"
        "geshi\tgeshi_"
        "quancheng\tleixing\tguanjianzi\tj1\tj2\tj3\tj4\tj5\tj6\tpailie\tfenge\tyueding\n"
        "WOS\tWeb of Science\t<txt>\t作者\tAU\t\t\t\t\t\t2\t\\N\t0\r\n"
        "WOS\tWeb of Science\t<txt>\t<文章号>\tUT\t\t\t\t\t\t\\N\t\\N\t1\n");
    const auto rows = read_seed(dir / "seed.tsv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].jiedian[0], "AU");
    EXPECT_EQ(rows[0].pailie, "2");
    EXPECT_FALSE(rows[0].fenge.has_value());
    EXPECT_EQ(rows[1].yueding, 1);

    lumacite::testing::write_file(dir / "bad.tsv", "header\nWOS\tonly three\tcells\n");
    try {
        read_seed(dir / "bad.tsv");
        FAIL() << "accepted a short line";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("bad.tsv:2"), std::string::npos);
    }
}

} // namespace
