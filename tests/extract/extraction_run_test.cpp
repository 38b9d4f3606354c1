#include "extract/extraction_run.h"

#include "extract_test_support.h"
#include "messages.h"
#include "store/workspace.h"
#include "support/gzip.h"
#include "support/temp_dir.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lumacite::extract {
namespace {

using testing::definition;
using testing::RecordingProgress;
using testing::txt_format;

// The value table in memory, with a log of the table operations.
class MemoryTable final : public ValueTable {
public:
    bool has_document_rows(long long xuhao) override {
        return std::any_of(rows.begin(), rows.end(),
                           [&](const ValueRow& r) { return r.xuhao == xuhao; });
    }
    void delete_document_rows(long long xuhao) override {
        log.push_back("delete " + std::to_string(xuhao));
        std::erase_if(rows, [&](const ValueRow& r) { return r.xuhao == xuhao; });
    }
    void clear_statistics() override {
        log.push_back("clear statistics");
        statistics = 0;
    }
    void append(const ValueRow& row) override { rows.push_back(row); }
    void delete_empty_values() override {
        log.push_back("delete empty");
        std::erase_if(rows, [](const ValueRow& r) { return r.zhi.empty(); });
    }
    void flush() override { log.push_back("flush"); }

    std::vector<ValueRow> rows;
    std::vector<std::string> log;
    int statistics = 7;
};

std::vector<store::Definition> wos_definitions() {
    return {definition("<文章节点>", "PT ", std::nullopt, std::nullopt, 1),
            definition("作者", "AU ", "2"), definition("标题", "TI ", "3")};
}

ExtractionRequest request_for(const std::filesystem::path& folder, store::Document doc) {
    ExtractionRequest r;
    r.bianhao = "P1";
    r.document = std::move(doc);
    r.project_folder = folder;
    r.format = txt_format(wos_definitions());
    return r;
}

std::vector<std::string> zhi_of(const std::vector<ValueRow>& rows, long long xuhao) {
    std::vector<std::string> out;
    for (const auto& r : rows) {
        if (r.xuhao == xuhao) {
            out.push_back(r.guanjianzi + "=" + r.zhi);
        }
    }
    return out;
}

TEST(RowWriter, TrimsSubstitutesAndCutsAtCharacterBoundaries) {
    MemoryTable table;
    RowWriter writer(table, std::string(60, 'N'), 3);
    // 253 bytes, then a four-byte GB18030 character that would end at byte 257.
    const std::string long_value = std::string(253, 'a') + "\xF0\xA0\x80\x80" + "tail";
    writer.write(" 0000000001 ", "作者", "  O'Hara K \t");
    writer.write("1", "一二三四五六七八九十一二三四五六", long_value);
    writer.write(std::string(49, '9') + "中", "K", "中" + std::string(252, 'b') + "中");
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0], (ValueRow{std::string(50, 'N'), 3, "0000000001", "作者", "O′Hara K"}));
    EXPECT_EQ(table.rows[1].zhi, std::string(253, 'a'));
    EXPECT_EQ(table.rows[1].guanjianzi, "一二三四五六七八九十一二三四五"); // 30 bytes
    EXPECT_EQ(table.rows[2].wenzhangha, std::string(49, '9'));
    EXPECT_EQ(table.rows[2].zhi, "中" + std::string(252, 'b'));
    EXPECT_EQ(text::gb18030_width(table.rows[2].zhi), 254u);
    // A cut that ends on a blank or a control character drops it: stored texts are trimmed.
    writer.write(std::string(49, '1') + "\x01" + "2", "K", std::string(253, 'c') + " \t" + "d");
    EXPECT_EQ(table.rows[3].wenzhangha, std::string(49, '1'));
    EXPECT_EQ(table.rows[3].zhi, std::string(253, 'c'));
    EXPECT_EQ(writer.rows_written(), 4);
}

