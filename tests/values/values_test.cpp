// The values grid's rows and orders, the six value operations with their refusals and
// per-row semantics, and value removal in its three scopes, on real workspace tables.
#include "messages.h"
#include "store/workspace.h"
#include "support/temp_dir.h"
#include "value_table.h"
#include "values/values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace lumacite;
using namespace lumacite::values;
using lumacite::testing::TempDir;
using V = std::vector<std::string>;

namespace {

const std::string four_byte = "\xF0\xA0\x80\x80"; // U+20000, four bytes in GB18030
const std::string plus_all = "全部主题词＋副主题词";
const std::string plus_major = "主要主题词＋副主题词";
const std::string plus_minor = "次要主题词＋副主题词";
const std::string minus_major = "主要主题词－副主题词";

// ---- One value ------------------------------------------------------------------------

struct ValueCase {
    const char* name;
    Operation operation;
    std::string before;
    std::optional<std::string> after; // nullopt: the row is left alone
};

TEST(OperationValue, EachOperationOnLatinAndGb18030Text) {
    const std::vector<ValueCase> cases = {
        {"cut keeps both blanks", CutBetween{"(", ")"}, "Smith (ed.) J", "Smith  J"},
        {"cut marks in the wrong order", CutBetween{")", "("}, "Smith (ed.) J", std::nullopt},
        {"cut without the end mark", CutBetween{"(", ")"}, "Smith (ed J", std::nullopt},
        {"cut two-byte marks go whole", CutBetween{"（", "）"}, "张三（主编）李", "张三李"},
        {"cut around four-byte text", CutBetween{"[", "]"}, four_byte + "[x" + four_byte + "]b",
         four_byte + "b"},
        {"replace again from the start", Replace{"aa", "a"}, "aaaa", "a"},
        {"replace leaves a row without the text", Replace{"x", "y"}, "aaaa", std::nullopt},
        {"replace gb18030", Replace{"中", four_byte}, "中文中", four_byte + "文" + four_byte},
        {"upper case touches ascii only", ChangeCase{true}, "ab中c" + four_byte + "d",
         "AB中C" + four_byte + "D"},
        {"lower case", ChangeCase{false}, "Müller ÄB", "müller Äb"},
        {"strip letters", Strip{true}, "abc[1]{2}", "[1]{2}"},
        {"strip digits", Strip{false}, "a1中2" + four_byte + "3", "a中" + four_byte},
        {"keep 3 to 5", KeepRange{"3", "5"}, "abcdefg", "cde"},
        {"keep 3 to 5 of a short value", KeepRange{"3", "5"}, "ab", ""},
        {"keep drops a character cut at the start", KeepRange{"2", "5"}, "中文abc", "文a"},
        {"keep drops a character cut at the end", KeepRange{"1", "3"}, "中文abc", "中"},
        {"keep a four-byte character whole", KeepRange{"1", "4"}, four_byte + "a", four_byte},
        {"keep no half of a four-byte character", KeepRange{"2", "5"}, four_byte + "a", "a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(operation_value(c.operation, c.before), c.after) << c.name;
    }
}

TEST(OperationValue, ReplacementThatKeepsGrowingStopsWithinTheField) {
    const auto grown = operation_value(Replace{"ab", "bbaa"}, "aab");
    ASSERT_TRUE(grown.has_value());
    EXPECT_GT(grown->size(), 200u);
    EXPECT_LE(stored_value(*grown).size(), 254u);
    EXPECT_EQ(stored_value(std::string(300, 'x') + "  "), std::string(254, 'x'));
    EXPECT_EQ(stored_value(std::string(253, 'x') + "中"), std::string(253, 'x'));
}

TEST(CheckOperation, RefusalsWithTheirMessagesInOrder) {
    struct Case {
        Operation operation;
        Check::Status status;
        std::string message;
    };
    const auto refused = Check::Status::refused;
    const std::vector<Case> cases = {
        {SetValue{"A", "x", "O'Hara", false}, refused, msg::value_has_quote},
        {SetValue{"A", "x", "", true}, Check::Status::ready, ""},
        {CutBetween{" ", ")"}, refused, msg::marks_both_needed},
        {CutBetween{"'", "'"}, Check::Status::ready, ""},
        {Replace{"", "'"}, refused, msg::find_text_needed},
        {Replace{"a", "it's"}, refused, msg::value_has_quote},
        {Replace{"a", "a"}, Check::Status::idle, ""},
        {KeepRange{"", "5"}, refused, msg::range_both_positive},
        {KeepRange{"3", "0"}, refused, msg::range_both_positive},
        {KeepRange{"x", "2"}, refused, msg::range_both_positive},
        {KeepRange{"5", "3"}, refused, msg::range_end_before_start},
        {KeepRange{"3", "3"}, Check::Status::ready, ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Check check = check_operation(cases[i].operation);
        EXPECT_EQ(check.status, cases[i].status) << i;
        EXPECT_EQ(check.message, cases[i].message) << i;
    }
}

TEST(ValueSteps, StatementsOfOneArticleChainInGridOrder) {
    // Keeping positions 3 to 5: "abcdefg" -> "cde", "cde" -> "e". Whichever row comes
    // first decides whether the first row's new value is matched again.
    ValueSteps long_first;
    long_first.add("A", "abcdefg", "cde");
    long_first.add("A", "cde", "e");
    EXPECT_EQ(long_first.final_value("A", "abcdefg"), "e");
    EXPECT_EQ(long_first.final_value("A", "cde"), "e");
    EXPECT_EQ(long_first.final_value("B", "abcdefg"), std::nullopt);

    ValueSteps short_first;
    short_first.add("A", "cde", "e");
    short_first.add("A", "abcdefg", "cde");
    EXPECT_EQ(short_first.final_value("A", "abcdefg"), "cde");
    EXPECT_EQ(short_first.final_value("A", "cde"), "e");

    // Rows may come back to the value they started with, and move on again from there.
    ValueSteps back;
    back.add("A", "x", "y");
    back.add("A", "y", "x");
    EXPECT_EQ(back.final_value("A", "x"), std::nullopt);
    EXPECT_EQ(back.final_value("A", "y"), "x");
    back.add("A", "x", "z");
    EXPECT_EQ(back.final_value("A", "x"), "z");
    EXPECT_EQ(back.final_value("A", "y"), "z");
}

// ---- On a workspace -----------------------------------------------------------------------

using lumacite::testing::Stored;

class ValuesOnTable : public lumacite::testing::ValueTable {
protected:
    GridQuery query(const std::string& keyword, long long xuhao = 1,
                    const std::string& type = "<txt>") {
        return {"P1", xuhao, keyword, type, std::nullopt, Sort::none};
    }
    std::vector<std::string> shown(const GridQuery& q) {
        std::vector<std::string> out;
        for (const auto& r : grid_rows(*ws, q)) {
            out.push_back(r.wenzhangha + "|" + r.zhi);
        }
        return out;
    }
    EditResult edit(const GridQuery& q, const Operation& op) {
        const auto rows = grid_rows(*ws, q);
        return apply_operation(*ws, q, rows, op);
    }
};

TEST_F(ValuesOnTable, GridRowsFilterAndSortInTextOrder) {
    // 啊 (GB18030 B0A1) comes before 吧 (B0C9), although U+5427 comes before U+554A.
    add({{1, "A1", "作者", "吧"},
         {1, "A1", "期刊", "x"},
         {2, "A1", "作者", "吧"},
         {1, "A2", "作者", "啊"},
         {1, "A3", "作者", "吧"},
         {1, "A4", "作者", "Zed"}});
    EXPECT_EQ(shown(query("作者")), (V{"A1|吧", "A2|啊", "A3|吧", "A4|Zed"}));
    auto q = query("作者");
    q.sort = Sort::ascending;
    EXPECT_EQ(shown(q), (V{"A4|Zed", "A2|啊", "A1|吧", "A3|吧"}));
    q.sort = Sort::descending; // equal values keep table order
    EXPECT_EQ(shown(q), (V{"A1|吧", "A3|吧", "A2|啊", "A4|Zed"}));
    q.same_value = "吧";
    EXPECT_EQ(shown(q), (V{"A1|吧", "A3|吧"}));
    q.same_value = "nothing";
    EXPECT_EQ(shown(q), V{});
    EXPECT_EQ(locate_row(grid_rows(*ws, query("作者")), "A3"), 2u);
    EXPECT_EQ(locate_row(grid_rows(*ws, query("作者")), "A3", std::string("啊")), std::nullopt);
}

TEST_F(ValuesOnTable, MergedHeadingsOfXmlListDistinctPairsOfTheirSign) {
    add({{1, "A1", plus_major, "D / q"},
         {1, "A1", plus_minor, "D / q"},
         {1, "A1", minus_major, "D"},
         {1, "A2", plus_minor, "E"},
         {1, "A1", plus_major, "D / q"},
         {1, "A3", plus_all, "F"}});
    EXPECT_EQ(shown(query(plus_all, 1, "<xml>")), (V{"A1|D / q", "A2|E"}));
    // A tagged-text project stores the merged keys under their own names.
    EXPECT_EQ(shown(query(plus_all, 1, "<txt>")), V{"A3|F"});
    auto same = query(plus_all, 1, "<txt>");
    same.same_value = "F";
    EXPECT_EQ(shown(same), V{"A3|F"});
}

TEST_F(ValuesOnTable, SameValueChangeWithAndWithoutBatch) {
    add({{1, "A1", "作者", "Li"},
         {1, "A1", "作者", "Li"},
         {1, "A2", "作者", "Li"},
         {2, "A1", "作者", "Li"},
         {1, "A1", "期刊", "Li"}});
    const EditResult one = edit(query("作者"), SetValue{"A1", "Li", "Li M", false});
    EXPECT_EQ(one.rows_changed, 1u);
    EXPECT_EQ(shown(query("作者")), (V{"A1|Li M", "A1|Li", "A2|Li"}));

    const EditResult batch = edit(query("作者"), SetValue{"A1", "Li", "李明" + four_byte, true});
    EXPECT_EQ(batch.rows_changed, 2u);
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", "作者", "Li M"},
                                            {1, "A1", "作者", "李明" + four_byte},
                                            {1, "A2", "作者", "李明" + four_byte},
                                            {2, "A1", "作者", "Li"},
                                            {1, "A1", "期刊", "Li"}}));

