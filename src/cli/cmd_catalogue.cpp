// Listing commands over the catalogue: formats, definitions, projects.
#include "cli/cli.h"
#include "formats/format_entry.h"
#include "messages.h"

#include <ostream>

namespace lumacite::cli {
namespace {

void list_formats(Context& ctx, Args& args) {
    args.finish();
    for (const auto& key : ctx.catalogue().formats()) {
        write_tsv(ctx.out, {formats::make_format_entry(key)});
    }
}

void list_definitions(Context& ctx, Args& args) {
    const std::string format = args.positional("FORMAT");
    args.finish();
    const auto rows = ctx.catalogue().definitions(format);
    // A misspelt name must not look like a format without definitions.
    if (rows.empty()) {
        throw Refusal(msg::format_not_found + format);
    }
    for (const auto& d : rows) {
        std::vector<std::string> cells{std::to_string(d.id), d.guanjianzi};
        cells.insert(cells.end(), d.jiedian.begin(), d.jiedian.end());
        cells.push_back(d.pailie_text());
        cells.push_back(d.fenge_text());
        cells.push_back(d.yueding ? std::to_string(*d.yueding) : std::string());
        write_tsv(ctx.out, cells);
    }
}

void list_projects(Context& ctx, Args& args) {
    args.finish();
    for (const auto& p : ctx.catalogue().projects()) {
        write_tsv(ctx.out, {p.bianhao, p.geshi, p.shuoming});
    }
}

const CommandRegistration formats_cmd{
    {"formats", "formats                          format entries, one a line", list_formats}};
const CommandRegistration definitions_cmd{
    {"definitions",
     "definitions FORMAT               keyword definitions (TSV: id, guanjianzi, jiedian1..6, "
     "pailie, fenge, yueding)",
     list_definitions}};
const CommandRegistration projects_cmd{
    {"projects", "projects                         projects (TSV: number, format, description)",
     list_projects}};

} // namespace
} // namespace lumacite::cli
