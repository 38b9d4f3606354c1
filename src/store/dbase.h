// dBase III table files: the project workspace tables (zidian, tongji, temp) are kept in
// this format so that spreadsheet programs and GIS tools open them.
//
// Character fields hold GB18030 text, blank-padded to the field width; a text longer
// than its field is cut at a character boundary. Numeric fields hold integers as
// right-aligned decimal text. The header carries the language driver byte of the Chinese
// code page (0x7A, code page 936).
//
// Crash safety: appended records are written to the file before the header's record
// count includes them. The count is brought up to date after each batch of appends
// (when the buffer fills), on flush() and on close(); sync() adds one fdatasync. Opening
// a table for writing repairs a count that disagrees with the file size (records written
// by an interrupted run are kept, a half-written last record is cut off). Whatever
// rewrites records as a whole (pack, begin_rewrite/install) writes a new file beside the
// table (<file>.pack) and renames it over the old one, so an interrupted rewrite leaves
// the old table; opening a table for writing removes a .pack file left behind.
//
// A table opened for writing holds a shared lock; a rewrite needs the table to itself and
// fails with DbaseError while another handle for writing (in any process) has the file
// open. A table opened read-only takes no lock and never writes: it counts the complete
// records the file holds, as a repair would, without changing the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lumacite::store {

// A failure of a table file; what() names the file and the cause.
class DbaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Language driver byte of the Chinese code page (936).
inline constexpr std::uint8_t dbase_language_driver_chinese = 0x7A;

struct DbaseField {
    std::string name; // at most 10 ASCII characters, stored as given
    char type = 'C';  // 'C' character, 'N' numeric (integers); other types read as text
    std::uint8_t width = 0;

    static DbaseField character(std::string name, std::uint8_t width) {
        return {std::move(name), 'C', width};
    }
    static DbaseField integer(std::string name, std::uint8_t width = 11) {
        return {std::move(name), 'N', width};
    }
    bool operator==(const DbaseField&) const = default;
};

// The fields of a table with their offsets in a record, and the encoding rules.
class DbaseLayout {
public:
    DbaseLayout() = default;
    explicit DbaseLayout(std::vector<DbaseField> fields);

    const std::vector<DbaseField>& fields() const { return fields_; }
    std::size_t size() const { return fields_.size(); }
    // Offset of a field in the record (the deletion flag is byte 0).
    std::size_t offset(std::size_t field) const { return offsets_[field]; }
    std::size_t record_length() const { return record_length_; }
    // Index of the field with this name (ASCII case-insensitive); nullopt when none.
    std::optional<std::size_t> find(std::string_view name) const;
    // Same, throwing DbaseError when there is no such field.
    std::size_t index(std::string_view name) const;

    // The stored bytes of a value: a text is cut to the width without splitting a
    // character, encoded as GB18030 and blank-padded; an integer is right-aligned.
    // A numeric field given a text takes it as an integer (DbaseError when it is none);
    // an integer too wide for its field is a DbaseError. No value stores blanks.
    std::string encode_text(std::size_t field, std::string_view utf8) const;
    std::string encode_integer(std::size_t field, std::optional<long long> value) const;

private:
    std::vector<DbaseField> fields_;
    std::vector<std::size_t> offsets_;
    std::size_t record_length_ = 1;
};

// Read access to one record's bytes.
class DbaseRecordView {
public:
    DbaseRecordView(const DbaseLayout& layout, const char* data, std::uint32_t number)
        : layout_(&layout), data_(data), number_(number) {}

    // Record number, counted from 0 in file order.
    std::uint32_t number() const { return number_; }
    bool deleted() const { return data_[0] == '*'; }
    // The stored bytes of a field, padding included.
    std::string_view raw(std::size_t field) const {
        return {data_ + layout_->offset(field), layout_->fields()[field].width};
    }
    // A field's text as UTF-8, without its trailing blanks.
    std::string text(std::size_t field) const;
    // A numeric field's integer; nullopt when it is blank or not a number.
    std::optional<long long> integer(std::size_t field) const;
    // The whole record (deletion flag first).
    std::string_view bytes() const { return {data_, layout_->record_length()}; }
    const DbaseLayout& layout() const { return *layout_; }

protected:
    const DbaseLayout* layout_;
    const char* data_;
    std::uint32_t number_;
};

