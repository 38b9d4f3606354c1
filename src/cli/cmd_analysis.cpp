// Statistics and matrices: stats, show-stats, matrix.
#include "analysis/jobs.h"
#include "cli/cli.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <ostream>

namespace lumacite::cli {
namespace {

void print_statistics(Context& ctx, store::Workspace& ws, const std::string& keyword) {
    for (const auto& r : ws.statistics(keyword)) {
        write_tsv(ctx.out, {r.xuhao, r.zhi, r.cishu, r.baifenbi, r.leijibi});
    }
}

void stats(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    auto [ws, type] = bind_project_with_type(ctx, number, false, msg::stats_no_format_type);
    try {
        if (ws.has_statistics(keyword) && !yes) {
            throw Refusal(analysis::statistics_question(keyword, true));
        }
        auto progress = command_progress(ctx);
        progress.set_title(analysis::statistics_job_title(keyword));
        const auto outcome = analysis::run_statistics_job(ws, keyword, type, progress);
        progress.finish();
        if (outcome == analysis::StatisticsOutcome::zero) {
            throw Refusal(msg::stats_zero);
        }
        print_statistics(ctx, ws, keyword);
    } catch (const store::WorkspaceError& e) {
        throw Failure(e.what());
    } catch (const store::DbaseError& e) {
        throw Failure(e.what());
    }
}

void show_stats(Context& ctx, Args& args) {
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    auto bound = bind_project_with_type(ctx, number, true);
    print_statistics(ctx, bound.workspace, keyword);
}

void matrix(Context& ctx, Args& args) {
    const auto kind_text = args.option("--kind");
    const auto output = args.option("-o");
    const auto lower_text = args.option("--min");
    const auto upper_text = args.option("--max");
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    if (!kind_text || (*kind_text != "word-document" && *kind_text != "cooccurrence")) {
        throw UsageError("--kind must be word-document or cooccurrence");
    }
    const auto kind = *kind_text == "word-document" ? analysis::MatrixKind::word_document
                                                    : analysis::MatrixKind::cooccurrence;
    bound_value(lower_text, "--min", 0);
    bound_value(upper_text, "--max", 0);

    auto [ws, type] = bind_project_with_type(ctx, number, true, msg::matrix_no_format_type);
    as_failures([&] {
        const CountRange range = count_range(ws, keyword, lower_text, upper_text);
        analysis::MatrixResults results;
        auto progress = command_progress(ctx);
        progress.set_title(analysis::matrix_job_title(kind));
        const bool generated = analysis::run_matrix_job(
            ws, kind, keyword, type, range.ranked, range.lower, range.upper, results, progress);
        progress.finish(generated);
        if (!generated) {
            throw Refusal(msg::matrix_outside_bounds);
        }
        const bool word_document = kind == analysis::MatrixKind::word_document;
        if (output) {
            analysis::write_matrix_lines(*output, word_document ? results.word_document_lines()
                                                                : results.cooccurrence_lines());
        } else {
            // Values and article numbers escaped as in every table output.
            const auto lines = word_document
                                   ? analysis::text_lines(*results.word_document, escape_cell)
                                   : analysis::text_lines(*results.cooccurrence, escape_cell);
            for (const auto& line : lines) {
                ctx.out << line << '\n';
            }
        }
    });
}

const CommandRegistration stats_cmd{
    {"stats",
     "stats NUMBER KEYWORD [--yes]     count a keyword, then print its rows (TSV: xuhao, zhi, "
     "cishu, baifenbi, leijibi)",
     stats}};
const CommandRegistration show_stats_cmd{
    {"show-stats", "show-stats NUMBER KEYWORD        print the stored statistics rows",
     show_stats}};
const CommandRegistration matrix_cmd{
    {"matrix",
     "matrix NUMBER KEYWORD --kind word-document|cooccurrence [--min N] [--max N] [-o FILE]",
     matrix}};

} // namespace
} // namespace lumacite::cli
