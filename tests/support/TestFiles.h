#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quelvane::test {

// The whole content of a file the test wrote or a command made; empty when there is none.
inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a command run by the shell left: its exit status (-1 when it did not exit) and its output.
struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// What `command`, run by the shell, writes to its standard output, whatever its exit status
// (the command line says where standard error goes).
inline std::string commandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while (pipe && (got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
        out.append(buffer.data(), got);
    }
    return out;
}

// Runs `command` through the shell with its output caught in files in `folder`.
inline CommandRun runCommand(const std::string& command, const std::filesystem::path& folder) {
    const std::filesystem::path out = folder / "stdout";
    const std::filesystem::path err = folder / "stderr";
    const int raw = std::system((command + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

// A folder of the running test's own below the system's temporary folder, named by `prefix`, the
// process and the test, so that tests run in parallel never share one; removed with what it holds.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix)
        : path_(std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace quelvane::test