// Read and write access to one record's bytes (handed out by DbaseTable::modify and
// DbaseRecord::edit).
class DbaseRecordEdit : public DbaseRecordView {
public:
    DbaseRecordEdit(const DbaseLayout& layout, char* data, std::uint32_t number)
        : DbaseRecordView(layout, data, number), mutable_(data) {}

    void set_text(std::size_t field, std::string_view utf8);
    void set_integer(std::size_t field, std::optional<long long> value);
    // Stores bytes made by DbaseLayout::encode_text/encode_integer for this field.
    void set_raw(std::size_t field, std::string_view encoded);
    void set_deleted(bool deleted) { mutable_[0] = deleted ? '*' : ' '; }

private:
    char* mutable_;
};

// One record held in memory (read by number, or built to append).
class DbaseRecord {
public:
    DbaseRecord(const DbaseLayout& layout, std::uint32_t number);
    DbaseRecordView view() const { return {*layout_, bytes_.data(), number_}; }
    DbaseRecordEdit edit() { return {*layout_, bytes_.data(), number_}; }
    std::uint32_t number() const { return number_; }
    const std::string& bytes() const { return bytes_; }

private:
    friend class DbaseTable;
    const DbaseLayout* layout_;
    std::string bytes_;
    std::uint32_t number_;
};

// A value to append: nothing (blanks), a UTF-8 text, or an integer.
using DbaseValue = std::variant<std::monostate, std::string_view, long long>;

class DbaseTable {
public:
    // Creates a new, empty table file (DbaseError when the file exists already).
    static DbaseTable create(const std::filesystem::path& file, std::vector<DbaseField> fields);
    enum class Access { read_write, read_only };
    // Opens an existing table. For reading and writing, it repairs its record count (and a
    // half-written last record) when they disagree with the file size, and removes a
    // <file>.pack left by an interrupted rewrite. Read-only, it changes nothing; every
    // write then fails with DbaseError.
    static DbaseTable open(const std::filesystem::path& file, Access access = Access::read_write);

    DbaseTable(DbaseTable&& other) noexcept;
    DbaseTable& operator=(DbaseTable&& other) noexcept;
    DbaseTable(const DbaseTable&) = delete;
    DbaseTable& operator=(const DbaseTable&) = delete;
    // Closes the table like close(), but never throws.
    ~DbaseTable();

    // Writes the buffered records and the header, syncs once and closes the file.
    void close();
    bool is_open() const { return fd_ >= 0; }

    const std::filesystem::path& path() const { return path_; }
    // Renames the table's file to `file`, replacing a file of that name, and goes on under
    // the new name.
    void move_to(const std::filesystem::path& file);
    const DbaseLayout& layout() const { return layout_; }
    std::uint8_t language_driver() const { return language_driver_; }
    // Records in the table, deleted ones and buffered appends included.
    std::uint32_t record_count() const { return committed_ + pending_count_; }
    // True when open() found a record count that disagreed with the file size.
    bool was_repaired() const { return repaired_; }
    bool is_read_only() const { return read_only_; }

    // Appends a record: one value per field, in field order (fewer values leave the
    // remaining fields blank). The record is buffered and reaches the file with the
    // next batch, flush() or close(). Returns the buffered record, which may still be
    // changed until the next call on the table.
    DbaseRecordEdit append(std::span<const DbaseValue> values);
    DbaseRecordEdit append(std::initializer_list<DbaseValue> values) {
        return append(std::span<const DbaseValue>(values.begin(), values.size()));
    }
    // Appends the bytes of a record of this table's layout.
    void append_record(std::string_view record_bytes);

    // From now on full batches of appended records are written by a thread of the
    // table's own while the caller appends the next; anything else done with the table
    // waits for the batch being written first, and its failure is thrown there.
    void write_behind();
    // Waits for the batch the writer thread writes; when it failed, its records are
    // buffered again (before those appended since) and the failure thrown.
    void settle();

    // Writes buffered records, then the header (record count, date) and end marker.
    void flush();
    // flush() and one fdatasync.
    void sync();

