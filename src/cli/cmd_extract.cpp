// Extraction commands: extract (one document entry), values (the value rows of a keyword).
#include "cli/cli.h"
#include "extract/extraction_run.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <charconv>
#include <ostream>

namespace lumacite::cli {
namespace {

store::Project numbered_project(Context& ctx, const std::string& number) {
    const auto p = ctx.catalogue().find_project(number);
    if (!p || text::trim_view(number).empty()) {
        throw Refusal(std::string(msg::no_such_project) + number);
    }
    return *p;
}

long long document_number(const std::string& text) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 1) {
        throw UsageError("XUHAO must be a document number: " + text);
    }
    return v;
}

store::Document document_entry(Context& ctx, const std::string& number, long long xuhao) {
    const auto d = ctx.catalogue().find_document(number, xuhao);
    if (!d) {
        throw Refusal(std::string(msg::no_such_document) + std::to_string(xuhao));
    }
    return *d;
}

void extract_document(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const std::string number = args.positional("NUMBER");
    const long long xuhao = document_number(args.positional("XUHAO"));
    args.finish();
    const store::Project project = numbered_project(ctx, number);
    const store::Document entry = document_entry(ctx, number, xuhao);
    if (text::trim_view(ctx.catalogue().format_type(project.geshi)).empty()) {
        throw Refusal(msg::extract_no_format_type);
    }
    extract::ExtractionResult result;
    try {
        store::Workspace ws = projects::open_for_writing(ctx.catalogue(), ctx.home, number);
        const auto check = extract::check_document(entry, ws.folder());
        if (check != extract::DocumentCheck::ready) {
            throw Refusal(extract::check_message(check));
        }
        extract::WorkspaceValueTable table(ws);
        if (table.has_document_rows(xuhao) && !yes) {
            throw Refusal(msg::extract_again_question);
        }
        NullProgress progress;
        result = extract::run_extraction(
            extract::make_request(ctx.catalogue(), project, entry, ws.folder(), true), table,
            progress);
        ws.close();
    } catch (const store::CatalogueError& e) {
        throw Failure(e.what());
    } catch (const store::WorkspaceError& e) {
        throw Failure(e.what());
    } catch (const store::DbaseError& e) {
        throw Failure(e.what());
    }
    using Status = extract::ExtractionResult::Status;
    if (result.status == Status::no_readable_file) {
        throw Refusal(result.messages.back());
    }
    if (result.status == Status::stopped) {
        for (std::size_t i = 0; i + 1 < result.messages.size(); ++i) {
            ctx.err << shown_text(result.messages[i]) << '\n';
        }
        throw Failure(shown_text(result.messages.back()));
    }
    for (const auto& m : result.messages) {
        ctx.err << shown_text(m) << '\n';
    }
    if (result.read_nothing()) {
        throw Refusal(extract::read_nothing_message(result));
    }
    ctx.out << shown_text(extract::extraction_summary(result)) << '\n';
}

void list_values(Context& ctx, Args& args) {
    const std::string number = args.positional("NUMBER");
    const long long xuhao = document_number(args.positional("XUHAO"));
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    numbered_project(ctx, number);
    std::optional<store::Workspace> ws;
    try {
        ws.emplace(projects::open_for_reading(ctx.catalogue(), ctx.home, number));
    } catch (const std::exception& e) {
        throw Failure(e.what());
    }
    store::ValueFilter filter = store::ValueFilter::keyword(keyword);
    filter.xuhao = xuhao;
    ws->for_each_value(filter, [&](const store::ValueRow& r) {
        write_tsv(ctx.out, {r.wenzhangha, r.zhi});
    });
}

const CommandRegistration extract_cmd{
    {"extract",
     "extract NUMBER XUHAO [--yes]     extract a document entry (--yes: replace its values)",
     extract_document}};
const CommandRegistration values_cmd{
    {"values",
     "values NUMBER XUHAO KEYWORD      value rows of a keyword (TSV: wenzhangha, zhi), "
     "table order",
     list_values}};

} // namespace
} // namespace lumacite::cli
