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
