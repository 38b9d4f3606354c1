// lumacite-cli [--home DIR] COMMAND ...
#include "cli/cli.h"
#include "messages.h"
#include "store/locks.h"
#include "store/program_folder.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

using namespace lumacite;

namespace {

void print_help(std::ostream& out) {
    out << "用法: lumacite-cli [--home DIR] COMMAND ...\n"
           "Usage: lumacite-cli [--home DIR] COMMAND ...\n\n"
           "Options:\n"
           "  --home DIR   program folder (default: $LUMACITE_HOME, the executable's folder\n"
           "               when it holds velkor.exs, else $XDG_DATA_HOME/lumacite)\n"
           "  --help       this text\n"
           "  --version    the program's version\n\n"
           "Commands:\n";
    auto all = cli::commands();
    std::sort(all.begin(), all.end(),
              [](const cli::Command& a, const cli::Command& b) { return a.name < b.name; });
    for (const auto& c : all) {
        out << "  " << c.synopsis << "\n";
    }
    out << "\nExit codes: 0 success, 1 usage error, 2 refused (message on stderr), "
           "3 file or database failure.\n";
}

// Finds the command whose (possibly two-word) name the arguments begin with.
const cli::Command* find_command(std::vector<std::string>& args) {
    const cli::Command* best = nullptr;
    std::size_t best_words = 0;
    for (const auto& c : cli::commands()) {
        const auto space = c.name.find(' ');
        if (space == std::string::npos) {
            if (!args.empty() && args[0] == c.name && best_words < 1) {
                best = &c;
                best_words = 1;
            }
        } else if (args.size() >= 2 && args[0] == c.name.substr(0, space) &&
                   args[1] == c.name.substr(space + 1)) {
            best = &c;
            best_words = 2;
        }
    }
    if (best != nullptr) {
        args.erase(args.begin(), args.begin() + static_cast<long>(best_words));
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    // A command runs once and ends: blocks it frees are kept for its next ones instead of
    // being given back and faulted in afresh (a fresh page costs more than reading a page
    // of a table on some machines). Only blocks of 32 MB and more are mapped on their own.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 128 << 20);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string home;
    // Global options stand before the command.
    while (!args.empty() && args[0].starts_with("-")) {
        if (args[0] == "--help" || args[0] == "-h") {
            print_help(std::cout);
            return cli::exit_ok;
        }
        if (args[0] == "--version") {
            std::cout << "lumacite-cli " << LUMACITE_VERSION << "\n";
            return cli::exit_ok;
        }
        if (args[0] == "--home" && args.size() >= 2) {
            home = args[1];
            args.erase(args.begin(), args.begin() + 2);
            continue;
        }
        if (args[0].starts_with("--home=")) {
            home = args[0].substr(7);
            args.erase(args.begin());
            continue;
        }
        std::cerr << "lumacite-cli: unknown option " << args[0] << "\n";
        return cli::exit_usage;
    }
    if (args.empty()) {
        print_help(std::cerr);
        return cli::exit_usage;
    }
    const cli::Command* command = find_command(args);
    if (command == nullptr) {
        std::cerr << "lumacite-cli: unknown command " << args[0] << " (see --help)\n";
        return cli::exit_usage;
    }
    try {
        const auto folder = store::resolve_program_folder(home);
        const auto prepared = store::prepare_program_folder(
            folder, store::shipped_catalogue(store::executable_folder()));
        if (!prepared.unregistered_folders.empty()) {
            std::cerr << cli::shown_text(
                             store::unregistered_folders_message(prepared.unregistered_folders))
                      << "\n";
        }
        cli::Context ctx{folder, std::cout, std::cerr};
        ctx.progress_bar = ::isatty(STDERR_FILENO) == 1;
        if (ctx.progress_bar) {
            ctx.progress_width = cli::terminal_width(STDERR_FILENO);
        }
        cli::Args rest(args);
        command->run(ctx, rest);
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "lumacite-cli: cannot write the output\n";
            return cli::exit_failure;
        }
        return cli::exit_ok;
    } catch (const cli::UsageError& e) {
        std::cerr << "lumacite-cli " << command->name << ": " << e.what() << "\n"
                  << "usage: lumacite-cli " << command->synopsis << "\n";
        return cli::exit_usage;
    } catch (const cli::Refusal& e) {
        std::cerr << cli::shown_text(e.what()) << "\n";
        return cli::exit_refused;
    } catch (const store::LockBusy& e) {
        // Another program writes the project or changes the catalogue: nothing changed.
        std::cerr << cli::shown_text(e.what()) << "\n";
        return cli::exit_refused;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return cli::exit_failure;
    }
}
