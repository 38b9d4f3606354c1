// The catalogue: the program's lasting definitions in one password-protected database
// file (velkor.exs): keyword definitions (geshi), projects (xiangmu) and document entries
// (wenxian). Every statement is a typed function with bound parameters; text is UTF-8.
// Locating is exact (case-sensitive, no partial match). Text orders are GB18030 byte order.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumacite::store {

// A failure of the database file or engine; what() names the file and the cause.
class CatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The password that guards the catalogue file.
inline constexpr const char* catalogue_password = "Rtmq";
inline constexpr const char* catalogue_file_name = "velkor.exs";

// One row of geshi: a keyword definition. Fields the catalogue holds no value for
// (pailie, fenge, yueding of a new default definition) are empty optionals.
struct Definition {
    long long id = 0; // numbered by the database
    std::string geshi;
    std::string geshi_quancheng;
    std::string leixing;
    std::string guanjianzi;
    std::array<std::string, 6> jiedian;
    std::optional<std::string> pailie;
    std::optional<std::string> fenge;
    std::optional<int> yueding;

    // Text forms as the program reads them (no value reads as "").
    std::string pailie_text() const { return pailie.value_or(""); }
    std::string fenge_text() const { return fenge.value_or(""); }
};

// A distinct (name, full name, type) triple of geshi.
struct FormatKey {
    std::string geshi;
    std::string geshi_quancheng;
    std::string leixing;
    bool operator==(const FormatKey&) const = default;
};

// One row of xiangmu.
struct Project {
    std::string bianhao;
    std::string geshi;
    std::string shuoming;
    bool operator==(const Project&) const = default;
};

// One row of wenxian.
struct Document {
    std::string bianhao;
    long long xuhao = 0;
    std::string wenjianming;
    std::string kuozhanming;
    bool operator==(const Document&) const = default;
};

class Catalogue {
public:
    // Opens an existing catalogue with the password. Throws CatalogueError when the file
    // is missing, is not a catalogue, or the password does not open it.
    static Catalogue open(const std::filesystem::path& file);
    // Creates a new, empty catalogue with the three tables. The file must not exist.
    static Catalogue create(const std::filesystem::path& file);

    Catalogue(Catalogue&&) noexcept;
    Catalogue& operator=(Catalogue&&) noexcept;
    ~Catalogue();

    const std::filesystem::path& path() const;

    // ---- geshi -------------------------------------------------------------------
    // Distinct (name, full name, type) triples, in text order of name, full name, type.
    std::vector<FormatKey> formats() const;
    // Every definition of a format, in id order.
    std::vector<Definition> definitions(const std::string& geshi) const;
    // Definitions the XML extractor walks (flag 0), in id order.
    std::vector<Definition> xml_walked_definitions(const std::string& geshi) const;
    // Definitions the TXT extractor walks (flag not 1; a row without a flag is not
    // walked), in id order.
    std::vector<Definition> txt_walked_definitions(const std::string& geshi) const;
    // Keyword names of an XML format's keyword lists (flag 0), in id order.
    std::vector<std::string> xml_keyword_names(const std::string& geshi) const;
    // Keyword names of any other format (flag neither 1 nor 2), in id order.
    std::vector<std::string> other_keyword_names(const std::string& geshi) const;
    // The type of a format: leixing of its first definition (lowest id); "" when none.
    std::string format_type(const std::string& geshi) const;
    // True when any definition carries this format name.
    bool format_exists(const std::string& geshi) const;
    // The first definition (lowest id) of a format with this keyword name.
    std::optional<Definition> find_definition(const std::string& geshi,
                                              const std::string& guanjianzi) const;
    // The definition of a format with this id.
    std::optional<Definition> find_definition(const std::string& geshi, long long id) const;
    // Adds a definition (its id is ignored) and returns the id the database gave it.
    long long add_definition(const Definition& d);
    // Writes every field but id of the definition with d.id.
    void update_definition(const Definition& d);
    // Deletes the definition of the format with this id; false when there was none.
    bool delete_definition(const std::string& geshi, long long id);
    // Sets name, full name and type on every row of a format; returns the rows changed.
    int update_format(const std::string& geshi, const FormatKey& to);
    // Deletes every definition of a format; returns the rows deleted.
    int delete_format(const std::string& geshi);