TEST(DocumentFiles, DirectoryEntryListsMatchingFilesInNameOrder) {
    testing::TempDir dir;
    for (const char* name :
         {"b.txt", "A.TXT", "c.Txt", "d.txt.bak", "e.csv", "ftxt", "._b.txt", ".txt"}) {
        testing::write_file(dir / name, "x");
    }
    std::filesystem::create_directory(dir / "sub.txt");
    const store::Document entry{"P1", 1, dir.path().string(), "TXT"};
    const auto files = document_files(entry, "/unused");
    std::vector<std::string> names;
    for (const auto& f : files) {
        names.push_back(f.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.TXT", "b.txt", "c.Txt"}));
    EXPECT_TRUE(is_directory_entry(entry));

    const store::Document file_entry{"P1", 2, "copy.txt", "  "};
    EXPECT_FALSE(is_directory_entry(file_entry));
    EXPECT_EQ(document_files(file_entry, dir.path()),
              (std::vector<std::filesystem::path>{dir / "copy.txt"}));
    EXPECT_TRUE(document_files({"P1", 3, (dir / "gone").string(), "TXT"}, "/").empty());
}

// An extension of two parts is matched as a whole suffix, without regard to case.
TEST(DocumentFiles, ExtensionOfTwoPartsIsTheWholeSuffix) {
    testing::TempDir dir;
    for (const char* name :
         {"a.tar.gz", "B.TAR.GZ", "c.gz", "dtar.gz", "e.xtar.gz", "f.Xml.Gz", "g.xml.gz.part"}) {
        testing::write_file(dir / name, "x");
    }
    auto names = [&](const char* extension) {
        std::vector<std::string> out;
        for (const auto& f : document_files({"P1", 1, dir.path().string(), extension}, "/")) {
            out.push_back(f.filename().string());
        }
        return out;
    };
    EXPECT_EQ(names("TAR.GZ"), (std::vector<std::string>{"a.tar.gz", "B.TAR.GZ"}));
    EXPECT_EQ(names("XML.GZ"), std::vector<std::string>{"f.Xml.Gz"});
    EXPECT_EQ(names("GZ"), (std::vector<std::string>{"a.tar.gz", "B.TAR.GZ", "c.gz", "dtar.gz",
                                                     "e.xtar.gz", "f.Xml.Gz"}));
}

TEST(ExtractionRun, DirectoryFilesInOrderWithTitlesAndNumbersRestartingPerFile) {
    testing::TempDir dir;
    testing::write_file(dir / "1.txt", "PT J\nAU A1\n   A2\nTI t1\nPT J\nAU B1\nTI t2\n");
    testing::write_file(dir / "2.TXT", "PT J\nAU C1\nTI \n");
    testing::write_file(dir / "3.txt", "");
    MemoryTable table;
    RecordingProgress progress;
    const ExtractionResult result = run_extraction(
        request_for(dir.path(), {"P1", 4, dir.path().string(), "TXT"}), table, progress);
    EXPECT_EQ(result.status, ExtractionResult::Status::done);
    EXPECT_EQ(result.files_read, 3);
    EXPECT_EQ(progress.titles,
              (std::vector<std::string>{"提取关键字段...... 1 / 3", "提取关键字段...... 2 / 3",
                                        "提取关键字段...... 3 / 3"}));
    std::vector<std::string> rows;
    for (const auto& r : table.rows) {
        EXPECT_EQ(r.bianhao, "P1");
        EXPECT_EQ(r.xuhao, 4);
        rows.push_back(r.wenzhangha + " " + r.guanjianzi + "=" + r.zhi);
    }
    // The empty title of the second file was written, then removed at the end.
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "0000000001 第一作者=A1", "0000000001 作者=A1", "0000000001 作者=A2",
                        "0000000002 第一作者=B1", "0000000002 作者=B1", "0000000001 标题=t1",
                        "0000000002 标题=t2", "0000000001 第一作者=C1", "0000000001 作者=C1"}));
    EXPECT_EQ(result.rows_written, 10);
    EXPECT_EQ(result.articles, 3);
    EXPECT_FALSE(result.read_nothing());
    EXPECT_EQ(extraction_summary(result), "读取文件 3 个，文章 3 篇，写入 9 行。\r");
    EXPECT_EQ(table.log, (std::vector<std::string>{"delete empty", "flush"}));
    EXPECT_EQ(table.statistics, 7); // a first extraction leaves the statistics
}

