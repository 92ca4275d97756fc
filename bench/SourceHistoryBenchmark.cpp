// Builds the history of one library from 20 generated saves with `quelvane-cli sources --git`:
// 60 members of 400 lines each, a few members changed, one added and one removed per save. Runs
// the command over the first 5, 10 and 20 saves and reports the time and the peak memory of the
// command (the largest child process), which should stay the same however many saves are read.
// Not a test: run it by hand on a quiet machine.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/sources/SourceSaves.h"

namespace {

using namespace quelvane::test;
namespace fs = std::filesystem;

constexpr int kSaves = 20;
constexpr int kMembers = 60;
constexpr int kLines = 400;
constexpr std::int64_t kDay = 86400;

std::vector<SourceMemberSpec> membersOfSave(int save) {
    std::vector<SourceMemberSpec> members;
    for (int m = save; m < save + kMembers; ++m) {
        SourceMemberSpec member{"QRPGLESRC", "MBR" + std::to_string(m), "RPGLE", {}};
        for (int line = 0; line < kLines; ++line) {
            const bool changed = m % 7 == save % 7 && line % 50 == 0;
            member.lines.push_back("     C   EVAL X = " + std::to_string(line) +
                                   (changed ? " + " + std::to_string(save) : ""));
        }
        members.push_back(std::move(member));
    }
    return members;
}

std::string shellQuoted(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace

int main() {
    const fs::path directory = fs::temp_directory_path() / "quelvane-source-history-bench";
    fs::remove_all(directory);
    fs::create_directories(directory);
    std::vector<std::string> files;
    for (int save = 0; save < kSaves; ++save) {
        const fs::path path = directory / ("APP_" + std::to_string(100 + save) + ".savf");
        SourceSaves::build("APP", membersOfSave(save), save * kDay).writeTo(path.string());
        files.push_back(path.string());
    }
    for (int count : {5, 10, 20}) {
        const fs::path repo = directory / ("repo" + std::to_string(count));
        std::string command = shellQuoted(QUELVANE_CLI_PATH) + " sources --git --ebcdic 37 --pc 1252 --to " +
                              shellQuoted(repo.string());
        for (int i = 0; i < count; ++i) {
            command += " " + shellQuoted(files[static_cast<std::size_t>(i)]);
        }
        command += " >/dev/null";
        // A process of its own per run, so that the peak it reports is of that run's commands alone.
        const pid_t runner = fork();
        if (runner == 0) {
            const auto start = std::chrono::steady_clock::now();
            const int status = std::system(command.c_str());
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            rusage usage{};
            getrusage(RUSAGE_CHILDREN, &usage);
            std::printf("%2d saves: %.2f s, %.2f s per save, peak memory %.1f MB, status %d\n", count,
                        seconds, seconds / count, static_cast<double>(usage.ru_maxrss) / 1024.0,
                        WIFEXITED(status) ? WEXITSTATUS(status) : -1);
            std::fflush(stdout);
            std::_Exit(0);
        }
        waitpid(runner, nullptr, 0);
    }
    fs::remove_all(directory);
    return 0;
}
