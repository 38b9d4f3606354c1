#include "store/dbase.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <sys/resource.h>

using namespace lumacite::store;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;

namespace {

std::vector<DbaseField> small_layout() {
    return {DbaseField::character("name", 10), DbaseField::integer("n", 5)};
}

std::uint32_t header_count(const std::string& bytes) {
    return static_cast<unsigned char>(bytes[4]) | static_cast<unsigned char>(bytes[5]) << 8 |
           static_cast<unsigned char>(bytes[6]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[7])) << 24;
}

void set_header_count(const std::filesystem::path& file, std::uint32_t n) {
    std::string bytes = read_file(file);
    for (int i = 0; i < 4; ++i) {
        bytes[4 + static_cast<std::size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    write_file(file, bytes);
}

std::vector<std::string> names(DbaseTable& t) {
    std::vector<std::string> out;
    t.for_each([&](const DbaseRecordView& r) { out.push_back(r.text(0)); });
    return out;
}

TEST(Dbase, HeaderAndDescriptorsAreDbaseThreeWithTheChineseDriver) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    DbaseTable::create(file,
                       {DbaseField::character("wenzhangha", 50), DbaseField::integer("xuhao")})
        .close();
    const std::string b = read_file(file);
    ASSERT_EQ(b.size(), 32u + 2 * 32 + 1 + 1); // header, two descriptors, 0x0D, end marker
    EXPECT_EQ(b[0], '\x03');
    EXPECT_EQ(header_count(b), 0u);
    EXPECT_EQ(static_cast<unsigned char>(b[8]) | static_cast<unsigned char>(b[9]) << 8, 97);
    EXPECT_EQ(static_cast<unsigned char>(b[10]) | static_cast<unsigned char>(b[11]) << 8,
              1 + 50 + 11);
    EXPECT_EQ(static_cast<unsigned char>(b[29]), 0x7A);
    EXPECT_EQ(b.substr(32, 11), std::string("wenzhangha\0", 11));
    EXPECT_EQ(b[32 + 11], 'C');
    EXPECT_EQ(static_cast<unsigned char>(b[32 + 16]), 50);
    EXPECT_EQ(b.substr(64, 6), std::string("xuhao\0", 6));
    EXPECT_EQ(b[64 + 11], 'N');
    EXPECT_EQ(static_cast<unsigned char>(b[64 + 16]), 11);
    EXPECT_EQ(b[96], '\x0D');
    EXPECT_EQ(b[97], '\x1A');

    DbaseTable t = DbaseTable::open(file);
    EXPECT_FALSE(t.was_repaired());
    EXPECT_EQ(t.layout().fields(), (std::vector<DbaseField>{DbaseField::character("wenzhangha", 50),
                                                            DbaseField::integer("xuhao")}));
    EXPECT_EQ(t.layout().index("XUHAO"), 1u);
    EXPECT_THROW(t.layout().index("zhi"), DbaseError);
}

TEST(Dbase, TextIsGb18030BlankPaddedAndIntegersRightAligned) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    {
        DbaseTable t = DbaseTable::create(file, small_layout());
        t.append({std::string_view("张三"), 42LL});
        t.append({std::string_view("ab"), std::string_view(" 7 ")}); // text into N
        t.append({});                                                // all blank
        t.close();
    }
    const std::string b = read_file(file);
    const std::size_t data = 32 + 2 * 32 + 1;
    EXPECT_EQ(header_count(b), 3u);
    EXPECT_EQ(b.substr(data, 16), std::string(" \xD5\xC5\xC8\xFD      ") + "   42");
    EXPECT_EQ(b.substr(data + 16, 16), " ab            7");
    EXPECT_EQ(b.substr(data + 32, 16), std::string(16, ' '));
    EXPECT_EQ(b.back(), '\x1A');

    DbaseTable t = DbaseTable::open(file);
    auto r = t.read(0);
    EXPECT_EQ(r.view().text(0), "张三");
    EXPECT_EQ(r.view().integer(1), 42);
    EXPECT_EQ(t.read(1).view().integer(1), 7);
    EXPECT_EQ(t.read(2).view().integer(1), std::nullopt);
    EXPECT_EQ(t.read(2).view().text(0), "");
    EXPECT_THROW(t.read(3), DbaseError);
}