TEST(ExtractionRun, ReextractionDeclinedOrConfirmed) {
    testing::TempDir dir;
    testing::write_file(dir / "doc.txt", "PT J\nAU New\n");
    MemoryTable table;
    table.rows = {{"P1", 1, "0000000001", "作者", "Other"},
                  {"P1", 2, "0000000001", "作者", "Old"},
                  {"P1", 1, "0000000001", "标题", ""}};
    const auto before = table.rows;
    NullProgress progress;
    auto request = request_for(dir.path(), {"P1", 2, "doc.txt", ""});

    const ExtractionResult declined = run_extraction(request, table, progress);
    EXPECT_EQ(declined.status, ExtractionResult::Status::declined);
    EXPECT_EQ(table.rows, before);
    EXPECT_TRUE(table.log.empty());
    EXPECT_EQ(table.statistics, 7);

    request.replace_existing = true;
    const ExtractionResult done = run_extraction(request, table, progress);
    EXPECT_EQ(done.status, ExtractionResult::Status::done);
    // Statistics first: a kill between the two never leaves counts of values that are gone.
    EXPECT_EQ(table.log,
              (std::vector<std::string>{"clear statistics", "delete 2", "delete empty", "flush"}));
    EXPECT_EQ(table.statistics, 0);
    // The other document keeps its rows, but loses its empty value in the end clean-up.
    EXPECT_EQ(zhi_of(table.rows, 1), (std::vector<std::string>{"作者=Other"}));
    EXPECT_EQ(zhi_of(table.rows, 2), (std::vector<std::string>{"第一作者=New", "作者=New"}));
}

// Removes a file of the run when the title of file `n` is shown, as if it were deleted
// while the run reads the files before it.
class VanishingProgress final : public Progress {
public:
    VanishingProgress(std::string title, std::filesystem::path file)
        : title_(std::move(title)), file_(std::move(file)) {}
    void set_title(const std::string& title) override {
        if (title == title_) {
            std::filesystem::remove(file_);
        }
    }
    void set_maximum(long long) override {}
    void set_position(long long) override {}

private:
    std::string title_;
    std::filesystem::path file_;
};

TEST(ExtractionRun, FilesThatCannotBeReadLeaveTheEarlierValues) {
    testing::TempDir dir;
    MemoryTable table;
    table.rows = {{"P1", 2, "1", "作者", "Earlier"}, {"P1", 1, "1", "标题", ""}};
    const auto before = table.rows;
    NullProgress progress;
    // A file entry whose copy has gone, and a directory whose files have gone, even with
    // the replacement confirmed: nothing is deleted, nothing cleaned up.
    for (const store::Document& doc : {store::Document{"P1", 2, "missing.txt", ""},
                                       store::Document{"P1", 2, dir.path().string(), "TXT"}}) {
        auto request = request_for(dir.path(), doc);
        request.replace_existing = true;
        const ExtractionResult r = run_extraction(request, table, progress);
        EXPECT_EQ(r.status, ExtractionResult::Status::no_readable_file);
        EXPECT_EQ(r.messages, std::vector<std::string>{msg::extract_no_readable_file});
        EXPECT_FALSE(r.read_nothing());
        EXPECT_EQ(table.rows, before);
        EXPECT_TRUE(table.log.empty());
        EXPECT_EQ(table.statistics, 7);
    }
}

