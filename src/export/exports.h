// The exports that leave the program as workbooks and text files: the statistics workbook,
// the value export (text file and workbook), and the article information report (text file
// and workbook) with its journal abbreviation lookup; plus where the shown workbooks go.
//
// Everything reads the project tables and changes none of them: a workspace opened
// read-only serves. Text files are GB18030 with CR LF line ends; workbooks are written by
// office::WorkbookWriter with every cell formatted as text. A file that cannot be written
// throws ExportError with the user's message naming the path; nothing is then reported as
// done, and a workbook left half-written is removed.
#pragma once

#include "office/office.h"
#include "progress.h"
#include "store/workspace.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumacite::exports {

// A failure the user is told about; what() is the message as shown.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Files ------------------------------------------------------------------------------

// The folder of the workbooks the program shows: program folder / "exports".
std::filesystem::path exports_folder(const std::filesystem::path& program_folder);

// A new workbook path in exports/, named for what it holds and when:
// kind, then "_" and each part, then "_" and the time as "YYYYMMDD-HHMMSS", then ".xlsx"
// ("统计_作者_20261209-103501.xlsx"). Characters a file name cannot hold ("/", control
// characters) become "_" and each part is cut to 40 characters. The file is created empty
// and exclusively, so an earlier export is never overwritten: when the name is taken,
// "-2", "-3", … stands before ".xlsx". Creates exports/ when missing. Throws ExportError.
std::filesystem::path new_workbook_path(const std::filesystem::path& program_folder,
                                        std::string_view kind, std::span<const std::string> parts,
                                        const std::tm& now);

// "无法写入文件：" + path + "：" + cause.
std::string cannot_write_message(const std::filesystem::path& file, std::string_view cause);

// ---- Statistics workbook ------------------------------------------------------------------

// Data rows on one page of the statistics workbook (below its title row).
inline constexpr std::uint32_t statistics_page_rows = 65535;

// "第" + p + "页".
std::string page_name(long long page);

// The rows exported for a threshold: those before the first row whose count is below it
// (all of them when none is); the rows are in rank order.
std::size_t qualifying_rows(std::span<const store::StatisticsRow> rows, long long threshold);

struct StatisticsExport {
    std::size_t rows = 0; // data rows written
    int pages = 0;        // sheets written (at least 1)
};

// Writes the qualifying rows to a workbook of pages "第1页", "第2页", … of at most 65,535
// data rows, each page with the titles "序号", "关键字段", "出现频次", "百分比％",
// "累计百分比％" in row 1 and the stored texts of xuhao, zhi, cishu, baifenbi and leijibi
// below. Page 1 is written (titles only) when no row qualifies.
StatisticsExport write_statistics_workbook(const std::filesystem::path& file,
                                           std::span<const store::StatisticsRow> rows,
                                           long long threshold, Progress& progress);

// ---- Value export -------------------------------------------------------------------------

// "关键字“K”值.txt".
std::string value_text_file_name(std::string_view keyword);
// True when the keyword can stand in a file name: no "/", no control character, and the
// name "关键字“K”值.txt" within the 255 bytes a file name may take.
bool keyword_fits_file_name(std::string_view keyword);
// "关键字“K”不能用作文件名，无法建立文本文件！\r"
std::string keyword_not_file_name_message(std::string_view keyword);
// "当前关键字“K”值全部导出至TXT文本文件......" or "…至Excel格式文件......".
std::string value_export_title(std::string_view keyword, bool workbook);

// Data rows on one sheet of the value workbook (below its heading row).
inline constexpr std::uint32_t value_sheet_rows = office::max_sheet_rows - 1;

// Writes the value of every value row whose keyword is exactly `keyword`, in table order,
// one line each, replacing the file. Returns the rows written. The gauge's maximum is the
// number of rows.
std::uint64_t write_values_text(store::Workspace& workspace, std::string_view keyword,
                                const std::filesystem::path& file, Progress& progress);

// The same rows as a workbook: row 1 holds "序号", "文章号", "关键字段", "值", then one row
// per value row: running number, wenzhangha, guanjianzi, zhi. A sheet holds 1,048,575 rows
// below its heading row; more rows continue on further sheets, each with the heading row.
// One sheet is named "Sheet1"; several are named "第1页", "第2页", …. (`sheet_rows` other
// than the default serves tests of the paging.)
std::uint64_t write_values_workbook(store::Workspace& workspace, std::string_view keyword,
                                    const std::filesystem::path& file, Progress& progress,
                                    std::uint32_t sheet_rows = value_sheet_rows);

