#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/SaveFileBuilder.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// A run that does not end within this many seconds has hung.
constexpr int kHangSeconds = 20;
constexpr int kTimedOut = 124;

struct CliRun {
    int status = -1;
    std::string err;
};

class CliRefusedInput : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("quelvane-cli-refused-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    CliRun run(const std::string& arguments) {
        const fs::path err = folder_ / "stderr";
        const std::string command = "timeout " + std::to_string(kHangSeconds) + " '" + QUELVANE_CLI_PATH +
                                    "' " + arguments + " >/dev/null 2>'" + err.string() + "' </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(err)};
    }

    std::string quoted(const fs::path& path) const { return "'" + path.string() + "'"; }

    fs::path folder_;
};

// What is no save file is refused at once, whatever the command: a FIFO (whose open would wait
// for a writer for ever), a device, a folder and files of zeros shorter than a block.
TEST_F(CliRefusedInput, AnythingButASaveFileIsRefusedAtOnce) {
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path folder = folder_ / "folder";
    fs::create_directories(folder);
    const fs::path zeros100 = folder_ / "zeros100";
    const fs::path zeros527 = folder_ / "zeros527";
    std::ofstream(zeros100, std::ios::binary) << std::string(100, '\0');
    std::ofstream(zeros527, std::ios::binary) << std::string(527, '\0');
    struct Case {
        fs::path file;
        int status;
        std::string message;
        int checkStatus;
    };
    const Case cases[] = {
        {fifo, 1, "cannot open " + fifo.string() + ": a FIFO, not a file", 1},
        {"/dev/zero", 1, "cannot open /dev/zero: a character device, not a file", 1},
        {folder, 1, "cannot open " + folder.string() + ": Is a directory", 1},
        {zeros100, 2, "is not save file format", 2},
        {zeros527, 2, "is not save file format", 2},
    };
    for (const Case& c : cases) {
        for (const std::string command : {"tree", "objects", "show", "extract"}) {
            const std::string arguments = command == "show"      ? " /"
                                          : command == "extract" ? " --to " + quoted(folder_ / "out")
                                                                 : "";
            const CliRun result = run(command + " " + quoted(c.file) + arguments);
            EXPECT_EQ(result.status, c.status) << command << " " << c.file << "\n" << result.err;
            EXPECT_NE(result.err.find(c.message), std::string::npos) << command << " " << c.file << "\n"
                                                                     << result.err;
        }
        const CliRun checked = run("check " + quoted(c.file));
        EXPECT_EQ(checked.status, c.checkStatus) << c.file << "\n" << checked.err;
        EXPECT_NE(checked.status, kTimedOut);
    }
    EXPECT_FALSE(fs::exists(folder_ / "out" / "catalog.json"));
}

TEST_F(CliRefusedInput, UnknownCodePagesAreUsageErrors) {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "LIB";
    builder.add(part);
    const fs::path save = folder_ / "LIB.SAVF";
    builder.build().writeTo(save.string());
    struct Case {
        std::string options;
        std::string message;  // empty: accepted
    };
    const Case cases[] = {
        {"--ebcdic 99999", "quelvane-cli: unknown code page 99999\n"},
        {"--ebcdic 1252", "quelvane-cli: unknown code page 1252\n"},
        {"--pc 37", "quelvane-cli: unknown code page 37\n"},
        {"--pc 99999", "quelvane-cli: unknown code page 99999\n"},
        {"--ebcdic 3000000000", "quelvane-cli: --ebcdic needs a code page number\n"},
        {"--ebcdic 37 --pc 1252", ""},
        {"--ebcdic 930 --pc 932", ""},
        {"--ebcdic 20273 --pc 850", ""},
    };
    for (const Case& c : cases) {
        for (const std::string command : {"tree", "objects", "extract"}) {
            const std::string extra = command == "extract" ? " --to " + quoted(folder_ / "out") : "";
            const CliRun result = run(command + " " + quoted(save) + " " + c.options + extra);
            EXPECT_EQ(result.status, c.message.empty() ? 0 : 1) << command << " " << c.options << "\n"
                                                                << result.err;
            if (!c.message.empty()) {
                EXPECT_EQ(result.err, c.message) << command << " " << c.options;
            }
        }
    }
}

// Problems of a save of the integrated file system make the tree incomplete, as for a library.
TEST_F(CliRefusedInput, TreeSaysAndFailsWhenOnlyTheDirectoryTreeHadProblems) {
    IfsImage image = sampleImage("/site/../up", {{"index.html", false, 11, kDataA}});
    image.data(kDataA, "<html>.</ht", 4096);
    const fs::path save = folder_ / "IFS.SAVF";
    {
        Bytes bytes = image.complete();
        std::ofstream(save, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    const CliRun result = run("tree " + quoted(save));
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_NE(result.err.find("directory with an unsafe path"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("the directory tree is incomplete: see the problems above"), std::string::npos)
        << result.err;
}

}  // namespace
}  // namespace quelvane::test