TEST(ExtractionRun, AFileGoneDuringTheRunStopsItKeepingRowsAndCleaningUp) {
    // Read one after the other, the second file goes while the first is read; read ahead,
    // before the readers start.
    for (const auto& [threads, title] :
         {std::pair{1, "提取关键字段...... 2 / 2"}, std::pair{2, "提取关键字段...... 1 / 2"}}) {
        SCOPED_TRACE(threads);
        testing::TempDir dir;
        testing::write_file(dir / "1.txt", "PT J\nAU A\n");
        testing::write_file(dir / "2.txt", "PT J\nAU B\n");
        MemoryTable table;
        table.rows = {{"P1", 1, "1", "标题", ""}};
        VanishingProgress progress(title, dir / "2.txt");
        auto request = request_for(dir.path(), {"P1", 2, dir.path().string(), "TXT"});
        request.threads = threads;
        std::vector<std::string> reported;
        request.report = [&](const FileOutcome& o) {
            EXPECT_EQ(o.kind, FileOutcome::Kind::stopped);
            reported.push_back(o.message);
            EXPECT_TRUE(table.log.empty()); // shown when it arises, before the clean-up
        };
        const ExtractionResult gone = run_extraction(request, table, progress);
        EXPECT_EQ(reported, gone.messages);
        EXPECT_EQ(gone.status, ExtractionResult::Status::stopped);
        EXPECT_EQ(gone.messages, (std::vector<std::string>{"“" + (dir / "2.txt").string() +
                                                           "”文件无法读取，提取已中止！\r"}));
        EXPECT_EQ(gone.files_read, 1);
        EXPECT_EQ(table.log, (std::vector<std::string>{"delete empty", "flush"}));
        EXPECT_EQ(zhi_of(table.rows, 2), (std::vector<std::string>{"第一作者=A", "作者=A"}));
        EXPECT_TRUE(zhi_of(table.rows, 1).empty());
    }
}

std::vector<std::string> table_rows(const std::vector<ValueRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) {
        out.push_back(r.wenzhangha + " " + r.guanjianzi + "=" + r.zhi);
    }
    return out;
}

// A directory entry "txt.gz" reads the compressed files (and no plain ones), with the rows
// the plain files give.
TEST(ExtractionRun, CompressedDirectoryEntryGivesTheRowsOfThePlainFiles) {
    const std::vector<std::string> texts = {"PT J\nAU A1\n   A2\nTI t1\nPT J\nAU B1\n",
                                            "\xEF\xBB\xBFPT J\nAU 王\nTI 题\n"};
    testing::TempDir plain;
    testing::TempDir packed;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        testing::write_file(plain / (std::to_string(i) + ".txt"), texts[i]);
        testing::write_file(packed / (std::to_string(i) + (i == 0 ? ".txt.gz" : ".TXT.GZ")),
                            testing::gzip(texts[i]));
    }
    testing::write_file(packed / "2.txt", "PT J\nAU Plain\n");
    MemoryTable from_plain;
    MemoryTable from_packed;
    NullProgress progress;
    const ExtractionResult p = run_extraction(
        request_for(plain.path(), {"P1", 1, plain.path().string(), "txt"}), from_plain, progress);
    const ExtractionResult z =
        run_extraction(request_for(packed.path(), {"P1", 1, packed.path().string(), "txt.gz"}),
                       from_packed, progress);
    EXPECT_EQ(z.status, ExtractionResult::Status::done);
    EXPECT_EQ(extraction_summary(z), "读取文件 2 个，文章 3 篇，写入 9 行。\r");
    EXPECT_EQ(extraction_summary(z), extraction_summary(p));
    EXPECT_EQ(table_rows(from_packed.rows), table_rows(from_plain.rows));
    EXPECT_EQ(table_rows(from_packed.rows).back(), "0000000001 标题=题");
}

