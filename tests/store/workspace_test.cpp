#include "messages.h"
#include "store/workspace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

using namespace lumacite::store;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
namespace fs = std::filesystem;

namespace {

struct Row {
    long long xuhao;
    std::string wenzhangha, guanjianzi, zhi;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rows(const std::vector<ValueRow>& in) {
    std::vector<Row> out;
    for (const auto& r : in) {
        out.push_back({r.xuhao, r.wenzhangha, r.guanjianzi, r.zhi});
    }
    return out;
}

std::vector<Row> all_rows(Workspace& ws) {
    return rows(ws.select_values(ValueFilter{}));
}

StatisticsRow stat(long long rank, const std::string& k, const std::string& zhi, long long n) {
    StatisticsRow r;
    r.xuhao = right_aligned(rank);
    r.guanjianzi = k;
    r.zhi = zhi;
    r.cishu = right_aligned(n);
    r.baifenbi = "50.0000";
    r.leijibi = "100.0000";
    return r;
}

TEST(Workspace, BindCreatesTheFolderAndBothTablesWithTheirLayouts) {
    TempDir home;
    {
        Workspace ws = Workspace::bind(home.path(), "A1");
        EXPECT_EQ(ws.folder(), home / "A1");
        EXPECT_EQ(ws.zidian_path(), home / "A1" / "zidianA1.dbf");
        EXPECT_EQ(ws.tongji_path(), home / "A1" / "tongjiA1.dbf");
        EXPECT_EQ(ws.zidian().layout().fields(), zidian_layout());
        EXPECT_EQ(ws.tongji().layout().fields(), tongji_layout());
        ws.append_value(1, "0000000001", "作者", "张三");
    }
    EXPECT_EQ(fs::file_size(home / "A1" / "tongjiA1.dbf"), 32u + 7 * 32 + 1 + 1);
    // Binding again opens the existing tables: the row is still there.
    {
        Workspace ws = Workspace::bind(home.path(), "A1");
        EXPECT_EQ(all_rows(ws), (std::vector<Row>{{1, "0000000001", "作者", "张三"}}));
    }
    // A folder deleted outside the program comes back with two empty tables.
    fs::remove_all(home / "A1");
    Workspace ws = Workspace::bind(home.path(), "A1");
    EXPECT_TRUE(fs::exists(ws.zidian_path()));
    EXPECT_TRUE(fs::exists(ws.tongji_path()));
    EXPECT_EQ(ws.value_record_count(), 0u);
}

TEST(Workspace, BindRefusesUnsafeNumbersAndForeignTables) {
    TempDir home;
    EXPECT_THROW(Workspace::bind(home.path(), ""), WorkspaceError);
    EXPECT_THROW(Workspace::bind(home.path(), ".."), WorkspaceError);
    EXPECT_THROW(Workspace::bind(home.path(), "a/b"), WorkspaceError);
    EXPECT_FALSE(fs::exists(home / "a"));
    // Only one level is created.
    EXPECT_THROW(Workspace::bind(home / "missing", "A1"), WorkspaceError);
    // A file of another layout under the table's name is not taken for zidian.
    fs::create_directory(home / "B");
    DbaseTable::create(home / "B" / "zidianB.dbf", temp_layout()).close();
    EXPECT_THROW(Workspace::bind(home.path(), "B"), WorkspaceError);
}

TEST(Workspace, ValueRowsAreStoredCutAndSelectedInTableOrder) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "P7");
    const std::string long_keyword = "一二三四五六七八九十甲乙丙丁戊己"; // 32 bytes
    const std::string long_value = std::string(253, 'x') + "张";         // 255 bytes
    ws.append_value(1, "a1", "作者", "甲");
    ws.append_value(1, "a1", "标题", "T");
    ws.append_value(2, "a2", "作者", "乙");
    ws.append_value(2, "a2", long_keyword, long_value);
    ws.append_value(1, "a3", "作者", "甲");