TEST(Dbase, LongTextIsCutWithoutSplittingACharacter) {
    TempDir dir;
    DbaseTable t = DbaseTable::create(dir / "t.dbf", {DbaseField::character("s", 5)});
    // U+20000 takes four bytes in GB18030, 张 takes two.
    t.append({std::string_view("ab\U00020000")}); // 2 + 4 > 5: the character goes
    t.append({std::string_view("a\U00020000")});  // exactly 5
    t.append({std::string_view("abcd张")});       // 4 + 2 > 5
    t.append({std::string_view("\U00020000\U00020000")});
    EXPECT_EQ(t.read(0).view().raw(0), "ab   ");
    EXPECT_EQ(t.read(1).view().text(0), "a\U00020000");
    EXPECT_EQ(t.read(1).view().raw(0), "a\x95\x32\x82\x36");
    EXPECT_EQ(t.read(2).view().raw(0), "abcd ");
    EXPECT_EQ(t.read(3).view().text(0), "\U00020000");
}

TEST(Dbase, BadValuesAndBadFilesAreErrors) {
    TempDir dir;
    DbaseTable t = DbaseTable::create(dir / "t.dbf", small_layout());
    EXPECT_THROW(t.append({std::string_view("x"), 123456LL}), DbaseError); // 6 digits in N5
    EXPECT_THROW(t.append({std::string_view("x"), std::string_view("12a")}), DbaseError);
    EXPECT_THROW(t.append({std::string_view("x"), 1LL, 2LL}), DbaseError); // three values
    EXPECT_EQ(t.record_count(), 0u);
    // A value refused halfway through a record leaves nothing of it behind; values that
    // repeat from record to record are stored alike.
    for (const auto& [name, n] : {std::pair{"名字", 5LL}, std::pair{"名字", 5LL},
                                  std::pair{"名称", 5LL}, std::pair{"名字", 6LL}}) {
        t.append({std::string_view(name), n});
    }
    t.flush();
    EXPECT_EQ(read_file(dir / "t.dbf").size(), 32u + 2 * 32 + 1 + 4 * 16 + 1);
    EXPECT_EQ(names(t), (std::vector<std::string>{"名字", "名字", "名称", "名字"}));
    EXPECT_EQ(t.read(2).view().integer(1), 5);
    EXPECT_EQ(t.read(3).view().integer(1), 6);
    EXPECT_THROW(DbaseTable::create(dir / "t.dbf", small_layout()), DbaseError);
    EXPECT_THROW(DbaseTable::create(dir / "u.dbf", {DbaseField::character("elevenchars", 5)}),
                 DbaseError);

    write_file(dir / "text.dbf", "this is not a table at all, only some text\n");
    EXPECT_THROW(DbaseTable::open(dir / "text.dbf"), DbaseError);
    EXPECT_THROW(DbaseTable::open(dir / "missing.dbf"), DbaseError);
}

