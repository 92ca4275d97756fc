#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quelvane::test {

// A scratch folder per test, and runs of quelvane-cli and of Python with their output kept.
class ExtractFixture : public ::testing::Test {
  protected:
    struct Run {
        int status = -1;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quelvane-extract-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

  public:
    static std::string slurpFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  protected:
    static std::string slurp(const std::filesystem::path& path) { return slurpFile(path); }

    static std::string quoted(const std::string& text) { return "'" + text + "'"; }

    Run shell(const std::string& command) {
        const std::filesystem::path out = folder_ / "stdout";
        const std::filesystem::path err = folder_ / "stderr";
        const int raw = std::system((command + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
        Run run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = slurp(out);
        run.err = slurp(err);
        return run;
    }

    Run cli(const std::string& arguments) { return shell(quoted(QUELVANE_CLI_PATH) + " " + arguments); }

    // The comparison of an extraction in `out` with what `show` lists for `saveFile`.
    Run compare(const std::string& saveFile, const std::filesystem::path& out,
                const std::filesystem::path& db) {
        return shell("python3 " + quoted(QUELVANE_EXTRACT_COMPARE) + " " + quoted(QUELVANE_CLI_PATH) + " " +
                     quoted(saveFile) + " " + quoted(out) + " " + quoted(db));
    }

    // What a Python program prints, given the arguments after it.
    std::string python(const std::string& program, const std::string& arguments) {
        const std::filesystem::path script = folder_ / "script.py";
        std::ofstream(script) << program;
        Run run = shell("python3 " + quoted(script) + " " + arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    std::filesystem::path folder_;
};

}  // namespace quelvane::test
