#include "store/settings.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace lumacite;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;

TEST(ProfileInt, AcceptsWholeDecimalIntegersOnly) {
    EXPECT_EQ(store::parse_profile_int("600"), 600);
    EXPECT_EQ(store::parse_profile_int(" 640 "), 640);
    EXPECT_EQ(store::parse_profile_int("-5"), -5);
    EXPECT_EQ(store::parse_profile_int("+7"), 7);
    EXPECT_EQ(store::parse_profile_int("0"), 0);
    for (const char* bad : {"", " ", "abc", "12x", "1.5", "0x10", "+", "--1", "99999999999"}) {
        EXPECT_FALSE(store::parse_profile_int(bad).has_value()) << bad;
    }
}

TEST(ProfileString, MissingFileSectionOrKeyGivesTheFallback) {
    TempDir dir;
    const auto ini = dir / "lumacite.ini";
    EXPECT_EQ(store::read_profile_string(ini, "form", "zhu_height", "600"), "600");
    write_file(ini, "[other]\nzhu_height=1\n[form]\nzhu_width=800\n");
    EXPECT_EQ(store::read_profile_string(ini, "form", "zhu_height", "600"), "600");
    EXPECT_EQ(store::read_profile_string(ini, "form", "zhu_width", "900"), "800");
    EXPECT_EQ(store::read_profile_string(ini, "other", "zhu_height", "x"), "1");
}

TEST(ProfileString, NamesCompareWithoutCaseAndBlanksAreIgnored) {
    TempDir dir;
    const auto ini = dir / "lumacite.ini";
    write_file(ini, "; comment\r\n[ FORM ]\r\n  Zhu_Top = 12 \r\n");
    EXPECT_EQ(store::read_profile_string(ini, "form", "zhu_top", "70"), "12");
}

TEST(ProfileString, WriteKeepsOtherLinesAndAddsNewKeysToTheirSection) {
    TempDir dir;
    const auto ini = dir / "lumacite.ini";
    write_file(ini, "; kept\n[form]\nzhu_top=1\n\n[other]\na=b\n");
    ASSERT_TRUE(store::write_profile_string(ini, "form", "zhu_left", "5"));
    ASSERT_TRUE(store::write_profile_string(ini, "FORM", "ZHU_TOP", "9"));
    ASSERT_TRUE(store::write_profile_string(ini, "third", "k", "v"));
    EXPECT_EQ(read_file(ini),
              "; kept\n[form]\nzhu_top=9\nzhu_left=5\n\n[other]\na=b\n[third]\nk=v\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "lumacite.ini.tmp"));
}

TEST(ProfileString, UnwritableFileReportsFailure) {
    TempDir dir;
    EXPECT_FALSE(store::write_profile_string(dir / "missing" / "lumacite.ini", "form", "a", "1"));
}

TEST(FormGeometry, DefaultsWithoutFile) {
    TempDir dir;
    const auto g = store::read_form_geometry(dir / "lumacite.ini");
    EXPECT_EQ(g, (store::FormGeometry{false, 600, 900, 70, 30}));
}

TEST(FormGeometry, NormalCloseWritesTopLeftHeightWidthInThatOrder) {
    TempDir dir;
    const auto ini = dir / "lumacite.ini";
    ASSERT_TRUE(store::write_form_geometry(ini, {false, 610, 905, 71, 31}));
    EXPECT_EQ(read_file(ini), "[form]\nzhu_top=71\nzhu_left=31\nzhu_height=610\nzhu_width=905\n");
    EXPECT_EQ(store::read_form_geometry(ini), (store::FormGeometry{false, 610, 905, 71, 31}));
}

TEST(FormGeometry, MaximisedCloseWritesZerosAndKeepsThePosition) {
    TempDir dir;
    const auto ini = dir / "lumacite.ini";
    ASSERT_TRUE(store::write_form_geometry(ini, {false, 610, 905, 71, 31}));
    ASSERT_TRUE(store::write_form_geometry(ini, {true, 1000, 1600, 0, 0}));
    EXPECT_EQ(read_file(ini), "[form]\nzhu_top=71\nzhu_left=31\nzhu_height=0\nzhu_width=0\n");
    const auto g = store::read_form_geometry(ini);
    EXPECT_TRUE(g.maximised);

    // Maximised on a first start: only the two zero keys exist.
    TempDir fresh;
    ASSERT_TRUE(store::write_form_geometry(fresh / "lumacite.ini", {true, 1, 1, 1, 1}));
    EXPECT_EQ(read_file(fresh / "lumacite.ini"), "[form]\nzhu_height=0\nzhu_width=0\n");
}

TEST(FormGeometry, ValuesThatAreNotIntegersFallBackKeyByKey) {
    TempDir dir;
    const auto ini = dir / "lumacite.ini";
    write_file(ini, "[form]\nzhu_height=abc\nzhu_width=700\nzhu_top=\nzhu_left=12.5\n");
    EXPECT_EQ(store::read_form_geometry(ini), (store::FormGeometry{false, 600, 700, 70, 30}));
    // Only the exact text "0" means maximised; a zero width alone does not.
    write_file(ini, "[form]\nzhu_height=00\nzhu_width=0\n");
    const auto g = store::read_form_geometry(ini);
    EXPECT_FALSE(g.maximised);
    EXPECT_EQ(g.height, 0);
    EXPECT_EQ(g.width, 0);
}
