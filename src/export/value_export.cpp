// The value export: every stored value of one keyword, as a text file or a workbook.
#include "export/exports.h"
#include "export/text_file.h"
#include "messages.h"

namespace lumacite::exports {

std::string value_text_file_name(std::string_view keyword) {
    std::string out = msg::value_file_prefix;
    out += keyword;
    out += msg::value_file_suffix;
    return out;
}

bool keyword_fits_file_name(std::string_view keyword) {
    for (char c : keyword) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || b < 0x20 || b == 0x7F) {
            return false;
        }
    }
    return value_text_file_name(keyword).size() <= 255;
}

std::string keyword_not_file_name_message(std::string_view keyword) {
    std::string out = msg::value_file_prefix;
    out += keyword;
    out += msg::value_file_name_refused_suffix;
    return out;
}

std::string value_export_title(std::string_view keyword, bool workbook) {
    std::string out = msg::value_export_title_prefix;
    out += keyword;
    out += workbook ? msg::value_export_workbook_suffix : msg::value_export_text_suffix;
    return out;
}

namespace {

// Progress of a row loop: the position after every row, shown and pumped every 1,024 rows.
void step(Progress& progress, std::uint64_t done, std::uint64_t total) {
    if ((done & 0x3FF) == 0 || done == total) {
        progress.set_position(static_cast<long long>(done));
        progress.pump();
    }
}

} // namespace

std::uint64_t write_values_text(store::Workspace& workspace, std::string_view keyword,
                                const std::filesystem::path& file, Progress& progress) {
    TextFileWriter out(file);
    const auto filter = store::ValueFilter::keyword(std::string(keyword));
    const std::uint64_t total = workspace.count_values(filter);
    progress.set_maximum(static_cast<long long>(total));
    std::uint64_t done = 0;
    workspace.for_each_value(filter, [&](const store::ValueRow& row) {
        out.line(row.zhi);
        step(progress, ++done, total);
    });
    out.close();
    return done;
}

std::uint64_t write_values_workbook(store::Workspace& workspace, std::string_view keyword,
                                    const std::filesystem::path& file, Progress& progress,
                                    std::uint32_t sheet_rows) {
    const auto filter = store::ValueFilter::keyword(std::string(keyword));
    const std::uint64_t total = workspace.count_values(filter);
    progress.set_maximum(static_cast<long long>(total));
    const bool paged = total > sheet_rows;
    try {
        office::WorkbookWriter book(file);
        long long page = 0;
        std::uint32_t row = 0;
        auto start_sheet = [&] {
            ++page;
            book.add_sheet(paged ? page_name(page) : "Sheet1", 4);
            for (std::uint16_t c = 0; c < 4; ++c) {
                book.write(1, c + 1, msg::value_headings[c]);
            }
            row = 1;
        };
        start_sheet();
        std::uint64_t done = 0;
        workspace.for_each_value(filter, [&](const store::ValueRow& r) {
            if (row > sheet_rows) {
                start_sheet();
            }
            ++row;
            ++done;
            book.write(row, 1, std::to_string(done));
            book.write(row, 2, r.wenzhangha);
            book.write(row, 3, r.guanjianzi);
            book.write(row, 4, r.zhi);
            step(progress, done, total);
        });
        book.close();
        return done;
    } catch (const office::WorkbookError& e) {
        throw ExportError(cannot_write_message(file, e.cause()));
    }
}

} // namespace lumacite::exports
