// Thesaurus files (faults by line, removal, no chains, labels matching nothing, folding,
// merged subject headings, the preview equal to what is applied) and similar-value groups.
#include "messages.h"
#include "store/workspace.h"
#include "support/temp_dir.h"
#include "text/text.h"
#include "value_table.h"
#include "values/cleaning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lumacite;
using namespace lumacite::values;
using lumacite::testing::TempDir;

namespace {

using Faults = std::vector<ThesaurusFault>;
using Entries = std::vector<ThesaurusEntry>;

// ---- Reading a thesaurus ---------------------------------------------------------------

TEST(ParseThesaurus, EntriesOfACleanFile) {
    // CR LF and LF, a blank line, empty trailing columns, blanks around cells, an
    // apostrophe, a GB18030 line among UTF-8 ones, a repeated line.
    const std::string file = "Label\tReplace By\r\n"
                             " aids \tAIDS\r\n"
                             "\r\n"
                             "O'Brien J\tO'Brien JA\t\t\n"
                             "obsolete\t\n" +
                             text::utf8_to_gb18030("计算机网络\t计算机通信网") + "\n" +
                             "aids\tAIDS\n";
    const Thesaurus t = parse_thesaurus(file, false);
    EXPECT_EQ(t.faults, Faults{});
    EXPECT_EQ(t.entries, (Entries{{2, "aids", "AIDS"},
                                  {4, "O′Brien J", "O′Brien JA"},
                                  {5, "obsolete", ""},
                                  {6, "计算机网络", "计算机通信网"}}));
}

TEST(ParseThesaurus, EveryFaultWithItsLine) {
    const std::string file = "label\treplace\n" // wrong header
                             "a\tb\n"
                             "no tab here\n"
                             "x\ty\tz\n"
                             " \tempty label\n"
                             "a\tc\n"  // a again, another replacement
                             "A\tB\n"; // another label without folding
    const Thesaurus exact = parse_thesaurus(file, false);
    EXPECT_EQ(exact.faults, (Faults{{1, msg::thesaurus_bad_header},
                                    {3, msg::thesaurus_no_tab},
                                    {4, msg::thesaurus_extra_column},
                                    {5, msg::thesaurus_empty_label},
                                    {6, "与第2行的“label”相同，“replace by”却不同"}}));
    EXPECT_EQ(exact.entries.size(), 2u);
    // Folded, "A" is "a" again.
    const Thesaurus folded = parse_thesaurus(file, true);
    ASSERT_EQ(folded.faults.size(), 6u);
    EXPECT_EQ(folded.faults[5], (ThesaurusFault{7, "与第2行的“label”相同，“replace by”却不同"}));

    EXPECT_EQ(fault_report(exact).substr(0, fault_report(exact).find('\n')), msg::thesaurus_faults);
    EXPECT_NE(fault_report(exact).find("\n第3行：" + std::string(msg::thesaurus_no_tab) + "\n"),
              std::string::npos);

    EXPECT_EQ(parse_thesaurus("", false).faults, (Faults{{1, msg::thesaurus_empty_file}}));
    EXPECT_EQ(parse_thesaurus("\n  \n", false).faults, (Faults{{1, msg::thesaurus_empty_file}}));
    EXPECT_EQ(parse_thesaurus("\nlabel\treplace by\n\n", false).faults,
              (Faults{{2, msg::thesaurus_no_entries}}));
}

TEST(ParseThesaurus, MergedValuesRoundTripThroughAFile) {
    const std::vector<Merge> merges = {{{"Muller", "Müller", "MULLER"}, "Müller"},
                                       {{"a\tb", "ab"}, "AB"}};
    const Entries entries = merge_entries(merges);
    EXPECT_EQ(entries,
              (Entries{{2, "Muller", "Müller"}, {3, "MULLER", "Müller"}, {4, "ab", "AB"}}));
    TempDir dir;
    save_thesaurus(dir / "t.txt", entries);
    const Thesaurus back = read_thesaurus(dir / "t.txt", false);
    EXPECT_EQ(back.faults, Faults{});
    EXPECT_EQ(back.entries, entries);
    EXPECT_EQ(thesaurus_of(entries).entries, entries);
    EXPECT_THROW(read_thesaurus(dir / "missing.txt", false), std::runtime_error);
    EXPECT_THROW(save_thesaurus(dir / "no" / "t.txt", entries), std::runtime_error);
}

// ---- Applying a thesaurus -----------------------------------------------------------------

using lumacite::testing::Stored;

class ThesaurusOnTable : public lumacite::testing::ValueTable {
protected:
    // Previews, applies and checks that the preview said what was done.
    ThesaurusOutcome run(const std::string& file, const ThesaurusScope& scope, bool fold = false) {
        const Thesaurus t = parse_thesaurus(file, fold);
        EXPECT_EQ(t.faults, Faults{});
        NullProgress progress;
        const ThesaurusOutcome preview = preview_thesaurus(*ws, scope, t, progress);
        const ThesaurusOutcome applied = apply_thesaurus(*ws, scope, t, progress);
        EXPECT_EQ(preview, applied);
        return applied;
    }
};

TEST_F(ThesaurusOnTable, RemovalChainAndUnmatchedLabelInOnePass) {
    add({{1, "A1", "作者", "A"},
         {1, "A1", "作者", "B"},
         {1, "A2", "期刊", "A"}, // another keyword
         {2, "A3", "作者", "A"},
         {2, "A3", "作者", "Gone"},
         {2, "A4", "作者", "B"},
         {2, "A4", "作者", "C"}});
    const auto out = run("label\treplace by\n"
                         "B\tC\n" // a row of A becomes B, not C: each row is looked up once
                         "A\tB\n"
                         "Gone\t\n"
                         "Nowhere\tX\n"
                         "C\tC\n",
                         {"P1", "作者", "<txt>", std::nullopt});
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", "作者", "B"},
                                            {1, "A1", "作者", "C"},
                                            {1, "A2", "期刊", "A"},
                                            {2, "A3", "作者", "B"},
                                            {2, "A4", "作者", "C"},
                                            {2, "A4", "作者", "C"}}));
    EXPECT_EQ(out.changes, (std::vector<ThesaurusChange>{
                               {"B", "C", 2, 2}, {"A", "B", 3, 2}, {"Gone", "", 4, 1}}));
    EXPECT_EQ(out.rows_per_entry, (std::vector<std::uint64_t>{2, 2, 1, 0, 0}));
    EXPECT_EQ(out.rows_changed, 4u);
    EXPECT_EQ(out.rows_removed, 1u);
    EXPECT_EQ(ws->value_record_count(), 6u); // packed

    // Nothing matching: the table file is left as it was.
    const auto before = std::filesystem::last_write_time(ws->zidian_path());
    const auto none = run("label\treplace by\nNowhere\tX\n", {"P1", "作者", "<txt>", std::nullopt});
    EXPECT_TRUE(none.changes.empty());
    EXPECT_EQ(std::filesystem::last_write_time(ws->zidian_path()), before);
}

