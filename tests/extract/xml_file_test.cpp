// Reading XML files: numbering across the files of a run, the gauge, encodings, files
// that are not well-formed XML and files that cannot be read.
#include "support/temp_dir.h"
#include "text/text.h"
#include "xml_support.h"

#include <gtest/gtest.h>

namespace lumacite::xml_tests {
namespace {

using extract::FileOutcome;
using Rows = std::vector<Row>;

const auto titles = [] { return xml_format("X", "Rec", {}, {definition("标题", {"T"})}); };

struct FileRun {
    testing::TempDir dir;
    extract::ArticleCounter counter;
    RecordingSink sink;
    RecordingProgress progress;

    FileOutcome file(const std::string& name, const std::string& bytes,
                     const extract::ExtractionFormat& format) {
        testing::write_file(dir / name, bytes);
        return extract::XmlExtractor().extract_file(dir / name, ".\\1\\" + name, format, counter,
                                                    sink, progress);
    }
};

TEST(XmlFile, AutomaticNumbersRunAcrossFilesAndSkipNonArticles) {
    FileRun run;
    const auto f = titles();
    EXPECT_EQ(
        run.file("1.xml",
                 "<S><Rec><T>a</T></Rec><Note><T>n</T></Note>note text<Rec><T>b</T></Rec></S>", f)
            .kind,
        FileOutcome::Kind::done);
    // Four children of the document element (the text counts too), one step each.
    EXPECT_EQ(run.progress.maximum, 4);
    EXPECT_EQ(run.progress.positions, (std::vector<long long>{1, 2, 3, 4}));
    EXPECT_EQ(run.progress.pumps, 4);

    EXPECT_EQ(run.file("2.xml", "<S>\n  <Rec><T>c</T></Rec>\n</S>\n", f).kind,
              FileOutcome::Kind::done);
    EXPECT_EQ(run.progress.maximum, 1); // whitespace between elements is no child
    const Rows expected = {
        {"0000000001", "标题", "a"}, {"0000000002", "标题", "b"}, {"0000000003", "标题", "c"}};
    EXPECT_EQ(run.sink.rows, expected);
    EXPECT_EQ(run.counter.value, 3);
}

TEST(XmlFile, NotWellFormedIsSkippedWithTheShownPath) {
    const std::vector<std::string> bad = {
        "<S><Rec><T>a</T></Rec>",     // unclosed document element
        "<S><Rec><T>a</Rec></T></S>", // crossed tags
        "<S><Rec/></S><S><Rec/></S>", // two document elements
        "",                           // empty file
        "Title: not xml at all\n",    // plain text
        // What a lenient parser would read: each yields no row and the message.
        "<S><Rec><T>a &nbsp; b</T></Rec></S>",                          // undefined entity
        "<S><Rec><T>a & b</T></Rec></S>",                               // bare "&"
        "<S><Rec x=\"1\" x=\"2\"><T>a</T></Rec></S>",                   // duplicate attribute
        "<S><Rec><T>a</T></Rec></S>after",                              // text after the element
        "<S><Rec><T>a\x01b</T></Rec></S>",                              // control character
        "<S><Rec x=\"a<b\"><T>a</T></Rec></S>",                         // "<" in a value
        "<S><?xml version=\"1.0\"?><Rec><T>a</T></Rec></S>",            // declaration inside
        " <?xml version=\"1.0\"?><S><Rec><T>a</T></Rec></S>",           // not at the start
        "<S><Rec><T>&#x11FFFF;</T></Rec></S>",                          // beyond Unicode
        "<S><Rec><T>&#xD800;</T></Rec></S>",                            // a surrogate
        "<S><Rec><T>&#0;</T></Rec></S>",                                // not a character
        "<S><Rec><T>\xEF\xBF\xBF</T></Rec></S>",                        // U+FFFF
        "<S><Rec><T>a ]]> b</T></Rec></S>",                             // "]]>" in text
        "<S><!-- a -- b --><Rec><T>a</T></Rec></S>",                    // "--" in a comment
        "<S><Rec x=1><T>a</T></Rec></S>",                               // unquoted value
        "<S><1T>a</1T></S>",                                            // not a name
        "<S><Rec><T>a</T></Rec></S><!DOCTYPE S>",                       // late doctype
        "<!DOCTYPE S SYSTEM \"s.dtd\"><S><Rec><T>&auml;</T></Rec></S>", // declared elsewhere
        "<!DOCTYPE S [<!ENTITY e SYSTEM \"e.txt\">]><S><Rec><T>&e;</T></Rec></S>", // external
        "<!DOCTYPE S [<!ENTITY e \"<b>x</b>\">]><S><Rec><T>&e;</T></Rec></S>",     // markup
    };
    for (const auto& bytes : bad) {
        FileRun run;
        const auto outcome = run.file("bad.xml", bytes, titles());
        EXPECT_EQ(outcome.kind, FileOutcome::Kind::skipped) << bytes;
        EXPECT_EQ(outcome.message, "“.\\1\\bad.xml”文件非<xml>格式，无法读取！\r") << bytes;
        EXPECT_TRUE(run.sink.rows.empty()) << bytes;
        EXPECT_EQ(run.counter.value, 0) << bytes;
    }

    // The run goes on with the next file; the numbering is not disturbed.
    FileRun run;
    EXPECT_EQ(run.file("a.xml", "<S><Rec><T>a</T></Rec></S>", titles()).kind,
              FileOutcome::Kind::done);
    EXPECT_EQ(run.file("b.xml", "<S><Rec><T>b</T></Rec>", titles()).kind,
              FileOutcome::Kind::skipped);
    EXPECT_EQ(run.file("c.xml", "<S><Rec><T>c</T></Rec></S>", titles()).kind,
              FileOutcome::Kind::done);
    EXPECT_EQ(run.sink.rows, (Rows{{"0000000001", "标题", "a"}, {"0000000002", "标题", "c"}}));
}

// Well-formed files whose rarer parts (declaration, document type, comments, processing
// instructions, CDATA, references, quotes and ">" in values) must not be refused.
TEST(XmlFile, WellFormedRarities) {
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE S PUBLIC \"-//NLM//DTD PubMedArticle, 1st January 2019//EN\" "
        "\"https://dtd.nlm.nih.gov/ncbi/pubmed/out/pubmed_190101.dtd\">\n"
        "<!-- export --><?page 1?>\n"
        "<S><Rec a='say \"hi\" > x'><T><![CDATA[a]]b<c>]]>&#x4E2D;&#25991;&amp;&lt;]&gt;</T>"
        "</Rec><Rec><T>\xEF\xBC\x88全角\xEF\xBC\x89</T><作者 类型=\"第一\">王</作者></Rec></S>\n"
        "<!-- end -->\n";
    const auto e = extract_text(xml, titles());
    EXPECT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    EXPECT_EQ(e.rows, (Rows{{"0000000001", "标题", "a]]b<c>中文&<]>"},
                            {"0000000002", "标题", "（全角）"}}));
}

// An entity of the internal document type gives its text; one whose text holds markup or
// references cannot be given and the file is refused (above), never read with a wrong value.
TEST(XmlFile, InternalEntitiesGiveTheirText) {
    const std::string xml = "<!DOCTYPE S [\n"
                            "  <!ENTITY jbc \"J Biol Chem\">\n"
                            "  <!ENTITY q 'he said \"x\" > y'>\n"
                            "  <!ENTITY jbc \"second declaration\">\n"
                            "  <!ELEMENT S (Rec*)>\n"
                            "  <!ATTLIST Rec src CDATA \"a>b\">\n"
                            "]>\n<S><Rec><T>&jbc;; &q;</T><J x='&q;'>&lt;&jbc;&gt;</J></Rec></S>";
    auto f = titles();
    f.walked.push_back(definition("期刊", {"J"}));
    // A first-level filter excludes when the attribute equals: no row when it was expanded.
    f.walked.push_back(definition("注", {"J@@@x===he said \"x\" > y"}));
    const auto e = extract_text(xml, f);
    EXPECT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    EXPECT_EQ(e.rows, (Rows{{"0000000001", "标题", "J Biol Chem"},
                            {"0000000001", "标题", "he said \"x\" > y"},
                            {"0000000001", "期刊", "<J Biol Chem>"}}));
}

TEST(XmlFile, MissingFileStopsTheRun) {
    FileRun run;
    extract::ArticleCounter counter;
    const auto path = run.dir / "gone.xml";
    const auto outcome = extract::XmlExtractor().extract_file(path, "gone.xml", titles(), counter,
                                                              run.sink, run.progress);
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::stopped);
    EXPECT_EQ(outcome.message, "“" + path.string() + "”文件无法读取，提取已中止！\r");
    // A directory in place of the file.
    std::filesystem::create_directory(path);
    const auto dir = extract::XmlExtractor().extract_file(path, "gone.xml", titles(), counter,
                                                          run.sink, run.progress);
    EXPECT_EQ(dir.kind, FileOutcome::Kind::stopped);
    EXPECT_EQ(dir.message, outcome.message);
    EXPECT_TRUE(run.sink.rows.empty());
}

TEST(XmlFile, ChineseDeclaredEncodingsAreTranscoded) {
    const std::string body = "<S><Rec><T>中文标题：肿瘤</T><A>王小明</A></Rec></S>";
    const auto f =
        xml_format("X", "Rec", {}, {definition("标题", {"T"}), definition("截", {"A|||2,2"})});
    for (const std::string enc : {"GBK", "gb2312", "GB18030"}) {
        FileRun run;
        const std::string bytes =
            text::utf8_to_gb18030("<?xml version=\"1.0\" encoding=\"" + enc + "\"?>\n" + body);
        ASSERT_NE(bytes, body);
        EXPECT_EQ(run.file("g.xml", bytes, f).kind, FileOutcome::Kind::done) << enc;
        EXPECT_EQ(run.sink.rows,
                  (Rows{{"0000000001", "标题", "中文标题：肿瘤"}, {"0000000001", "截", "小明"}}))
            << enc;
    }
    // UTF-16 with a byte-order mark.
    FileRun run;
    std::string utf16 = "\xFF\xFE";
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><S><Rec><T>é</T></Rec></S>";
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = text::next_code_point(text, pos);
        utf16 += static_cast<char>(cp & 0xFF);
        utf16 += static_cast<char>(cp >> 8);
    }
    EXPECT_EQ(run.file("u.xml", utf16, titles()).kind, FileOutcome::Kind::done);
    EXPECT_EQ(run.sink.rows, (Rows{{"0000000001", "标题", "é"}}));
}

