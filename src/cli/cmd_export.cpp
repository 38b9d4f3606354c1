// Exports: export-stats, export-values, report. They only read the project tables, which
// are opened read-only, and write where -o says.
#include "analysis/jobs.h"
#include "cli/cli.h"
#include "export/exports.h"
#include "messages.h"
#include "store/program_folder.h"
#include "text/text.h"

namespace lumacite::cli {
namespace {

std::string output_file(Args& args) {
    const auto output = args.option("-o");
    if (!output || output->empty()) {
        throw UsageError("-o FILE is needed");
    }
    return *output;
}

// --txt or --xlsx, exactly one; true for the workbook.
bool workbook_form(Args& args) {
    const bool txt = args.flag("--txt");
    const bool xlsx = args.flag("--xlsx");
    if (txt == xlsx) {
        throw UsageError("give one of --txt and --xlsx");
    }
    return xlsx;
}

void export_stats(Context& ctx, Args& args) {
    const std::string file = output_file(args);
    const auto threshold_text = args.option("--threshold");
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    // 1 without the option: the field's initial value.
    const long long threshold = bound_value(threshold_text, "--threshold", 1);
    auto opened = bind_project_with_type(ctx, number, true);
    as_failures([&] {
        const auto rows = opened.workspace.statistics(keyword);
        if (rows.empty()) {
            throw Refusal(analysis::statistics_needed_message(keyword));
        }
        auto progress = command_progress(ctx);
        progress.set_title(msg::stats_export_title);
        exports::write_statistics_workbook(file, rows, threshold, progress);
        progress.finish();
    });
}

void export_values(Context& ctx, Args& args) {
    const std::string file = output_file(args);
    const bool workbook = workbook_form(args);
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    auto opened = bind_project_with_type(ctx, number, true);
    as_failures([&] {
        auto progress = command_progress(ctx);
        progress.set_title(exports::value_export_title(keyword, workbook));
        if (workbook) {
            exports::write_values_workbook(opened.workspace, keyword, file, progress);
        } else {
            exports::write_values_text(opened.workspace, keyword, file, progress);
        }
        progress.finish();
    });
}

std::vector<std::string> split_articles(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto comma = std::min(list.find(',', start), list.size());
        std::string a = text::trim(std::string_view(list).substr(start, comma - start));
        if (!a.empty() && std::find(out.begin(), out.end(), a) == out.end()) {
            out.push_back(std::move(a));
        }
        start = comma + 1;
    }
    return out;
}

void report(Context& ctx, Args& args) {
    const std::string file = output_file(args);
    const bool workbook = workbook_form(args);
    const auto value = args.option_values("--value", 2);
    const auto pair = args.option_values("--pair", 3);
    const auto list = args.option("--articles");
    const std::string number = args.positional("NUMBER");
    args.finish();
    if ((value ? 1 : 0) + (pair ? 1 : 0) + (list ? 1 : 0) != 1) {
        throw UsageError("give one of --value, --pair and --articles");
    }
    auto opened = bind_project_with_type(ctx, number, true);
    as_failures([&] {
        std::vector<std::string> articles;
        if (value) {
            articles = exports::value_carriers(opened.workspace, (*value)[0], opened.format_type,
                                               (*value)[1]);
        } else if (pair) {
            articles = exports::pair_carriers(opened.workspace, (*pair)[0], opened.format_type,
                                              (*pair)[1], (*pair)[2]);
        } else {
            articles = split_articles(*list);
            if (articles.empty()) {
                throw Refusal(msg::report_basket_empty);
            }
        }
        auto progress = command_progress(ctx);
        // The titles of the window's entry points: a value's row, a cell, the basket.
        if (pair) {
            progress.set_title(workbook ? msg::report_title_cell_workbook
                                        : msg::report_title_cell_text);
        } else {
            progress.set_title(workbook ? msg::report_title_row_workbook
                                        : msg::report_title_row_text);
        }
        if (workbook) {
            const auto journals = exports::JournalTable::load(
                ctx.home, exports::shipped_journal_table(store::executable_folder()));
            exports::write_workbook_report(opened.workspace, articles, journals, file, progress);
        } else {
            exports::write_text_report(opened.workspace, articles, file, progress);
        }
        progress.finish();
    });
}

const CommandRegistration export_stats_cmd{
    {"export-stats",
     "export-stats NUMBER KEYWORD -o FILE.xlsx [--threshold N]   statistics rows to a workbook",
     export_stats}};
const CommandRegistration export_values_cmd{
    {"export-values",
     "export-values NUMBER KEYWORD (--txt | --xlsx) -o FILE   every value of a keyword",
     export_values}};
const CommandRegistration report_cmd{
    {"report",
     "report NUMBER (--value KEYWORD VALUE | --pair KEYWORD VALUE1 VALUE2 | --articles "
     "A1,A2,…) (--txt | --xlsx) -o FILE",
     report}};

} // namespace
} // namespace lumacite::cli
