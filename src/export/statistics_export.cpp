// The statistics workbook: the ranked rows down to the threshold, in pages of 65,535 rows.
#include "analysis/analysis.h"
#include "export/exports.h"
#include "messages.h"

namespace lumacite::exports {

std::string page_name(long long page) {
    return "第" + std::to_string(page) + "页";
}

std::size_t qualifying_rows(std::span<const store::StatisticsRow> rows, long long threshold) {
    std::size_t q = 0;
    while (q < rows.size() && analysis::parse_count(rows[q].cishu) >= threshold) {
        ++q;
    }
    return q;
}

namespace {

void start_page(office::WorkbookWriter& book, long long page) {
    book.add_sheet(page_name(page));
    for (std::uint16_t c = 0; c < 5; ++c) {
        book.write(1, c + 1, msg::statistics_titles[c]);
    }
}

} // namespace

StatisticsExport write_statistics_workbook(const std::filesystem::path& file,
                                           std::span<const store::StatisticsRow> rows,
                                           long long threshold, Progress& progress) {
    const std::size_t q = qualifying_rows(rows, threshold);
    progress.set_maximum(static_cast<long long>(q));
    try {
        office::WorkbookWriter book(file);
        long long page = 1;
        std::uint32_t i = 1;
        start_page(book, page);
        for (std::size_t n = 0; n < q; ++n) {
            if (i > statistics_page_rows) {
                ++page;
                i = 1;
                start_page(book, page);
            }
            const store::StatisticsRow& r = rows[n];
            book.write(i + 1, 1, r.xuhao);
            book.write(i + 1, 2, r.zhi);
            book.write(i + 1, 3, r.cishu);
            book.write(i + 1, 4, r.baifenbi);
            book.write(i + 1, 5, r.leijibi);
            ++i;
            if ((n & 0x3FF) == 0 || n + 1 == q) {
                progress.set_position(static_cast<long long>(n + 1));
                progress.pump();
            }
        }
        book.close();
        return {q, book.sheet_count()};
    } catch (const office::WorkbookError& e) {
        throw ExportError(cannot_write_message(file, e.cause()));
    }
}

} // namespace lumacite::exports