// Damaged compressed data stops the run as an unreadable file does: the message names the
// file, the rows of the files before it stay, the end clean-up runs.
TEST(ExtractionRun, DamagedCompressedFileStopsTheRunKeepingEarlierRows) {
    testing::TempDir dir;
    const std::string packed = testing::gzip("PT J\nAU B\n");
    testing::write_file(dir / "1.txt.gz", testing::gzip("PT J\nAU A\n"));
    testing::write_file(dir / "2.txt.gz", packed.substr(0, packed.size() - 3));
    testing::write_file(dir / "3.txt.gz", testing::gzip("PT J\nAU C\n"));
    MemoryTable table;
    NullProgress progress;
    const ExtractionResult r = run_extraction(
        request_for(dir.path(), {"P1", 1, dir.path().string(), "txt.gz"}), table, progress);
    EXPECT_EQ(r.status, ExtractionResult::Status::stopped);
    EXPECT_EQ(r.messages,
              (std::vector<std::string>{"“" + (dir / "2.txt.gz").string() +
                                        "”文件的压缩数据已损坏，无法解压，提取已中止！\r"}));
    EXPECT_EQ(r.files_read, 1);
    EXPECT_EQ(table_rows(table.rows),
              (std::vector<std::string>{"0000000001 第一作者=A", "0000000001 作者=A"}));
    EXPECT_EQ(table.log, (std::vector<std::string>{"delete empty", "flush"}));
}

// A format of XML records "Rec" with automatic numbers and their titles "T".
ExtractionFormat xml_titles() {
    ExtractionFormat f;
    f.geshi = "X";
    f.leixing = "<xml>";
    store::Definition node;
    node.guanjianzi = "<文章节点>";
    node.jiedian[0] = "Rec";
    node.yueding = 1;
    f.article_node = node;
    store::Definition title;
    title.guanjianzi = "标题";
    title.jiedian[0] = "T";
    title.pailie = "1";
    title.fenge = ";";
    f.walked.push_back(title);
    return f;
}

struct TableRun {
    ExtractionResult result;
    std::vector<std::string> reported;
    std::string zidian; // the table file, the date of its last change blanked
};

TableRun run_into_table(ExtractionRequest request, int threads) {
    testing::TempDir home;
    TableRun run;
    std::filesystem::path zidian;
    {
        store::Workspace ws = store::Workspace::bind(home.path(), "P1");
        WorkspaceValueTable table(ws);
        NullProgress progress;
        request.threads = threads;
        request.report = [&](const FileOutcome& o) { run.reported.push_back(o.message); };
        run.result = run_extraction(request, table, progress);
        zidian = ws.zidian_path();
    }
    run.zidian = testing::read_file(zidian);
    if (run.zidian.size() >= 4) {
        run.zidian.replace(1, 3, 3, '\0');
    }
    return run;
}