TEST(Dbase, BlockScansOfALargeTableKeepFileOrderStopWhenToldAndReportAShortFile) {
    // 212-byte records: 1,236 to a block of 256 KB, so 3,000 records fill three blocks
    // handed out in file order.
    TempDir dir;
    const auto file = dir / "big.dbf";
    DbaseTable t =
        DbaseTable::create(file, {DbaseField::character("name", 200), DbaseField::integer("n")});
    for (long long n = 0; n < 3000; ++n) {
        t.append({std::string_view("r" + std::to_string(n)), n});
    }
    t.sync();
    const std::size_t length = t.layout().record_length();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks;
    std::uint32_t wrong = 0;
    t.for_each_block([&](const char* records, std::uint32_t first, std::uint32_t count) {
        blocks.emplace_back(first, count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const DbaseRecordView r(t.layout(), records + i * length, first + i);
            wrong += r.integer(1) != static_cast<long long>(first + i) ||
                     r.text(0) != "r" + std::to_string(first + i);
        }
        return false;
    });
    EXPECT_EQ(blocks, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                          {0, 1236}, {1236, 1236}, {2472, 528}}));
    EXPECT_EQ(wrong, 0u);

    std::vector<std::uint32_t> firsts;
    t.for_each_block([&](const char*, std::uint32_t first, std::uint32_t) {
        firsts.push_back(first);
        return first > 0; // stop after the second block
    });
    EXPECT_EQ(firsts, (std::vector<std::uint32_t>{0, 1236}));

    // The file cut short under the open table: the blocks before the cut are handed
    // out, then the read error reaches the caller.
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 300 * length);
    firsts.clear();
    try {
        t.for_each_block([&](const char*, std::uint32_t first, std::uint32_t) {
            firsts.push_back(first);
            return false;
        });
        ADD_FAILURE() << "no error";
    } catch (const DbaseError& e) {
        EXPECT_EQ(std::string(e.what()), file.string() + ": the file ends early");
    }
    EXPECT_EQ(firsts, (std::vector<std::uint32_t>{0, 1236}));
}

TEST(Dbase, RecordsReachTheFileBeforeTheCountIncludesThem) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    DbaseTable t = DbaseTable::create(file, {DbaseField::character("s", 254)});
    // More than one batch of appends, never flushed by hand.
    for (int i = 0; i < 20000; ++i) {
        t.append({std::string_view(std::to_string(i))});
    }
    const std::string b = read_file(file);
    const std::uint32_t counted = header_count(b);
    EXPECT_GT(counted, 0u);
    EXPECT_LT(counted, 20000u);
    EXPECT_GE(b.size(), 32u + 32 + 1 + counted * 255u); // every counted record is there
    EXPECT_EQ(t.record_count(), 20000u);
    t.flush();
    EXPECT_EQ(header_count(read_file(file)), 20000u);
    EXPECT_EQ(t.read(19999).view().text(0), "19999");
}

// Batches written by the table's own thread give the file of batches written in place,
// with reads, changes and a move of the table among the appends; a batch whose write
// fails is buffered again and written later, nothing lost and nothing written twice.
TEST(Dbase, BatchesWrittenBehindGiveTheFileOfBatchesWrittenInPlace) {
    TempDir dir;
    const auto fill = [&](const std::string& name, bool behind, bool changes) {
        DbaseTable t = DbaseTable::create(dir / name, {DbaseField::character("s", 254)});
        if (behind) {
            t.write_behind();
        }
        for (int i = 0; i < 40000; ++i) {
            t.append({std::string_view(std::to_string(i))});
            if (changes && i == 25000) {
                EXPECT_EQ(t.read(17).view().text(0), "17");
                t.mark_deleted(3);
            }
        }
        DbaseTable moved = std::move(t);
        for (int i = 40000; i < 50000; ++i) {
            moved.append({std::string_view(std::to_string(i))});
        }
        moved.close();
        return read_file(dir / name);
    };
    const std::string in_place = fill("in-place.dbf", false, true);
    EXPECT_EQ(header_count(in_place), 50000u);
    EXPECT_TRUE(fill("behind.dbf", true, true) == in_place);

    // The file may not grow past 6 MB for a while: a batch fails, then goes in later.
    const std::string plain = fill("plain.dbf", false, false);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit low = old_limit;
    low.rlim_cur = 6u << 20;
    {
        DbaseTable t = DbaseTable::create(dir / "limited.dbf", {DbaseField::character("s", 254)});
        t.write_behind();
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
        int failures = 0;
        for (int i = 0; i < 50000; ++i) {
            try {
                t.append({std::string_view(std::to_string(i))});
            } catch (const DbaseError& e) {
                EXPECT_NE(std::string(e.what()).find("cannot write"), std::string::npos);
                ++failures;
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old_limit), 0);
                --i; // the record was not taken
            }
        }
        setrlimit(RLIMIT_FSIZE, &old_limit);
        EXPECT_EQ(failures, 1);
        EXPECT_EQ(t.record_count(), 50000u);
    }
    std::signal(SIGXFSZ, old_handler);
    EXPECT_TRUE(read_file(dir / "limited.dbf") == plain);
}

