#include "support/temp_dir.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace lumacite::text;
using lumacite::testing::read_file;

namespace {

const std::string data_dir = std::string(LUMACITE_TEST_DATA) + "/samples/";

TEST(Gb18030, EncodesAsciiTwoByteAndFourByteCharacters) {
    EXPECT_EQ(utf8_to_gb18030("abc"), "abc");
    EXPECT_EQ(utf8_to_gb18030("中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(utf8_to_gb18030("\u00B7"), "\xA1\xA4");         // middle dot of format entries
    EXPECT_EQ(utf8_to_gb18030("\u2032"), "\xA1\xE4");         // prime of the apostrophe rule
    EXPECT_EQ(utf8_to_gb18030("\u00E9"), "\xA8\xA6");         // é
    EXPECT_EQ(utf8_to_gb18030("\u0080"), "\x81\x30\x81\x30"); // first four-byte BMP code
    EXPECT_EQ(utf8_to_gb18030("\U00010000"), "\x90\x30\x81\x30");
    EXPECT_EQ(utf8_to_gb18030("\U00020000"), "\x95\x32\x82\x36"); // CJK Extension B 𠀀
}

TEST(Gb18030, RoundTripsEveryKindOfCharacter) {
    const std::string text = "Smith J; 李明；\u00B7\u2032 é ü \u20AC 𠀀 \U0001F600 ☃ 한 ア";
    EXPECT_EQ(gb18030_to_utf8(utf8_to_gb18030(text)), text);
}

// The GB18030-2005 codes the system converter lacks: private-use points with two-byte
// codes, and the characters that took those codes in later mappings, with four-byte codes.
TEST(Gb18030, MapsAsGb18030Of2005) {
    struct Entry {
        char32_t cp;
        const char* bytes;
    };
    const Entry entries[] = {
        {0xE78D, "\xA6\xD9"},         {0xE78E, "\xA6\xDA"},         {0xE78F, "\xA6\xDB"},
        {0xE790, "\xA6\xDC"},         {0xE791, "\xA6\xDD"},         {0xE792, "\xA6\xDE"},
        {0xE793, "\xA6\xDF"},         {0xE794, "\xA6\xEC"},         {0xE795, "\xA6\xED"},
        {0xE796, "\xA6\xF3"},         {0xE816, "\xFE\x51"},         {0xE817, "\xFE\x52"},
        {0xE818, "\xFE\x53"},         {0xE81E, "\xFE\x59"},         {0xE826, "\xFE\x61"},
        {0xE82B, "\xFE\x66"},         {0xE82C, "\xFE\x67"},         {0xE831, "\xFE\x6C"},
        {0xE832, "\xFE\x6D"},         {0xE83B, "\xFE\x76"},         {0xE843, "\xFE\x7E"},
        {0xE854, "\xFE\x90"},         {0xE855, "\xFE\x91"},         {0xE864, "\xFE\xA0"},
        {0xFE10, "\x84\x31\x82\x36"}, {0xFE11, "\x84\x31\x82\x37"}, {0xFE12, "\x84\x31\x82\x38"},
        {0xFE13, "\x84\x31\x82\x39"}, {0xFE14, "\x84\x31\x83\x30"}, {0xFE15, "\x84\x31\x83\x31"},
        {0xFE16, "\x84\x31\x83\x32"}, {0xFE17, "\x84\x31\x83\x33"}, {0xFE18, "\x84\x31\x83\x34"},
        {0xFE19, "\x84\x31\x83\x35"}, {0x9FB4, "\x82\x35\x90\x37"}, {0x9FB5, "\x82\x35\x90\x38"},
        {0x9FB6, "\x82\x35\x90\x39"}, {0x9FB7, "\x82\x35\x91\x30"}, {0x9FB8, "\x82\x35\x91\x31"},
        {0x9FB9, "\x82\x35\x91\x32"}, {0x9FBA, "\x82\x35\x91\x33"}, {0x9FBB, "\x82\x35\x91\x34"},
    };
    for (const auto& e : entries) {
        std::string utf8;
        append_utf8(utf8, e.cp);
        SCOPED_TRACE(static_cast<unsigned>(e.cp));
        EXPECT_EQ(utf8_to_gb18030(utf8), e.bytes);
        EXPECT_EQ(gb18030_to_utf8(e.bytes), utf8);
        EXPECT_EQ(gb18030_width(utf8), std::string(e.bytes).size());
    }
    // The characters outside the BMP that the system converter puts on FE51 keep their
    // four-byte codes.
    EXPECT_EQ(utf8_to_gb18030("\U00020087"), "\x95\x32\x90\x31");
    EXPECT_EQ(gb18030_to_utf8("\x95\x32\x90\x31"), "\U00020087");
}

// Nothing is lost: every BMP character survives storage and reading back, and every
// two-byte code reads as a character that is stored as that code again.
TEST(Gb18030, EveryCharacterAndEveryTwoByteCodeRoundTrips) {
    int lost = 0;
    for (char32_t cp = 1; cp < 0x10000 && lost < 5; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        std::string utf8;
        append_utf8(utf8, cp);
        if (gb18030_to_utf8(utf8_to_gb18030(utf8)) != utf8) {
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(cp);
            ++lost;
        }
    }
    for (unsigned lead = 0x81; lead <= 0xFE && lost < 5; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = gb18030_to_utf8(code);
            if (utf8 == "\uFFFD" || char_count(utf8) != 1 || utf8_to_gb18030(utf8) != code) {
                ADD_FAILURE() << std::hex << lead << trail;
                ++lost;
            }
        }
    }
}

TEST(Gb18030, DecodesInvalidBytesAsReplacementWithoutLosingTheRest) {
    EXPECT_EQ(gb18030_to_utf8("a\xFF"
                              "b"),
              "a\uFFFD"
              "b");
    EXPECT_EQ(gb18030_to_utf8("\xD6\xD0\xCE"), "中\uFFFD"); // truncated at the end
    EXPECT_EQ(gb18030_to_utf8("\x81\x30"), "\uFFFD0");      // cut four-byte code
}

TEST(Gb18030, WidthCountsStorageBytes) {
    EXPECT_EQ(gb18030_width(""), 0u);
    EXPECT_EQ(gb18030_width("abc"), 3u);
    EXPECT_EQ(gb18030_width("中文abc"), 7u);
    EXPECT_EQ(gb18030_width("𠀀"), 4u);
    EXPECT_EQ(gb18030_width("\u20AC"), 2u); // € is two bytes (A2E3)
    EXPECT_EQ(gb18030_width("\u00E9"), 2u);
    EXPECT_EQ(gb18030_width("\u00C0"), 4u); // À has no two-byte code
}

TEST(Gb18030, TruncationNeverSplitsACharacter) {
    EXPECT_EQ(truncate_to_width("中文字", 5), "中文");
    EXPECT_EQ(truncate_to_width("中文字", 6), "中文字");
    EXPECT_EQ(truncate_to_width("a𠀀b", 4), "a");
    EXPECT_EQ(truncate_to_width("a𠀀b", 5), "a𠀀");
    EXPECT_EQ(truncate_to_width("abc", 0), "");
    // "À" takes two UTF-8 bytes and four GB18030 bytes, the most a character can grow.
    EXPECT_EQ(truncate_to_width("ÀÀ", 8), "ÀÀ");
    EXPECT_EQ(truncate_to_width("ÀÀ", 7), "À");
    EXPECT_EQ(truncate_to_width("ÀÀ", 3), "");
    EXPECT_EQ(truncate_to_width("short", 254), "short");
    std::string long_value;
    for (int i = 0; i < 200; ++i) {
        long_value += "值";
    }
    const std::string cut = truncate_to_width(long_value, value_width);
    EXPECT_EQ(gb18030_width(cut), 254u);
    EXPECT_EQ(char_count(cut), 127u);
    EXPECT_EQ(gb18030_width(truncate_to_width("a" + long_value, value_width)), 253u);
}

TEST(Utf8, ValidatesStrictly) {
    EXPECT_TRUE(is_valid_utf8("plain ascii"));
    EXPECT_TRUE(is_valid_utf8("中文 𠀀 \uFFFD"));
    EXPECT_FALSE(is_valid_utf8("\xD6\xD0"));     // GBK 中
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));     // overlong "/"
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(is_valid_utf8("\xE4\xB8"));     // cut
}

