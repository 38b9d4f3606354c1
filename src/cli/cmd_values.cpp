// The values browser on the command line: values (the grid's rows), edit (the six value
// operations on those rows) and remove (value removal in its three scopes).
#include "cli/cli.h"
#include "messages.h"
#include "values/values.h"

#include <ostream>

namespace lumacite::cli {
namespace {

// The grid of a document's keyword as the options ask for it: --same VALUE, --sort asc|desc.
values::GridQuery grid_query(Args& args) {
    values::GridQuery q;
    q.same_value = args.option("--same");
    if (const auto sort = args.option("--sort")) {
        if (*sort != "asc" && *sort != "desc") {
            throw UsageError("--sort must be asc or desc");
        }
        q.sort = *sort == "asc" ? values::Sort::ascending : values::Sort::descending;
    }
    q.bianhao = args.positional("NUMBER");
    q.xuhao = document_number(args.positional("XUHAO"));
    q.keyword = args.positional("KEYWORD");
    return q;
}

// Checks the project and the document; the project's tables with its format type, opened
// for reading only or for writing.
store::Workspace open_tables(Context& ctx, values::GridQuery& q, bool read_only) {
    numbered_project(ctx, q.bianhao);
    document_entry(ctx, q.bianhao, q.xuhao);
    BoundProject bound = bind_project_with_type(ctx, q.bianhao, read_only);
    q.format_type = bound.format_type;
    return std::move(bound.workspace);
}

// Index of the grid row (article, value); refused when the grid does not list it.
std::size_t grid_row(const std::vector<values::GridRow>& rows, const std::string& wenzhangha,
                     const std::string& zhi) {
    const auto at = values::locate_row(rows, wenzhangha, zhi);
    if (!at) {
        throw Refusal(std::string(msg::no_such_value_row) + wenzhangha + " " + zhi);
    }
    return *at;
}

void list_values(Context& ctx, Args& args) {
    values::GridQuery q = grid_query(args);
    args.finish();
    store::Workspace ws = open_tables(ctx, q, true);
    as_failures([&] {
        for (const auto& r : values::grid_rows(ws, q)) {
            write_tsv(ctx.out, {r.wenzhangha, r.zhi});
        }
    });
}

// The one operation the options name.
values::Operation operation(Args& args) {
    // The operations given; exactly one is needed.
    std::optional<values::Operation> op;
    int given = 0;
    auto take = [&](values::Operation o) {
        op.emplace(std::move(o));
        ++given;
    };
    const auto article = args.option("--article");
    const bool batch = args.flag("--batch");
    if (const auto set = args.option_values("--set", 2)) {
        if (!article) {
            throw UsageError("--set needs --article");
        }
        take(values::SetValue{*article, (*set)[0], (*set)[1], batch});
    } else if (article || batch) {
        throw UsageError("--article and --batch go with --set");
    }
    if (const auto cut = args.option_values("--cut", 2)) {
        take(values::CutBetween{(*cut)[0], (*cut)[1]});
    }
    if (const auto replace = args.option_values("--replace", 2)) {
        take(values::Replace{(*replace)[0], (*replace)[1]});
    }
    if (const auto kind = args.option("--case")) {
        if (*kind != "upper" && *kind != "lower") {
            throw UsageError("--case must be upper or lower");
        }
        take(values::ChangeCase{*kind == "upper"});
    }
    if (const auto kind = args.option("--strip")) {
        if (*kind != "letters" && *kind != "digits") {
            throw UsageError("--strip must be letters or digits");
        }
        take(values::Strip{*kind == "letters"});
    }
    if (const auto keep = args.option_values("--keep", 2)) {
        take(values::KeepRange{(*keep)[0], (*keep)[1]});
    }
    if (given != 1) {
        throw UsageError("give one operation: --set, --cut, --replace, --case, --strip or --keep");
    }
    return *op;
}

void edit_values(Context& ctx, Args& args) {
    const values::Operation op = operation(args);
    values::GridQuery q = grid_query(args);
    args.finish();
    store::Workspace ws = open_tables(ctx, q, false);
    values::EditResult result;
    as_failures([&] {
        const auto rows = values::grid_rows(ws, q);
        if (const auto* set = std::get_if<values::SetValue>(&op)) {
            grid_row(rows, set->wenzhangha, set->old_value);
        }
        result = values::apply_operation(ws, q, rows, op);
    });
    if (result.check.status == values::Check::Status::refused) {
        throw Refusal(result.check.message);
    }
    ctx.out << result.rows_changed << '\n';
}

void remove_values(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const auto article = args.option("--article");
    const auto value = args.option("--value");
    const auto scope_text = args.option("--scope");
    values::GridQuery q = grid_query(args);
    args.finish();
    if (!article || !value || !scope_text) {
        throw UsageError("--article, --value and --scope are needed");
    }
    values::RemovalScope scope = values::RemovalScope::one;
    const char* scope_caption = msg::removal_scope_one;
    if (*scope_text == "same") {
        scope = values::RemovalScope::same;
        scope_caption = msg::removal_scope_same;
    } else if (*scope_text == "below") {
        scope = values::RemovalScope::below;
        scope_caption = msg::removal_scope_below;
    } else if (*scope_text != "one") {
        throw UsageError("--scope must be one, same or below");
    }
    store::Workspace ws = open_tables(ctx, q, false);
    std::uint64_t removed = 0;
    as_failures([&] {
        const auto rows = values::grid_rows(ws, q);
        const std::size_t current = grid_row(rows, *article, *value);
        if (!yes) {
            throw Refusal(std::string(msg::remove_question_1) + *value + msg::remove_question_2 +
                          scope_caption + msg::remove_question_3);
        }
        removed = values::remove_values(ws, q, rows, current, scope);
    });
    ctx.out << removed << '\n';
}

const CommandRegistration values_cmd{
    {"values",
     "values NUMBER XUHAO KEYWORD [--same V] [--sort asc|desc]   the values grid's rows (TSV: "
     "wenzhangha, zhi)",
     list_values}};
const CommandRegistration edit_cmd{
    {"edit",
     "edit NUMBER XUHAO KEYWORD [--same V] [--sort asc|desc] (--set OLD NEW --article A "
     "[--batch] | --cut S E | --replace FIND REPL | --case upper|lower | --strip "
     "letters|digits | --keep START END)   change the grid's values; prints the rows changed",
     edit_values}};
const CommandRegistration remove_cmd{
    {"remove",
     "remove NUMBER XUHAO KEYWORD --article A --value V --scope one|same|below [--same V] "
     "[--sort asc|desc] --yes   remove values; prints the rows removed",
     remove_values}};

} // namespace
} // namespace lumacite::cli
