// network in lumacite-cli: runs lumacite-network, found beside this program, with the same
// program folder and arguments; its exit code and output are the command's.
#include "cli/cli.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace lumacite::cli {
namespace {

void network(Context& ctx, Args& args) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path program =
        (ec ? std::filesystem::path(".") : self.parent_path()) / network_program;
    std::vector<std::string> argv = {program.string(), "--home", ctx.home.string(), "network"};
    for (std::string& a : args.rest()) {
        argv.push_back(std::move(a));
    }
    std::vector<char*> pointers;
    for (std::string& a : argv) {
        pointers.push_back(a.data());
    }
    pointers.push_back(nullptr);
    ctx.out.flush();
    ctx.err.flush();
    ::execv(program.c_str(), pointers.data());
    throw Failure(program.string() + ": " + std::strerror(errno));
}

const CommandRegistration network_cmd{{"network", network_synopsis, network}};

} // namespace
} // namespace lumacite::cli