TEST(XmlFile, ArticleNodeNamesAreComparedExactly) {
    const std::string xml =
        R"(<x:S xmlns:x="urn:a"><x:Rec><T>1</T></x:Rec><Rec><T>2</T></Rec><rec><T>3</T></rec></x:S>)";
    EXPECT_EQ(extract_text(xml, titles()).rows, (Rows{{"0000000001", "标题", "2"}}));
    auto prefixed = titles();
    prefixed.article_node = definition("<文章节点>", {"x:Rec"}, 1);
    EXPECT_EQ(extract_text(xml, prefixed).rows, (Rows{{"0000000001", "标题", "1"}}));

    // Without an article node nothing is read, and that is no error.
    auto none = titles();
    none.article_node.reset();
    const auto e = extract_text(xml, none);
    EXPECT_EQ(e.outcome.kind, FileOutcome::Kind::done);
    EXPECT_TRUE(e.rows.empty());
}

TEST(XmlFile, DefinitionsWithTheSameNameAreAllWalkedInOrder) {
    const auto f = xml_format("X", "Rec", {},
                              {definition("年代", {"D", "Year"}), definition("标题", {"T"}),
                               definition("年代", {"D", "MedlineDate|||1,4"})});
    const std::string xml = R"(<S>
      <Rec><T>a</T><D><Year>1999</Year></D></Rec>
      <Rec><T>b</T><D><MedlineDate>1998 Dec-1999 Jan</MedlineDate></D></Rec>
    </S>)";
    EXPECT_EQ(extract_text(xml, f).rows, (Rows{{"0000000001", "年代", "1999"},
                                               {"0000000001", "标题", "a"},
                                               {"0000000002", "标题", "b"},
                                               {"0000000002", "年代", "1998"}}));
}

