// Projects and their document lists: the project number rules, the placeholder project,
// selecting a project (binding its workspace, its keyword list, its document entries),
// editing number, format and description, deleting a project with its folder, and
// registering and removing document entries.
//
// No widgets here: the window's handlers check what depends on the window, call these
// functions and show what they return. Questions are asked through an Ask callback (the
// window passes its Prompter, the command line its --yes rules); refusals come back as
// the message to show, exactly as in msg::.
#pragma once

#include "store/catalogue.h"
#include "store/workspace.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::projects {

namespace fs = std::filesystem;

// Asks a Yes/No (or OK/Cancel) question with the given text; true for Yes (OK).
using Ask = std::function<bool(const std::string& question)>;

// A file operation of this module that failed; what() is the message to show (one of
// msg::document_copy_failed or msg::folder_removal_failed with the path and the system's
// error text).
//
// Writing functions expect a workspace bound for writing (open_for_writing), which holds
// the project's lock; whatever checks the catalogue and changes it holds the catalogue's
// lock meanwhile. Both throw store::LockBusy with the message to show while another
// program holds them, before anything is changed.
class ProjectError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Number rules ---------------------------------------------------------------------

// The first message the number box shows for this text, checked in this order: empty
// after trimming, contains a space, holds a character other than A-Z, a-z, 0-9 (any
// non-ASCII character included). nullopt when the text is a valid number.
std::optional<std::string> number_problem(std::string_view text);

// True when the folder and table files of this number fit the file system under the
// program folder: "zidian" + number + ".dbf.pack" within the longest file name, the whole
// path within the longest path.
bool fits_file_system(const fs::path& program_folder, std::string_view number);

// The refusal of a number for a new or renumbered project, checked in this order:
// number_problem, too long for the file system (msg::number_too_long), taken by a project
// (msg::number_duplicate). `current` is the number the project has now (equal: no refusal).
std::optional<std::string> new_number_problem(const store::Catalogue& catalogue,
                                              const fs::path& program_folder,
                                              std::string_view current, std::string_view text);

// The question asked before a new number takes a folder that holds tables of earlier work
// (a zidian or tongji table of that number); nullopt when there is no such folder. A
// folder's tables are never taken over without a Yes.
std::optional<std::string> adopt_folder_question(const fs::path& program_folder,
                                                 const std::string& number);

// ---- Opening a project's tables --------------------------------------------------------

// For a command that writes the project: takes its lock (store::LockBusy while another
// program writes it), finishes or undoes a document removal a kill interrupted (see
// remove_document), then binds the workspace for writing. store::WorkspaceError when the
// folder or the tables cannot be made ready.
store::Workspace open_for_writing(const store::Catalogue& catalogue, const fs::path& program_folder,
                                  const std::string& number);

// For a command that only reads: when a kill interrupted a document removal, first settles
// it as open_for_writing would (if no other program writes the project and the folder can
// be written); then opens the existing tables read-only. Nothing is created.
// store::WorkspaceError when a table is missing or cannot be read.
store::Workspace open_for_reading(const store::Catalogue& catalogue, const fs::path& program_folder,
                                  const std::string& number);

// ---- Add and select ---------------------------------------------------------------------

struct ProjectCreation {
    enum class Status {
        added,    // the row is there, with its folder and tables
        refused,  // `message` says why; nothing changed
        declined, // the question about a folder of earlier work was answered No
    };
    Status status = Status::refused;
    std::string message;
};

// Adds a project with a number (the command line's project add): the number is checked
// (new_number_problem), then the format (msg::format_not_found + name when the catalogue has
// none of that name); a folder holding tables of earlier work is taken over only after a
// Yes to adopt_folder_question. The row is added, then the folder and tables made ready;
// when they cannot be made the row is taken out again and the error thrown.
ProjectCreation add_project(store::Catalogue& catalogue, const fs::path& program_folder,
                            const store::Project& project, const Ask& ask);

// Add: creates the placeholder project (empty number, format and description) unless one
// exists. Returns true when it created it; either way the caller selects the project
// with the empty number.
bool add_placeholder(store::Catalogue& catalogue);

