// The project workspace: the folder of one project (program folder / number) with its
// value table zidian<number>.dbf, its statistics table tongji<number>.dbf and the scratch
// table temp.dbf that the statistics and matrix jobs rebuild.
//
// The tables are dBase files (store/dbase.h). Every operation on them is a typed function
// here; none takes SQL or builds it. Texts are UTF-8; they are stored as GB18030 and cut
// to their field widths at a character boundary. Comparisons of a field with a text are
// exact (case-sensitive) and compare the text as it would be stored: trailing blanks do
// not count, and a text longer than its field matches the stored, cut form.
//
// Row order is table order (the order in which rows were appended) unless a function
// says otherwise. Appended rows are buffered; flush() posts them (the header count is
// brought up to date) and commit() also syncs once: call commit() at the end of a job.
// Deletions only mark rows; pack_values() / pack_statistics() remove them for good.
// A file failure during an operation throws DbaseError naming the file.
//
// One writer per project: a workspace bound for writing holds the project's lock
// (store/locks.h) for as long as it lives. A workspace opened for reading takes no lock,
// opens the existing tables read-only and writes nothing.
// Whatever replaces many rows at once (a document's removal, a keyword's statistics)
// writes a new table file and renames it over the old one: a kill leaves the old table or
// the new one, never a mixture.
#pragma once

#include "store/dbase.h"
#include "store/locks.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::store {

// A workspace that cannot be bound or used; what() names the file and the cause.
class WorkspaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Names and layouts ----------------------------------------------------------------

inline constexpr const char* temp_file_name = "temp.dbf";

// "zidian" + number + ".dbf" and "tongji" + number + ".dbf".
std::string zidian_file_name(const std::string& number);
std::string tongji_file_name(const std::string& number);

// True when a project number can name a folder: not empty, letters A-Z, a-z and digits
// only. Binding refuses any other number, so no number can reach outside the program
// folder.
bool is_folder_safe_number(std::string_view number);

// True when a file of this name in the folder of project `number` would take the place of
// one of the project's own files: its tables, their rewrites (".pack"), the lock file and
// the journal of a document removal.
bool is_reserved_file_name(const std::string& number, std::string_view name);

// The journal of a document removal in a project folder (see projects::remove_document).
inline constexpr const char* removal_journal_file_name = ".removal";

// program folder / number.
std::filesystem::path project_folder(const std::filesystem::path& program_folder,
                                     const std::string& number);

// zidian: bianhao C50, xuhao N11, wenzhangha C50, guanjianzi C30, zhi C254, ii N11.
std::vector<DbaseField> zidian_layout();
// tongji: bianhao C50, xuhao C10, guanjianzi C30, zhi C254, cishu C10, baifenbi C20,
// leijibi C20.
std::vector<DbaseField> tongji_layout();
// temp: wenzhangha C50, zhi C254.
std::vector<DbaseField> temp_layout();

// A number right-aligned with leading blanks to `width` characters (rank and count of a
// statistics row: 1 -> "         1").
std::string right_aligned(long long n, std::size_t width = 10);

// ---- Rows ---------------------------------------------------------------------------------

// A row of zidian. `record` is its record number in the table (0-based), valid until the
// next pack.
struct ValueRow {
    std::uint32_t record = 0;
    std::string bianhao;
    long long xuhao = 0;
    std::string wenzhangha;
    std::string guanjianzi;
    std::string zhi;
};

// A row of tongji; every field is text as stored (xuhao and cishu keep their blanks).
struct StatisticsRow {
    std::uint32_t record = 0;
    std::string bianhao;
    std::string xuhao;
    std::string guanjianzi;
    std::string zhi;
    std::string cishu;
    std::string baifenbi;
    std::string leijibi;
};

struct TempRow {
    std::string wenzhangha;
    std::string zhi;
    bool operator==(const TempRow&) const = default;
};