TEST(InputDecoding, ByteOrderMarkDecides) {
    EXPECT_EQ(detect_encoding("\xEF\xBB\xBFPT J"), Encoding::utf8_bom);
    EXPECT_EQ(decode_input("\xEF\xBB\xBFPT J"), "PT J");
    // UTF-16LE "中a" with BOM.
    EXPECT_EQ(decode_input(std::string("\xFF\xFE\x2D\x4E\x61\x00", 6)), "中a");
    // UTF-16BE "中a" with BOM, and a surrogate pair.
    EXPECT_EQ(decode_input(std::string("\xFE\xFF\x4E\x2D\x00\x61\xD8\x40\xDC\x00", 10)), "中a𠀀");
}

TEST(InputDecoding, ValidUtf8StaysOtherwiseGb18030) {
    EXPECT_EQ(detect_encoding("作者"), Encoding::utf8);
    EXPECT_EQ(decode_input("作者"), "作者");
    const std::string gbk = utf8_to_gb18030("AU 张三\r\nTI 肿瘤研究");
    EXPECT_EQ(detect_encoding(gbk), Encoding::gb18030);
    EXPECT_EQ(decode_input(gbk), "AU 张三\r\nTI 肿瘤研究");
}

// Exports joined by hand: a file that is not valid UTF-8 as a whole is decided line by
// line, with or without a UTF-8 byte-order mark, whatever the line ends.
TEST(InputDecoding, MixedFilesAreDecidedLineByLine) {
    const std::string gbk_line = utf8_to_gb18030("TI 肿瘤研究");
    const std::string mixed =
        "TI 中文标题\r\n" + gbk_line + "\r\nAU 张三\n" + gbk_line + "\rAU 李四\r\n" + gbk_line;
    EXPECT_EQ(detect_encoding(mixed), Encoding::gb18030);
    EXPECT_EQ(decode_input(mixed), "TI 中文标题\r\nTI 肿瘤研究\r\nAU 张三\nTI 肿瘤研究\rAU 李四\r\n"
                                   "TI 肿瘤研究");
    EXPECT_EQ(decode_input("\xEF\xBB\xBF" + gbk_line + "\nTI 中文标题\n"),
              "TI 肿瘤研究\nTI 中文标题\n");
    // A line that mixes both is not valid UTF-8: it is read as GB18030 as a whole.
    EXPECT_EQ(decode_lines("\xD6\xD0 中"), "中 \xE6\xB6\x93\uFFFD");
}

