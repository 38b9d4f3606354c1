// The format and keyword-definition commands of lumacite-cli.
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using lumacite::testing::CliResult;
using lumacite::testing::run_cli;
using lumacite::testing::TempDir;

namespace {

class FormatsCli : public ::testing::Test {
protected:
    TempDir dir;

    CliResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", dir.path().string()});
        return run_cli(args);
    }
    // The definitions of a format as "keyword|node1|...|node6|pailie|fenge|yueding" lines.
    std::vector<std::string> rows(const std::string& format) {
        const auto r = cli({"definitions", format});
        std::vector<std::string> out;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) {
            line = line.substr(line.find('\t') + 1); // without the id
            for (auto& c : line) {
                if (c == '\t') {
                    c = '|';
                }
            }
            out.push_back(line);
        }
        return out;
    }
    std::string id_of(const std::string& format, const std::string& keyword) {
        const auto r = cli({"definitions", format});
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            if (line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1) == keyword) {
                return line.substr(0, tab);
            }
        }
        return {};
    }
};

TEST_F(FormatsCli, AddListsTheNewFormatAndRefusesDuplicates) {
    auto r = cli({"format", "add", "T'x", "--full", "自建", "--type", "<txt>"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(cli({"formats"}).out.find("T'x·自建·<txt>\n"), std::string::npos);
    EXPECT_EQ(rows("T'x").size(), 10u);
    EXPECT_EQ(rows("T'x").front(), "<文章节点>|||||||||0");

    r = cli({"format", "add", "T'x", "--full", "别的", "--type", "<xml>"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "格式名称重复！\n");
    r = cli({"format", "add", "  ", "--type", "<xml>"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "格式名称不应为空！\n");
    r = cli({"format", "add", "Y", "--type", "xml"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_FALSE(cli({"formats"}).out.find("Y·") != std::string::npos);
    // A "·" would make the entry ambiguous.
    r = cli({"format", "add", "Y", "--full", "甲·乙", "--type", "<xml>"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "格式名称或格式全称不应包含“·”！\n");
    EXPECT_EQ(cli({"definitions", "Y"}).exit_code, 2);
}

// Every table output escapes alike: a format entry and a keyword with a line break, a tab,
// a backslash or a control character stay one line, as project descriptions always did.
TEST_F(FormatsCli, EveryListEscapesTheSameWay) {
    ASSERT_EQ(
        cli({"format", "add", "N\nL", "--full", "F\tx\\\x01\x7F", "--type", "<txt>"}).exit_code, 0);
    EXPECT_NE(cli({"formats"}).out.find("N\\nL·F\\tx\\\\\\x01\\x7F·<txt>\n"), std::string::npos);
    ASSERT_EQ(
        cli({"definition", "add", "N\nL", "--keyword", "K\r\x1B", "--node1", "KW "}).exit_code, 0);
    ASSERT_EQ(cli({"project", "add", "P1", "--format", "N\nL", "--description", "a\nb"}).exit_code,
              0);
    EXPECT_EQ(cli({"projects"}).out, "P1\tN\\nL\ta\\nb\n");
    const auto keywords = cli({"keywords", "P1"}).out;
    EXPECT_TRUE(keywords.ends_with("\nK\\r\\x1B\n第一作者\n")) << keywords;
    // A missing format is told with one text everywhere.
    EXPECT_EQ(cli({"definitions", "U"}).err, "不存在此格式类型：U\n");
    EXPECT_EQ(cli({"project", "add", "P2", "--format", "NoSuch"}).err,
              "不存在此格式类型：NoSuch\n");
}

TEST_F(FormatsCli, ModifyKeepsBuiltInNamesAndRefusesFormatsInUse) {
    ASSERT_EQ(cli({"format", "add", "A", "--full", "a", "--type", "<txt>"}).exit_code, 0);
    // Its own name is no duplicate.
    auto r = cli({"format", "modify", "A", "--name", "A", "--full", "新"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    r = cli({"format", "modify", "A", "--name", "WOS"});
    EXPECT_EQ(r.err, "格式名称重复！\n");
    r = cli({"format", "modify", "PubMed", "--name", "PubMed2"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "此格式类型为系统默认支持内容，不能修改名称！\n");
    r = cli({"format", "modify", "无此", "--full", "x"});
    EXPECT_EQ(r.err, "不存在此格式类型：无此\n");

    ASSERT_EQ(cli({"format", "modify", "A", "--type", "<xml>"}).exit_code, 0);
    EXPECT_NE(cli({"formats"}).out.find("A·新·<xml>\n"), std::string::npos);

    ASSERT_EQ(cli({"project", "add", "P1", "--format", "A"}).exit_code, 0);
    r = cli({"format", "modify", "A", "--full", "x"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "已存在此格式类型的项目，不能在此做修改操作！\n");
    r = cli({"format", "delete", "A", "--yes"});
    EXPECT_EQ(r.err, "已存在此格式类型的项目，不能在此直接删除！\n");
}

TEST_F(FormatsCli, DeleteNeedsYesAndNeverTouchesPubMed) {
    ASSERT_EQ(cli({"format", "add", "A", "--full", "a", "--type", "<txt>"}).exit_code, 0);
    auto r = cli({"format", "delete", "A"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "是否确认删除当前所选择的格式类型“A·a·<txt>”吗？\n");
    EXPECT_EQ(rows("A").size(), 10u);
    r = cli({"format", "delete", "A", "--yes"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(cli({"definitions", "A"}).exit_code, 2);

    // Refused as built in before any project is looked at.
    ASSERT_EQ(cli({"project", "add", "P1", "--format", "PubMed"}).exit_code, 0);
    r = cli({"format", "delete", "PubMed", "--yes"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "此格式类型为系统默认支持内容，不能删除！\n");
}

TEST_F(FormatsCli, DefinitionAddStoresMethodAndSeparatorByLayout) {
    ASSERT_EQ(cli({"format", "add", "T", "--full", "t", "--type", "<txt>"}).exit_code, 0);
    auto r = cli({"definition", "add", "T", "--keyword", "关键词", "--node1", "DE", "--method", "2",
                  "--separator", ","});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, id_of("T", "关键词") + "\n");
    r = cli({"definition", "add", "T", "--keyword", "主题", "--node1", "MH", "--method", "5",
             "--separator", ";"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    r = cli({"definition", "add", "T", "--keyword", "分隔", "--separator", "；"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto t = rows("T");
    ASSERT_EQ(t.size(), 13u);
    EXPECT_EQ(t[10], "关键词|DE||||||2||0");
    EXPECT_EQ(t[11], "主题|MH||||||5|/|0");
    EXPECT_EQ(t[12], "分隔|||||||1|；|0");

    // What the window does not offer is a usage error and adds nothing.
    EXPECT_EQ(cli({"definition", "add", "T", "--keyword", "k", "--node2", "x"}).exit_code, 1);
    EXPECT_EQ(cli({"definition", "add", "T", "--keyword", "k", "--method", "6"}).exit_code, 1);
    r = cli({"definition", "add", "T", "--keyword", " "});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "关键字名称不应为空！\n");
    EXPECT_EQ(rows("T").size(), 13u);

    ASSERT_EQ(cli({"format", "add", "X", "--full", "x", "--type", "<xml>"}).exit_code, 0);
    EXPECT_EQ(cli({"definition", "add", "X", "--keyword", "k", "--method", "3"}).exit_code, 1);
    r = cli({"definition", "add", "X", "--keyword", "k", "--node6", "n6", "--separator", "#"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(rows("X").back(), "k||||||n6|1|#|0");
}

TEST_F(FormatsCli, DefinitionModifyFollowsTheDialog) {
    ASSERT_EQ(cli({"format", "add", "T", "--full", "t", "--type", "<txt>"}).exit_code, 0);
    // A default definition has no method: it opens as method 5.
    auto r = cli(
        {"definition", "modify", "T", id_of("T", "标题"), "--keyword", "题名", "--node1", "TI"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(rows("T")[2], "题名|TI||||||5|/|0");
    r = cli({"definition", "modify", "T", id_of("T", "题名"), "--method", "3"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(rows("T")[2], "题名|TI||||||3||0");

    r = cli({"definition", "modify", "T", id_of("T", "<文章号>"), "--keyword", "文章号"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "此关键字名称为系统约定内容，不能修改！\n");
    r = cli({"definition", "modify", "T", id_of("T", "<文章号>"), "--node1", "PMID-"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    r = cli({"definition", "modify", "T", "99999", "--node1", "x"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "此格式类型中不存在此关键字定义：99999\n");
    EXPECT_EQ(cli({"definition", "modify", "T", "abc"}).exit_code, 1);
}

TEST_F(FormatsCli, DefinitionDeleteSkipsFlaggedRowsAndNeedsYes) {
    auto r = cli({"definition", "delete", "PubMed", id_of("PubMed", "<文章节点>"), "--yes"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "此关键字定义为系统约定内容，不能删除！\n");

    ASSERT_EQ(cli({"format", "add", "T", "--full", "t", "--type", "<txt>"}).exit_code, 0);
    const std::string id = id_of("T", "卷");
    r = cli({"definition", "delete", "T", id});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "是否确认删除当前所选择的格式类型“T·t·<txt>”中的关键字“卷”吗？\n");
    r = cli({"definition", "delete", "T", id, "--yes"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(rows("T").size(), 9u);
    EXPECT_EQ(id_of("T", "卷"), "");
}

} // namespace