// Which value rows an operation touches: every given part must match. `guanjianzi` lists
// keyword names a row may carry (any of them); empty means any keyword.
struct ValueFilter {
    std::optional<std::string> bianhao;
    std::optional<long long> xuhao;
    std::optional<std::string> wenzhangha;
    std::vector<std::string> guanjianzi;
    std::optional<std::string> zhi;

    static ValueFilter keyword(std::string k) {
        ValueFilter f;
        f.guanjianzi.push_back(std::move(k));
        return f;
    }
    static ValueFilter keywords(std::vector<std::string> ks) {
        ValueFilter f;
        f.guanjianzi = std::move(ks);
        return f;
    }
};

inline constexpr std::uint64_t all_rows = std::numeric_limits<std::uint64_t>::max();

// A value row as Workspace::scan_values hands it out: the stored GB18030 bytes of
// wenzhangha and zhi without their trailing blanks (text::gb18030_to_utf8 decodes them),
// and whether the row carries one of the scan's keywords (zhi is empty when it does not).
// Views valid during the call.
struct StoredValue {
    std::string_view wenzhangha;
    std::string_view zhi;
    bool selected = false;
};

// ---- The scratch table --------------------------------------------------------------------

// temp.dbf of a project folder, re-created empty by Workspace::rebuild_temp(). A scratch
// table that could not be made (a reader's read-only folder) keeps nothing.
class TempTable {
public:
    explicit TempTable(std::optional<DbaseTable> table);
    // Appends one occurrence (buffered like every append).
    void append(std::string_view wenzhangha, std::string_view zhi);
    // Every row in table order.
    std::vector<TempRow> rows();
    void for_each(const std::function<void(const TempRow&)>& fn);
    std::uint32_t size() const { return table_ ? table_->record_count() : 0; }
    void flush();
    // Flushes and closes; the file stays in the folder until the next rebuild.
    void close();
    // False for a scratch table that keeps nothing.
    bool kept() const { return table_.has_value(); }
    DbaseTable& table() { return *table_; }

private:
    std::optional<DbaseTable> table_;
};

// ---- The workspace ------------------------------------------------------------------------

class Workspace {
public:
    // Binds to project `number` for writing: creates the folder program folder / number
    // when missing (one level: the program folder must exist), takes the project's lock,
    // creates zidian and tongji with their layouts when missing, and opens both (repairing
    // their record counts if needed, removing rewrites left behind). Throws LockBusy while
    // another program writes the project, WorkspaceError for a number that is not
    // folder-safe or a table that cannot be created or opened.
    static Workspace bind(const std::filesystem::path& program_folder, const std::string& number);
    // The same with the project's lock taken already.
    static Workspace bind(const std::filesystem::path& program_folder, const std::string& number,
                          ProjectLock lock);
    // Opens the existing zidian and tongji of project `number` for reading: no lock, tables
    // read-only, nothing created or repaired (also in a read-only program folder). Every
    // write fails with DbaseError. WorkspaceError for a number that is not folder-safe or
    // a table that is missing or cannot be read.
    static Workspace open_read_only(const std::filesystem::path& program_folder,
                                    const std::string& number);

    Workspace(Workspace&&) noexcept = default;
    // Closes this workspace's tables before it lets go of its lock.
    Workspace& operator=(Workspace&& other) noexcept;
    // Posts buffered rows and closes both tables (never throws).
    ~Workspace() = default;

    // Posts buffered rows, syncs and closes both tables; lets go of the lock.
    void close();
    bool writable() const { return lock_.has_value(); }

    const std::string& number() const { return number_; }
    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path zidian_path() const;
    std::filesystem::path tongji_path() const;
    std::filesystem::path temp_path() const;

    // Posts the buffered rows of both tables (record counts up to date, no sync).
    void flush();
    // flush() and one sync of each table: the end of a job.
    void commit();

