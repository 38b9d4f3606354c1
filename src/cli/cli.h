// lumacite-cli: the batch front end. Commands register themselves with a
// CommandRegistration object in their own source file; main.cpp dispatches.
#pragma once

#include "analysis/analysis.h"
#include "cli/terminal_progress.h"
#include "store/catalogue.h"
#include "store/workspace.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumacite::cli {

// Exit codes.
inline constexpr int exit_ok = 0;
inline constexpr int exit_usage = 1;
inline constexpr int exit_refused = 2;
inline constexpr int exit_failure = 3;

// Thrown by commands: a usage error (exit 1), a refusal (exit 2, the window's message),
// a file or database failure (exit 3).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The arguments of one command; options are taken out as they are read, and whatever
// is left over at the end is a usage error.
class Args {
public:
    explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}
    // Removes "--name VALUE" (or "--name=VALUE") and returns VALUE.
    std::optional<std::string> option(const std::string& name);
    // Removes "--name V1 … Vn" and returns the n values; UsageError when fewer follow.
    std::optional<std::vector<std::string>> option_values(const std::string& name, std::size_t n);
    // Removes "--name" and returns whether it was there.
    bool flag(const std::string& name);
    // Removes and returns the next positional argument; UsageError naming `what` if none.
    std::string positional(const std::string& what);
    // Throws UsageError when anything is left.
    void finish() const;
    // Removes and returns every argument left, in order.
    std::vector<std::string> rest() { return std::exchange(args_, {}); }
    bool empty() const { return args_.empty(); }

private:
    std::vector<std::string> args_;
};

struct Context {
    Context(std::filesystem::path home_folder, std::ostream& out_stream, std::ostream& err_stream)
        : home(std::move(home_folder)), out(out_stream), err(err_stream) {}
    std::filesystem::path home; // the program folder
    std::ostream& out;
    std::ostream& err;
    // Long commands draw a progress bar on `err` (set when standard error is a terminal).
    bool progress_bar = false;
    int progress_width = 80;
    // Opens the catalogue on first use (Failure when it cannot be opened).
    store::Catalogue& catalogue();

private:
    std::optional<store::Catalogue> catalogue_;
};

struct Command {
    std::string name;     // "formats", "project add", ...
    std::string synopsis; // one line for --help
    std::function<void(Context&, Args&)> run;
};

std::vector<Command>& commands();

// The network command, with the drawing of its pictures (Qt GUI), is a program of its own,
// lumacite-network beside lumacite-cli, so that no other command loads those libraries:
// lumacite-cli hands the command over to it.
inline constexpr const char* network_program = "lumacite-network";
inline constexpr const char* network_synopsis =
    "network NUMBER KEYWORD [--min N] [--max N] [--measure raw|association|cosine|jaccard|"
    "inclusion|equivalence] [--min-weight W] [--drop-isolated] [--cluster leiden|louvain] "
    "[--resolution R] [--seed S] [--format pajek|vosviewer|graphml|csv -o FILE] "
    "[--png FILE [--size WxH]] [--svg FILE] [--summary]";

// ---- Helpers of the project commands ----------------------------------------------------

// The numbered project named on the command line; refused ("没有这个项目：" + number) when
// there is none or its number is empty.
store::Project numbered_project(Context& ctx, const std::string& number);
// A document number as given: a whole number from 1 (UsageError otherwise).
long long document_number(const std::string& text);
// The document entry of a project; refused ("没有这个文档：" + xuhao) when there is none.
store::Document document_entry(Context& ctx, const std::string& number, long long xuhao);

// The progress of a long command: a bar on the context's standard error when it is a
// terminal, nothing otherwise. Call finish() before the command writes anything more.
inline TerminalProgress command_progress(const Context& ctx) {
    return TerminalProgress(ctx.progress_bar ? &ctx.err : nullptr, ctx.progress_width,
                            steady_seconds);
}

// Registers a command at start-up: `static CommandRegistration r{{"name", "...", fn}};`.
struct CommandRegistration {
    explicit CommandRegistration(Command c) { commands().push_back(std::move(c)); }
};

// A project named on the command line, bound to its workspace, with its format type.
struct BoundProject {
    store::Workspace workspace;
    std::string format_type;
};
// Refusal (msg::choose_project_first) when the project does not exist, Failure when its
// tables cannot be opened. A command that writes binds the workspace for writing and
// holds the project's lock (store::LockBusy while another program writes it); `read_only`
// opens the tables for reading only (commands that only read: no lock, nothing written).
// `no_type_refusal`, when given, is the refusal for a project whose format has no type.
BoundProject bind_project_with_type(Context& ctx, const std::string& number, bool read_only = false,
                                    const char* no_type_refusal = nullptr);

// Runs a command's work: a table, database or file error becomes a Failure (exit 3);
// refusals and usage errors pass as they are.
void as_failures(const std::function<void()>& work);

// A count bound given on the command line: digits only (UsageError naming `name`
// otherwise); `fallback` when not given.
long long bound_value(const std::optional<std::string>& text, const char* name, long long fallback);

// The ranked statistics rows of a keyword and the count bounds of --min and --max, which
// default to the smallest and the largest count (every value, as the window's defaults).
// Refusal (the statistics message) when the keyword has not been counted.
struct CountRange {
    std::vector<analysis::RankedValue> ranked;
    long long lower = 0;
    long long upper = 0;
};
CountRange count_range(store::Workspace& workspace, const std::string& keyword,
                       const std::optional<std::string>& lower_text,
                       const std::optional<std::string>& upper_text);

// A message as the command line prints it: exactly as the window shows it, without its
// trailing carriage returns and line feeds.
std::string shown_text(std::string_view message);

// A cell of table output: a tab, line feed, carriage return or backslash is written as
// \t, \n, \r or \\, any other control character (U+0000-001F, U+007F) as \xHH, so that
// every row stays one line and every cell one field.
std::string escape_cell(std::string_view cell);

// Writes cells, each through escape_cell, joined by tabs and ended by a line feed. Every
// table output of the command line (lists of one column too) is written this way.
void write_tsv(std::ostream& out, const std::vector<std::string>& cells);

} // namespace lumacite::cli
