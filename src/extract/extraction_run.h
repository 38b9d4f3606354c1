// The extraction run: reads one document entry of a project (one registered file, or
// every matching file of a registered directory) with the extractor of the project's
// format type and appends the values as value rows to the project's value table.
#pragma once

#include "extract/extractor.h"
#include "extract/value_sink.h"
#include "progress.h"
#include "store/catalogue.h"
#include "store/workspace.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::extract {

// One value row as stored: texts already trimmed and cut to their field widths.
struct ValueRow {
    std::string bianhao;
    long long xuhao = 0;
    std::string wenzhangha;
    std::string guanjianzi;
    std::string zhi;
    bool operator==(const ValueRow&) const = default;
};

// The project tables as the run uses them.
class ValueTable {
public:
    virtual ~ValueTable() = default;
    // True when a value row of this document entry exists.
    virtual bool has_document_rows(long long xuhao) = 0;
    // Deletes the value rows of a document entry, all at once.
    virtual void delete_document_rows(long long xuhao) = 0;
    // Empties the statistics of the project, all at once.
    virtual void clear_statistics() = 0;
    // Appends one row.
    virtual void append(const ValueRow& row) = 0;
    // Deletes every row of the project whose value is empty (the table is packed).
    virtual void delete_empty_values() = 0;
    // Brings the table file up to date at the end of a run.
    virtual void flush() {}
    // The rows appended from now on may reach the file from another thread while the run
    // goes on (any other use of the table waits for them).
    virtual void write_behind() {}
};

// The value table of a bound project workspace (zidian and tongji of its folder).
class WorkspaceValueTable final : public ValueTable {
public:
    explicit WorkspaceValueTable(store::Workspace& workspace) : workspace_(workspace) {}
    bool has_document_rows(long long xuhao) override;
    void delete_document_rows(long long xuhao) override;
    void clear_statistics() override;
    void append(const ValueRow& row) override;
    void delete_empty_values() override;
    void flush() override;
    void write_behind() override;

private:
    store::Workspace& workspace_;
    // Rows appended through this table, and those of them that went in marked deleted
    // because their value is blank: the end of the run reads only the rows before them.
    std::uint32_t appended_ = 0;
    std::uint64_t appended_blank_ = 0;
};

// Applies the storage rules to each value and appends it: apostrophes become "′", the
// value and article number are trimmed, and the project number (50), article number
// (50), keyword (30) and value (254 GB18030 bytes) are cut to their field widths
// without splitting a character.
class RowWriter final : public ValueSink {
public:
    RowWriter(ValueTable& table, std::string bianhao, long long xuhao);
    void write(std::string_view wenzhangha, std::string_view guanjianzi,
               std::string_view zhi) override;
    long long rows_written() const { return rows_; }
    // The rows written with a value (empty ones are removed at the end of the run).
    long long values_written() const { return values_; }

private:
    ValueTable& table_;
    ValueRow row_;
    std::string last_wenzhangha_;
    std::string last_guanjianzi_;
    long long rows_ = 0;
    long long values_ = 0;
};

// The files of a document entry, in reading order. A file entry (kuozhanming empty after
// trimming) names a copy in the project folder: one path, whether or not it exists. A
// directory entry lists the regular files of the directory wenjianming whose names end
// with "." + kuozhanming (an extension of one part, "TXT", or more, "TAR.GZ"), compared
// without regard to ASCII case, in name order (names
// compared without regard to ASCII case, then in text order); none when the directory
// cannot be read.
std::vector<std::filesystem::path> document_files(const store::Document& entry,
                                                  const std::filesystem::path& project_folder);

// True when the entry names a directory.
bool is_directory_entry(const store::Document& entry);

// True when the file can be opened for reading and is a regular file.
bool is_readable_file(const std::filesystem::path& file);

