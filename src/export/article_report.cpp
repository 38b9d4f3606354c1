// The article information report: candidates, article details, the text and workbook
// reports and the journal abbreviation table.
#include "analysis/analysis.h"
#include "export/exports.h"
#include "export/text_file.h"
#include "messages.h"
#include "text/text.h"

#include <fstream>
#include <iterator>
#include <unordered_set>

namespace lumacite::exports {

namespace fs = std::filesystem;

// ---- Candidates ---------------------------------------------------------------------------

namespace {

store::ValueFilter carriers_filter(std::string_view keyword, std::string_view format_type,
                                   std::string_view value) {
    store::ValueFilter filter = store::ValueFilter::keywords(
        analysis::occurrence_source(keyword, format_type).stored_keywords);
    filter.zhi = std::string(value);
    return filter;
}

} // namespace

std::vector<std::string> value_carriers(store::Workspace& workspace, std::string_view keyword,
                                        std::string_view format_type, std::string_view value) {
    return workspace.distinct_articles(carriers_filter(keyword, format_type, value));
}

std::vector<std::string> pair_carriers(store::Workspace& workspace, std::string_view keyword,
                                       std::string_view format_type, std::string_view row_value,
                                       std::string_view column_value) {
    std::vector<std::string> rows = value_carriers(workspace, keyword, format_type, row_value);
    if (row_value == column_value) {
        return rows;
    }
    const auto columns = value_carriers(workspace, keyword, format_type, column_value);
    const std::unordered_set<std::string_view> both(columns.begin(), columns.end());
    std::erase_if(rows, [&](const std::string& a) { return both.count(a) == 0; });
    return rows;
}

std::string cooccurrence_report_question(int row, std::string_view row_value, int column,
                                         std::string_view column_value, std::string_view cell) {
    std::string out = msg::report_cell_question_1;
    out += std::to_string(row);
    out += msg::report_cell_question_row;
    out += row_value;
    out += msg::report_cell_question_2;
    out += std::to_string(column);
    out += msg::report_cell_question_column;
    out += column_value;
    out += msg::report_cell_question_3;
    out += cell;
    out += msg::report_cell_question_4;
    return out;
}

// ---- Details ------------------------------------------------------------------------------

ArticleDetails::ArticleDetails(store::Workspace& workspace, std::span<const std::string> articles)
    : values_(articles.size()), found_(articles.size()) {
    // Each article number once, at the first place it takes in the list.
    std::unordered_map<std::string_view, std::size_t> index;
    index.reserve(articles.size());
    for (std::size_t i = 0; i < articles.size(); ++i) {
        index.emplace(articles[i], i);
    }
    std::vector<std::string> keywords(report_keywords.begin(), report_keywords.end());
    workspace.for_each_value(store::ValueFilter::keywords(keywords),
                             [&](const store::ValueRow& row) {
                                 const auto at = index.find(row.wenzhangha);
                                 if (at == index.end()) {
                                     return;
                                 }
                                 for (std::size_t k = 0; k < report_keywords.size(); ++k) {
                                     if (row.guanjianzi == report_keywords[k]) {
                                         if (!found_[at->second][k]) {
                                             found_[at->second][k] = true;
                                             values_[at->second][k] = row.zhi;
                                         }
                                         break;
                                     }
                                 }
                             });
    // A number listed twice shares the details of its first place.
    for (std::size_t i = 0; i < articles.size(); ++i) {
        const std::size_t first = index.at(articles[i]);
        if (first != i) {
            values_[i] = values_[first];
            found_[i] = found_[first];
        }
    }
}

const std::string* ArticleDetails::value(std::size_t index, std::size_t k) const {
    return found_[index][k] ? &values_[index][k] : nullptr;
}

// ---- Text report ----------------------------------------------------------------------------

std::string text_report_line(std::size_t s, std::string_view article, const ArticleDetails& details,
                             std::size_t index) {
    std::string line = msg::report_line_number;
    line += std::to_string(s);
    line += msg::report_line_article;
    line += article;
    for (std::size_t k = 0; k < 4; ++k) {
        if (const std::string* v = details.value(index, k)) {
            line += msg::report_line_separator;
            line += report_keywords[k];
            line += msg::report_line_colon;
            line += *v;
        }
    }
    return line;
}

void write_text_report(store::Workspace& workspace, std::span<const std::string> articles,
                       const fs::path& file, Progress& progress) {
    TextFileWriter out(file);
    progress.set_maximum(static_cast<long long>(articles.size()));
    const ArticleDetails details(workspace, articles);
    for (std::size_t i = 0; i < articles.size(); ++i) {
        out.line(text_report_line(i + 1, articles[i], details, i));
        progress.set_position(static_cast<long long>(i + 1));
        progress.pump();
    }
    out.close();
}

// ---- Workbook report ------------------------------------------------------------------------

std::string query_combination(const JournalTable& journals, std::string_view journal,
                              std::string_view year, std::string_view volume,
                              std::string_view first_page, std::string_view first_author,
                              std::string_view article) {
    const std::string* med = journals.med_abbreviation(std::string(journal));
    std::string out;
    for (std::string_view field : {med != nullptr ? std::string_view(*med) : journal, year, volume,
                                   first_page, first_author, article}) {
        out += field;
        out += '|';
    }
    return out;
}

void write_workbook_report(store::Workspace& workspace, std::span<const std::string> articles,
                           const JournalTable& journals, const fs::path& file, Progress& progress) {
    progress.set_maximum(static_cast<long long>(articles.size()));
    try {
        office::WorkbookWriter book(file);
        book.add_sheet("Sheet1", 9);
        book.write(1, 1, msg::report_headings_first[0]);
        book.write(1, 2, msg::report_headings_first[1]);
        for (std::size_t k = 0; k < report_keywords.size(); ++k) {
            book.write(1, static_cast<std::uint16_t>(k + 3), report_keywords[k]);
        }
        book.write(1, 9, msg::report_heading_query);
        const ArticleDetails details(workspace, articles);
        for (std::size_t i = 0; i < articles.size(); ++i) {
            const auto row = static_cast<std::uint32_t>(i + 2);
            book.write(row, 1, std::to_string(i + 1));
            book.write(row, 2, articles[i]);
            for (std::size_t k = 0; k < report_keywords.size(); ++k) {
                const std::string* v = details.value(i, k);
                book.write(row, static_cast<std::uint16_t>(k + 3), v != nullptr ? *v : " ");
            }
            // Columns 5, 6, 7, 8, 4 and 2 of the row as written.
            book.write(row, 9,
                       query_combination(journals, book.read(row, 5), book.read(row, 6),
                                         book.read(row, 7), book.read(row, 8), book.read(row, 4),
                                         book.read(row, 2)));
            progress.set_position(static_cast<long long>(i + 1));
            progress.pump();
        }
        book.close();
    } catch (const office::WorkbookError& e) {
        throw ExportError(cannot_write_message(file, e.cause()));
    }
}

// ---- Journal table --------------------------------------------------------------------------

namespace {

std::string cannot_read_message(const fs::path& file, std::string_view cause) {
    std::string out = msg::journal_workbook_cannot_read;
    out += file.string();
    out += "：";
    out += cause;
    return out;
}

} // namespace

const std::string* JournalTable::med_abbreviation(const std::string& sci) const {
    const auto at = map_.find(sci);
    return at == map_.end() ? nullptr : &at->second;
}

JournalTable JournalTable::from_xls(const fs::path& file) {
    std::vector<std::vector<std::string>> rows;
    try {
        rows = office::read_xls_sheet(file, "Sheet1");
    } catch (const office::WorkbookError& e) {
        throw ExportError(cannot_read_message(file, e.cause()));
    }
    std::size_t sci = SIZE_MAX;
    std::size_t med = SIZE_MAX;
    if (!rows.empty()) {
        for (std::size_t c = 0; c < rows[0].size(); ++c) {
            const std::string name = text::trim(rows[0][c]);
            if (name == "SCI简称" && sci == SIZE_MAX) {
                sci = c;
            } else if (name == "Med简称" && med == SIZE_MAX) {
                med = c;
            }
        }
    }
    if (sci == SIZE_MAX || med == SIZE_MAX) {
        throw ExportError(
            cannot_read_message(file, "Sheet1 has no columns \"SCI简称\" and \"Med简称\""));
    }
    JournalTable table;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        table.add(rows[r][sci], rows[r][med]);
    }
    return table;
}

JournalTable JournalTable::from_tsv(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw ExportError(cannot_read_message(file, "cannot open the file"));
    }
    JournalTable table;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto tab = line.find('\t');
        if (header || tab == std::string::npos) {
            header = false;
            continue;
        }
        table.add(line.substr(0, tab), line.substr(tab + 1));
    }
    return table;
}

JournalTable JournalTable::load(const fs::path& program_folder, const fs::path& shipped_table) {
    const fs::path own = program_folder / journal_workbook_name;
    std::error_code ec;
    if (fs::exists(own, ec)) {
        return from_xls(own);
    }
    return from_tsv(shipped_table);
}

fs::path shipped_journal_table(const fs::path& exe_folder) {
    return (exe_folder / ".." / "share" / "lumacite" / "journal_abbreviations.tsv")
        .lexically_normal();
}

} // namespace lumacite::exports