    // ---- xiangmu -----------------------------------------------------------------
    // Every project in number order (the placeholder, with its empty number, first).
    std::vector<Project> projects() const;
    std::optional<Project> find_project(const std::string& bianhao) const;
    void add_project(const Project& p);
    // Writes the row located by old_bianhao (the first one) with p; false when none.
    bool update_project(const std::string& old_bianhao, const Project& p);
    // Deletes the project rows with this number, then its document entries.
    void delete_project(const std::string& bianhao);
    // Number of projects that use a format.
    int projects_using_format(const std::string& geshi) const;

    // ---- wenxian -----------------------------------------------------------------
    // A project's document entries in xuhao order.
    std::vector<Document> documents(const std::string& bianhao) const;
    bool has_documents(const std::string& bianhao) const;
    std::optional<Document> find_document(const std::string& bianhao, long long xuhao) const;
    // The file entry of a project with this file name (a row whose kuozhanming is empty).
    std::optional<Document> find_file_entry(const std::string& bianhao,
                                            const std::string& wenjianming) const;
    // The directory entry of a project with this directory and extension.
    std::optional<Document> find_directory_entry(const std::string& bianhao,
                                                 const std::string& wenjianming,
                                                 const std::string& kuozhanming) const;
    void add_document(const Document& d);
    // Deletes entry xuhao of a project and moves the later entries down by one.
    void remove_document(const std::string& bianhao, long long xuhao);
    // Changes the project number of every document entry (renumbering a project).
    void rename_document_owner(const std::string& old_bianhao, const std::string& new_bianhao);

    // Runs fn inside one transaction (committed when fn returns, rolled back on throw).
    template <class Fn> void transaction(Fn&& fn) {
        begin();
        try {
            fn();
        } catch (...) {
            rollback();
            throw;
        }
        commit();
    }

    struct Impl;

    // Held by whatever checks the catalogue and then changes it, so that two programs never
    // act on the same check: the exclusive lock of <catalogue file>.lock. Taking it again in
    // the same program only counts up. Waits up to `wait` for another program to finish its
    // change, then throws LockBusy (msg::catalogue_in_use); LockError when the lock file
    // cannot be made (a read-only folder).
    class ChangeLock {
    public:
        ChangeLock(Impl& impl, std::chrono::milliseconds wait);
        ChangeLock(const ChangeLock&) = delete;
        ChangeLock& operator=(const ChangeLock&) = delete;
        ~ChangeLock();

    private:
        Impl& impl_;
    };
    [[nodiscard]] ChangeLock
    lock_for_change(std::chrono::milliseconds wait = std::chrono::seconds(10)) {
        return ChangeLock(*impl_, wait);
    }

private:
    explicit Catalogue(std::unique_ptr<Impl> impl);
    void begin();
    void commit();
    void rollback();
    std::unique_ptr<Impl> impl_;
};

// ---- Seed ----------------------------------------------------------------------------

// Reads catalogue seed rows (tab-separated: geshi, geshi_quancheng, leixing, guanjianzi,
// jiedian1..6, pailie, fenge, yueding; a header line; "#" lines are comments; "\N" stands
// for no value; "\t" "\\" escapes). Throws std::runtime_error naming the line on bad input.
std::vector<Definition> read_seed(const std::filesystem::path& file);

// Creates a catalogue at `file` holding the seed definitions in order.
void build_catalogue(const std::filesystem::path& seed, const std::filesystem::path& file);

} // namespace lumacite::store
