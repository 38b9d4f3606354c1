#include "formats/formats.h"
#include "messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace lumacite;
using namespace lumacite::formats;
using lumacite::testing::TempDir;
using store::Definition;
using store::FormatKey;
using V = std::vector<std::string>;

namespace {

Definition row(const std::string& format, const std::string& type, const std::string& keyword,
               std::optional<int> flag) {
    Definition d;
    d.geshi = format;
    d.geshi_quancheng = format + "全称";
    d.leixing = type;
    d.guanjianzi = keyword;
    d.yueding = flag;
    return d;
}

V keywords(const std::vector<Definition>& rows) {
    V out;
    for (const auto& r : rows) {
        out.push_back(r.guanjianzi);
    }
    return out;
}

// Records every question and answers from a fixed reply.
struct Asker {
    bool reply = true;
    V asked;
    Ask fn() {
        return [this](const std::string& q) {
            asked.push_back(q);
            return reply;
        };
    }
};

class FormatCommands : public ::testing::Test {
protected:
    TempDir dir;
    store::Catalogue cat = store::Catalogue::create(dir / "velkor.exs");
    const FormatKey mine{"自建", "自建格式", "<txt>"};

    void SetUp() override {
        cat.add_definition(row("PubMed", "<xml>", "<文章节点>", 1));
        cat.add_definition(row("PubMed", "<xml>", "<主题词>", 2));
        ASSERT_TRUE(add_format(cat, mine).done());
    }
};

TEST_F(FormatCommands, NewFormatHasTheTenDefaultsInOrderWithAscendingIds) {
    const auto rows = cat.definitions("自建");
    EXPECT_EQ(keywords(rows), (V{"<文章节点>", "<文章号>", "标题", "作者", "期刊", "年代", "卷",
                                 "起始页", "截止页", "<主题词>"}));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].guanjianzi);
        if (i > 0) {
            EXPECT_GT(rows[i].id, rows[i - 1].id);
        }
        EXPECT_EQ(rows[i].geshi_quancheng, "自建格式");
        EXPECT_EQ(rows[i].leixing, "<txt>");
        EXPECT_EQ(rows[i].yueding, std::optional<int>(0));
        EXPECT_EQ(rows[i].jiedian, (std::array<std::string, 6>{}));
        EXPECT_FALSE(rows[i].pailie.has_value());
        EXPECT_FALSE(rows[i].fenge.has_value());
    }
}

TEST_F(FormatCommands, AddRefusesEmptyAndDuplicateNamesAndStoresTheNameAsTyped) {
    auto o = add_format(cat, {"   ", "x", "<xml>"});
    EXPECT_EQ(o.status, Outcome::Status::refused);
    EXPECT_EQ(o.message, "格式名称不应为空！\r");
    EXPECT_EQ(o.icon, Icon::error);
    EXPECT_FALSE(o.quiet);

    // Same name with another full name and type is still a duplicate.
    o = add_format(cat, {"自建", "别的全称", "<xml>"});
    EXPECT_EQ(o.message, "格式名称重复！\r");
    EXPECT_EQ(cat.definitions("自建").size(), 10u);
    EXPECT_EQ(cat.formats().size(), 2u);

    ASSERT_TRUE(add_format(cat, {" 空格 ", "", "<xml>"}).done());
    EXPECT_TRUE(cat.format_exists(" 空格 "));
    EXPECT_FALSE(cat.format_exists("空格"));
}