TEST(InputDecoding, RealExportFiles) {
    const std::string wos = read_file(data_dir + "metaknowledge_TwoPaper.isi");
    ASSERT_FALSE(wos.empty());
    EXPECT_EQ(detect_encoding(wos), Encoding::utf8_bom);
    EXPECT_TRUE(decode_input(wos).starts_with("FN Thomson Reuters Web of Science"));

    const std::string cnki = read_file(data_dir + "CNKI_2_BibTeX_ChineseColon.net");
    EXPECT_EQ(detect_encoding(cnki), Encoding::utf8);
    const std::string text = decode_input(cnki);
    EXPECT_NE(text.find("{Title}: 软组织肉瘤诊治中国专家共识(2015年版)"), std::string::npos);

    // The same export saved in GBK by a Windows tool reads the same.
    EXPECT_EQ(decode_input(utf8_to_gb18030(text)), text);
}

TEST(XmlDecoding, DeclarationNamesTheEncoding) {
    EXPECT_EQ(xml_declared_encoding("<?xml version=\"1.0\" encoding=\"GB2312\"?><a/>"), "gb2312");
    EXPECT_EQ(xml_declared_encoding("<?xml version='1.0' encoding = 'UTF-8' ?>"), "utf-8");
    EXPECT_EQ(xml_declared_encoding("<?xml version=\"1.0\"?><a/>"), "");
    EXPECT_EQ(xml_declared_encoding("<a encoding=\"gbk\"/>"), "");

    const std::string body = "<a>中文</a>";
    const std::string gbk_file = "<?xml version=\"1.0\" encoding=\"GBK\"?>" + utf8_to_gb18030(body);
    EXPECT_EQ(decode_xml(gbk_file), "<?xml version=\"1.0\" encoding=\"GBK\"?>" + body);
    // A declaration saying GB18030 over bytes that happen to be valid UTF-8 still wins.
    const std::string ascii = "<?xml version=\"1.0\" encoding=\"gb18030\"?><a>x</a>";
    EXPECT_EQ(decode_xml(ascii), ascii);
    EXPECT_EQ(decode_xml("\xEF\xBB\xBF<a>中</a>"), "<a>中</a>");

    const std::string pubmed = read_file(data_dir + "biopython_Entrez_pubmed1.xml");
    EXPECT_EQ(decode_xml(pubmed), pubmed);
}