    const EditResult refused = edit(query("作者"), SetValue{"A1", "Li M", "O'Hara", false});
    EXPECT_EQ(refused.check.message, msg::value_has_quote);
    EXPECT_EQ(refused.rows_changed, 0u);
}

TEST_F(ValuesOnTable, OperationsActOnTheRowsTheFilterShowsAndEveryEqualRowOfTheArticle) {
    add({{1, "A1", "作者", "abc1"},
         {1, "A1", "作者", "xyz2"},
         {1, "A2", "作者", "abc1"},
         {1, "A2", "作者", "abc1"},
         {2, "A2", "作者", "abc1"}});
    auto q = query("作者");
    q.same_value = "abc1";
    q.sort = Sort::descending;
    const EditResult r = edit(q, ChangeCase{true});
    EXPECT_EQ(r.rows_changed, 3u);
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", "作者", "ABC1"},
                                            {1, "A1", "作者", "xyz2"},
                                            {1, "A2", "作者", "ABC1"},
                                            {1, "A2", "作者", "ABC1"},
                                            {2, "A2", "作者", "abc1"}}));
    // Rows the operation leaves alone (no marks) are not written.
    EXPECT_EQ(edit(query("作者"), CutBetween{"(", ")"}).rows_changed, 0u);
    EXPECT_EQ(edit(query("作者"), Replace{"B", "B"}).check.status, Check::Status::idle);
}