    EXPECT_EQ(rows(ws.select_values(ValueFilter::keyword("作者"))),
              (std::vector<Row>{
                  {1, "a1", "作者", "甲"}, {2, "a2", "作者", "乙"}, {1, "a3", "作者", "甲"}}));
    // The long keyword matches its stored, cut form; the value lost its last character.
    const auto cut = ws.select_values(ValueFilter::keyword(long_keyword));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].guanjianzi, "一二三四五六七八九十甲乙丙丁戊");
    EXPECT_EQ(cut[0].zhi, std::string(253, 'x'));
    EXPECT_EQ(cut[0].bianhao, "P7");
    EXPECT_EQ(cut[0].record, 3u);

    ValueFilter f = ValueFilter::keywords({"标题", "作者"});
    f.xuhao = 1;
    EXPECT_EQ(ws.count_values(f), 3u);
    f.zhi = "甲";
    EXPECT_EQ(ws.count_values(f), 2u);
    EXPECT_EQ(ws.distinct_articles(ValueFilter{}), (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(ws.distinct_articles(ValueFilter::keyword("标题")), (std::vector<std::string>{"a1"}));
}

TEST(Workspace, ScanHandsTheStoredBytesOfTheKeywordsRowsWithoutTheirPadding) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "P7");
    const std::string spaced = "a" + std::string(70, ' ') + "b"; // a blank run wider than 64
    const std::string wide = std::string(200, 'w') + "  z";
    // 3,000 rows of 407 bytes make two blocks and a part.
    for (int n = 0; n < 1000; ++n) {
        const std::string article = "A" + std::to_string(n);
        ws.append_value(1, article, "作者", n % 2 == 0 ? spaced : "王芳");
        ws.append_value(1, article, "期刊", wide);
        ws.append_value(1, article, "作者者", "x"); // shares the first bytes of 作者
    }
    ws.delete_values(ValueFilter::keyword("期刊"), 1); // A0's 期刊 row

    std::vector<std::string> seen;
    std::uint64_t selected = 0;
    std::uint64_t others = 0;
    std::uint64_t last_step = 0;
    ws.scan_values(
        {"作者", "期刊"}, true,
        [&](std::span<const StoredValue> rows) {
            for (const StoredValue& r : rows) {
                if (!r.selected) {
                    ++others;
                    EXPECT_EQ(r.zhi, "");
                    continue;
                }
                if (++selected <= 4) {
                    seen.push_back(std::string(r.wenzhangha) + "|" + std::string(r.zhi));
                }
            }
        },
        [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_EQ(total, 3000u);
            last_step = done;
        });
    EXPECT_EQ(seen, (std::vector<std::string>{"A0|" + spaced, "A1|\xCD\xF5\xB7\xBC", "A1|" + wide,
                                              "A2|" + spaced}));
    EXPECT_EQ(selected, 1999u);
    EXPECT_EQ(others, 1000u);
    EXPECT_EQ(last_step, 3000u);
}

TEST(Workspace, RemovingADocumentDeletesItsValuesAndClosesTheGap) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "A1");
    for (long long doc = 1; doc <= 3; ++doc) {
        ws.append_value(doc, "art" + std::to_string(doc), "作者", "v" + std::to_string(doc));
    }
    EXPECT_TRUE(ws.has_document_values(2));
    EXPECT_FALSE(ws.has_document_values(4));
    EXPECT_EQ(ws.delete_document_values(2), 1u);
    EXPECT_FALSE(ws.has_document_values(2));
    EXPECT_EQ(ws.close_document_gap(2), 1u);
    EXPECT_EQ(ws.pack_values(), 1u);
    EXPECT_EQ(all_rows(ws),
              (std::vector<Row>{{1, "art1", "作者", "v1"}, {2, "art3", "作者", "v3"}}));
    EXPECT_EQ(ws.value_record_count(), 2u);
}

TEST(Workspace, EmptyValuesUpdatesAndDeletionsByFilter) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "A1");
    ws.append_value(1, "a1", "作者", "Smith");
    ws.append_value(1, "a1", "作者", "");
    ws.append_value(2, "a2", "作者", "   ");
    ws.append_value(1, "a1", "作者", "Smith");
    ws.append_value(2, "a2", "作者", "Smith");
    EXPECT_EQ(ws.delete_empty_values(), 2u);

    ValueFilter one;
    one.xuhao = 1;
    one.wenzhangha = "a1";
    one.guanjianzi = {"作者"};
    one.zhi = "Smith";
    EXPECT_EQ(ws.update_values(one, "SMITH J", 1), 1u); // the first of two equal rows
    ValueFilter same = ValueFilter::keyword("作者");
    same.zhi = "Smith";
    EXPECT_EQ(ws.delete_values(same), 2u); // in every document
    ws.pack_values();
    EXPECT_EQ(all_rows(ws), (std::vector<Row>{{1, "a1", "作者", "SMITH J"}}));
}