TEST_F(FormatCommands, ModifyRenamesAndRetypesEveryRowKeepingTheRest) {
    auto title = *cat.find_definition("自建", std::string("标题"));
    title.jiedian[0] = "TI";
    title.pailie = "3";
    cat.update_definition(title);

    // Renaming to its own name is no duplicate.
    EXPECT_TRUE(modify_format(cat, "自建", {"自建", "新全称", "<txt>"}).done());
    auto o = modify_format(cat, "自建", {"PubMed", "x", "<txt>"});
    EXPECT_EQ(o.message, "格式名称重复！\r");
    o = modify_format(cat, "自建", {" ", "x", "<txt>"});
    EXPECT_EQ(o.message, "格式名称不应为空！\r");

    ASSERT_TRUE(modify_format(cat, "自建", {"改名", "改后全称", "<xml>"}).done());
    EXPECT_FALSE(cat.format_exists("自建"));
    const auto rows = cat.definitions("改名");
    ASSERT_EQ(rows.size(), 10u);
    for (const auto& r : rows) {
        EXPECT_EQ(r.geshi_quancheng, "改后全称");
        EXPECT_EQ(r.leixing, "<xml>");
    }
    const auto moved = *cat.find_definition("改名", std::string("标题"));
    EXPECT_EQ(moved.id, title.id);
    EXPECT_EQ(moved.jiedian[0], "TI");
    EXPECT_EQ(moved.pailie, std::optional<std::string>("3"));
    // Listed once with its new type.
    const auto listed = cat.formats();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), FormatKey{"改名", "改后全称", "<xml>"}), 1);
}

TEST_F(FormatCommands, ModifyRefusesAFormatInUseAndTheRenameOfABuiltIn) {
    cat.add_project({"P1", "自建", ""});
    auto o = check_format_modifiable(cat, "自建");
    EXPECT_EQ(o.message, "已存在此格式类型的项目，不能在此做修改操作！");
    EXPECT_EQ(o.icon, Icon::information);
    o = modify_format(cat, "自建", {"别名", "x", "<txt>"});
    EXPECT_EQ(o.message, "已存在此格式类型的项目，不能在此做修改操作！");
    EXPECT_TRUE(cat.format_exists("自建"));

    EXPECT_FALSE(format_name_editable("PubMed"));
    EXPECT_FALSE(format_name_editable("万方"));
    EXPECT_TRUE(format_name_editable("pubmed"));
    o = modify_format(cat, "PubMed", {"PubMed2", "PubMed全称", "<xml>"});
    EXPECT_EQ(o.status, Outcome::Status::refused);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.message, "此格式类型为系统默认支持内容，不能修改名称！");
    // Full name and type of a built-in format stay editable.
    ASSERT_TRUE(modify_format(cat, "PubMed", {"PubMed", "新", "<xml>"}).done());
    EXPECT_EQ(cat.find_definition("PubMed", std::string("<主题词>"))->geshi_quancheng, "新");
}

TEST_F(FormatCommands, DeleteChecksBuiltInFirstThenProjectsThenAsks) {
    cat.add_project({"P1", "PubMed", ""});
    Asker ask;
    auto o = delete_format(cat, {"PubMed", "PubMed全称", "<xml>"}, ask.fn());
    EXPECT_EQ(o.message, "此格式类型为系统默认支持内容，不能删除！");
    EXPECT_TRUE(ask.asked.empty());

    cat.add_project({"P2", "自建", ""});
    o = delete_format(cat, mine, ask.fn());
    EXPECT_EQ(o.message, "已存在此格式类型的项目，不能在此直接删除！");
    EXPECT_EQ(o.icon, Icon::information);
    EXPECT_TRUE(ask.asked.empty());
    cat.delete_project("P2");

    ask.reply = false;
    o = delete_format(cat, mine, ask.fn());
    EXPECT_EQ(o.status, Outcome::Status::declined);
    EXPECT_EQ(ask.asked, (V{"是否确认删除当前所选择的格式类型“自建·自建格式·<txt>”吗？\r"}));
    EXPECT_EQ(cat.definitions("自建").size(), 10u);

    ask.reply = true;
    EXPECT_TRUE(delete_format(cat, mine, ask.fn()).done());
    EXPECT_FALSE(cat.format_exists("自建"));
    EXPECT_EQ(cat.definitions("PubMed").size(), 2u);
}