// Files read ahead by several readers give the table of reading them one after the other:
// the same bytes, numbers continued across files (automatic XML numbers, tagged-text lines
// before a file's first record), the same messages, counts and stop.
TEST(ExtractionRun, ReadersAtOnceWriteTheTableOfOneAfterTheOther) {
    testing::TempDir txt_dir;
    testing::write_file(txt_dir / "01.txt", "AU Lead\nPT J\nAU A1\n   A2\nTI t1\nPT J\nAU B1\n");
    testing::write_file(txt_dir / "02.txt", testing::gzip("PT J\nAU C1\nTI t3\n"));
    testing::write_file(txt_dir / "03.txt", "TI orphan\nAU Nobody\n");
    testing::write_file(txt_dir / "04.txt", "");
    testing::write_file(txt_dir / "05.txt", "TI before\nPT J\nAU E1\nTI e\n");
    testing::TempDir xml_dir;
    testing::write_file(xml_dir / "01.xml", "<S><Rec><T>a</T></Rec><Rec><T>b;c</T></Rec></S>");
    testing::write_file(xml_dir / "02.xml", "not XML at all\n");
    testing::write_file(xml_dir / "03.xml", testing::gzip("<S><Rec><T>d</T></Rec></S>"));
    testing::TempDir stop_dir;
    testing::write_file(stop_dir / "01.xml", "<S><Rec><T>a</T></Rec></S>");
    testing::write_file(stop_dir / "12a.xml",
                        "<S><Rec><T>b</T></Rec><Rec><T><X/><Y/></T></Rec><Rec><T>c</T></Rec></S>");
    for (int i = 6; i < 16; ++i) {
        const std::string n = std::to_string(i);
        std::string txt;
        std::string xml = "<S>";
        for (int k = 0; k < i; ++k) {
            txt += "PT J\nAU F" + n + "-" + std::to_string(k) + "\nTI t\n";
            xml += "<Rec><T>x" + n + "-" + std::to_string(k) + "</T></Rec>";
        }
        testing::write_file(txt_dir / (n + ".txt"), txt);
        testing::write_file(xml_dir / (n + ".xml"), xml + "</S>");
        testing::write_file(stop_dir / (n + ".xml"), xml + "</S>");
    }

    auto txt_request = request_for(txt_dir.path(), {"P1", 1, txt_dir.path().string(), "txt"});
    auto xml_request = request_for(xml_dir.path(), {"P1", 1, xml_dir.path().string(), "xml"});
    xml_request.format = xml_titles();
    auto stop_request = request_for(stop_dir.path(), {"P1", 1, stop_dir.path().string(), "xml"});
    stop_request.format = xml_titles();
    {
        // Each file in turn gets its title; the gauge ends on the rows of the last file
        // ("9.txt": nine records of three rows) all written.
        MemoryTable table;
        RecordingProgress progress;
        auto request = txt_request;
        request.threads = 3;
        EXPECT_EQ(run_extraction(request, table, progress).status, ExtractionResult::Status::done);
        ASSERT_EQ(progress.titles.size(), 15u);
        EXPECT_EQ(progress.titles.front(), "提取关键字段...... 1 / 15");
        EXPECT_EQ(progress.titles.back(), "提取关键字段...... 15 / 15");
        EXPECT_EQ(progress.maxima.back(), 27);
        EXPECT_EQ(progress.last_position, 27);
    }
    struct Case {
        ExtractionRequest request;
        std::string summary;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {txt_request, "读取文件 15 个，文章 109 篇，写入 333 行。\r", {}},
        {xml_request,
         "读取文件 12 个，文章 108 篇，写入 109 行。\r",
         {"“" + (xml_dir / "02.xml").string() + "”文件非<xml>格式，无法读取！\r"}},
        {stop_request,
         "读取文件 4 个，文章 36 篇，写入 35 行。\r",
         {std::string(msg::xml_keyword_before) + "标题" + msg::xml_element_content_after}},
    };
    for (const auto& [request, summary, messages] : cases) {
        SCOPED_TRACE(request.document.wenjianming);
        const TableRun one = run_into_table(request, 1);
        EXPECT_EQ(extraction_summary(one.result), summary);
        EXPECT_EQ(one.result.messages, messages);
        for (const int threads : {2, 3}) {
            SCOPED_TRACE(threads);
            const TableRun many = run_into_table(request, threads);
            EXPECT_EQ(many.result.status, one.result.status);
            EXPECT_EQ(extraction_summary(many.result), summary);
            EXPECT_EQ(many.result.rows_written, one.result.rows_written);
            EXPECT_EQ(many.result.messages, one.result.messages);
            EXPECT_EQ(many.reported, one.reported);
            EXPECT_EQ(many.zidian.size(), one.zidian.size());
            EXPECT_TRUE(many.zidian == one.zidian);
        }
    }
}

