// Thesaurus files: reading with faults by line, preview and application in one pass, and
// writing the thesaurus of merged similar values.
#include "messages.h"
#include "text/text.h"
#include "values/cleaning.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unordered_map>

namespace lumacite::values {
namespace {

// The lines of decoded text (line ends LF, CR LF or CR), numbered from 1 by position.
std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::vector<std::string_view> split_tabs(std::string_view line) {
    std::vector<std::string_view> cells;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        cells.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    cells.push_back(line.substr(start));
    return cells;
}

bool is_header(std::string_view line) {
    const auto cells = split_tabs(line);
    return cells.size() == 2 && text::ascii_lower(text::trim(cells[0])) == "label" &&
           text::ascii_lower(text::trim(cells[1])) == "replace by";
}

// A cell as the table would hold it: trimmed, apostrophes as extraction stores them.
std::string cell_value(std::string_view cell) {
    return text::substitute_apostrophes(text::trim(cell));
}

// The entries of a thesaurus by match key, with their replacements in stored form.
struct Lookup {
    bool fold = false;
    std::unordered_map<std::string, std::size_t> entry_of;
    std::vector<std::string> replacement;

    explicit Lookup(const Thesaurus& t) : fold(t.fold) {
        replacement.reserve(t.entries.size());
        for (std::size_t i = 0; i < t.entries.size(); ++i) {
            entry_of.emplace(match_key(t.entries[i].label, fold), i);
            replacement.push_back(stored_value(t.entries[i].replace_by));
        }
    }
};

// Gathers an outcome row by row; the one decision both preview and application make.
class Tally {
public:
    Tally(const Thesaurus& thesaurus, Progress& progress, std::uint64_t records)
        : thesaurus_(thesaurus), lookup_(thesaurus), progress_(progress),
          records_(static_cast<long long>(records)), index_(thesaurus.entries.size()) {
        progress_.set_maximum(records_);
    }

    store::Workspace::RowChange decide(const store::ValueRow& row) {
        if (++seen_ % 4096 == 0) {
            progress_.set_position(row.record);
            progress_.pump();
        }
        // A row's value is in stored form already: its match key needs no cut.
        const std::string& zhi = row.zhi;
        const auto it = lookup_.fold ? lookup_.entry_of.find(text::ascii_lower(text::trim(zhi)))
                                     : lookup_.entry_of.find(zhi);
        if (it == lookup_.entry_of.end()) {
            return {};
        }
        const std::string& to = lookup_.replacement[it->second];
        if (to == zhi) {
            return {};
        }
        auto [at, added] = index_[it->second].try_emplace(zhi, changes_.size());
        if (added) {
            changes_.push_back({zhi, to, thesaurus_.entries[it->second].line, 0});
            entry_.push_back(it->second);
        }
        ++changes_[at->second].rows;
        if (to.empty()) {
            return {std::nullopt, true};
        }
        return {to, false};
    }

    ThesaurusOutcome outcome() {
        ThesaurusOutcome out;
        out.rows_per_entry.assign(thesaurus_.entries.size(), 0);
        std::vector<std::size_t> order(changes_.size());
        std::vector<std::string> keys(changes_.size());
        for (std::size_t i = 0; i < changes_.size(); ++i) {
            order[i] = i;
            keys[i] = text::utf8_to_gb18030(changes_[i].old_value);
            out.rows_per_entry[entry_[i]] += changes_[i].rows;
            (changes_[i].new_value.empty() ? out.rows_removed : out.rows_changed) +=
                changes_[i].rows;
        }
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            if (entry_[a] != entry_[b]) {
                return entry_[a] < entry_[b];
            }
            return keys[a] < keys[b];
        });
        for (const std::size_t i : order) {
            out.changes.push_back(std::move(changes_[i]));
        }
        progress_.set_position(records_);
        return out;
    }

private:
    const Thesaurus& thesaurus_;
    Lookup lookup_;
    Progress& progress_;
    long long records_ = 0;
    std::uint64_t seen_ = 0;
    std::vector<std::unordered_map<std::string, std::size_t>> index_; // entry: old value -> change
    std::vector<ThesaurusChange> changes_;
    std::vector<std::size_t> entry_; // entry of each change
};

store::ValueFilter scope_filter(const ThesaurusScope& scope) {
    const auto source = analysis::occurrence_source(scope.keyword, scope.format_type);
    store::ValueFilter filter = store::ValueFilter::keywords(source.stored_keywords);
    filter.bianhao = scope.bianhao;
    filter.xuhao = scope.xuhao;
    return filter;
}

bool fits_a_line(std::string_view s) {
    return s.find_first_of("\t\r\n") == std::string_view::npos;
}

} // namespace

std::string match_key(std::string_view value, bool fold) {
    std::string stored = stored_value(value);
    return fold ? text::ascii_lower(text::trim(stored)) : stored;
}

