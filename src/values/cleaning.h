// Cleaning a keyword's values at scale: thesaurus files (read with their faults by line,
// previewed, then applied to a keyword of a project in one pass over zidian that also
// packs it) and groups of similar values (spelling variants of one value, proposed for
// merging as a thesaurus).
//
// A thesaurus file is text (UTF-8 or GB18030, decoded as every input file) whose first
// line is the header "label" TAB "replace by" and whose other lines are a label and its
// replacement, separated by one tab; an empty replacement removes the label's rows, blank
// lines are skipped. Labels and replacements are trimmed and their ASCII apostrophes
// become "′", as extraction stores them.
//
// Each row is looked up once, by the value it holds before the thesaurus runs: with
// "A→B" and "B→C", a row of A becomes B and a row of B becomes C (no chains are followed),
// so the result never depends on the order of the lines and the preview lists exactly
// what happens.
#pragma once

#include "progress.h"
#include "values/values.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::values {

// ---- Thesaurus files ---------------------------------------------------------------------

struct ThesaurusEntry {
    std::size_t line = 0; // in the file, from 1
    std::string label;
    std::string replace_by; // empty: the label's rows are removed
    bool operator==(const ThesaurusEntry&) const = default;
};

struct ThesaurusFault {
    std::size_t line = 0;
    std::string message; // what is wrong with the line (msg::thesaurus_*)
    bool operator==(const ThesaurusFault&) const = default;
};

struct Thesaurus {
    bool fold = false;                   // match without regard to ASCII case and blanks
    std::vector<ThesaurusEntry> entries; // file order; a repeated label keeps its first line
    std::vector<ThesaurusFault> faults;  // file order; nothing is applied while there are any
};

// Reads a thesaurus file's bytes. Faults: an empty file, a header other than "label" TAB
// "replace by" (names compared trimmed, without regard to ASCII case), a line without a
// tab or with more than one, an empty label, a label repeated (as matched, see
// match_key) with another replacement, a file without entries.
Thesaurus parse_thesaurus(std::string_view bytes, bool fold);
// The same for a file; throws std::runtime_error (msg::thesaurus_cannot_read + file).
Thesaurus read_thesaurus(const std::filesystem::path& file, bool fold);
// The faults as the user reads them: the heading, then "第N行：fault" a line.
std::string fault_report(const Thesaurus& thesaurus);

// What a label and a stored value are compared by: the stored form (stored_value); with
// fold, also trimmed and ASCII lower-cased.
std::string match_key(std::string_view value, bool fold);

// Where a thesaurus acts: the rows of a listed keyword of a project (the stored keys it
// stands for), in every document or in one.
struct ThesaurusScope {
    std::string bianhao;
    std::string keyword; // as listed
    std::string format_type;
    std::optional<long long> xuhao; // nullopt: every document
};

// One stored value a label matches and what becomes of it.
struct ThesaurusChange {
    std::string old_value;
    std::string new_value; // empty: removed
    std::size_t line = 0;  // of the entry
    std::uint64_t rows = 0;
    bool operator==(const ThesaurusChange&) const = default;
};

struct ThesaurusOutcome {
    // By entry (file order), then old value in text order. A row that already holds its
    // replacement is no change.
    std::vector<ThesaurusChange> changes;
    std::vector<std::uint64_t> rows_per_entry; // changed or removed rows, one per entry
    std::uint64_t rows_changed = 0;
    std::uint64_t rows_removed = 0;
    bool operator==(const ThesaurusOutcome&) const = default;
};

// What applying the thesaurus would do, reading the table only (a read-only workspace will
// do). The thesaurus must have no faults.
ThesaurusOutcome preview_thesaurus(store::Workspace& workspace, const ThesaurusScope& scope,
                                   const Thesaurus& thesaurus, Progress& progress);
// Applies the thesaurus in one pass over zidian that also packs it (a new table file
// renamed over the old one; nothing changes when nothing matches). Returns what it did,
// which equals the preview of the same table. The thesaurus must have no faults.
ThesaurusOutcome apply_thesaurus(store::Workspace& workspace, const ThesaurusScope& scope,
                                 const Thesaurus& thesaurus, Progress& progress);

// The confirmation asked before a thesaurus changes anything (it says the change cannot be
// undone), and the line that reports what it did.
std::string thesaurus_question(const ThesaurusOutcome& outcome);
std::string thesaurus_summary(const ThesaurusOutcome& outcome);

// ---- Similar values ----------------------------------------------------------------------

struct ValueCount {
    std::string zhi;
    std::uint64_t cishu = 0;
    bool operator==(const ValueCount&) const = default;
};

// The distinct values of a listed keyword in every document of the project with their
// number of rows (of distinct article-value pairs for a merged subject-heading keyword), in
// text order.
std::vector<ValueCount> value_counts(store::Workspace& workspace, const std::string& keyword,
                                     const std::string& format_type, Progress& progress);

// Full-width ASCII forms (U+FF01-U+FF5E) and the ideographic space become their half-width
// forms; nothing else changes.
std::string width_folded(std::string_view value);

// The form two spellings of one value share. A value holding Chinese, Japanese or Korean
// characters is only width-folded. Any other value is width-folded, ASCII lower-cased,
// Latin letters with diacritics lose them ("Müller" → "muller", "ß" → "ss"), and blanks and
// punctuation (ASCII, general and CJK punctuation, combining marks) go.
std::string similarity_key(std::string_view value);

enum class Likeness {
    same,     // equal similarity keys
    initials, // author names of one surname whose initials extend one another (weaker)
};

struct SimilarGroup {
    Likeness likeness = Likeness::same;
    // Most frequent first (ties in text order); the first is the proposed form.
    std::vector<ValueCount> members;
};

// Groups of two or more values. Values of equal similarity key form a "same" group. With
// `authors`, names "Surname Initials" (initials: trailing tokens of one to three capital
// letters, dots allowed) of one surname whose initials are a prefix of the initials of one
// other name ("Smith J", "Smith JA") form an "initials" group with it, which takes in the
// "same" groups of its names; a name whose initials extend to two different names ("Smith
// J" with "Smith JA" and "Smith JB") is left out. Each value is in one group at most.
// "same" groups come first, then "initials" groups; within each, larger total counts
// first, then the proposed form's text order.
std::vector<SimilarGroup> similar_groups(std::span<const ValueCount> values, bool authors);

// The members of a group the user merges and the form they become.
struct Merge {
    std::vector<std::string> members;
    std::string form;
};

// The thesaurus entries of the merges: every member but the form, to the form, in order.
// Members that a thesaurus line cannot hold (tab or line end) are left out.
std::vector<ThesaurusEntry> merge_entries(std::span<const Merge> merges);
// A thesaurus of entries (exact matching), as if read from a file.
Thesaurus thesaurus_of(std::vector<ThesaurusEntry> entries);
// The text of a thesaurus file: the header, then label TAB replacement a line (LF), UTF-8.
std::string thesaurus_text(std::span<const ThesaurusEntry> entries);
// Writes thesaurus_text to a file, replacing it; throws std::runtime_error
// (msg::thesaurus_cannot_write + file).
void save_thesaurus(const std::filesystem::path& file, std::span<const ThesaurusEntry> entries);

} // namespace lumacite::values
