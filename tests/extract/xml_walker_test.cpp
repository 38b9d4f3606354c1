// The node walker and the value rules of the XML extractor, on small invented records.
#include "messages.h"
#include "text/text.h"
#include "xml_support.h"

#include <gtest/gtest.h>

namespace lumacite::xml_tests {
namespace {

using extract::FileOutcome;
using Rows = std::vector<Row>;

// Two records in the shape of the walker's examples: Head with several children, Body,
// People with persons, Source/Issue/Date/Year.
const std::string records = R"(<?xml version="1.0"?>
<Set>
  <Rec>
    <Head><Id>A1</Id><Kind>paper</Kind></Head>
    <Body>
      <Title>First title</Title>
      <Lang>ENG</Lang>
      <People>
        <Person><Surname>Smith</Surname><Initials>J</Initials></Person>
        <Person><Surname>Lee</Surname><Initials>KM</Initials></Person>
      </People>
      <Source><Issue><Date><Year>2001</Year><Month>May</Month></Date><No>3</No></Issue></Source>
    </Body>
  </Rec>
  <Rec>
    <Head><Id>B2</Id></Head>
    <Body>
      <Title>Second title</Title>
      <People><Person><Surname>Wang</Surname><Initials>X</Initials></Person></People>
      <Source><Issue><Date><Year>1999</Year></Date></Issue></Source>
    </Body>
  </Rec>
</Set>
)";

TEST(XmlWalker, ExamplesOfTheWalkerOnTwoRecords) {
    const auto f =
        xml_format("X", "Rec", {"Head", "Id"},
                   {
                       definition("编号", {"Head", "Id"}),
                       definition("标题", {"Head", "Body", "Title"}),
                       definition("作者", {"Body", "People", "Person", "Surname\\\\\\Initials"}),
                       definition("年代", {"Body", "Source", "Issue", "Date", "Year"}),
                   });
    const auto e = extract_text(records, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    // "Head, Body, Title" meets no Body below Head: nothing for either record.
    const Rows expected = {
        {"A1", "编号", "A1"},         {"A1", "第一作者", "Smith J"}, {"A1", "作者", "Smith J"},
        {"A1", "作者", "Lee KM"},     {"A1", "年代", "2001"},        {"B2", "编号", "B2"},
        {"B2", "第一作者", "Wang X"}, {"B2", "作者", "Wang X"},      {"B2", "年代", "1999"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, RepetitionIsLookedForAtMostTwoLevelsUp) {
    // Body has several children: Head, Body, Title as in the examples, but with Body
    // below Head.
    const std::string xml = R"(<S>
      <Rec><Head><Body><Title>T1</Title><Pages>5</Pages></Body></Head></Rec>
      <Rec><Head><Body><Title>T2</Title></Body><Other/></Head></Rec>
      <Rec><Head><Body><Title>T3</Title></Body></Head></Rec>
      <Rec><Head><Body><Title>T4</Title><Title>T5</Title></Body></Head></Rec>
      <Rec><G><Head><Body><Title>T6</Title></Body></Head><Head><Body><Title>T7</Title></Body></Head></G></Rec>
    </S>)";
    const auto f = xml_format("X", "Rec", {},
                              {definition("标题", {"Head", "Body", "Title"}),
                               definition("深", {"G", "Head", "Body", "Title"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    const Rows expected = {
        {"0000000001", "标题", "T1"},
        {"0000000002", "标题", "T2"}, // Head has two children: each Body's Title
        {"0000000003", "标题", "T3"}, // the single path
        {"0000000004", "标题", "T4"},
        {"0000000004", "标题", "T5"},
        // Three levels up is not searched: only the first Head is followed.
        {"0000000005", "深", "T6"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, YearBothWays) {
    // Date holds Year and Month: the Year joined. Date holds Year alone and Issue holds
    // Date alone: the single path. Date holds Year alone beside a Volume: each Date's Year.
    const std::string xml = R"(<S>
      <Rec><Head><Body><Source><Issue><Date><Year>2001</Year><Month>5</Month></Date></Issue></Source></Body></Head></Rec>
      <Rec><Head><Body><Source><Issue><Date><Year>2002</Year></Date></Issue></Source></Body></Head></Rec>
      <Rec><Head><Body><Source><Issue><Vol>4</Vol><Date><Year>2003</Year></Date></Issue></Source></Body></Head></Rec>
      <Rec><Head><Body><Source><Issue><Date><Month>5</Month></Date></Issue></Source></Body></Head></Rec>
    </S>)";
    const auto f = xml_format(
        "X", "Rec", {}, {definition("年代", {"Head", "Body", "Source", "Issue", "Date", "Year"})});
    const auto e = extract_text(xml, f);
    const Rows expected = {{"0000000001", "年代", "2001"},
                           {"0000000002", "年代", "2002"},
                           {"0000000003", "年代", "2003"}};
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, ArticleNumbers) {
    // A single element on the number path gives its text; a missing one an empty number.
    const std::string xml = R"(<S><Rec><Head><Id>77</Id></Head><T>a</T></Rec>
                                  <Rec><Head><No>5</No></Head><T>b</T></Rec></S>)";
    const auto f = xml_format("X", "Rec", {"Head", "Id"}, {definition("标题", {"T"})});
    const auto e = extract_text(xml, f);
    const Rows expected = {{"77", "标题", "a"}, {"", "标题", "b"}};
    EXPECT_EQ(e.rows, expected);

    // Several Id elements: the number is the first.
    const auto e2 =
        extract_text(R"(<S><Rec><Head><Id>8</Id><Id>9</Id></Head><T>c</T></Rec></S>)", f);
    EXPECT_EQ(e2.rows, (Rows{{"8", "标题", "c"}}));
}

TEST(XmlWalker, LevelOneFilterExcludesAndDeeperFiltersSelect) {
    const std::string xml = R"(<S>
      <Rec><Meta Status="x"><Id>1</Id><Code type="a">A1</Code></Meta></Rec>
      <Rec><Meta Status="y"><Id>2</Id><Code type="a">A2</Code><Code type="b">B2</Code></Meta></Rec>
      <Rec><Meta><Id>3</Id><Code type="b">B3</Code></Meta></Rec>
      <Rec><Meta Status="X"><Id>4</Id><Code>C4</Code><Code type="">E4</Code></Meta></Rec>
    </S>)";
    const auto f = xml_format("X", "Rec", {},
                              {definition("编号", {"Meta@@@Status===x", "Id"}),
                               definition("甲", {"Meta", "Code@@@type===a"}),
                               definition("空", {"Meta", "Code@@@type==="})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    // Only the record whose Meta has Status="x" (exactly, case-sensitive) is excluded; a
    // missing attribute equals no value, an empty attribute equals the empty value.
    const Rows expected = {
        {"0000000001", "甲", "A1"},  {"0000000002", "编号", "2"}, {"0000000002", "甲", "A2"},
        {"0000000003", "编号", "3"}, {"0000000004", "编号", "4"}, {"0000000004", "空", "E4"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, FilterFollowedByAFurtherName) {
    const std::string xml = R"(<S>
      <Rec><Dates><Date kind="pub"><Year>2001</Year></Date><Date kind="rev"><Year>2005</Year></Date></Dates></Rec>
      <Rec><Dates><Date kind="rev"><Year>2006</Year></Date></Dates></Rec>
      <Rec><Dates><Date kind="pub"><Year>2007</Year></Date></Dates></Rec>
      <Rec><Info><Dates><Date kind="pub"><Year>2008</Year></Date></Dates><Dates><Date kind="rev"><Year>2009</Year></Date></Dates><Other><Date kind="pub"><Year>2010</Year></Date></Other></Info></Rec>
    </S>)";
    const auto f =
        xml_format("X", "Rec", {},
                   {definition("出版", {"Dates", "Date@@@kind===pub", "Year", "Ignored"}),
                    definition("深", {"Info", "Dates", "Date@@@kind===pub", "Year"})});
    const auto e = extract_text(xml, f);
    // At level 3 with a repeated parent, every child of Info (whatever its name) is asked
    // for its first Date.
    const Rows expected = {
        {"0000000001", "出版", "2001"},
        {"0000000003", "出版", "2007"},
        {"0000000004", "深", "2008"},
        {"0000000004", "深", "2010"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, PairJoinsWithOneBlank) {
    const std::string xml = R"(<S>
      <Rec><Au><N>Smith</N><I>J</I></Au></Rec>
      <Rec><Au><N>Consortium</N></Au></Rec>
      <Rec><Au><I>K</I></Au></Rec>
      <Rec><L><Au><N>A</N><I>B</I></Au><Au><N>C</N></Au></L></Rec>
    </S>)";
    const auto f = xml_format(
        "X", "Rec", {},
        {definition("一", {"Au", "N\\\\\\I"}), definition("二", {"L", "Au", "N\\\\\\I"})});
    const auto e = extract_text(xml, f);
    const Rows expected = {
        {"0000000001", "一", "Smith J"}, {"0000000002", "一", "Consortium"},
        {"0000000003", "一", "K"},       {"0000000004", "二", "A B"},
        {"0000000004", "二", "C"},
    };
    EXPECT_EQ(e.rows, expected);

    // At the first level the pair reads two children of the article.
    const auto f1 = xml_format("X", "Rec", {}, {definition("名", {"N\\\\\\I"})});
    EXPECT_EQ(extract_text("<S><Rec><N>Li</N><I>Y</I></Rec></S>", f1).rows,
              (Rows{{"0000000001", "名", "Li Y"}}));
}

TEST(XmlWalker, SubstringCountsCharacters) {
    const std::string xml =
        R"(<S><Rec><H><T>中文标题测试</T><D>1998 Dec-1999 Jan</D></H></Rec></S>)";
    const auto f =
        xml_format("X", "Rec", {},
                   {definition("一", {"H", "T|||2,3"}), definition("二", {"H", "D|||1,4"}),
                    definition("三", {"H", "T|||5,10"}), definition("四", {"H", "T|||9,2"}),
                    definition("五", {"H", "T||| 0 , 2"}), definition("六", {"H", "T|||1,0"}),
                    definition("七", {"H", "Missing|||1,4"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    const Rows expected = {
        {"0000000001", "一", "文标题"},
        {"0000000001", "二", "1998"},
        {"0000000001", "三", "测试"},
        {"0000000001", "五", "中文"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, SubstringWithoutWholeNumbersStopsNamingTheKeyword) {
    const std::string xml = R"(<S><Rec><T>abc</T><U>x</U></Rec><Rec><T>def</T><U>y</U></Rec></S>)";
    for (const std::string form : {"T|||a,2", "T|||1.5,2", "T|||1", "T|||1,", "T|||,2"}) {
        const auto f =
            xml_format("X", "Rec", {}, {definition("前", {"U"}), definition("截取", {form})});
        const auto e = extract_text(xml, f);
        EXPECT_EQ(e.outcome.kind, FileOutcome::Kind::stopped) << form;
        EXPECT_EQ(e.outcome.message, "关键字“截取”的截取位置或长度不是整数，提取已中止！\r")
            << form;
        // The value of the first article's earlier definition was written and stays.
        EXPECT_EQ(e.rows, (Rows{{"0000000001", "前", "x"}})) << form;
    }
}

TEST(XmlWalker, ElementContentStopsNamingTheKeyword) {
    const std::string xml = R"(<S>
      <Rec><T>one</T><Au><N>A</N><I>B</I></Au></Rec>
      <Rec><T>two</T><Au><N>C</N></Au></Rec>
    </S>)";
    const auto f =
        xml_format("X", "Rec", {}, {definition("标题", {"T"}), definition("作者", {"Au"})});
    const auto e = extract_text(xml, f);
    EXPECT_EQ(e.outcome.kind, FileOutcome::Kind::stopped);
    EXPECT_EQ(e.outcome.message,
              "关键字“作者”的节点路径止于只含子元素的节点，无法取得文本，提取已中止！\r");
    EXPECT_EQ(e.rows, (Rows{{"0000000001", "标题", "one"}}));

    // Also on the article number path, which names "<文章号>".
    const auto g = xml_format("X", "Rec", {"Au"}, {definition("标题", {"T"})});
    EXPECT_EQ(extract_text(xml, g).outcome.message,
              "关键字“<文章号>”的节点路径止于只含子元素的节点，无法取得文本，提取已中止！\r");
}

TEST(XmlWalker, MixedContentGivesTheWholeText) {
    const std::string xml = R"(<S><Rec>
      <T>Effect of <i>H. pylori</i> on CO<sub>2</sub> uptake</T>
      <K><i>Drosophila</i></K>
      <K2><b>Bold</b><sup>2</sup></K2>
      <C><![CDATA[a<b]]></C>
      <M>x<![CDATA[ & ]]>y</M>
    </Rec></S>)";
    const auto f =
        xml_format("X", "Rec", {},
                   {definition("标题", {"T"}), definition("关键词", {"K"}),
                    definition("二", {"K2"}), definition("三", {"C"}), definition("四", {"M"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done) << e.outcome.message;
    const Rows expected = {
        {"0000000001", "标题", "Effect of H. pylori on CO2 uptake"},
        {"0000000001", "关键词", "Drosophila"},
        {"0000000001", "二", "Bold2"},
        {"0000000001", "三", "a<b"},
        {"0000000001", "四", "x & y"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, BlanksBetweenInlineElementsAreKept) {
    const std::string xml = "<S><Rec>\n"
                            "  <T><i>Helicobacter</i> <i>pylori</i> infection</T>\n"
                            "  <T2><i>a</i>\n      <sup>b</sup>  <sub>c</sub></T2>\n"
                            "  <T3>\n    <b>Title</b>\n  </T3>\n"
                            "  <T4><i>x<b>y</b> </i><b>z</b></T4>\n"
                            "  <P><A>\n <i>p</i> <b>q</b>\n</A><B>r</B></P>\n"
                            "</Rec></S>";
    const auto f = xml_format("X", "Rec", {},
                              {definition("一", {"T"}), definition("二", {"T2"}),
                               definition("三", {"T3|||1,3"}), definition("四", {"T4"}),
                               definition("五", {"P", "A\\\\\\B"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done) << e.outcome.message;
    // Inside, the whitespace stands as in the file; at the start and end of the mixed
    // content it is left out before the value is cut and trimmed.
    const Rows expected = {
        {"0000000001", "一", "Helicobacter pylori infection"},
        {"0000000001", "二", "a\n      b  c"},
        {"0000000001", "三", "Tit"},
        {"0000000001", "四", "xy z"},
        {"0000000001", "五", "p q r"},
    };
    EXPECT_EQ(e.rows, expected);
}

TEST(XmlWalker, IndentationBetweenElementsIsNoChild) {
    const std::string xml = "<S>\n"
                            "  <Rec>\n"
                            "    <AuthorList>\n"
                            "      <Author>\n"
                            "        <LastName>Smith</LastName>\n"
                            "      </Author>\n"
                            "      <Author>\n"
                            "        <LastName>Lee</LastName>\n"
                            "      </Author>\n"
                            "    </AuthorList>\n"
                            "    <Names>\n"
                            "      <N>Wang</N>\n"
                            "      <N>Zhao</N>\n"
                            "    </Names>\n"
                            "    <One>\n"
                            "      <N>Solo</N>\n"
                            "    </One>\n"
                            "  </Rec>\n"
                            "</S>\n";
    // One child each: Author holds only LastName, so the authors repeat one level up.
    const auto f = xml_format("X", "Rec", {},
                              {definition("作者", {"AuthorList", "Author", "LastName"}),
                               definition("名", {"Names", "N"}), definition("一", {"One", "N"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done) << e.outcome.message;
    const Rows expected = {
        {"0000000001", "第一作者", "Smith"}, {"0000000001", "作者", "Smith"},
        {"0000000001", "作者", "Lee"},       {"0000000001", "名", "Wang"},
        {"0000000001", "名", "Zhao"},        {"0000000001", "一", "Solo"},
    };
    EXPECT_EQ(e.rows, expected);

    // An element whose children are elements only, indented, still has no text.
    const auto g = xml_format("X", "Rec", {}, {definition("作者", {"AuthorList", "Author"})});
    const auto stopped = extract_text(xml, g);
    EXPECT_EQ(stopped.outcome.kind, FileOutcome::Kind::stopped);
    EXPECT_EQ(stopped.outcome.message,
              "关键字“作者”的节点路径止于只含子元素的节点，无法取得文本，提取已中止！\r");
    EXPECT_TRUE(stopped.rows.empty());
}

TEST(XmlWalker, NestedMarkupInDocumentOrder) {
    const auto f = xml_format("X", "Rec", {}, {definition("标题", {"T"})});
    EXPECT_EQ(extract_text("<S><Rec><T>a<i>b<b>c</b>d</i>e<sup>f</sup></T></Rec></S>", f).rows,
              (Rows{{"0000000001", "标题", "abcdef"}}));
    // Very deep nesting is read without running out of stack.
    std::string deep = "<S><Rec><T>x";
    for (int i = 0; i < 200000; ++i) {
        deep += "<i>";
    }
    deep += "y";
    for (int i = 0; i < 200000; ++i) {
        deep += "</i>";
    }
    deep += "z</T></Rec></S>";
    EXPECT_EQ(extract_text(deep, f).rows, (Rows{{"0000000001", "标题", "xyz"}}));
}

TEST(XmlWalker, ValueRules) {
    const std::string xml = R"(<S><Rec>
      <Lang>ENG</Lang><Lang>Chi中Ä</Lang>
      <T>  alpha; beta ;;gamma  </T>
      <Q>O'Brien's</Q>
      <Au><N>  </N></Au>
      <E></E><W>   </W>
    </Rec></S>)";
    const auto f =
        xml_format("X", "Rec", {},
                   {definition("语种", {"Lang"}), definition("标题", {"T"}),
                    definition("引", {"Q"}), definition("作者", {"Au", "N\\\\\\I"}),
                    definition("空", {"E"}), definition("白", {"W"}), definition("无", {"", "T"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    // Only the first Lang (the article has several children, but the plain first level
    // reads the first element); ";" inside a value cuts it; empty pieces and blank texts
    // give no row; the apostrophe becomes the prime; D = 0 gives nothing.
    const Rows expected = {
        {"0000000001", "语种", "eng"},     {"0000000001", "标题", "alpha"},
        {"0000000001", "标题", "beta"},    {"0000000001", "标题", "gamma"},
        {"0000000001", "引", "O′Brien′s"},
    };
    EXPECT_EQ(e.rows, expected);

    // Lower case A to Z only.
    const auto g = xml_format("X", "Rec", {}, {definition("语种", {"L", "Lang"})});
    const auto e2 = extract_text("<S><Rec><L><Lang>ENG</Lang><Lang>CHI中Ä</Lang></L></Rec></S>", g);
    EXPECT_EQ(e2.rows, (Rows{{"0000000001", "语种", "eng"}, {"0000000001", "语种", "chi中Ä"}}));
}

TEST(XmlWalker, FirstAuthorIsWrittenBeforeTheAuthors) {
    const std::string xml = R"(<S><Rec><L><A>Li M</A><A>O'Hara K</A></L></Rec></S>)";
    const auto f = xml_format("X", "Rec", {}, {definition("作者", {"L", "A"})});
    const Rows expected = {{"0000000001", "第一作者", "Li M"},
                           {"0000000001", "作者", "Li M"},
                           {"0000000001", "作者", "O′Hara K"}};
    EXPECT_EQ(extract_text(xml, f).rows, expected);
}

TEST(XmlWalker, MissingElementsReadAsEmptyWithoutChangingTheDocument) {
    // Missing children anywhere on a path give no value and no error; the definitions
    // after them read the record as it is.
    const std::string xml =
        R"(<S><Rec><Head><Id>7</Id></Head><P><Person><N>Zhou</N><I>Q</I></Person></P></Rec></S>)";
    const auto f = xml_format("X", "Rec", {"Head", "Id"},
                              {definition("缺", {"Head", "Nothing", "Deeper"}),
                               definition("缺二", {"P", "Missing"}),
                               definition("人", {"P", "Person", "N\\\\\\I"})});
    const auto e = extract_text(xml, f);
    ASSERT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    EXPECT_EQ(e.rows, (Rows{{"7", "人", "Zhou Q"}}));
}

} // namespace
} // namespace lumacite::xml_tests