TEST(Workspace, RewriteAndDeleteWithPackInOnePass) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "A1");
    ws.append_value(1, "a1", "作者", "Li");
    ws.append_value(1, "a2", "作者", "Wu");
    ws.append_value(1, "a1", "期刊", "Li");
    ws.append_value(2, "a1", "作者", "Li");
    ValueFilter f = ValueFilter::keyword("作者");
    f.xuhao = 1;
    // Rows left alone and rows given their own value again are not counted.
    EXPECT_EQ(ws.rewrite_values(f,
                                [](const ValueRow& r) -> std::optional<std::string> {
                                    if (r.wenzhangha == "a2") {
                                        return r.zhi;
                                    }
                                    return r.zhi + std::string(300, '+');
                                }),
              1u);
    EXPECT_EQ(all_rows(ws)[0].zhi, "Li" + std::string(252, '+'));

    // Nothing to remove: the table stays as it is, no new file is left behind.
    const auto before = read_file(ws.zidian_path());
    auto none = [](const ValueRow&) { return false; };
    EXPECT_EQ(ws.delete_values_and_pack(f, none), 0u);
    EXPECT_EQ(read_file(ws.zidian_path()), before);
    EXPECT_FALSE(fs::exists(home / "A1" / "zidianA1.dbf.pack"));

    // Rows marked deleted before go with the rows taken.
    ValueFilter journal = ValueFilter::keyword("期刊");
    EXPECT_EQ(ws.delete_values(journal), 1u);
    EXPECT_EQ(ws.delete_values_and_pack(f, [](const ValueRow& r) { return r.zhi == "Wu"; }), 1u);
    EXPECT_EQ(ws.value_record_count(), 2u);
    EXPECT_EQ(all_rows(ws)[1], (Row{2, "a1", "作者", "Li"}));
}

TEST(Workspace, StatisticsRowsPerKeyword) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "A1");
    EXPECT_EQ(right_aligned(1), "         1");
    ws.append_statistic(stat(10, "作者", "j", 1));
    ws.append_statistic(stat(2, "作者", "b", 5));
    ws.append_statistic(stat(1, "年代", "2001", 3));
    ws.append_statistic(stat(1, "作者", "a", 9));
    EXPECT_TRUE(ws.has_statistics("作者"));
    EXPECT_FALSE(ws.has_statistics("作"));

    const auto s = ws.statistics("作者");
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].zhi, "a");
    EXPECT_EQ(s[1].zhi, "b");
    EXPECT_EQ(s[2].zhi, "j"); // rank 10 after rank 2: the padding orders them
    EXPECT_EQ(s[0].xuhao, "         1");
    EXPECT_EQ(s[0].cishu, "         9");
    EXPECT_EQ(s[0].bianhao, "A1");
    EXPECT_EQ(s[0].leijibi, "100.0000");

    EXPECT_EQ(ws.delete_statistics("作者"), 3u);
    EXPECT_EQ(ws.pack_statistics(), 3u);
    EXPECT_EQ(ws.all_statistics().size(), 1u);
    EXPECT_EQ(ws.statistics("年代")[0].zhi, "2001");
    EXPECT_EQ(ws.clear_statistics(), 1u);
    EXPECT_TRUE(ws.all_statistics().empty());
}

TEST(Workspace, TempIsReplacedNeverAppendedTo) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "A1");
    {
        TempTable t = ws.rebuild_temp();
        t.append("a1", "x");
        t.append("a2", "y");
        t.close();
    }
    EXPECT_TRUE(fs::exists(home / "A1" / "temp.dbf"));
    TempTable t = ws.rebuild_temp();
    EXPECT_EQ(t.size(), 0u);
    t.append("a3", "张");
    EXPECT_EQ(t.rows(), (std::vector<TempRow>{{"a3", "张"}}));
    EXPECT_EQ(t.table().layout().fields(), temp_layout());
}

