#include "sources/GitCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quelvane {

namespace {

// Variables of the caller's environment a git child keeps: where programs and the locale are.
constexpr std::array<const char*, 4> kKeptVariables = {"PATH", "LANG", "LC_ALL", "TMPDIR"};
constexpr std::size_t kReadChunk = 65536;

class Pipe {
  public:
    Pipe() {
        if (::pipe2(ends_.data(), O_CLOEXEC) != 0) {
            throw std::runtime_error(std::string("cannot start git: ") + std::strerror(errno));
        }
    }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int end(int which) const { return ends_[static_cast<std::size_t>(which)]; }
    void closeEnd(int which) {
        int& fd = ends_[static_cast<std::size_t>(which)];
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }

  private:
    std::array<int, 2> ends_{-1, -1};
};

// Reads both pipes to their ends, so a child that fills one while the other is read never waits.
void drain(Pipe& out, Pipe& err, std::string& outText, std::string& errText) {
    std::array<pollfd, 2> fds{{{out.end(0), POLLIN, 0}, {err.end(0), POLLIN, 0}}};
    std::array<std::string*, 2> texts{&outText, &errText};
    std::array<char, kReadChunk> buffer{};
    int open = 2;
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t got = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (got > 0) {
                texts[i]->append(buffer.data(), static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

GitCommand::GitCommand(std::filesystem::path repository, std::string program)
    : repository_(std::move(repository)), program_(std::move(program)) {}

std::vector<std::string> GitCommand::environment(const std::map<std::string, std::string>& extra) const {
    std::map<std::string, std::string> values = {
        {"GIT_CONFIG_NOSYSTEM", "1"},      {"GIT_CONFIG_GLOBAL", "/dev/null"}, {"HOME", repository_.string()},
        {"GIT_TERMINAL_PROMPT", "0"},      {"GIT_AUTHOR_NAME", kIdentity},     {"GIT_AUTHOR_EMAIL", kEmail},
        {"GIT_COMMITTER_NAME", kIdentity}, {"GIT_COMMITTER_EMAIL", kEmail},    {"LC_MESSAGES", "C"},
    };
    for (const char* name : kKeptVariables) {
        if (const char* value = std::getenv(name)) {
            values.try_emplace(name, value);
        }
    }
    for (const auto& [name, value] : extra) {
        values[name] = value;
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : values) {
        result.push_back(name + "=" + value);
    }
    return result;
}

GitCommand::Result GitCommand::run(const std::vector<std::string>& arguments,
                                   const std::map<std::string, std::string>& environmentIn) const {
    std::vector<std::string> argv = {program_,
                                     "-C",
                                     repository_.string(),
                                     "-c",
                                     "core.hooksPath=/dev/null",
                                     "-c",
                                     "commit.gpgSign=false",
                                     "-c",
                                     "core.autocrlf=false",
                                     "-c",
                                     "core.quotePath=false"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::vector<std::string> env = environment(environmentIn);
    std::vector<char*> argp;
    for (const std::string& a : argv) {
        argp.push_back(const_cast<char*>(a.c_str()));
    }
    argp.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);
    Pipe out;
    Pipe err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.end(1), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.end(1), STDERR_FILENO);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, program_.c_str(), &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot run " + program_ + ": " + std::strerror(spawned));
    }
    out.closeEnd(1);
    err.closeEnd(1);
    Result result;
    drain(out, err, result.out, result.err);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string GitCommand::require(const std::vector<std::string>& arguments,
                                const std::map<std::string, std::string>& environment) const {
    Result result = run(arguments, environment);
    if (!result.ok()) {
        std::string message = result.err;
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.pop_back();
        }
        throw std::runtime_error(
            "git " + (arguments.empty() ? std::string() : arguments.front()) +
            " failed: " + (message.empty() ? "status " + std::to_string(result.status) : message));
    }
    return result.out;
}

}  // namespace quelvane