TEST_F(FormatCommands, PlaceholderIsMadeOnceAndReusedAfterCancel) {
    const auto first = ensure_placeholder(cat, mine);
    EXPECT_EQ(first.guanjianzi, "");
    EXPECT_EQ(first.fenge, std::optional<std::string>(";"));
    EXPECT_EQ(first.yueding, std::optional<int>(0));
    EXPECT_EQ(first.geshi_quancheng, "自建格式");
    EXPECT_EQ(first.leixing, "<txt>");
    // The dialog was cancelled: the next add reuses the same row.
    const auto second = ensure_placeholder(cat, mine);
    EXPECT_EQ(second.id, first.id);
    EXPECT_EQ(cat.definitions("自建").size(), 11u);

    const auto form = open_add(second, "<txt>");
    EXPECT_EQ(form.caption(), "增加 关键字");
    EXPECT_TRUE(form.txt_layout);
    EXPECT_EQ(form.method, 1);
    EXPECT_EQ(form.separator, ";");
    EXPECT_TRUE(form.name_enabled);
    EXPECT_EQ(open_add(second, "<xml>").txt_layout, false);
}

TEST_F(FormatCommands, StoringFillsThePlaceholderWithMethodAndSeparator) {
    struct Case {
        int method;
        const char* pailie;
        const char* fenge;
    };
    for (const Case c : {Case{1, "1", "；"}, Case{2, "2", ""}, Case{3, "3", ""}, Case{4, "4", ""},
                         Case{5, "5", "/"}}) {
        SCOPED_TRACE(c.method);
        auto form = open_add(ensure_placeholder(cat, mine), "<txt>");
        form.guanjianzi = " 关键词" + std::to_string(c.method);
        form.jiedian = {"DE", "x2", "", "", "", ""};
        form.method = c.method;
        form.separator = "；";
        const auto o = store_definition(cat, "自建", form);
        ASSERT_TRUE(o.done());
        const auto stored = *cat.find_definition("自建", o.id);
        EXPECT_EQ(stored.guanjianzi, " 关键词" + std::to_string(c.method)); // as typed
        EXPECT_EQ(stored.jiedian[0], "DE");
        EXPECT_EQ(stored.jiedian[1], "x2");
        EXPECT_EQ(stored.pailie, std::optional<std::string>(c.pailie));
        EXPECT_EQ(stored.fenge, std::optional<std::string>(c.fenge));
        EXPECT_EQ(stored.yueding, std::optional<int>(0));
        EXPECT_FALSE(cat.find_definition("自建", std::string()).has_value());
    }
}

TEST_F(FormatCommands, StoringRefusesAnEmptyNameAndIgnoresAVanishedRow) {
    auto form = open_add(ensure_placeholder(cat, mine), "<txt>");
    form.guanjianzi = " \t ";
    auto o = store_definition(cat, "自建", form);
    EXPECT_EQ(o.message, "关键字名称不应为空！\r");
    EXPECT_EQ(o.icon, Icon::error);
    EXPECT_TRUE(cat.find_definition("自建", std::string()).has_value());

    form.guanjianzi = "新";
    cat.delete_definition("自建", form.id);
    o = store_definition(cat, "自建", form);
    EXPECT_TRUE(o.done());
    EXPECT_EQ(o.id, 0);
    EXPECT_EQ(cat.definitions("自建").size(), 10u);
}

TEST(FormatDefinitions, ModifyDialogOpensWithTheStoredMethod) {
    auto d = row("F", "<txt>", "标题", 0);
    const std::vector<std::pair<std::optional<std::string>, int>> cases = {
        {"1", 1}, {"2", 2},          {"3", 3}, {"4", 4}, {"5", 5},
        {"", 5},  {std::nullopt, 5}, {"7", 5}, {"12", 5}};
    for (const auto& [pailie, method] : cases) {
        d.pailie = pailie;
        EXPECT_EQ(open_modify(d).method, method) << pailie.value_or("<none>");
    }
    d.fenge = "|";
    const auto f = open_modify(d);
    EXPECT_EQ(f.caption(), "修改 关键字");
    EXPECT_EQ(f.separator, "|");
    EXPECT_TRUE(f.txt_layout);
    EXPECT_TRUE(f.name_enabled);

    d.leixing = "<xml>";
    d.pailie = "4";
    EXPECT_EQ(open_modify(d).method, 1);
    EXPECT_FALSE(open_modify(d).txt_layout);
}