    // ---- zidian: value rows ----
    // Appends a value row: bianhao = this project's number, the given document number,
    // article number, keyword and value (texts cut to 50, 30 and 254 bytes); ii blank.
    void append_value(long long xuhao, std::string_view wenzhangha, std::string_view guanjianzi,
                      std::string_view zhi);
    // Test for extracted values of a document: a row with bianhao = this number and
    // xuhao = the document number exists.
    bool has_document_values(long long xuhao);
    // Delete a document's values: marks every row with this xuhao deleted (any bianhao).
    // Returns the rows marked. pack_values() removes them for good.
    std::uint64_t delete_document_values(long long xuhao);
    // Close the gap after a removed document: every row with xuhao > the given number
    // gets xuhao - 1. Returns the rows changed.
    std::uint64_t close_document_gap(long long xuhao);
    // Appends a value row as append_value() does, but a row whose stored value is blank
    // goes in marked deleted, as the end of an extraction run would leave it. Returns true
    // when it did.
    bool append_extracted_value(long long xuhao, std::string_view wenzhangha,
                                std::string_view guanjianzi, std::string_view zhi);
    // Marks every row before record number `end` with an empty value deleted (the end of
    // an extraction run).
    std::uint64_t delete_empty_values(std::uint32_t end = 0xFFFFFFFFu);
    // The rows matching the filter, in table order.
    std::vector<ValueRow> select_values(const ValueFilter& filter);
    void for_each_value(const ValueFilter& filter, const std::function<void(const ValueRow&)>& fn);
    std::uint64_t count_values(const ValueFilter& filter);
    // Visits the live value rows in table order, comparing guanjianzi's stored bytes in
    // place and decoding nothing: the rows of `keywords`, or every row when `every_row`
    // (the others with selected false), a block of rows to each call of fn. `step` gets
    // the records read and the table's records every 65,536 records and at the end.
    void scan_values(const std::vector<std::string>& keywords, bool every_row,
                     const std::function<void(std::span<const StoredValue>)>& fn,
                     const std::function<void(std::uint64_t, std::uint64_t)>& step = {});
    // The same over the records from number `from` up to `end` (exclusive); `step` gets
    // the records read from `from` on. Several threads may scan parts at once after
    // settle_values(), while nothing else uses the workspace.
    // Waits until every value row appended so far is in the file.
    void settle_values() {
        zidian_.flush();
        zidian_.settle();
    }
    void scan_value_records(std::uint32_t from, std::uint32_t end,
                            const std::vector<std::string>& keywords, bool every_row,
                            const std::function<void(std::span<const StoredValue>)>& fn,
                            const std::function<void(std::uint64_t, std::uint64_t)>& step = {});
    // The distinct article numbers of the rows matching the filter, in text order.
    std::vector<std::string> distinct_articles(const ValueFilter& filter);
    // Sets zhi of the matching rows (at most `limit`, the first in table order).
    // Returns the rows changed.
    std::uint64_t update_values(const ValueFilter& filter, std::string_view zhi,
                                std::uint64_t limit = all_rows);
    // Marks the matching rows deleted (at most `limit`, the first in table order).
    std::uint64_t delete_values(const ValueFilter& filter, std::uint64_t limit = all_rows);
    // One pass over the rows matching the filter, in table order: `rewrite` gets each row
    // and returns its new value, or nullopt to leave it. A new value is stored cut to the
    // field. Returns the rows whose stored value changed.
    using Rewrite = std::function<std::optional<std::string>(const ValueRow&)>;
    std::uint64_t rewrite_values(const ValueFilter& filter, const Rewrite& rewrite);
    // Deletes the rows matching the filter for which `remove` returns true (called in
    // table order) and packs zidian, in one pass that writes a new table file and renames
    // it over the old one (a kill leaves the old table or the new one); rows marked deleted
    // before go as well. The table stays as it was when nothing is to go.
    // Returns the rows `remove` took.
    std::uint64_t delete_values_and_pack(const ValueFilter& filter,
                                         const std::function<bool(const ValueRow&)>& remove);
    // What a change of many rows does to one row: leave it (no value, not removed), give it
    // a new value, or remove it.
    struct RowChange {
        std::optional<std::string> zhi;
        bool remove = false;
    };
    struct RewriteCounts {
        std::uint64_t changed = 0; // rows whose stored value changed
        std::uint64_t removed = 0;
    };
    // One pass over the rows matching the filter, in table order, that both rewrites and
    // removes rows and packs zidian: `change` gets each row and says what becomes of it. The
    // result is written as a new table file renamed over the old one, so a kill leaves the
    // old table or the new one; rows marked deleted before go as well. The table stays as it
    // was when nothing changes.
    RewriteCounts rewrite_values_and_pack(const ValueFilter& filter,
                                          const std::function<RowChange(const ValueRow&)>& change);
    // Pack zidian: removes rows marked deleted. Returns the rows removed.
    std::uint64_t pack_values();
    // Rows in zidian, rows marked deleted included (until a pack).
    std::uint32_t value_record_count() const { return zidian_.record_count(); }

