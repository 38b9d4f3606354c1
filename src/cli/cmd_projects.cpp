// Project and document-list commands: project add/delete, docs, doc add/add-dir/remove,
// keywords.
#include "cli/cli.h"
#include "formats/formats.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <ostream>

namespace lumacite::cli {
namespace {

namespace fs = std::filesystem;

// The project named on the command line; refused when there is none.
store::Project find_project(Context& ctx, const std::string& number) {
    auto p = ctx.catalogue().find_project(number);
    if (!p) {
        throw Refusal(std::string(msg::no_such_project) + number);
    }
    return *p;
}

// A numbered project's workspace, bound for writing (its lock held until it closes).
store::Workspace bind_project(Context& ctx, const std::string& number) {
    const store::Project p = find_project(ctx, number);
    if (text::trim_view(p.bianhao).empty()) {
        throw Refusal(std::string(msg::no_such_project) + number);
    }
    try {
        return projects::open_for_writing(ctx.catalogue(), ctx.home, p.bianhao);
    } catch (const store::WorkspaceError& e) {
        throw Failure(e.what());
    }
}

// An absolute path without a trailing separator (except for "/").
fs::path absolute_path(const std::string& given) {
    fs::path p = fs::absolute(fs::path(given)).lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/') {
        s.pop_back();
    }
    return fs::path(s);
}

void project_add(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const auto format = args.option("--format");
    const auto description = args.option("--description");
    const std::string number = args.positional("NUMBER");
    args.finish();
    if (!format) {
        throw UsageError("--format is required");
    }
    // Taking over the tables of a folder of earlier work needs --yes.
    const projects::Ask ask = [&](const std::string& question) {
        if (!yes) {
            throw Refusal(question);
        }
        return true;
    };
    projects::ProjectCreation r;
    try {
        r = projects::add_project(ctx.catalogue(), ctx.home,
                                  store::Project{number, *format, description.value_or("")}, ask);
    } catch (const store::WorkspaceError& e) {
        throw Failure(e.what());
    }
    if (r.status == projects::ProjectCreation::Status::refused) {
        throw Refusal(r.message);
    }
}

void project_delete(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const std::string number = args.positional("NUMBER");
    args.finish();
    find_project(ctx, number);
    if (!yes) {
        throw Refusal(projects::delete_question(ctx.home, number));
    }
    std::optional<store::Workspace> none;
    if (auto error = projects::delete_project(ctx.catalogue(), ctx.home, number, none)) {
        throw Failure(*error);
    }
}

void list_documents(Context& ctx, Args& args) {
    const std::string number = args.positional("NUMBER");
    args.finish();
    find_project(ctx, number);
    for (const auto& d : ctx.catalogue().documents(number)) {
        write_tsv(ctx.out, {std::to_string(d.xuhao), d.wenjianming, d.kuozhanming});
    }
}

void doc_add(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const bool keep_values = args.flag("--keep-values");
    const std::string number = args.positional("NUMBER");
    const std::string file = args.positional("FILE");
    args.finish();
    store::Workspace ws = bind_project(ctx, number);
    const fs::path source = absolute_path(file);
    const std::string confirmation = projects::confirm_file_question(source);
    // The plain confirmation is answered yes; replacing or clearing needs --yes, and
    // --keep-values answers no to clearing the values of a replaced copy.
    const projects::Ask ask = [&](const std::string& question) {
        if (question == confirmation) {
            return true;
        }
        if (keep_values && question == msg::clear_results_question) {
            return false;
        }
        if (yes) {
            return true;
        }
        throw Refusal(question);
    };
    projects::FileRegistration r;
    try {
        r = projects::register_file(ctx.catalogue(), ws, source, ask);
    } catch (const projects::ProjectError& e) {
        throw Failure(e.what());
    }
    if (r.status == projects::FileRegistration::Status::refused) {
        throw Refusal(r.refusal);
    }
}

void doc_add_dir(Context& ctx, Args& args) {
    const std::string number = args.positional("NUMBER");
    const std::string dir = args.positional("DIR");
    // "txt", "TXT" and ".txt" name the same extension.
    std::string ext = text::trim(args.positional("EXT"));
    if (ext.starts_with('.')) {
        ext.erase(0, 1);
    }
    args.finish();
    store::Workspace ws = bind_project(ctx, number); // the project's lock: its list changes
    const auto r = projects::register_directory(ctx.catalogue(), number, absolute_path(dir), ext);
    if (!r.refusal.empty()) {
        throw Refusal(r.refusal);
    }
}

void doc_remove(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const std::string number = args.positional("NUMBER");
    const long long xuhao = document_number(args.positional("XUHAO"));
    args.finish();
    store::Workspace ws = bind_project(ctx, number);
    const auto entry = ctx.catalogue().find_document(number, xuhao);
    if (!entry) {
        throw Refusal(std::string(msg::no_such_document) + std::to_string(xuhao));
    }
    if (!yes) {
        throw Refusal(projects::remove_question(*entry));
    }
    projects::remove_document(ctx.catalogue(), ws, xuhao);
}

void list_keywords(Context& ctx, Args& args) {
    const std::string number = args.positional("NUMBER");
    args.finish();
    const store::Project p = find_project(ctx, number);
    for (const auto& k : formats::project_keyword_list(ctx.catalogue(), p.geshi)) {
        write_tsv(ctx.out, {k});
    }
}

const CommandRegistration project_add_cmd{
    {"project add",
     "project add NUMBER --format FORMAT [--description TEXT] [--yes]   add a project (folder "
     "and tables; --yes: take over the tables a folder of that number holds)",
     project_add}};
const CommandRegistration project_delete_cmd{
    {"project delete", "project delete NUMBER --yes       delete a project with its folder",
     project_delete}};
const CommandRegistration docs_cmd{
    {"docs",
     "docs NUMBER                      document entries (TSV: xuhao, wenjianming, "
     "kuozhanming)",
     list_documents}};
const CommandRegistration doc_add_cmd{
    {"doc add",
     "doc add NUMBER FILE [--yes [--keep-values]]   register a file (copied into the project "
     "folder); --yes replaces a registered copy and clears its values, unless --keep-values",
     doc_add}};
const CommandRegistration doc_add_dir_cmd{
    {"doc add-dir", "doc add-dir NUMBER DIR EXT       register a directory with an extension",
     doc_add_dir}};
const CommandRegistration doc_remove_cmd{
    {"doc remove", "doc remove NUMBER XUHAO --yes    remove a document entry with its values",
     doc_remove}};
const CommandRegistration keywords_cmd{
    {"keywords", "keywords NUMBER                  the project's keyword list, in list order",
     list_keywords}};

} // namespace
} // namespace lumacite::cli
