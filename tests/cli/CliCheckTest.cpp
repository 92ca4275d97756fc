#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("quelvane-cli-check-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    CliRun run(const std::string& arguments) {
        fs::path out = folder_ / "stdout";
        fs::path err = folder_ / "stderr";
        std::string command = "'" + std::string(QUELVANE_CLI_PATH) + "' " + arguments + " >'" + out.string() +
                              "' 2>'" + err.string() + "'";
        int raw = std::system(command.c_str());
        CliRun result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }

    std::string write(const std::vector<std::uint8_t>& bytes, const std::string& name) {
        fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path folder_;
};

TEST_F(CliCheck, ReportAndExitStatus) {
    SaveFileBuilder builder;
    builder.add(BuiltPart{});
    std::vector<std::uint8_t> clean = builder.build().bytes();
    const std::string blocks = std::to_string(clean.size() / 528);
    std::vector<std::uint8_t> damaged = clean;
    // Block 2 is good up to its sequence number's end (1572); block 3 carries its number one byte
    // late, at 2097.
    damaged.insert(damaged.begin() + 3 * 528 + 40, 0x77);

    std::string cleanPath = write(clean, "CLEAN.SAVF");
    CliRun result = run("check '" + cleanPath + "'");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, cleanPath + "\nClean: " + blocks +
                              " blocks of 528 bytes, both block counts agree, every sequence "
                              "number in place\n");
    EXPECT_EQ(result.err, "");

    std::string damagedPath = write(damaged, "DAMAGED.SAVF");
    result = run("check '" + damagedPath + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\nDamaged:\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 byte inserted within offsets 1572-2096 (block 3)"), std::string::npos)
        << result.out;

    result = run("check '" + write(std::vector<std::uint8_t>(600, 'x'), "notes.txt") + "'");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("Not a save file"), std::string::npos);

    // A header of the oldest layout is read; one that fits neither layout is still too old.
    fs::path old = fs::path(QUELVANE_SAVF_DIR) / "JTT_joblogtest.savf";
    if (fs::exists(old)) {
        result = run("check '" + old.string() + "'");
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("Clean: 32 blocks"), std::string::npos);
    }
    std::vector<std::uint8_t> tooOld = clean;
    SaveFileBuilder::putU32(tooOld, 52, 0);
    SaveFileBuilder::putU32(tooOld, 60, 0);
    result = run("check '" + write(tooOld, "old.savf") + "'");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("Header too old"), std::string::npos);

    for (const std::string& arguments : std::vector<std::string>{
             "check", "check a b", "check --raw '" + cleanPath + "'",
             "check '" + (folder_ / "missing").string() + "'", "check '" + folder_.string() + "'"}) {
        result = run(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_EQ(result.out, "") << arguments;
        EXPECT_NE(result.err, "") << arguments;
    }
}

}  // namespace
}  // namespace quelvane::test