    // ---- tongji: statistics rows ----
    // True when any row carries this keyword.
    bool has_statistics(std::string_view guanjianzi);
    // Marks the keyword's rows deleted; returns them.
    std::uint64_t delete_statistics(std::string_view guanjianzi);
    // Empty the statistics: marks every row deleted.
    std::uint64_t clear_statistics();
    // Appends a statistics row with bianhao = this project's number (row.bianhao and
    // row.record are ignored).
    void append_statistic(const StatisticsRow& row);
    // The keyword's rows ordered by xuhao as text (the padded rank gives rank order);
    // rows with equal xuhao keep table order.
    std::vector<StatisticsRow> statistics(std::string_view guanjianzi);
    // Every statistics row in table order.
    std::vector<StatisticsRow> all_statistics();
    std::uint64_t pack_statistics();

    // ---- Rewrites: a new table file renamed over the old one ----
    // A new zidian written beside the old one (see DbaseTable::begin_rewrite): every row
    // but those of document `xuhao`; with `close_gap` the later documents' xuhao lowered by
    // one.
    DbaseTable stage_values_without_document(long long xuhao, bool close_gap);
    // A new tongji written beside the old one: the rows of every keyword but `dropped`
    // (no row at all when `dropped` is nullopt), then `added` with bianhao = this number.
    DbaseTable stage_statistics(std::optional<std::string_view> dropped,
                                std::span<const StatisticsRow> added = {});
    // Renames a staged table over zidian or tongji and goes on with it.
    void install_values(DbaseTable staged);
    void install_statistics(DbaseTable staged);
    // A keyword's statistics replaced at once by `rows` (none: the keyword has no rows).
    void replace_statistics(std::string_view guanjianzi, std::span<const StatisticsRow> rows);

    // ---- temp ----
    // Replaces temp.dbf with a new, empty table (written under another name and renamed,
    // so two jobs never meet) and returns it open. A workspace opened for reading whose
    // folder cannot be written gets a scratch table that keeps nothing.
    TempTable rebuild_temp();

    DbaseTable& zidian() { return zidian_; }
    DbaseTable& tongji() { return tongji_; }

private:
    Workspace(std::string number, std::filesystem::path folder, std::optional<ProjectLock> lock,
              DbaseTable zidian, DbaseTable tongji);
    using TableOpener = DbaseTable (*)(const std::filesystem::path&,
                                       const std::vector<DbaseField>&);
    // zidian and tongji of the project folder, each opened by `open`.
    static Workspace open_tables(const std::filesystem::path& program_folder,
                                 const std::string& number, std::optional<ProjectLock> lock,
                                 TableOpener open);
    // The filter with its texts encoded as stored, for comparing raw field bytes.
    struct Probe;
    Probe make_probe(const ValueFilter& filter) const;
    ValueRow value_row(const DbaseRecordView& r) const;
    StatisticsRow statistics_row(const DbaseRecordView& r) const;

    std::string number_;
    std::filesystem::path folder_;
    std::optional<ProjectLock> lock_; // let go of after the tables are closed
    DbaseTable zidian_;
    DbaseTable tongji_;
};

} // namespace lumacite::store