TEST_F(ValuesOnTable, PerRowStatementsChainAsTheGridOrdersThem) {
    add({{1, "A1", "作者", "abcdefg"}, {1, "A1", "作者", "cde"}, {1, "A2", "作者", "cde"}});
    auto q = query("作者");
    q.sort = Sort::descending; // "cde" before "abcdefg": each row is cut once
    EXPECT_EQ(edit(q, KeepRange{"3", "5"}).rows_changed, 3u);
    EXPECT_EQ(shown(query("作者")), (V{"A1|cde", "A1|e", "A2|e"}));
}

TEST_F(ValuesOnTable, MergedHeadingsOfXmlAreEditedAndRemovedOnTheirStoredRows) {
    add({{1, "A1", plus_major, "D / q"},
         {1, "A1", plus_minor, "D / q"},
         {1, "A1", minus_major, "D / q"},
         {1, "A2", plus_minor, "E / r"},
         {2, "A9", plus_minor, "E / r"}});
    const auto q = query(plus_all, 1, "<xml>");
    EXPECT_EQ(edit(q, SetValue{"A1", "D / q", "D / Q", false}).rows_changed, 2u);
    EXPECT_EQ(edit(q, Replace{" / ", "/"}).rows_changed, 3u);
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", plus_major, "D/Q"},
                                            {1, "A1", plus_minor, "D/Q"},
                                            {1, "A1", minus_major, "D / q"},
                                            {1, "A2", plus_minor, "E/r"},
                                            {2, "A9", plus_minor, "E / r"}}));

    const auto rows = grid_rows(*ws, q);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(remove_values(*ws, q, rows, 0, RemovalScope::one), 2u);
    EXPECT_EQ(remove_values(*ws, q, grid_rows(*ws, q), 0, RemovalScope::same), 1u);
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A1", minus_major, "D / q"},
                                            {2, "A9", plus_minor, "E / r"}}));
}