TEST(XmlFile, StopKeepsTheRowsOfEarlierArticles) {
    FileRun run;
    const auto f = xml_format("X", "Rec", {}, {definition("标题", {"T"})});
    const auto outcome =
        run.file("s.xml",
                 "<S><Rec><T>a</T></Rec><Rec><T>b</T></Rec><Rec><T><X/><Y/></T></Rec>"
                 "<Rec><T>d</T></Rec></S>",
                 f);
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::stopped);
    EXPECT_EQ(run.sink.rows, (Rows{{"0000000001", "标题", "a"}, {"0000000002", "标题", "b"}}));
    // The gauge stopped at the article that failed.
    EXPECT_EQ(run.progress.positions, (std::vector<long long>{1, 2}));
}

// Articles are parsed one child of the document element at a time: markup that only looks
// like an article's end (in comments, instructions, character data, attribute values),
// text and comments between articles, nested elements of the article's name, entities the
// check expands and documents of one child or none read as the whole document would.
TEST(XmlFile, ChildrenReadOneAtATimeAsInTheWholeDocument) {
    const std::string xml =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE S [<!ENTITY j \"Jx\">]>\n<S>\n"
        " lead text\n"
        " <Rec a='x/>y' b=\"&gt;\"><T>a&j;</T><!-- </Rec> --><N><![CDATA[</Rec><Rec>]]></N>"
        "<?pi </Rec>?></Rec>\n"
        " <!-- <Rec><T>commented</T></Rec> -->\n <?pi <Rec>?>\n"
        " <Rec/>\n"
        " tail &j; <![CDATA[<Rec><T>cdata</T></Rec>]]>\n"
        " <Rec><Rec><T>inner</T></Rec><T>outer</T></Rec>\n"
        " <Other><T>o</T></Other><Rec\n><T>last</T></Rec\n>\n</S>\n<!-- after -->\n";
    FileRun run;
    auto f = titles();
    f.walked.push_back(definition("注", {"N"}));
    const auto outcome = run.file("a.xml", xml, f);
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::done);
    EXPECT_EQ(outcome.articles, 4);
    EXPECT_EQ(run.sink.rows, (Rows{{"0000000001", "标题", "aJx"},
                                   {"0000000001", "注", "</Rec><Rec>"},
                                   {"0000000003", "标题", "outer"},
                                   {"0000000004", "标题", "last"}}));
    // Text kids count as children: the lead text, the tail text and its character data.
    EXPECT_EQ(run.progress.maximum, 8);
    EXPECT_EQ(run.progress.positions, (std::vector<long long>{1, 2, 3, 4, 5, 6, 7, 8}));

    const std::vector<std::tuple<std::string, long long, Rows>> small = {
        {"<S><Rec><T>only</T></Rec></S>", 1, {{"0000000005", "标题", "only"}}},
        {"<S>\n<!-- none -->\n</S>", 0, {}},
        {"<S/>", 0, {}},
        {"<S>just text</S>", 1, {}},
    };
    for (const auto& [doc, maximum, rows] : small) {
        SCOPED_TRACE(doc);
        run.sink.rows.clear();
        EXPECT_EQ(run.file("b.xml", doc, f).kind, FileOutcome::Kind::done);
        EXPECT_EQ(run.progress.maximum, maximum);
        EXPECT_EQ(run.sink.rows, rows);
    }
}

