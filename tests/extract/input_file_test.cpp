// Reading input files whole: plain files as they are, gzip-compressed files (by their magic
// bytes, whatever their name) decompressed, damaged compressed data refused.
#include "extract/input_file.h"

#include "support/gzip.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>

namespace lumacite::extract {
namespace {

using testing::gzip;

std::string large_text() {
    std::string s;
    for (int i = 0; s.size() < (3u << 20); ++i) {
        s += "PT J\nAU Author" + std::to_string(i) + "\nTI A title of some length\nER\n";
    }
    return s;
}

TEST(InputFile, ReadsPlainAndCompressedFilesAlikeWithOneBuffer) {
    const std::string large = large_text();
    struct Case {
        std::string name, stored, expected;
        bool compressed;
    };
    const std::vector<Case> cases = {
        {"large.txt", large, large, false},
        {"empty.txt", "", "", false},
        {"one-byte", "\x1f", "\x1f", false}, // half a magic number is plain text
        {"a.xml", gzip("<S><R/></S>"), "<S><R/></S>", true},
        {"large.txt.gz", gzip(large), large, true},
        {"empty.gz", gzip(""), "", true},
        // Concatenated members read one after the other; zero padding after the last.
        {"members.gz", gzip("first;") + gzip("second"), "first;second", true},
        {"padded.gz", gzip("abc") + std::string(512, '\0'), "abc", true},
        {"small.txt", "PT J\n", "PT J\n", false},
    };
    testing::TempDir dir;
    InputFile input; // one buffer for every file, large ones and small ones in turn
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::write_file(dir / c.name, c.stored);
        ASSERT_EQ(input.read(dir / c.name), InputFile::Status::read);
        EXPECT_EQ(input.bytes(), c.expected);
        EXPECT_EQ(input.compressed(), c.compressed);
    }
}

TEST(InputFile, DamagedCompressedDataAndUnreadableFilesGiveNoBytes) {
    const std::string text = large_text();
    const std::string packed = gzip(text);
    std::string flipped = packed;
    flipped[packed.size() / 2] = static_cast<char>(flipped[packed.size() / 2] ^ 0x55);
    std::string bad_crc = packed;
    bad_crc[packed.size() - 6] = static_cast<char>(bad_crc[packed.size() - 6] ^ 1);
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"flipped.gz", flipped},
        {"cut-short.gz", packed.substr(0, packed.size() - 100)},
        {"no-trailer.gz", packed.substr(0, packed.size() - 4)},
        {"bad-crc.gz", bad_crc},
        {"header-only.gz", packed.substr(0, 10)},
        {"magic-only.xml", "\x1f\x8b"},
        {"trailing-junk.gz", gzip("abc") + "junk"},
        {"bad-second-member.gz", gzip("abc") + "\x1f\x8b\x08\x00garbage"},
    };
    testing::TempDir dir;
    InputFile input;
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        testing::write_file(dir / name, bytes);
        EXPECT_EQ(input.read(dir / name), InputFile::Status::corrupt_gzip);
        EXPECT_TRUE(input.bytes().empty());
    }
    EXPECT_EQ(input.read(dir / "missing.txt"), InputFile::Status::unreadable);
    EXPECT_EQ(input.read(dir.path()), InputFile::Status::unreadable);
    EXPECT_TRUE(input.bytes().empty());

    EXPECT_EQ(input_failure_message(InputFile::Status::unreadable, "/d/a.txt"),
              "“/d/a.txt”文件无法读取，提取已中止！\r");
    EXPECT_EQ(input_failure_message(InputFile::Status::corrupt_gzip, "/d/a.xml.gz"),
              "“/d/a.xml.gz”文件的压缩数据已损坏，无法解压，提取已中止！\r");
}

// Files of 8 MB and more are mapped. One that another program cuts short while it is read
// reads as zeros where its pages were lost, and says so, instead of ending the program;
// a SIGBUS that is no input file's still ends it.
TEST(InputFile, AMappedFileCutShortReadsAsZerosAndIsNotIntact) {
    std::string big;
    while (big.size() < (9u << 20)) {
        big += large_text();
    }
    testing::TempDir dir;
    testing::write_file(dir / "cut.txt", big);
    testing::write_file(dir / "kept.txt", big);
    InputFile cut;
    InputFile kept;
    ASSERT_EQ(cut.read(dir / "cut.txt"), InputFile::Status::read);
    ASSERT_EQ(kept.read(dir / "kept.txt"), InputFile::Status::read);
    EXPECT_EQ(cut.bytes(), big);
    EXPECT_TRUE(cut.intact());

    std::filesystem::resize_file(dir / "cut.txt", 4096);
    const std::string_view seen = cut.bytes();
    ASSERT_EQ(seen.size(), big.size());
    EXPECT_EQ(seen.substr(0, 4096), std::string_view(big).substr(0, 4096));
    EXPECT_EQ(seen.find_first_not_of('\0', 4096), std::string_view::npos);
    EXPECT_FALSE(cut.intact());
    EXPECT_EQ(kept.bytes(), big);
    EXPECT_TRUE(kept.intact());

    // The next file read starts intact.
    testing::write_file(dir / "small.txt", "PT J\n");
    ASSERT_EQ(cut.read(dir / "small.txt"), InputFile::Status::read);
    EXPECT_TRUE(cut.intact());

    // (A sanitizer's own handler may end the process another way: any death will do.)
    EXPECT_DEATH(
        {
            testing::write_file(dir / "other.bin", big);
            const int fd = ::open((dir / "other.bin").c_str(), O_RDONLY);
            const auto* p = static_cast<const volatile char*>(
                ::mmap(nullptr, big.size(), PROT_READ, MAP_PRIVATE, fd, 0));
            std::filesystem::resize_file(dir / "other.bin", 0);
            std::exit(p[big.size() - 1]);
        },
        "");
    EXPECT_DEATH(::raise(SIGBUS), "");
}

} // namespace
} // namespace lumacite::extract
