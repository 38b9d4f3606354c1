// Format and keyword-definition commands: format add/modify/delete, definition
// add/modify/delete. The rules are those of the administrator page (formats/formats.h);
// a refusal exits with its message, a deletion needs --yes.
#include "cli/cli.h"
#include "formats/formats.h"
#include "messages.h"
#include "text/text.h"

#include <charconv>
#include <ostream>

namespace lumacite::cli {
namespace {

using formats::Outcome;

void check(const Outcome& o) {
    if (o.status == Outcome::Status::refused) {
        throw Refusal(o.message);
    }
}

// Answers a deletion question: yes with --yes, otherwise stops with the question.
formats::Ask answer_with(bool yes) {
    return [yes](const std::string& question) {
        if (!yes) {
            throw Refusal(question);
        }
        return true;
    };
}

std::string checked_type(const std::string& type) {
    if (type != formats::type_xml && type != formats::type_txt) {
        throw UsageError("--type must be \"<xml>\" or \"<txt>\"");
    }
    return type;
}

// The format as the chooser shows it: name, full name and type of its first definition.
store::FormatKey format_key(const store::Catalogue& cat, const std::string& name) {
    const auto rows = cat.definitions(name);
    if (rows.empty()) {
        throw Refusal(msg::format_not_found + name);
    }
    return {rows.front().geshi, rows.front().geshi_quancheng, rows.front().leixing};
}

long long parse_id(const std::string& text) {
    long long id = 0;
    const auto* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, id);
    if (ec != std::errc() || p != end) {
        throw UsageError("ID must be a whole number: " + text);
    }
    return id;
}

store::Definition find_row(const store::Catalogue& cat, const std::string& format,
                           const std::string& id_text) {
    const long long id = parse_id(id_text);
    format_key(cat, format); // an unknown format is named as such
    auto row = cat.find_definition(format, id);
    if (!row) {
        throw Refusal(msg::definition_not_found + id_text);
    }
    return *row;
}

// Applies --keyword, --node1..6, --method and --separator to the dialog's contents,
// offering what the dialog offers for the layout: a "<txt>" format has node 1 and five
// methods, any other type six nodes and method 1.
void apply_options(Args& args, formats::DefinitionForm& form) {
    if (auto k = args.option("--keyword")) {
        form.guanjianzi = *k;
    }
    for (int i = 0; i < 6; ++i) {
        const std::string name = "--node" + std::to_string(i + 1);
        if (auto v = args.option(name)) {
            if (form.txt_layout && i > 0) {
                throw UsageError(name + " is not used by a <txt> format (node 1 only)");
            }
            form.jiedian[static_cast<std::size_t>(i)] = *v;
        }
    }
    if (auto m = args.option("--method")) {
        if (m->size() != 1 || (*m)[0] < '1' || (*m)[0] > '5') {
            throw UsageError("--method must be 1, 2, 3, 4 or 5");
        }
        const int method = (*m)[0] - '0';
        if (!form.txt_layout && method != 1) {
            throw UsageError("an <xml> format offers method 1 only");
        }
        form.method = method;
    }
    if (auto s = args.option("--separator")) {
        form.separator = *s;
    }
}

void format_add(Context& ctx, Args& args) {
    store::FormatKey key;
    key.geshi = args.positional("NAME");
    key.geshi_quancheng = args.option("--full").value_or("");
    key.leixing = checked_type(args.option("--type").value_or(formats::type_xml));
    args.finish();
    check(formats::add_format(ctx.catalogue(), key));
}

void format_modify(Context& ctx, Args& args) {
    const std::string name = args.positional("NAME");
    const auto new_name = args.option("--name");
    const auto full = args.option("--full");
    const auto type = args.option("--type");
    args.finish();
    auto& cat = ctx.catalogue();
    store::FormatKey key = format_key(cat, name);
    check(formats::check_format_modifiable(cat, name));
    if (new_name) {
        key.geshi = *new_name;
    }
    if (full) {
        key.geshi_quancheng = *full;
    }
    if (type) {
        key.leixing = checked_type(*type);
    }
    check(formats::modify_format(cat, name, key));
}

void format_delete(Context& ctx, Args& args) {
    const std::string name = args.positional("NAME");
    const bool yes = args.flag("--yes");
    args.finish();
    auto& cat = ctx.catalogue();
    check(formats::delete_format(cat, format_key(cat, name), answer_with(yes)));
}

void definition_add(Context& ctx, Args& args) {
    const std::string format = args.positional("FORMAT");
    auto& cat = ctx.catalogue();
    const auto key = format_key(cat, format);
    // The dialog opens on the placeholder; until one exists, on what a new one holds, so
    // that bad input adds nothing.
    store::Definition start;
    start.fenge = ";";
    if (auto existing = cat.find_definition(format, std::string())) {
        start = *existing;
    }
    auto form = formats::open_add(start, key.leixing);
    apply_options(args, form);
    args.finish();
    if (text::trim(form.guanjianzi).empty()) {
        throw Refusal(msg::keyword_name_empty);
    }
    const auto placeholder = formats::ensure_placeholder(cat, key);
    form.id = placeholder.id;
    const auto o = formats::store_definition(cat, format, form);
    check(o);
    ctx.out << o.id << '\n';
}

void definition_modify(Context& ctx, Args& args) {
    const std::string format = args.positional("FORMAT");
    const std::string id = args.positional("ID");
    auto& cat = ctx.catalogue();
    auto form = formats::open_modify(find_row(cat, format, id));
    apply_options(args, form);
    args.finish();
    check(formats::store_definition(cat, format, form));
}

void definition_delete(Context& ctx, Args& args) {
    const std::string format = args.positional("FORMAT");
    const std::string id = args.positional("ID");
    const bool yes = args.flag("--yes");
    args.finish();
    auto& cat = ctx.catalogue();
    const auto row = find_row(cat, format, id);
    check(formats::delete_definition(cat, format_key(cat, format), row, answer_with(yes)));
}

const CommandRegistration format_add_cmd{
    {"format add", "format add NAME [--full TEXT] [--type \"<xml>\"|\"<txt>\"]   add a format",
     format_add}};
const CommandRegistration format_modify_cmd{
    {"format modify",
     "format modify NAME [--name NEW] [--full TEXT] [--type T]   rename or retype a format",
     format_modify}};
const CommandRegistration format_delete_cmd{
    {"format delete", "format delete NAME --yes          delete a format with its definitions",
     format_delete}};
const CommandRegistration definition_add_cmd{
    {"definition add",
     "definition add FORMAT --keyword K [--node1 T ... --node6 T] [--method 1-5] "
     "[--separator S]   add a keyword definition (prints its id)",
     definition_add}};
const CommandRegistration definition_modify_cmd{
    {"definition modify",
     "definition modify FORMAT ID [--keyword K] [--node1 T ... --node6 T] [--method 1-5] "
     "[--separator S]   change a keyword definition (the method defaults as in the window)",
     definition_modify}};
const CommandRegistration definition_delete_cmd{
    {"definition delete", "definition delete FORMAT ID --yes  delete a keyword definition",
     definition_delete}};

} // namespace
} // namespace lumacite::cli