// The end of a run on the project's table: the rows it appended with a blank value go in
// marked deleted and only the rows before them are read back, and the table is the one of
// marking every blank row at the end: blank rows of earlier changes go too, a table with
// no blank row is not packed (an earlier deletion stays marked), and a second run counts
// its own rows only.
TEST(ExtractionRun, EmptyValuesOfTheRunAndOfEarlierRowsGoAtItsEnd) {
    struct Case {
        std::vector<std::string> earlier; // "-" appends a row and marks it deleted
        std::vector<std::vector<std::string>> runs;
        std::vector<std::string> kept;
        std::uint32_t records;
    };
    const std::vector<Case> cases = {
        {{"a", " ", "b"}, {{"c", "", "d", "   "}}, {"a", "b", "c", "d"}, 4},
        {{"a", "-"}, {{"c", "d"}}, {"a", "c", "d"}, 4},
        {{"a", "-", "  "}, {{"c"}}, {"a", "c"}, 2},
        {{}, {{"", "c"}, {"d", ""}}, {"c", "d"}, 2},
        {{}, {{"c"}, {"d"}}, {"c", "d"}, 2},
    };
    for (const Case& c : cases) {
        // How the table was cleaned before: every row appended live, then every blank one
        // marked and the table packed when any was.
        const auto fill = [&](store::Workspace& ws, long long run) {
            for (const auto& v : c.runs[static_cast<std::size_t>(run)]) {
                ws.append_value(1, "1", "作者", v);
            }
        };
        const auto earlier = [&](store::Workspace& ws) {
            for (const auto& v : c.earlier) {
                ws.append_value(1, "0", "作者", v == "-" ? "gone" : v);
                if (v == "-") {
                    store::ValueFilter f;
                    f.zhi = "gone";
                    ws.delete_values(f);
                }
            }
        };
        testing::TempDir before_home;
        std::filesystem::path before_file;
        {
            store::Workspace ws = store::Workspace::bind(before_home.path(), "P1");
            earlier(ws);
            for (std::size_t run = 0; run < c.runs.size(); ++run) {
                fill(ws, static_cast<long long>(run));
                if (ws.delete_empty_values() > 0) {
                    ws.pack_values();
                }
            }
            before_file = ws.zidian_path();
        }
        testing::TempDir home;
        std::filesystem::path file;
        {
            store::Workspace ws = store::Workspace::bind(home.path(), "P1");
            earlier(ws);
            WorkspaceValueTable table(ws);
            for (const auto& run : c.runs) {
                for (const auto& v : run) {
                    table.append({"P1", 1, "1", "作者", v});
                }
                table.delete_empty_values();
            }
            std::vector<std::string> kept;
            for (const auto& r : ws.select_values({})) {
                kept.push_back(r.zhi);
            }
            EXPECT_EQ(kept, c.kept);
            EXPECT_EQ(ws.value_record_count(), c.records);
            file = ws.zidian_path();
        }
        std::string expected = testing::read_file(before_file);
        std::string got = testing::read_file(file);
        ASSERT_GE(got.size(), 4u);
        expected.replace(1, 3, 3, '\0');
        got.replace(1, 3, 3, '\0');
        EXPECT_EQ(got, expected);
    }
}

TEST(ExtractionRun, ARunThatFindsNoArticleReadNothing) {
    testing::TempDir dir;
    // Binary garbage, an empty file and text without any record.
    testing::write_file(dir / "a.txt", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 17));
    testing::write_file(dir / "b.txt", "");
    testing::write_file(dir / "c.txt", "just some words\nand more\n");
    MemoryTable table;
    NullProgress progress;
    const ExtractionResult r = run_extraction(
        request_for(dir.path(), {"P1", 1, dir.path().string(), "TXT"}), table, progress);
    EXPECT_EQ(r.status, ExtractionResult::Status::done);
    EXPECT_EQ(r.files_read, 3);
    EXPECT_TRUE(r.read_nothing());
    EXPECT_EQ(read_nothing_message(r),
              "未从文档中读取到任何文章！\r读取文件 3 个，文章 0 篇，写入 0 行。\r");
}

TEST(ExtractionRun, FormatWithoutWalkedDefinitionsReadsNothing) {
    testing::TempDir dir;
    testing::write_file(dir / "a.txt", "PT J\nAU A\n");
    MemoryTable table;
    table.rows = {{"P1", 1, "1", "K", ""}, {"P1", 2, "1", "K", "earlier"}};
    NullProgress progress;
    auto request = request_for(dir.path(), {"P1", 2, "a.txt", ""});
    request.format = txt_format({definition("<文章节点>", "PT ", std::nullopt, std::nullopt, 1)});
    request.replace_existing = true;
    const ExtractionResult result = run_extraction(request, table, progress);
    EXPECT_EQ(result.status, ExtractionResult::Status::no_definitions);
    EXPECT_EQ(table.rows.size(), 2u); // the earlier values stay; no end clean-up either
    EXPECT_TRUE(table.log.empty());
    EXPECT_EQ(table.statistics, 7);
}

} // namespace
} // namespace lumacite::extract