// Files parsed where they were read must be exactly those decode_xml leaves unchanged.
TEST(XmlDecoding, PlainUtf8IsParsedWithoutDecoding) {
    const std::string pubmed = read_file(data_dir + "biopython_Entrez_pubmed1.xml");
    EXPECT_TRUE(xml_is_plain_utf8(pubmed));
    EXPECT_TRUE(xml_is_plain_utf8("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>中</a>"));
    // A BOM is removed, a Chinese code page is transcoded, invalid UTF-8 is read as GB18030.
    EXPECT_FALSE(xml_is_plain_utf8("\xEF\xBB\xBF<a>x</a>"));
    EXPECT_FALSE(xml_is_plain_utf8("<?xml version=\"1.0\" encoding=\"GB2312\"?><a>x</a>"));
    EXPECT_FALSE(xml_is_plain_utf8("<a>" + utf8_to_gb18030("中文") + "</a>"));
    EXPECT_FALSE(xml_is_plain_utf8(std::string("\xFF\xFE<\0a\0/\0>\0", 10)));
}

TEST(TextOrder, IsGb18030ByteOrder) {
    // Common Chinese characters come in pinyin order: 阿 (a) < 北 (bei) < 中 (zhong).
    EXPECT_LT(compare_text("阿", "北"), 0);
    EXPECT_LT(compare_text("北", "中"), 0);
    // ASCII before Chinese, upper case before lower case, prefix first.
    EXPECT_LT(compare_text("Zeta", "阿"), 0);
    EXPECT_LT(compare_text("B", "a"), 0);
    EXPECT_LT(compare_text("肿瘤", "肿瘤学"), 0);
    EXPECT_EQ(compare_text("肿瘤", "肿瘤"), 0);
    // Two-byte codes sort after four-byte codes with the same lead byte (0x81 0x40 > 0x81 0x30).
    EXPECT_LT(compare_text("\u0080", "\u4E02"), 0);
    // UTF-8 order would put U+FF01 (！, A3A1) after 中 (D6D0); GB18030 order puts it before.
    EXPECT_LT(compare_text("！", "中"), 0);
    EXPECT_GT(std::string("！"), std::string("中"));
    // Agrees with byte comparison of the encodings on a mixed sample.
    const std::vector<std::string> sample = {"a", "中", "é", "𠀀", "€", "Ω", "！", "", "z"};
    for (const auto& x : sample) {
        for (const auto& y : sample) {
            const int want = utf8_to_gb18030(x).compare(utf8_to_gb18030(y));
            EXPECT_EQ(compare_text(x, y) < 0, want < 0) << x << " vs " << y;
            EXPECT_EQ(compare_text(x, y) == 0, want == 0) << x << " vs " << y;
        }
    }
}

} // namespace