TEST(Workspace, OneWriterAtATimeWhileReadersReadWithoutALock) {
    TempDir home;
    Workspace writer = Workspace::bind(home.path(), "A1");
    EXPECT_TRUE(writer.writable());
    writer.append_value(1, "a1", "作者", "甲");
    writer.flush();
    try {
        Workspace::bind(home.path(), "A1");
        FAIL() << "a second writer";
    } catch (const LockBusy& e) {
        EXPECT_STREQ(e.what(), lumacite::msg::project_in_use);
    }
    EXPECT_EQ(std::string(lumacite::msg::project_in_use),
              "项目正被另一个程序使用，请待其完成后再试！\r");

    Workspace reader = Workspace::open_read_only(home.path(), "A1");
    EXPECT_FALSE(reader.writable());
    EXPECT_EQ(all_rows(reader), (std::vector<Row>{{1, "a1", "作者", "甲"}}));
    EXPECT_THROW(reader.append_value(1, "a2", "作者", "乙"), DbaseError);
    EXPECT_THROW(reader.delete_empty_values(), DbaseError);
    // Another project may be written meanwhile.
    Workspace::bind(home.path(), "B1").close();

    // A reader whose folder cannot be written gets a scratch table that keeps nothing.
    ::chmod((home / "A1").c_str(), 0555);
    const bool folder_writable = ::access((home / "A1").c_str(), W_OK) == 0; // the super-user
    TempTable scratch = reader.rebuild_temp();
    scratch.append("a", "b");
    EXPECT_EQ(scratch.kept(), folder_writable);
    ::chmod((home / "A1").c_str(), 0755);

    writer.close();
    Workspace next = Workspace::bind(home.path(), "A1");
    EXPECT_EQ(all_rows(next).size(), 1u);
}

TEST(Workspace, RewritesReplaceATableAtOnce) {
    TempDir home;
    Workspace ws = Workspace::bind(home.path(), "A1");
    for (long long doc = 1; doc <= 3; ++doc) {
        ws.append_value(doc, "art" + std::to_string(doc), "作者", "v" + std::to_string(doc));
    }
    ws.append_statistic(stat(1, "作者", "a", 2));
    ws.append_statistic(stat(1, "年代", "2001", 3));
    ws.append_statistic(stat(2, "作者", "b", 1));
    ws.commit();

    // A reader that opened the tables before keeps a whole view: the old rows.
    Workspace before = Workspace::open_read_only(home.path(), "A1");
    std::vector<StatisticsRow> fresh{stat(1, "作者", "c", 4)};
    ws.replace_statistics("作者", fresh);
    ws.install_values(ws.stage_values_without_document(2, true));
    EXPECT_EQ(before.statistics("作者").size(), 2u);
    EXPECT_EQ(all_rows(before).size(), 3u);

    std::vector<std::string> order;
    for (const auto& r : ws.all_statistics()) {
        order.push_back(r.guanjianzi + ":" + r.zhi + ":" + r.bianhao);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"年代:2001:A1", "作者:c:A1"}));
    EXPECT_EQ(all_rows(ws),
              (std::vector<Row>{{1, "art1", "作者", "v1"}, {2, "art3", "作者", "v3"}}));
    Workspace after = Workspace::open_read_only(home.path(), "A1");
    EXPECT_EQ(after.statistics("作者").size(), 1u);
    EXPECT_EQ(all_rows(after).size(), 2u);

    ws.install_statistics(ws.stage_statistics(std::nullopt));
    EXPECT_TRUE(ws.all_statistics().empty());
    EXPECT_FALSE(fs::exists(home / "A1" / "tongjiA1.dbf.pack"));
    EXPECT_FALSE(fs::exists(home / "A1" / "zidianA1.dbf.pack"));
}

} // namespace

namespace {

TEST(Workspace, ReadOnlyOpeningReadsWithoutChangingAnything) {
    TempDir dir;
    EXPECT_THROW(Workspace::open_read_only(dir.path(), "P1"), WorkspaceError);
    EXPECT_FALSE(fs::exists(dir / "P1")); // nothing created
    {
        auto ws = Workspace::bind(dir.path(), "P1");
        ws.append_value(1, "A1", "K", "v1");
        ws.append_value(1, "A2", "K", "v2");
        ws.append_statistic(stat(1, "K", "v1", 1));
        ws.close();
    }
    // A half-written last record, as an interrupted run leaves it.
    const auto zidian = dir / "P1" /
                        "zidian"
                        "P1.dbf";
    std::string bytes = read_file(zidian);
    bytes.pop_back(); // the end marker
    bytes += "  half";
    write_file(zidian, bytes);

    auto ws = Workspace::open_read_only(dir.path(), "P1");
    EXPECT_TRUE(ws.zidian().is_read_only());
    EXPECT_EQ(all_rows(ws), (std::vector<Row>{{1, "A1", "K", "v1"}, {1, "A2", "K", "v2"}}));
    EXPECT_EQ(ws.statistics("K").size(), 1u);
    EXPECT_THROW(ws.append_value(1, "A3", "K", "v3"), DbaseError);
    EXPECT_THROW(ws.delete_values(ValueFilter::keyword("K")), DbaseError);
    EXPECT_THROW(ws.pack_statistics(), DbaseError);
    ws.close();
    EXPECT_EQ(read_file(zidian), bytes); // not repaired on disk
}

} // namespace