TEST(FormatDefinitions, ReservedAndSubjectHeadingNamesAreDisabled) {
    EXPECT_FALSE(open_modify(row("F", "<txt>", "<文章号>", 0)).name_enabled);
    EXPECT_FALSE(open_modify(row("F", "<xml>", "a<b", 0)).name_enabled);

    const auto heading = open_modify(row("P", "<xml>", "主题", 2));
    EXPECT_FALSE(heading.name_enabled);
    EXPECT_TRUE(heading.subject_heading_labels);
    // Only an XML format's flag-2 row is relabelled.
    const auto txt_heading = open_modify(row("W", "<txt>", "主题", 2));
    EXPECT_TRUE(txt_heading.name_enabled);
    EXPECT_FALSE(txt_heading.subject_heading_labels);
    EXPECT_FALSE(open_modify(row("P", "<xml>", "主题", 0)).subject_heading_labels);
}

TEST_F(FormatCommands, ModifyKeepsReservedNamesAndXmlAlwaysStoresMethodOne) {
    auto article = open_modify(*cat.find_definition("自建", std::string("<文章号>")));
    article.guanjianzi = "文章号";
    auto o = store_definition(cat, "自建", article);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.message, "此关键字名称为系统约定内容，不能修改！");
    EXPECT_TRUE(cat.find_definition("自建", std::string("<文章号>")).has_value());

    auto title = open_modify(*cat.find_definition("自建", std::string("标题")));
    title.guanjianzi = "题名";
    ASSERT_TRUE(store_definition(cat, "自建", title).done());
    EXPECT_EQ(cat.find_definition("自建", title.id)->guanjianzi, "题名");

    auto heading = open_modify(*cat.find_definition("PubMed", std::string("<主题词>")));
    heading.jiedian = {"MeshHeadingList", "MeshHeading",   "",
                       "DescriptorName",  "QualifierName", "MajorTopicYN"};
    heading.method = 3; // not offered for XML; stored as 1 all the same
    heading.separator = ",";
    o = store_definition(cat, "PubMed", heading);
    ASSERT_TRUE(o.done());
    const auto stored = *cat.find_definition("PubMed", o.id);
    EXPECT_EQ(stored.pailie, std::optional<std::string>("1"));
    EXPECT_EQ(stored.fenge, std::optional<std::string>(","));
    EXPECT_EQ(stored.jiedian[5], "MajorTopicYN");
    EXPECT_EQ(stored.yueding, std::optional<int>(2));
    EXPECT_EQ(stored.leixing, "<xml>");
}

TEST_F(FormatCommands, DeleteDefinitionSkipsFlaggedRowsAndAsksForOthers) {
    const FormatKey pubmed{"PubMed", "PubMed全称", "<xml>"};
    Asker ask;
    for (const char* name : {"<文章节点>", "<主题词>"}) {
        const auto flagged = *cat.find_definition("PubMed", std::string(name));
        const auto o = delete_definition(cat, pubmed, flagged, ask.fn());
        EXPECT_EQ(o.status, Outcome::Status::refused);
        EXPECT_TRUE(o.quiet);
        EXPECT_EQ(o.message, "此关键字定义为系统约定内容，不能删除！");
    }
    EXPECT_TRUE(ask.asked.empty());
    EXPECT_EQ(cat.definitions("PubMed").size(), 2u);

    // A row without a flag counts as ordinary.
    const long long bare = cat.add_definition(row("PubMed", "<xml>", "无标记", std::nullopt));
    ask.reply = false;
    auto o = delete_definition(cat, pubmed, *cat.find_definition("PubMed", bare), ask.fn());
    EXPECT_EQ(o.status, Outcome::Status::declined);
    EXPECT_EQ(
        ask.asked,
        (V{"是否确认删除当前所选择的格式类型“PubMed·PubMed全称·<xml>”中的关键字“无标记”吗？\r"}));
    ask.reply = true;
    EXPECT_TRUE(
        delete_definition(cat, pubmed, *cat.find_definition("PubMed", bare), ask.fn()).done());
    EXPECT_FALSE(cat.find_definition("PubMed", bare).has_value());

    // A placeholder can be deleted.
    const auto placeholder = ensure_placeholder(cat, mine);
    EXPECT_TRUE(delete_definition(cat, mine, placeholder, ask.fn()).done());
    EXPECT_EQ(cat.definitions("自建").size(), 10u);
}