Thesaurus parse_thesaurus(std::string_view bytes, bool fold) {
    Thesaurus t;
    t.fold = fold;
    const std::string decoded = text::decode_input(bytes);
    const auto lines = split_lines(decoded);
    auto fault = [&](std::size_t line, std::string message) {
        t.faults.push_back({line, std::move(message)});
    };

    std::size_t at = 0;
    while (at < lines.size() && text::trim_view(lines[at]).empty()) {
        ++at;
    }
    if (at == lines.size()) {
        fault(1, msg::thesaurus_empty_file);
        return t;
    }
    const std::size_t header_line = at + 1;
    if (!is_header(lines[at])) {
        fault(header_line, msg::thesaurus_bad_header);
    }

    std::unordered_map<std::string, std::size_t> first_entry; // match key -> entry
    for (++at; at < lines.size(); ++at) {
        const std::size_t line = at + 1;
        if (text::trim_view(lines[at]).empty()) {
            continue;
        }
        const auto cells = split_tabs(lines[at]);
        if (cells.size() < 2) {
            fault(line, msg::thesaurus_no_tab);
            continue;
        }
        // Empty columns after the two (a sheet saved as text) do no harm.
        if (std::any_of(cells.begin() + 2, cells.end(),
                        [](std::string_view c) { return !text::trim_view(c).empty(); })) {
            fault(line, msg::thesaurus_extra_column);
            continue;
        }
        ThesaurusEntry entry{line, cell_value(cells[0]), cell_value(cells[1])};
        if (entry.label.empty()) {
            fault(line, msg::thesaurus_empty_label);
            continue;
        }
        const auto [it, added] =
            first_entry.try_emplace(match_key(entry.label, fold), t.entries.size());
        if (added) {
            t.entries.push_back(std::move(entry));
            continue;
        }
        const ThesaurusEntry& earlier = t.entries[it->second];
        if (stored_value(earlier.replace_by) != stored_value(entry.replace_by)) {
            fault(line, std::string(msg::thesaurus_conflict_1) + std::to_string(earlier.line) +
                            msg::thesaurus_conflict_2);
        }
    }
    if (t.entries.empty() && t.faults.empty()) {
        fault(header_line, msg::thesaurus_no_entries);
    }
    return t;
}

Thesaurus read_thesaurus(const std::filesystem::path& file, bool fold) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    if (in) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in && !in.eof()) {
        throw std::runtime_error(std::string(msg::thesaurus_cannot_read) + file.string());
    }
    return parse_thesaurus(bytes, fold);
}

std::string fault_report(const Thesaurus& thesaurus) {
    std::string out = msg::thesaurus_faults;
    for (const auto& f : thesaurus.faults) {
        out += '\n';
        out += msg::thesaurus_fault_line_1;
        out += std::to_string(f.line);
        out += msg::thesaurus_fault_line_2;
        out += f.message;
    }
    return out;
}

ThesaurusOutcome preview_thesaurus(store::Workspace& workspace, const ThesaurusScope& scope,
                                   const Thesaurus& thesaurus, Progress& progress) {
    Tally tally(thesaurus, progress, workspace.value_record_count());
    workspace.for_each_value(scope_filter(scope),
                             [&](const store::ValueRow& row) { tally.decide(row); });
    return tally.outcome();
}

ThesaurusOutcome apply_thesaurus(store::Workspace& workspace, const ThesaurusScope& scope,
                                 const Thesaurus& thesaurus, Progress& progress) {
    Tally tally(thesaurus, progress, workspace.value_record_count());
    workspace.rewrite_values_and_pack(
        scope_filter(scope), [&](const store::ValueRow& row) { return tally.decide(row); });
    return tally.outcome();
}

std::string thesaurus_question(const ThesaurusOutcome& outcome) {
    return std::string(msg::thesaurus_question_1) + std::to_string(outcome.rows_changed) +
           msg::thesaurus_question_2 + std::to_string(outcome.rows_removed) +
           msg::thesaurus_question_3;
}

std::string thesaurus_summary(const ThesaurusOutcome& outcome) {
    return std::string(msg::thesaurus_summary_1) + std::to_string(outcome.rows_changed) +
           msg::thesaurus_summary_2 + std::to_string(outcome.rows_removed) +
           msg::thesaurus_summary_3;
}

std::vector<ThesaurusEntry> merge_entries(std::span<const Merge> merges) {
    std::vector<ThesaurusEntry> entries;
    for (const auto& m : merges) {
        if (!fits_a_line(m.form)) {
            continue;
        }
        for (const auto& member : m.members) {
            if (member != m.form && fits_a_line(member)) {
                entries.push_back({entries.size() + 2, member, m.form});
            }
        }
    }
    return entries;
}

Thesaurus thesaurus_of(std::vector<ThesaurusEntry> entries) {
    return parse_thesaurus(thesaurus_text(entries), false);
}

std::string thesaurus_text(std::span<const ThesaurusEntry> entries) {
    std::string out = "label\treplace by\n";
    for (const auto& e : entries) {
        out += e.label;
        out += '\t';
        out += e.replace_by;
        out += '\n';
    }
    return out;
}

void save_thesaurus(const std::filesystem::path& file, std::span<const ThesaurusEntry> entries) {
    const std::string bytes = thesaurus_text(entries);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error(std::string(msg::thesaurus_cannot_write) + file.string());
    }
}

} // namespace lumacite::values
