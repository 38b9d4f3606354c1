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
    // Deletes the value rows of a document entry (the table is packed).
    virtual void delete_document_rows(long long xuhao) = 0;
    // Empties the statistics of the project.
    virtual void clear_statistics() = 0;
    // Appends one row.
    virtual void append(const ValueRow& row) = 0;
    // Deletes every row of the project whose value is empty (the table is packed).
    virtual void delete_empty_values() = 0;
    // Brings the table file up to date at the end of a run.
    virtual void flush() {}
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

private:
    store::Workspace& workspace_;
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

private:
    ValueTable& table_;
    ValueRow row_;
    std::string last_wenzhangha_;
    std::string last_guanjianzi_;
    long long rows_ = 0;
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
};

struct ExtractionResult {
    enum class Status {
        done,           // every file read; the end clean-up ran
        declined,       // the entry had rows and replacing them was not confirmed: nothing changed
        no_definitions, // a tagged-text format without walked definitions: nothing read
        stopped,        // a file could not be read: `messages` ends with why; rows stay
    };
    Status status = Status::done;
    long long rows_written = 0;
    int files_read = 0;
    // Messages to show, in order: skipped files, and the reason of a stop.
    std::vector<std::string> messages;
};

// The request for a document entry of a project, the format read from the catalogue.
ExtractionRequest make_request(const store::Catalogue& catalogue, const store::Project& project,
                               const store::Document& entry,
                               const std::filesystem::path& project_folder, bool replace_existing);

// Runs the extraction of one document entry:
// 1. rows exist and replace_existing is false: declined, nothing changed; rows exist and
//    it is true: the entry's rows are deleted and the statistics emptied;
// 2. "<xml>" formats are read by the XML extractor, every other type by the tagged-text
//    extractor (a tagged-text format without walked definitions ends here);
// 3. each file n of N gets the title "提取关键字段...... n / N" and its own gauge;
// 4. a file that cannot be read stops the run after the end clean-up;
// 5. end clean-up: rows with an empty value are deleted, whatever their document.
ExtractionResult run_extraction(const ExtractionRequest& request, ValueTable& table,
                                Progress& progress);

} // namespace lumacite::extract