TEST_F(ThesaurusOnTable, OneDocumentAndFoldedMatching) {
    add({{1, "A1", "关键词", "Aids"},
         {1, "A2", "关键词", " AIDS"},
         {1, "A2", "关键词", "aids care"},
         {2, "A3", "关键词", "aids"}});
    const auto out = run("label\treplace by\naids\tAIDS\n", {"P1", "关键词", "<txt>", 1}, true);
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", "关键词", "AIDS"},
                                            {1, "A2", "关键词", "AIDS"},
                                            {1, "A2", "关键词", "aids care"},
                                            {2, "A3", "关键词", "aids"}}));
    EXPECT_EQ(out.changes,
              (std::vector<ThesaurusChange>{{" AIDS", "AIDS", 2, 1}, {"Aids", "AIDS", 2, 1}}));
    // Exact matching leaves "Aids" of document 2 alone.
    add({{2, "A4", "关键词", "Aids"}});
    const auto exact = run("label\treplace by\naids\tAIDS\n", {"P1", "关键词", "<txt>", 2});
    EXPECT_EQ(exact.changes, (std::vector<ThesaurusChange>{{"aids", "AIDS", 2, 1}}));
}

TEST_F(ThesaurusOnTable, MergedHeadingsActOnTheirMajorAndMinorRows) {
    const std::string all = "全部主题词＋副主题词";
    const std::string major = "主要主题词＋副主题词";
    const std::string minor = "次要主题词＋副主题词";
    const std::string minus = "主要主题词－副主题词";
    add({{1, "A1", major, "Neoplasms / therapy"},
         {1, "A1", minor, "Neoplasms / therapy"},
         {1, "A2", minor, "Neoplasms / therapy"},
         {1, "A2", minus, "Neoplasms / therapy"}});
    const auto out = run("label\treplace by\nNeoplasms / therapy\tNeoplasms / drug therapy\n",
                         {"P1", all, "<xml>", std::nullopt});
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", major, "Neoplasms / drug therapy"},
                                            {1, "A1", minor, "Neoplasms / drug therapy"},
                                            {1, "A2", minor, "Neoplasms / drug therapy"},
                                            {1, "A2", minus, "Neoplasms / therapy"}}));
    EXPECT_EQ(out.rows_changed, 3u); // stored rows
}