// The articles of one file read on several threads are written as one thread writes them:
// the same rows in the same order, automatic numbers continued from the counter, the same
// gauge steps (text kids between the children included), and a stop late in the file
// keeps exactly the rows before it. Batches are 64 children, so the sizes straddle them.
TEST(XmlFile, ArticlesReadOnSeveralThreadsAreWrittenAsOneThreadWritesThem) {
    const auto article = [](int k) {
        const std::string n = std::to_string(k);
        return "<Rec><N>" + n + "</N><T>t" + n + ";u" + n + "</T></Rec>";
    };
    const auto file = [&](int count, int broken) {
        std::string xml = "<?xml version=\"1.0\"?>\n<S>\n";
        for (int k = 1; k <= count; ++k) {
            xml += k == broken ? "<Rec><N>x</N><T><X/><Y/></T></Rec>" : article(k);
            xml += k % 7 == 0 ? "<Other><T>no</T></Other>text <!-- c -->\n" : "\n";
        }
        return xml + "</S>";
    };
    struct Case {
        int count;
        int broken; // the article whose title definition cannot be applied (0: none)
        bool numbered;
    };
    const std::vector<Case> cases = {{1, 0, false},    {64, 0, false},   {65, 0, true},
                                     {1000, 0, false}, {1000, 0, true},  {1000, 700, false},
                                     {1000, 3, true},  {130, 130, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " articles, broken " + std::to_string(c.broken));
        const auto format =
            c.numbered ? xml_format("X", "Rec", {"N"}, {definition("标题", {"T"})}) : titles();
        const std::string xml = file(c.count, c.broken);
        struct Run {
            FileOutcome outcome;
            Rows rows;
            long long counter;
            std::vector<long long> positions;
            long long maximum;
        };
        const auto run = [&](int workers) {
            RecordingSink sink;
            RecordingProgress progress;
            extract::ArticleCounter counter{5};
            Run r;
            r.outcome = extract::XmlExtractor(workers).extract_bytes(xml, "a.xml", format, counter,
                                                                     sink, progress);
            r.rows = std::move(sink.rows);
            r.counter = counter.value;
            r.positions = std::move(progress.positions);
            r.maximum = progress.maximum;
            return r;
        };
        const Run one = run(1);
        const long long read = c.broken ? c.broken : c.count;
        EXPECT_EQ(one.outcome.articles, read);
        EXPECT_EQ(one.counter, c.numbered ? 5 : 5 + read);
        ASSERT_GE(one.rows.size(), 2u * static_cast<std::size_t>(read - (c.broken ? 1 : 0)));
        EXPECT_EQ(one.rows.front().wenzhangha, c.numbered ? "1" : "0000000006");
        for (const int workers : {2, 3}) {
            SCOPED_TRACE(workers);
            const Run many = run(workers);
            EXPECT_EQ(many.outcome.kind, one.outcome.kind);
            EXPECT_EQ(many.outcome.message, one.outcome.message);
            EXPECT_EQ(many.outcome.articles, one.outcome.articles);
            EXPECT_EQ(many.counter, one.counter);
            EXPECT_EQ(many.rows, one.rows);
            EXPECT_EQ(many.positions, one.positions);
            EXPECT_EQ(many.maximum, one.maximum);
        }
    }
}

} // namespace
} // namespace lumacite::xml_tests
