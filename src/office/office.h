// Workbooks: writing the .xlsx workbooks of the exports and reading the legacy .xls
// workbook of journal abbreviations.
//
// WorkbookWriter writes an .xlsx file through libxlsxwriter in its constant-memory mode:
// sheets are written one after another, each row by row, so a sheet of a million rows is
// never held in memory. Every cell it writes carries the number format "@" (text), so a
// text stays exactly as written: leading blanks, leading zeros, texts of digits only.
// Rows and columns count from 1, as a spreadsheet numbers them.
//
// read_xls_sheet reads one sheet of an Excel 97-2003 workbook through FreeXL.
//
// Texts are UTF-8. A failure throws WorkbookError; what() names the file and the cause.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace lumacite::office {

class WorkbookError : public std::runtime_error {
public:
    WorkbookError(const std::filesystem::path& file, std::string cause)
        : std::runtime_error(file.string() + ": " + cause), cause_(std::move(cause)) {}
    // What went wrong, without the file.
    const std::string& cause() const { return cause_; }

private:
    std::string cause_;
};

// The most rows a sheet holds (the title row included).
inline constexpr std::uint32_t max_sheet_rows = 1'048'576;
// The most columns a sheet holds.
inline constexpr std::uint16_t max_sheet_columns = 16'384;

class WorkbookWriter {
public:
    // Starts a workbook that close() writes to `file`. The file is created (or emptied)
    // at once, so a path that cannot be written fails here, before any work is done.
    explicit WorkbookWriter(std::filesystem::path file);
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;
    // Without close(): nothing is written and the started file is removed.
    ~WorkbookWriter();

    // Adds a sheet after the last one; later writes go to it. Its first `text_columns`
    // columns are formatted as text as a whole, so that also the cells left empty in them
    // are text. (Only the columns in use: formatting all 16,384 columns would make every
    // row cost as much as a row of 16,384 cells.)
    void add_sheet(const std::string& name, std::uint16_t text_columns = 0);
    // Writes a text cell formatted "@". Within a sheet rows come in ascending order (the
    // cells of one row in any order); writing above the current row throws.
    void write(std::uint32_t row, std::uint16_t column, std::string_view text);
    // A cell written before, read back as text: only row 1 and the current row of the
    // current sheet can be read (the other rows are on disk already). "" when that
    // cell was not written.
    std::string read(std::uint32_t row, std::uint16_t column) const;

    int sheet_count() const { return sheets_; }
    // The row written last on the current sheet (0 before the first).
    std::uint32_t current_row() const { return row_; }

    // Writes the workbook file and ends the writer.
    void close();

    const std::filesystem::path& path() const { return file_; }

private:
    [[noreturn]] void fail(const std::string& what) const;
    static void remember(std::vector<std::string>& row, std::uint16_t column,
                         std::string_view text);

    std::filesystem::path file_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* text_ = nullptr;
    int sheets_ = 0;
    std::uint32_t row_ = 0;
    std::vector<std::string> first_row_;
    std::vector<std::string> current_;
};

// The cells of sheet `sheet_name` of an .xls workbook, row by row (from row 1), each row
// as many texts as the sheet has columns. Numbers are given in their shortest decimal
// form ("2001", "1.5"); empty cells as "". Throws WorkbookError when the file cannot be
// read or has no sheet of that name.
std::vector<std::vector<std::string>> read_xls_sheet(const std::filesystem::path& file,
                                                     std::string_view sheet_name);

} // namespace lumacite::office