TEST(Dbase, OpeningRepairsTheCountAfterACrash) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    {
        DbaseTable t = DbaseTable::create(file, small_layout());
        for (int i = 0; i < 5; ++i) {
            t.append({std::string_view("r" + std::to_string(i)), static_cast<long long>(i)});
        }
    }
    const std::size_t data = 32 + 2 * 32 + 1;

    // Five records written, the count still says three: the rows are kept.
    set_header_count(file, 3);
    {
        DbaseTable t = DbaseTable::open(file);
        EXPECT_TRUE(t.was_repaired());
        EXPECT_EQ(t.record_count(), 5u);
        EXPECT_EQ(names(t), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));
    }
    EXPECT_EQ(header_count(read_file(file)), 5u);

    // A half-written sixth record without end marker: cut off, the five stay.
    std::string b = read_file(file);
    b.pop_back(); // end marker
    b += " r5  ";
    write_file(file, b);
    {
        DbaseTable t = DbaseTable::open(file);
        EXPECT_TRUE(t.was_repaired());
        EXPECT_EQ(t.record_count(), 5u);
        t.append({std::string_view("r6"), 6LL});
        EXPECT_EQ(names(t).back(), "r6");
    }
    b = read_file(file);
    EXPECT_EQ(b.size(), data + 6 * 16 + 1);
    EXPECT_EQ(header_count(b), 6u);

    // A count above what the file holds (a truncated file) comes down.
    set_header_count(file, 40);
    {
        DbaseTable t = DbaseTable::open(file);
        EXPECT_TRUE(t.was_repaired());
        EXPECT_EQ(t.record_count(), 6u);
    }
    // A sound file is left alone.
    DbaseTable t = DbaseTable::open(file);
    EXPECT_FALSE(t.was_repaired());
}

TEST(Dbase, DeletedMarksUpdatesAndPack) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    DbaseTable t = DbaseTable::create(file, small_layout());
    for (int i = 0; i < 6; ++i) {
        t.append({std::string_view("r" + std::to_string(i)), static_cast<long long>(i)});
    }
    t.mark_deleted(1);
    // Delete by condition and update in place in one pass.
    const auto changed = t.modify([](DbaseRecordEdit& r) {
        if (r.integer(1) == 3) {
            r.set_deleted(true);
            return true;
        }
        if (r.integer(1) == 4) {
            r.set_text(0, "改");
            r.set_integer(1, 40);
            return true;
        }
        return false;
    });
    EXPECT_EQ(changed, 2u);
    t.flush();
    const std::string b = read_file(file);
    const std::size_t data = 32 + 2 * 32 + 1;
    EXPECT_EQ(b[data + 16], '*');
    EXPECT_EQ(b[data + 3 * 16], '*');
    EXPECT_EQ(b[data + 4 * 16], ' ');
    EXPECT_EQ(names(t), (std::vector<std::string>{"r0", "r2", "改", "r5"}));
    EXPECT_EQ(t.find_first([](const DbaseRecordView& r) { return r.integer(1) == 40; }), 4u);

    auto rec = t.read(2);
    rec.edit().set_text(0, "two");
    t.write(rec);

    EXPECT_EQ(t.pack(), 2u);
    EXPECT_EQ(t.record_count(), 4u);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.dbf.pack"));
    EXPECT_EQ(read_file(file).size(), data + 4 * 16 + 1);
    EXPECT_EQ(t.find_first([](const DbaseRecordView& r) { return r.integer(1) == 40; }), 2u);
    // The packed table works on: append, reopen.
    t.append({std::string_view("r6"), 6LL});
    t.close();
    DbaseTable again = DbaseTable::open(file);
    EXPECT_FALSE(again.was_repaired());
    EXPECT_EQ(names(again), (std::vector<std::string>{"r0", "two", "改", "r5", "r6"}));
    EXPECT_EQ(again.pack(), 0u);
}

