// The .xlsx writer over libxlsxwriter (constant-memory mode) and the .xls reader over FreeXL.
#include "office/office.h"

#include <xlsxwriter.h>

#include <freexl.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace lumacite::office {

namespace {

std::string system_text(int error) {
    return std::strerror(error);
}

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Spreadsheet programs read "_xHHHH_" in a cell text as the character U+HHHH (libxlsxwriter
// writes control characters so). A text that holds such a sequence itself keeps it by
// writing its "_" as "_x005F_".
std::string escape_literal_escapes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && is_hex(text[i + 2]) &&
            is_hex(text[i + 3]) && is_hex(text[i + 4]) && is_hex(text[i + 5]) &&
            text[i + 6] == '_') {
            out += "_x005F_";
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

WorkbookWriter::WorkbookWriter(std::filesystem::path file) : file_(std::move(file)) {
    // Create the file now: a folder without write access or a full disk shows before the
    // export starts. The workbook replaces it on close().
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail(system_text(errno));
    }
    ::close(fd);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    workbook_ = workbook_new_opt(file_.c_str(), &options);
    if (workbook_ == nullptr) {
        std::error_code ec;
        std::filesystem::remove(file_, ec);
        fail("the workbook cannot be started");
    }
    text_ = workbook_add_format(workbook_);
    format_set_num_format_index(text_, 49); // the built-in text format "@"
}

WorkbookWriter::~WorkbookWriter() {
    if (workbook_ != nullptr) {
        // Abandoned: free the workbook without writing it, and remove the started file.
        lxw_workbook_free(workbook_);
        std::error_code ec;
        std::filesystem::remove(file_, ec);
    }
}

void WorkbookWriter::fail(const std::string& what) const {
    throw WorkbookError(file_, what);
}

void WorkbookWriter::add_sheet(const std::string& name, std::uint16_t text_columns) {
    if (workbook_ == nullptr) {
        fail("the workbook is closed");
    }
    const lxw_error valid = workbook_validate_sheet_name(workbook_, name.c_str());
    if (valid != LXW_NO_ERROR) {
        fail("sheet \"" + name + "\": " + lxw_strerror(valid));
    }
    sheet_ = workbook_add_worksheet(workbook_, name.c_str());
    if (sheet_ == nullptr) {
        fail("sheet \"" + name + "\" cannot be added (no room for temporary files?)");
    }
    if (text_columns > 0) {
        const auto last = std::min(text_columns, max_sheet_columns);
        worksheet_set_column(sheet_, 0, static_cast<lxw_col_t>(last - 1), LXW_DEF_COL_WIDTH, text_);
    }
    ++sheets_;
    row_ = 0;
    first_row_.clear();
    current_.clear();
}

void WorkbookWriter::remember(std::vector<std::string>& row, std::uint16_t column,
                              std::string_view text) {
    if (row.size() < column) {
        row.resize(column);
    }
    row[column - 1] = text;
}

void WorkbookWriter::write(std::uint32_t row, std::uint16_t column, std::string_view text) {
    if (sheet_ == nullptr) {
        fail("no sheet to write to");
    }
    if (row < 1 || row > max_sheet_rows || column < 1 || column > max_sheet_columns) {
        fail("cell (" + std::to_string(row) + ", " + std::to_string(column) +
             ") lies outside a sheet");
    }
    if (row < row_) {
        fail("row " + std::to_string(row) + " comes after row " + std::to_string(row_));
    }
    if (row != row_) {
        current_.clear();
        row_ = row;
    }
    // libxlsxwriter takes C strings.
    const std::string value = text.find("_x") == std::string_view::npos
                                  ? std::string(text)
                                  : escape_literal_escapes(text);
    const lxw_error error =
        worksheet_write_string(sheet_, row - 1, column - 1, value.c_str(), text_);
    if (error != LXW_NO_ERROR) {
        fail("cell (" + std::to_string(row) + ", " + std::to_string(column) +
             "): " + lxw_strerror(error));
    }
    remember(current_, column, text);
    if (row == 1) {
        remember(first_row_, column, text);
    }
}

std::string WorkbookWriter::read(std::uint32_t row, std::uint16_t column) const {
    const std::vector<std::string>* cells = nullptr;
    if (row == row_) {
        cells = &current_;
    } else if (row == 1) {
        cells = &first_row_;
    } else {
        fail("row " + std::to_string(row) + " can no longer be read");
    }
    return column >= 1 && column <= cells->size() ? (*cells)[column - 1] : std::string();
}

void WorkbookWriter::close() {
    if (workbook_ == nullptr) {
        return;
    }
    lxw_workbook* workbook = workbook_;
    workbook_ = nullptr;
    sheet_ = nullptr;
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        const int cause = errno;
        std::error_code ec;
        std::filesystem::remove(file_, ec);
        std::string what = lxw_strerror(error);
        if (error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_ZIP_FILE_OPERATION ||
            error == LXW_ERROR_ZIP_CLOSE || error == LXW_ERROR_CREATING_TMPFILE) {
            what += " (" + system_text(cause) + ")";
        }
        fail(what);
    }
}

// ---- .xls ---------------------------------------------------------------------------------

namespace {

struct XlsCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using XlsHandle = std::unique_ptr<const void, XlsCloser>;

std::string number_text(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string cell_text(const FreeXL_CellValue& cell) {
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return std::to_string(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return number_text(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return cell.value.text_value != nullptr ? std::string(cell.value.text_value)
                                                : std::string();
    default:
        return {};
    }
}

} // namespace

std::vector<std::vector<std::string>> read_xls_sheet(const std::filesystem::path& file,
                                                     std::string_view sheet_name) {
    auto fail = [&](const std::string& what) -> void { throw WorkbookError(file, what); };
    const void* raw = nullptr;
    if (int rc = freexl_open(file.c_str(), &raw); rc != FREEXL_OK) {
        if (raw != nullptr) {
            freexl_close(raw);
        }
        fail(std::filesystem::exists(file)
                 ? "not an Excel 97-2003 workbook (" + std::to_string(rc) + ")"
                 : "no such file");
    }
    const XlsHandle handle(raw);
    unsigned int sheets = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK) {
        fail("the sheets cannot be read");
    }
    int found = -1;
    for (unsigned int i = 0; i < sheets && found < 0; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(raw, static_cast<unsigned short>(i), &name) == FREEXL_OK &&
            name != nullptr && sheet_name == name) {
            found = static_cast<int>(i);
        }
    }
    if (found < 0) {
        fail("no sheet \"" + std::string(sheet_name) + "\"");
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(raw, static_cast<unsigned short>(found)) != FREEXL_OK ||
        freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK) {
        fail("sheet \"" + std::string(sheet_name) + "\" cannot be read");
    }
    std::vector<std::vector<std::string>> out(rows, std::vector<std::string>(columns));
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell{};
            if (freexl_get_cell_value(raw, r, c, &cell) == FREEXL_OK) {
                out[r][c] = cell_text(cell);
            }
        }
    }
    return out;
}

} // namespace lumacite::office
