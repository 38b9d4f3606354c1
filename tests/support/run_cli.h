// Runs a program (by default the built lumacite-cli) as a child process and captures its
// standard output, standard error and exit code.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace lumacite::testing {

struct CliResult {
    int exit_code = -1; // the exit status, or 128 + signal number when killed by a signal
    std::string out;
    std::string err;
};

// Environment changes for one run: a value sets the variable, std::nullopt removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

inline std::filesystem::path cli_binary() {
#ifdef LUMACITE_BINARY_DIR
    return std::filesystem::path(LUMACITE_BINARY_DIR) / "bin" / "lumacite-cli";
#else
    return "lumacite-cli";
#endif
}

// Runs `program` with `args` (argv[0] is the program's path). The child inherits this
// process's environment with `env` applied; LUMACITE_HOME is removed unless `env` names it,
// so a test never lands in the developer's own program folder by accident. Standard input
// reads `input`. Throws std::runtime_error when the program cannot be started.
inline CliResult run_program(const std::filesystem::path& program,
                             const std::vector<std::string>& args, EnvChanges env = {},
                             const std::string& input = {}) {
    env.try_emplace("LUMACITE_HOME", std::nullopt);
    std::vector<std::string> env_strings;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (env.count(name) == 0) {
            env_strings.push_back(entry);
        }
    }
    for (const auto& [name, value] : env) {
        if (value) {
            env_strings.push_back(name + "=" + *value);
        }
    }
    std::vector<std::string> argv_strings{program.string()};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_strings) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env_strings) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    int out_pipe[2];
    int err_pipe[2];
    int in_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0 ||
        ::pipe2(in_pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    // Writing to a child that has already exited must fail with EPIPE, not kill the test;
    // the child itself starts with the default disposition.
    ::signal(SIGPIPE, SIG_IGN);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, argv_strings[0].c_str(), &actions, &attributes, argv.data(),
                                 envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (rc != 0) {
        ::close(in_pipe[1]);
        ::close(out_pipe[0]);
        ::close(err_pipe[0]);
        throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(rc));
    }

    // Feed standard input and drain both outputs together, so that a child filling one
    // pipe never waits on a parent blocked on the other.
    CliResult result;
    std::size_t written = 0;
    int in_fd = in_pipe[1];
    if (input.empty()) {
        ::close(in_fd);
        in_fd = -1;
    } else {
        ::fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_outputs = 2;
    while (open_outputs > 0) {
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                char buffer[65536];
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                    --open_outputs;
                }
            }
        }
        if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n = ::write(fds[2].fd, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if (written == input.size() || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                ::close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) {
        ::close(fds[2].fd);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exit_code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exit_code = 128 + WTERMSIG(status);
    }
    return result;
}

// Runs the built lumacite-cli.
inline CliResult run_cli(const std::vector<std::string>& args, EnvChanges env = {},
                         const std::string& input = {}) {
    return run_program(cli_binary(), args, std::move(env), input);
}

// Runs the built lumacite-cli on the program folder `home`: lumacite-cli --home HOME ARGS.
inline CliResult run_cli_in(const std::filesystem::path& home, std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.string()});
    return run_cli(args);
}

} // namespace lumacite::testing