// Index of the first format entry whose text before the first "·" equals geshi; nullopt
// when none does (the format box then shows no item).
std::optional<std::size_t> format_entry_index(const std::vector<std::string>& entries,
                                              const std::string& geshi);

// What selecting a project yields besides the boxes' texts.
struct Selection {
    // Number, format and description may change: the project has no document entry.
    bool editable = false;
    // False for the placeholder: the workspace, keyword lists and document list keep
    // what they held (keywords and documents are then empty here).
    bool bound = false;
    // The keyword list (extraction, statistics and matrix pages), in list order.
    std::vector<std::string> keywords;
    // The project's document entries in xuhao order.
    std::vector<store::Document> documents;
};

// Select: for a numbered project, makes its folder and missing tables (open_for_writing:
// store::LockBusy while another program writes the project), then opens `workspace` on it
// for reading (the tables of another project are closed first), computes the keyword list
// of its format and reads its document entries. The placeholder (number empty after
// trimming) leaves `workspace` as it is. Throws store::WorkspaceError when the folder or a
// table cannot be made ready or read; `workspace` is then empty.
Selection select_project(const store::Catalogue& catalogue, const fs::path& program_folder,
                         const store::Project& project, std::optional<store::Workspace>& workspace);

// ---- Edit number, format, description -------------------------------------------------

struct NumberEdit {
    enum class Status {
        stored,    // the row carries the new number; select it (binds the new folder)
        unchanged, // the text equals the current number
        refused,   // `message` is to be shown, the focus goes back to the box
        locked,    // the project has document entries: nothing may change
        declined,  // taking over a folder of earlier work was answered No: nothing stored
    };
    Status status = Status::unchanged;
    std::string message;
};

// Edit number of the project `current` (the placeholder's is empty) to `text`, stored as
// typed. The messages come in the order of new_number_problem; a folder of the new number
// holding tables of earlier work is taken over only after a Yes to adopt_folder_question.
// The folder of the old number stays where it is.
NumberEdit edit_number(store::Catalogue& catalogue, const fs::path& program_folder,
                       const std::string& current, const std::string& text, const Ask& ask);

// Edit format: stores the text before the first "·" of the chosen format entry as the
// project's format. False when nothing changed (same format, no such project, locked).
bool edit_format(store::Catalogue& catalogue, const std::string& number,
                 const std::string& format_entry);

// Edit description: stores the text when it differs. False when nothing changed.
bool edit_description(store::Catalogue& catalogue, const std::string& number,
                      const std::string& shuoming);

// ---- Delete ------------------------------------------------------------------------------

// The OK/Cancel question before deleting; the folder is shown as the program folder's
// path joined with the number.
std::string delete_question(const fs::path& program_folder, const std::string& number);

// Delete: takes the project's lock when its folder exists (store::LockBusy while another
// program writes the project: nothing changes), removes the project's row and its
// document entries, closes `workspace` (whichever project it was bound to), and when the
// number is not empty after trimming removes the project folder with everything in it
// (remove_project_folder; a number too long for the file system may have no folder).
// Returns the message of a failed folder removal, nullopt when all went well; the rows
// are gone either way. The caller then selects the first
// remaining project.
std::optional<std::string> delete_project(store::Catalogue& catalogue,
                                          const fs::path& program_folder, const std::string& number,
                                          std::optional<store::Workspace>& workspace);

// Removes program_folder / name with every file and folder below it, read-only and
// hidden ones included. A symbolic link is removed as a link and never followed, so
// nothing outside the project folder is touched; `name` must be one path component
// (not empty, ".", ".." or holding "/"), so neither the program folder nor anything
// beside it is removed. A directory on another file system (a mount point) is neither
// entered nor removed and counts as a failure. Stops at the first failure and throws
// ProjectError with msg::folder_removal_failed, the path and the system's error text;
// what was removed stays removed. A missing folder is a failure too, but a name too long
// to name a folder at all has nothing to remove.
void remove_project_folder(const fs::path& program_folder, const std::string& name);

// ---- Document list -------------------------------------------------------------------------