    // The record with this number (DbaseError when out of range).
    DbaseRecord read(std::uint32_t number);
    // Writes a record back in place (its number says where).
    void write(const DbaseRecord& record);
    void mark_deleted(std::uint32_t number);

    // Calls fn for every record not marked deleted, in file order.
    void for_each(const std::function<void(const DbaseRecordView&)>& fn);
    // Hands the records to fn a block at a time, in file order: the bytes of `count`
    // whole records (deleted ones included) starting with record number `first`; stops
    // when fn returns true. Only the records from number `from` up to `end` (exclusive)
    // when given. Several threads may do this at once on a table nothing else uses then.
    void for_each_block(const std::function<bool(const char* records, std::uint32_t first,
                                                 std::uint32_t count)>& fn,
                        std::uint32_t from = 0, std::uint32_t end = UINT32_MAX);
    // Calls fn for every record not marked deleted, in file order, until fn returns true;
    // returns that record's number.
    std::optional<std::uint32_t> find_first(const std::function<bool(const DbaseRecordView&)>& fn);
    // Calls fn for every record not marked deleted before record number `end`, in file
    // order; fn changes the record through the edit and returns true when it did. Changed
    // records are written back. Returns the number of changed records. fn returning true
    // after marking a record deleted is how rows are deleted by condition.
    std::uint64_t modify(const std::function<bool(DbaseRecordEdit&)>& fn,
                         std::uint32_t end = 0xFFFFFFFFu);

    // Removes the records marked deleted: writes the others to a new file and renames it
    // over the table. Returns the number of records removed.
    std::uint64_t pack();

    // A new version of this table, written beside it as <file>.pack: the records not
    // marked deleted for which `keep` (when given) returns true, as `keep` leaves them, in
    // file order. Append to the result, then install() it; this table stays as it was
    // until then and is kept from other handles meanwhile. A rewrite dropped without
    // install() removes its file.
    DbaseTable begin_rewrite(const std::function<bool(DbaseRecordEdit&)>& keep = {});
    // Syncs a table made by begin_rewrite() of this table, renames it over this table's
    // file (made lasting with a sync of the folder) and continues with it.
    void install(DbaseTable&& rewritten);
    // Drops a table made by begin_rewrite() of this table without installing it: its file
    // goes and this table stands as it was, open to other handles again.
    void abandon(DbaseTable&& rewritten);

private:
    DbaseTable() = default;
    void require_open() const;
    void require_writable() const;
    void write_pending();
    void start_writeback();
    void hand_to_writer();
    void write_header();
    void write_all(const void* data, std::size_t size, std::uint64_t offset);
    void write_to(int fd, const void* data, std::size_t size, std::uint64_t offset);
    void read_all(void* data, std::size_t size, std::uint64_t offset);

    [[noreturn]] void fail(const std::string& what) const;
    std::uint64_t data_offset(std::uint32_t number) const {
        return header_length_ + static_cast<std::uint64_t>(number) * layout_.record_length();
    }
    void release() noexcept;

    std::filesystem::path path_;
    int fd_ = -1;
    DbaseLayout layout_;
    std::string header_; // the header bytes as read or written (descriptors included)
    std::uint16_t header_length_ = 0;
    std::uint8_t language_driver_ = dbase_language_driver_chinese;
    std::uint32_t committed_ = 0;     // records the file holds and the header counts
    std::uint32_t pending_count_ = 0; // records buffered in pending_
    std::string pending_;
    // The value each field was given last by append(), with its stored bytes: rows repeat
    // their project, document, article and keyword, which are encoded once.
    struct LastValue {
        enum class Kind { none, text, integer } kind = Kind::none;
        std::string text;
        long long integer = 0;
        std::string bytes;
    };
    std::vector<LastValue> last_values_;
    class Writer;
    std::unique_ptr<Writer> writer_;    // after write_behind()
    std::uint32_t in_flight_count_ = 0; // records of the batch the writer thread writes
    bool dirty_ = false;                // changed since the header was last written
    std::uint64_t writeback_from_ = 0;  // bytes before this are handed to the disk already
    bool repaired_ = false;
    bool read_only_ = false;
    std::filesystem::path rewrite_of_; // a rewrite not installed yet: the table it replaces
};

} // namespace lumacite::store
