#include "store/catalogue.h"
#include "store/program_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace lumacite::store;
using lumacite::testing::TempDir;
namespace fs = std::filesystem;

namespace {

TEST(ProgramFolder, ResolutionOrder) {
    TempDir dir;
    const fs::path exe = dir / "bin";
    fs::create_directories(exe);
    // --home wins over everything, then LUMACITE_HOME.
    EXPECT_EQ(choose_program_folder("/data/home/", "/env", exe, "/xdg", "/u"), "/data/home");
    EXPECT_EQ(choose_program_folder("", "/env/", exe, "/xdg", "/u"), "/env");
    // Without a catalogue beside the executable: the XDG data folder.
    EXPECT_EQ(choose_program_folder("", "", exe, "/xdg", "/u"), "/xdg/lumacite");
    EXPECT_EQ(choose_program_folder("", "", exe, "", "/u"), "/u/.local/share/lumacite");
    EXPECT_EQ(choose_program_folder("", "", exe, "relative", "/u"), "/u/.local/share/lumacite");
    // A catalogue beside the executable makes it a portable install.
    lumacite::testing::write_file(exe / "velkor.exs", "x");
    EXPECT_EQ(choose_program_folder("", "", exe, "/xdg", "/u"), exe);
}

TEST(ProgramFolder, FirstStartInstallsTheShippedCatalogue) {
    TempDir dir;
    const fs::path shipped = dir / "velkor-shipped.exs";
    {
        auto cat = Catalogue::create(shipped);
        Definition d;
        d.geshi = "WOS";
        d.leixing = "<txt>";
        d.guanjianzi = "作者";
        d.yueding = 0;
        cat.add_definition(d);
    }
    const fs::path home = dir / "a" / "b";
    const fs::path cat_path = prepare_program_folder(home, shipped).catalogue;
    EXPECT_EQ(cat_path, home / "velkor.exs");
    EXPECT_EQ(Catalogue::open(cat_path).format_type("WOS"), "<txt>");
    EXPECT_FALSE(fs::exists(home / "velkor.exs.part"));

    // A second start leaves the catalogue and its changes alone.
    Catalogue::open(cat_path).add_project({"P1", "WOS", ""});
    prepare_program_folder(home, shipped);
    EXPECT_TRUE(Catalogue::open(cat_path).find_project("P1").has_value());
}

TEST(ProgramFolder, AnUnreadableCatalogueIsNeverReplaced) {
    TempDir dir;
    const fs::path shipped = dir / "shipped.exs";
    Catalogue::create(shipped);
    const fs::path home = dir / "home";
    fs::create_directories(home);
    lumacite::testing::write_file(home / "velkor.exs", "damaged");
    prepare_program_folder(home, shipped);
    EXPECT_EQ(lumacite::testing::read_file(home / "velkor.exs"), "damaged");
    EXPECT_THROW(Catalogue::open(home / "velkor.exs"), CatalogueError);
}

TEST(ProgramFolder, MissingShippedCatalogueIsReported) {
    TempDir dir;
    try {
        prepare_program_folder(dir / "home", dir / "nowhere.exs");
        FAIL();
    } catch (const ProgramFolderError& e) {
        EXPECT_NE(std::string(e.what()).find("nowhere.exs"), std::string::npos);
    }
}

TEST(ProgramFolder, ANewCatalogueNamesTheProjectFoldersItDoesNotKnow) {
    TempDir dir;
    const fs::path shipped = dir / "shipped.exs";
    Catalogue::create(shipped);
    const fs::path home = dir / "home";
    // Project folders of a catalogue that has gone, and folders that are none.
    for (const char* folder : {"B2", "A1", "notes", "x-y", "C3"}) {
        fs::create_directories(home / folder);
    }
    lumacite::testing::write_file(home / "A1" / "zidianA1.dbf", "");
    lumacite::testing::write_file(home / "B2" / "tongjiB2.dbf", "");
    lumacite::testing::write_file(home / "x-y" / "zidianx-y.dbf", "");
    lumacite::testing::write_file(home / "C3" / "zidianA1.dbf", ""); // not its own table

    const PreparedFolder first = prepare_program_folder(home, shipped);
    EXPECT_EQ(first.unregistered_folders, (std::vector<std::string>{"A1", "B2"}));
    EXPECT_EQ(unregistered_folders_message(first.unregistered_folders),
              "目录数据库不存在，已新建目录数据库。程序文件夹中的以下项目文件夹未在其中登记：A1、B2"
              "\r如需继续使用其中的数据，请在新增项目时使用相同的编号。\r");
    // Said once: the next start finds the catalogue.
    EXPECT_TRUE(prepare_program_folder(home, shipped).unregistered_folders.empty());
    EXPECT_TRUE(prepare_program_folder(dir / "fresh", shipped).unregistered_folders.empty());
}

} // namespace
