// Extraction command: extract (one document entry).
#include "cli/cli.h"
#include "extract/extraction_run.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <ostream>

namespace lumacite::cli {
namespace {

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
        auto progress = command_progress(ctx);
        progress.set_title(msg::job_title_extract);
        result = extract::run_extraction(
            extract::make_request(ctx.catalogue(), project, entry, ws.folder(), true), table,
            progress);
        ws.close();
        progress.finish(result.status != extract::ExtractionResult::Status::stopped);
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

const CommandRegistration extract_cmd{
    {"extract",
     "extract NUMBER XUHAO [--yes]     extract a document entry (--yes: replace its values)",
     extract_document}};

} // namespace
} // namespace lumacite::cli