// ---- Similar values -----------------------------------------------------------------------

TEST(SimilarityKey, FoldsLatinAndWidthOnlyForChinese) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Müller, Hans-Peter", "mullerhanspeter"},
        {"MULLER  HANS PETER.", "mullerhanspeter"},
        {"Ｍｕｌｌｅｒ　Ｈ", "mullerh"},
        {"Straße", "strasse"},
        {"Łódź", "lodz"},
        {"Se\xCC\x81rgio", "sergio"}, // combining acute accent
        {"O′Brien", "obrien"},
        {"ＡＩ技术", "AI技术"},
        {"计算机 网络", "计算机 网络"},
        {"Ａ、Ｂ", "ab"}, // no Chinese character: CJK punctuation goes
        {"--", ""},
    };
    for (const auto& [value, key] : cases) {
        EXPECT_EQ(similarity_key(value), key) << value;
    }
}

std::vector<std::string> shown(const std::vector<SimilarGroup>& groups) {
    std::vector<std::string> out;
    for (const auto& g : groups) {
        std::string line = g.likeness == Likeness::same ? "same:" : "initials:";
        for (const auto& m : g.members) {
            line += " " + m.zhi + "=" + std::to_string(m.cishu);
        }
        out.push_back(line);
    }
    return out;
}

TEST(SimilarGroups, CaseWidthDiacriticsAndChineseLeftAlone) {
    const std::vector<ValueCount> values = {{"AI技术", 2},
                                            {"Deep learning", 1},
                                            {"Müller H", 3},
                                            {"Muller H", 5},
                                            {"deep-learning", 4},
                                            {"MULLER H.", 5},
                                            {"ＡＩ技术", 1},
                                            {"人工 智能", 1},
                                            {"人工智能", 9},
                                            {"--", 1},
                                            {"-", 1},
                                            {"DEEP LEARNING", 4}};
    EXPECT_EQ(shown(similar_groups(values, false)),
              (std::vector<std::string>{
                  "same: MULLER H.=5 Muller H=5 Müller H=3",
                  "same: DEEP LEARNING=4 deep-learning=4 Deep learning=1",
                  "same: AI技术=2 ＡＩ技术=1",
              }));
}

TEST(SimilarGroups, AuthorInitialsFormWeakerGroups) {
    const std::vector<ValueCount> values = {{"Smith J", 2},   {"Smith JA", 6}, {"Smith, J.A.", 1},
                                            {"Smith JAB", 1}, {"Wang X", 3},   {"Wang XY", 1},
                                            {"Wang XZ", 2}, // "Wang X" could be either
                                            {"Li Na", 4},     {"Li N", 1},     {"Jones A", 1},
                                            {"SMITH JA", 1},  {"张 J", 1},     {"张 JA", 1}};
    EXPECT_EQ(shown(similar_groups(values, false)),
              (std::vector<std::string>{"same: Smith JA=6 SMITH JA=1 Smith, J.A.=1"}));
    EXPECT_EQ(shown(similar_groups(values, true)),
              (std::vector<std::string>{
                  "initials: Smith JA=6 Smith J=2 SMITH JA=1 Smith JAB=1 Smith, J.A.=1"}));
}

} // namespace
