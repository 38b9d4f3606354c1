// Cleaning at scale on the command line: thesaurus (a thesaurus file applied to a keyword's
// values) and similar (groups of similar values, or their thesaurus).
#include "cli/cli.h"
#include "messages.h"
#include "progress.h"
#include "values/cleaning.h"

#include <ostream>

namespace lumacite::cli {
namespace {

// One line per change (label, old value, new value, rows) in entry order; an entry that
// changes nothing gives one line with an empty old value and 0 rows.
void print_outcome(std::ostream& out, const values::Thesaurus& thesaurus,
                   const values::ThesaurusOutcome& outcome) {
    std::size_t at = 0;
    for (std::size_t e = 0; e < thesaurus.entries.size(); ++e) {
        const auto& entry = thesaurus.entries[e];
        if (outcome.rows_per_entry[e] == 0) {
            write_tsv(out, {entry.label, "", entry.replace_by, "0"});
            continue;
        }
        for (; at < outcome.changes.size() && outcome.changes[at].line == entry.line; ++at) {
            const auto& c = outcome.changes[at];
            write_tsv(out, {entry.label, c.old_value, c.new_value, std::to_string(c.rows)});
        }
    }
}

void apply_thesaurus(Context& ctx, Args& args) {
    const bool yes = args.flag("--yes");
    const bool dry_run = args.flag("--dry-run");
    const bool fold = args.flag("--fold");
    const auto document = args.option("--document");
    values::ThesaurusScope scope;
    scope.bianhao = args.positional("NUMBER");
    scope.keyword = args.positional("KEYWORD");
    const std::string file = args.positional("FILE");
    args.finish();
    numbered_project(ctx, scope.bianhao);
    if (document) {
        scope.xuhao = document_number(*document);
        document_entry(ctx, scope.bianhao, *scope.xuhao);
    }
    values::Thesaurus thesaurus;
    as_failures([&] { thesaurus = values::read_thesaurus(file, fold); });
    if (!thesaurus.faults.empty()) {
        throw Refusal(shown_text(values::fault_report(thesaurus)));
    }

    NullProgress progress;
    values::ThesaurusOutcome outcome;
    {
        BoundProject bound = bind_project_with_type(ctx, scope.bianhao, true);
        scope.format_type = bound.format_type;
        as_failures([&] {
            outcome = values::preview_thesaurus(bound.workspace, scope, thesaurus, progress);
        });
    }
    if (outcome.changes.empty()) {
        throw Refusal(msg::thesaurus_nothing);
    }
    if (!dry_run) {
        if (!yes) {
            throw Refusal(values::thesaurus_question(outcome));
        }
        BoundProject bound = bind_project_with_type(ctx, scope.bianhao, false);
        as_failures([&] {
            outcome = values::apply_thesaurus(bound.workspace, scope, thesaurus, progress);
        });
    }
    print_outcome(ctx.out, thesaurus, outcome);
}

void list_similar(Context& ctx, Args& args) {
    const bool authors = args.flag("--authors");
    const auto output = args.option("-o");
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();
    numbered_project(ctx, number);
    BoundProject bound = bind_project_with_type(ctx, number, true);
    NullProgress progress;
    std::vector<values::SimilarGroup> groups;
    as_failures([&] {
        const auto counts =
            values::value_counts(bound.workspace, keyword, bound.format_type, progress);
        groups = values::similar_groups(counts, authors);
    });
    if (output) {
        std::vector<values::Merge> merges;
        for (const auto& g : groups) {
            values::Merge m{{}, g.members.front().zhi};
            for (const auto& member : g.members) {
                m.members.push_back(member.zhi);
            }
            merges.push_back(std::move(m));
        }
        const auto entries = values::merge_entries(merges);
        as_failures([&] { values::save_thesaurus(*output, entries); });
        ctx.out << entries.size() << '\n';
        return;
    }
    // group, likeness, value, count, proposed form
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto& g = groups[i];
        const char* likeness = g.likeness == values::Likeness::same ? "same" : "initials";
        for (const auto& m : g.members) {
            write_tsv(ctx.out, {std::to_string(i + 1), likeness, m.zhi, std::to_string(m.cishu),
                                g.members.front().zhi});
        }
    }
}

const CommandRegistration thesaurus_cmd{
    {"thesaurus",
     "thesaurus NUMBER KEYWORD FILE [--document XUHAO] [--fold] [--dry-run] --yes   apply a "
     "thesaurus file (header \"label<TAB>replace by\"); prints label, old value, new value, rows",
     apply_thesaurus}};
const CommandRegistration similar_cmd{
    {"similar",
     "similar NUMBER KEYWORD [--authors] [-o THESAURUS]   groups of similar values (TSV: group, "
     "same|initials, value, count, proposed form), or their thesaurus file",
     list_similar}};

} // namespace
} // namespace lumacite::cli