// The Extract command's check of an entry before the job starts.
enum class DocumentCheck {
    ready,
    no_directory, // a directory entry whose directory does not exist
    no_file,      // a file entry whose copy is not in the project folder
};
DocumentCheck check_document(const store::Document& entry,
                             const std::filesystem::path& project_folder);
// The message of a failed check ("无相应的目录路径！\r", "无相应的文档文件！\r"); "" when ready.
std::string check_message(DocumentCheck check);

struct ExtractionRequest {
    std::string bianhao;      // project number
    store::Document document; // the entry to extract (xuhao, wenjianming, kuozhanming)
    std::filesystem::path project_folder;
    ExtractionFormat format;
    // The user's answer to the re-extraction question, asked by the caller beforehand
    // when the entry has value rows already (see ValueTable::has_document_rows).
    bool replace_existing = false;
    // Shown each message when it arises: a skipped file (a notice, the run goes on) or
    // the reason of a stop, told apart by the outcome's kind; may be empty.
    std::function<void(const FileOutcome&)> report;
    // Files read at once by a directory entry's readers: 0 for one per processor core,
    // 1 to read every file in the calling thread.
    int threads = 0;
};

struct ExtractionResult {
    enum class Status {
        done,           // every file read; the end clean-up ran
        declined,       // the entry had rows and replacing them was not confirmed: nothing changed
        no_definitions, // a tagged-text format without walked definitions: nothing changed
        no_readable_file, // none of the entry's files can be read: nothing changed
        stopped,          // a file could not be read: `messages` ends with why; rows stay
    };
    Status status = Status::done;
    long long rows_written = 0;
    long long values = 0; // rows written with a value: the rows the run leaves
    long long articles = 0;
    int files_read = 0;
    // Messages to show, in order: skipped files, and the reason of a stop.
    std::vector<std::string> messages;

    // A run that went through its files without finding an article or a value in any:
    // a failure to report, never a success.
    bool read_nothing() const { return status == Status::done && articles == 0 && values == 0; }
};

// The summary of a run: "读取文件 n 个，文章 m 篇，写入 r 行。\r" (r: the rows with a value).
std::string extraction_summary(const ExtractionResult& result);
// What the window and the command line say after a run that read nothing: "未从文档中读取到
// 任何文章！\r" followed by the summary.
std::string read_nothing_message(const ExtractionResult& result);

// The request for a document entry of a project, the format read from the catalogue.
ExtractionRequest make_request(const store::Catalogue& catalogue, const store::Project& project,
                               const store::Document& entry,
                               const std::filesystem::path& project_folder, bool replace_existing);

// Runs the extraction of one document entry:
// 1. rows exist and replace_existing is false: declined, nothing changed;
// 2. "<xml>" formats are read by the XML extractor, every other type by the tagged-text
//    extractor; a tagged-text format without walked definitions ends here, unchanged;
// 3. the entry's files are listed and checked: when none can be read the run ends with
//    msg::extract_no_readable_file and nothing changed (earlier values stay);
// 4. rows exist (and replace_existing is true): the statistics are emptied, then the
//    entry's rows deleted, each table at once;
// 5. each file n of N gets the title "提取关键字段...... n / N" and its own gauge;
//    `threads` (0: one per core) share the work, and the table, numbers, messages and
//    counts are those of one thread reading one file after the other: an XML file's
//    articles are read by all of them at once and written in order; the tagged-text files
//    of a directory entry are read by that many readers at once (a few files ahead at
//    most) and their rows written in file order, the gauge showing the extraction of the
//    file due next while it is read, then the writing of its rows; the front end is
//    pumped meanwhile;
// 6. a file that cannot be read stops the run after the end clean-up;
// 7. end clean-up: rows with an empty value are deleted, whatever their document.
// The result counts the files read, the articles found and the rows written.
ExtractionResult run_extraction(const ExtractionRequest& request, ValueTable& table,
                                Progress& progress);

} // namespace lumacite::extract