TEST(Dbase, PackIsRefusedWhileAnotherHandleHasTheTable) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    DbaseTable t = DbaseTable::create(file, small_layout());
    t.append({std::string_view("a")});
    t.mark_deleted(0);
    {
        DbaseTable other = DbaseTable::open(file);
        EXPECT_THROW(t.pack(), DbaseError);
        EXPECT_EQ(t.record_count(), 1u);
    }
    EXPECT_EQ(t.pack(), 1u);
    EXPECT_EQ(t.record_count(), 0u);
}

} // namespace

namespace {

TEST(Dbase, AReaderSeesWhatARepairWouldKeepAndChangesNothing) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    {
        DbaseTable t = DbaseTable::create(file, small_layout());
        for (int i = 0; i < 5; ++i) {
            t.append({std::string_view("r" + std::to_string(i)), static_cast<long long>(i)});
        }
    }
    // Five records and half of a sixth written, the count still at three: a kill.
    set_header_count(file, 3);
    std::string b = read_file(file);
    b.pop_back();
    b += " r5";
    write_file(file, b);
    {
        DbaseTable r = DbaseTable::open(file, DbaseTable::Access::read_only);
        EXPECT_TRUE(r.is_read_only());
        EXPECT_TRUE(r.was_repaired());
        EXPECT_EQ(r.record_count(), 5u);
        EXPECT_EQ(names(r), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));
        EXPECT_THROW(r.append({std::string_view("x")}), DbaseError);
        EXPECT_THROW(r.mark_deleted(0), DbaseError);
        EXPECT_THROW(r.modify([](DbaseRecordEdit&) { return false; }), DbaseError);
        EXPECT_THROW(r.pack(), DbaseError);
    }
    EXPECT_EQ(read_file(file), b); // not a byte changed
}

TEST(Dbase, ARewriteReplacesTheTableAtOnceAndLeavesNothingWhenDropped) {
    TempDir dir;
    const auto file = dir / "t.dbf";
    const auto staged = dir / "t.dbf.pack";
    DbaseTable t = DbaseTable::create(file, small_layout());
    for (int i = 0; i < 4; ++i) {
        t.append({std::string_view("r" + std::to_string(i)), static_cast<long long>(i)});
    }
    t.mark_deleted(1);
    t.flush();
    const std::string before = read_file(file);

    // Dropped without install: the table stands as it was, the new file is gone.
    {
        DbaseTable rewrite = t.begin_rewrite();
        rewrite.append({std::string_view("new")});
        EXPECT_TRUE(std::filesystem::exists(staged));
    }
    EXPECT_FALSE(std::filesystem::exists(staged));
    EXPECT_EQ(read_file(file), before);

    // Kept records may change; appended ones follow; until install nobody sees them.
    DbaseTable rewrite = t.begin_rewrite([](DbaseRecordEdit& r) {
        if (r.integer(1) == 2) {
            return false;
        }
        r.set_integer(1, *r.integer(1) * 10);
        return true;
    });
    rewrite.append({std::string_view("r9"), 9LL});
    EXPECT_EQ(read_file(file), before);
    t.install(std::move(rewrite));
    EXPECT_FALSE(std::filesystem::exists(staged));
    EXPECT_EQ(names(t), (std::vector<std::string>{"r0", "r3", "r9"}));
    EXPECT_EQ(t.read(1).view().integer(1), 30);
    DbaseTable reader = DbaseTable::open(file, DbaseTable::Access::read_only);
    EXPECT_FALSE(reader.was_repaired());
    EXPECT_EQ(names(reader), (std::vector<std::string>{"r0", "r3", "r9"}));

    // A rewrite a kill left behind goes when the table is next opened for writing; a
    // reader leaves it.
    t.close();
    write_file(staged, "half a table");
    DbaseTable::open(file, DbaseTable::Access::read_only).close();
    EXPECT_TRUE(std::filesystem::exists(staged));
    DbaseTable again = DbaseTable::open(file);
    EXPECT_FALSE(std::filesystem::exists(staged));
    EXPECT_EQ(names(again), (std::vector<std::string>{"r0", "r3", "r9"}));
}

} // namespace