// A "·" in a name or full name would make the format's entry ambiguous: refused when
// adding and when modifying, with nothing stored.
TEST_F(FormatCommands, MiddleDotInNameOrFullNameIsRefused) {
    for (const FormatKey& key :
         {FormatKey{"A·B", "全称", "<txt>"}, FormatKey{"AB", "it's · odd", "<xml>"}}) {
        const auto o = add_format(cat, key);
        EXPECT_EQ(o.status, Outcome::Status::refused);
        EXPECT_EQ(o.message, "格式名称或格式全称不应包含“·”！\r");
        EXPECT_EQ(o.icon, Icon::error);
        EXPECT_FALSE(cat.format_exists(key.geshi));
    }
    const auto o = modify_format(cat, "自建", {"自建", "新·全称", "<txt>"});
    EXPECT_EQ(o.status, Outcome::Status::refused);
    EXPECT_EQ(o.message, "格式名称或格式全称不应包含“·”！\r");
    EXPECT_EQ(cat.definitions("自建").front().geshi_quancheng, "自建格式");
}

TEST_F(FormatCommands, QuotesInNamesAreHarmless) {
    const FormatKey quoted{"O'Neil", "it's odd", "<txt>"};
    ASSERT_TRUE(add_format(cat, quoted).done());
    auto form = open_add(ensure_placeholder(cat, quoted), "<txt>");
    form.guanjianzi = "a'b";
    ASSERT_TRUE(store_definition(cat, "O'Neil", form).done());
    const auto list = project_keyword_list(cat, "O'Neil");
    ASSERT_EQ(list.size(), 17u); // nine names, six heading keys, a'b, 第一作者
    EXPECT_EQ(list[15], "a'b");
    ASSERT_TRUE(modify_format(cat, "O'Neil", {"O''Neil", "x'", "<txt>"}).done());
    Asker ask;
    const auto stored = *cat.find_definition("O''Neil", std::string("a'b"));
    EXPECT_TRUE(delete_definition(cat, {"O''Neil", "x'", "<txt>"}, stored, ask.fn()).done());
    EXPECT_TRUE(delete_format(cat, {"O''Neil", "x'", "<txt>"}, ask.fn()).done());
    EXPECT_FALSE(cat.format_exists("O''Neil"));
    EXPECT_EQ(cat.definitions("自建").size(), 10u);
}

TEST(FormatEntry, TakesTheEntryApartAtTheFirstDots) {
    EXPECT_EQ(parse_format_entry("A·B·<txt>"), (FormatKey{"A", "B", "<txt>"}));
    EXPECT_EQ(make_format_entry({"A", "B", "<txt>"}), "A·B·<txt>");
    // A full name with a dot: the type is what follows the second dot.
    EXPECT_EQ(parse_format_entry(make_format_entry({"A", "B·C", "<xml>"})),
              (FormatKey{"A", "B", "C·<xml>"}));
    EXPECT_EQ(parse_format_entry(""), (FormatKey{}));
    EXPECT_EQ(parse_format_entry("A"), (FormatKey{"A", "", ""}));
}

} // namespace