TEST_F(ValuesOnTable, RemovalScopes) {
    add({{1, "A1", "作者", "Li"},
         {1, "A2", "作者", "Wang"},
         {1, "A2", "作者", "Li"},
         {1, "A3", "作者", "Zhao"},
         {2, "B1", "作者", "Li"},
         {1, "A3", "期刊", "Li"},
         {1, "A4", "作者", "Li"}});
    const auto q = query("作者");
    // "全部相同的值": every document; the shown document then counts its own rows.
    EXPECT_EQ(remove_values(*ws, q, grid_rows(*ws, q), 2, RemovalScope::same), 4u);
    EXPECT_EQ(shown(q), (V{"A2|Wang", "A3|Zhao"}));
    EXPECT_EQ(ws->value_record_count(), 3u); // packed
    EXPECT_EQ(table().back(), (Stored{1, "A3", "期刊", "Li"}));
}

TEST_F(ValuesOnTable, RemovalOfOneRowAndOfTheRowsBelowInGridOrder) {
    add({{1, "A1", "作者", "Li"},
         {1, "A1", "作者", "Li"},
         {1, "A2", "作者", "Wu"},
         {1, "A3", "作者", "Chen"},
         {1, "A4", "作者", "Bo"},
         {2, "A4", "作者", "Bo"}});
    auto q = query("作者");
    // The first row: only one of the article's two equal rows goes.
    EXPECT_EQ(remove_values(*ws, q, grid_rows(*ws, q), 0, RemovalScope::one), 1u);
    EXPECT_EQ(shown(q), (V{"A1|Li", "A2|Wu", "A3|Chen", "A4|Bo"}));
    // Sorted ascending: Bo, Chen, Li, Wu; from "Chen" on, Chen, Li and Wu go.
    q.sort = Sort::ascending;
    EXPECT_EQ(remove_values(*ws, q, grid_rows(*ws, q), 1, RemovalScope::below), 3u);
    EXPECT_EQ(shown(q), V{"A4|Bo"});
    EXPECT_EQ(table(), (std::vector<Stored>{{1, "A4", "作者", "Bo"}, {2, "A4", "作者", "Bo"}}));
    EXPECT_EQ(ws->value_record_count(), 2u);
}

} // namespace