// "是否确认所选文件（" + path + "）？\r".
std::string confirm_file_question(const fs::path& source);

struct FileRegistration {
    enum class Status {
        declined, // a question was answered No: nothing changed
        refused,  // the name is one of the project's table files: `refusal` says so
        added,    // a new entry with the next xuhao
        replaced, // an entry of the same name: its copy replaced, its xuhao kept
    };
    Status status = Status::declined;
    long long xuhao = 0;          // the entry to select
    bool results_cleared = false; // its values and the project's statistics were deleted
    std::string refusal;
};

// Choose file, after the file dialog: asks the confirmation; when the project has a file
// entry of the same name asks whether to overwrite and, when that entry has values in
// zidian, whether to clear them (Yes: its value rows and all statistics rows are deleted).
// Then copies the file into the project folder (through a temporary file renamed over the
// target, so a failed copy leaves an earlier copy intact) and registers a new entry with
// xuhao = entries + 1. A failed copy throws ProjectError and changes nothing: no entry is
// added and no value is cleared. A file named like one of the project's own files
// (store::is_reserved_file_name: its tables, their rewrites, the lock and the journal) is
// refused after the confirmation, since its copy would take that file's place. Clearing
// replaces tongji (emptied) and then zidian (without the entry's rows) each at once.
// `workspace` must be bound to the project for writing.
FileRegistration register_file(store::Catalogue& catalogue, store::Workspace& workspace,
                               const fs::path& source, const Ask& ask);

// The regular files of a directory in the order the directory dialog and extraction take
// them: names compared without regard to ASCII case, then in text order. Hidden files
// (names beginning with ".") are left out. Empty when the directory cannot be read.
std::vector<std::string> directory_file_names(const fs::path& directory);

// The extension list of the directory dialog: for each file, in directory_file_names
// order, its name in capitals with everything up to and including each "." dropped (the
// last extension; a name without a dot gives itself), each text once. A name ending in
// "." gives nothing.
std::vector<std::string> extension_list(const fs::path& directory);

struct DirectoryRegistration {
    std::string refusal; // the message to show (the dialog stays open); empty when added
    long long xuhao = 0; // the new entry
};

// "确认" of the directory dialog: refuses an extension that is empty after trimming, a
// directory that does not exist and a directory and extension the project has already;
// otherwise adds the entry (wenjianming = the directory as given, kuozhanming = the
// extension in capitals) with xuhao = entries + 1. The caller holds the project's lock
// (a workspace bound for writing), as for every change of a document list.
DirectoryRegistration register_directory(store::Catalogue& catalogue, const std::string& number,
                                         const fs::path& directory, std::string_view extension);

// The OK/Cancel question before removing an entry.
std::string remove_question(const store::Document& entry);

// Remove document: deletes entry xuhao and numbers the later entries one lower; in
// zidian deletes the entry's values and lowers the later documents' xuhao by one; empties
// tongji. A copied file stays in the project folder. The caller runs the document scroll
// and selects the project again. `workspace` must be bound to the project for writing.
//
// Kill-safe: the new zidian and tongji are written beside the old ones (".pack") and
// synced, a journal (store::removal_journal_file_name: the entry and the number of entries
// before) is written, the catalogue changes in one transaction, the new tables are renamed
// over the old ones and the journal goes. open_for_writing finds a journal left by a kill:
// when the catalogue still has the entry the removal is undone (the old tables stand),
// otherwise it is finished (the new tables are renamed in).
enum class RemovalStep { staged, journal_written, catalogue_changed, values_installed, done };
// `reached`, when given, is called after each step has lasted (tests end the process there
// to see what a kill at that moment leaves).
void remove_document(store::Catalogue& catalogue, store::Workspace& workspace, long long xuhao,
                     const std::function<void(RemovalStep)>& reached = {});

// What open_for_writing does about an interrupted removal, with the project's lock held
// and before the tables are opened. True when there was one.
bool settle_interrupted_removal(const store::Catalogue& catalogue, const fs::path& folder,
                                const std::string& number);

} // namespace lumacite::projects