// ---- Article information report -------------------------------------------------------------

// The report keywords in report order; the text report uses the first four.
inline constexpr std::array<std::string_view, 6> report_keywords = {"标题", "第一作者", "期刊",
                                                                    "年代", "卷",       "起始页"};

// The articles that carry `value` under `keyword` (under the major and minor keys of a
// merged subject-heading keyword of an "<xml>" project), distinct, in text order.
std::vector<std::string> value_carriers(store::Workspace& workspace, std::string_view keyword,
                                        std::string_view format_type, std::string_view value);
// The carriers of `row_value` that also carry `column_value`, in text order.
std::vector<std::string> pair_carriers(store::Workspace& workspace, std::string_view keyword,
                                       std::string_view format_type, std::string_view row_value,
                                       std::string_view column_value);

// "是否要导出“第r行vr”、“第c列vc”x篇共现文献的信息吗？\r"
std::string cooccurrence_report_question(int row, std::string_view row_value, int column,
                                         std::string_view column_value, std::string_view cell);

// For each article of a report, the value of the first value row (table order) of each
// report keyword. Built in one pass over the value table.
class ArticleDetails {
public:
    ArticleDetails(store::Workspace& workspace, std::span<const std::string> articles);
    // The value of report keyword k (index into report_keywords) of the article at
    // `index` of the list given; null when the article has no such row.
    const std::string* value(std::size_t index, std::size_t k) const;

private:
    std::vector<std::array<std::string, report_keywords.size()>> values_;
    std::vector<std::array<bool, report_keywords.size()>> found_;
};

// The line of article s: "序号：s  文章号：A", then "  K：V" for each of the first four report
// keywords the article has.
std::string text_report_line(std::size_t s, std::string_view article, const ArticleDetails& details,
                             std::size_t index);

// Journal abbreviations: SCI简称 → Med简称, the first row of each SCI简称.
class JournalTable {
public:
    JournalTable() = default;
    // The journal workbook of the user: sheet "Sheet1", column names in row 1, among them
    // "SCI简称" and "Med简称". Throws ExportError naming the file.
    static JournalTable from_xls(const std::filesystem::path& file);
    // The shipped table: UTF-8 lines "SCI简称 TAB Med简称" after a header line. Throws
    // ExportError naming the file.
    static JournalTable from_tsv(const std::filesystem::path& file);
    // The user's "期刊全称和缩写对应.xls" in the program folder when there is one, otherwise
    // the shipped table.
    static JournalTable load(const std::filesystem::path& program_folder,
                             const std::filesystem::path& shipped_table);

    void add(std::string sci, std::string med) { map_.emplace(std::move(sci), std::move(med)); }
    // Med简称 of a journal, null when the table has no such SCI简称.
    const std::string* med_abbreviation(const std::string& sci) const;
    std::size_t size() const { return map_.size(); }

private:
    std::unordered_map<std::string, std::string> map_;
};

// The user's journal workbook in the program folder.
inline constexpr const char* journal_workbook_name = "期刊全称和缩写对应.xls";
// Where the shipped table lies for an executable in exe_folder:
// exe_folder/../share/lumacite/journal_abbreviations.tsv.
std::filesystem::path shipped_journal_table(const std::filesystem::path& exe_folder);

// The query combination: journal (its Med简称 when the table has the journal as SCI简称),
// year, volume, first page, first author and article number, each followed by "|".
std::string query_combination(const JournalTable& journals, std::string_view journal,
                              std::string_view year, std::string_view volume,
                              std::string_view first_page, std::string_view first_author,
                              std::string_view article);

// The text report: one line per article (text_report_line), numbered from 1 in list order,
// replacing the file. The gauge's maximum is the number of articles.
void write_text_report(store::Workspace& workspace, std::span<const std::string> articles,
                       const std::filesystem::path& file, Progress& progress);

// The workbook report: one sheet, every cell text; row 1 holds "序号", "文章号", the six
// report keywords and "查询信息组合"; article s fills row s + 1 with s, its number, its
// details (a single blank " " for a missing one) and the query combination built from the
// cells of its row as read back.
void write_workbook_report(store::Workspace& workspace, std::span<const std::string> articles,
                           const JournalTable& journals, const std::filesystem::path& file,
                           Progress& progress);

} // namespace lumacite::exports
