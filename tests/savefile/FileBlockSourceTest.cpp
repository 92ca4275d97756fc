#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "savefile/FileBlockSource.h"
#include "savefile/ReadFailure.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

class FileBlockSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("quelvane-file-source-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

// Only regular files (and block devices) are opened; every refusal keeps its reason, and none
// waits (a FIFO without a writer would block a plain open for ever).
TEST_F(FileBlockSourceTest, RefusalsKeepTheirReason) {
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<fs::path, std::string> cases[] = {
        {folder_ / "missing", "No such file or directory"},
        {folder_, "Is a directory"},
        {fifo, "a FIFO, not a file"},
        {"/dev/null", "a character device, not a file"},
    };
    for (const auto& [path, reason] : cases) {
        FileBlockSource source(path.string());
        EXPECT_FALSE(source.isOpen()) << path;
        EXPECT_EQ(source.openError(), reason) << path;
        EXPECT_EQ(source.size(), 0) << path;
        std::uint8_t byte = 0;
        EXPECT_EQ(source.readAt(0, &byte, 1), 0) << path;
    }
}

// A file cut short after it was opened: the bytes it held then and holds no longer are a read
// failure with its reason, not the end of the file; reads past the size it had end as before.
TEST_F(FileBlockSourceTest, AFileThatShrinksWhileReadIsAReadFailure) {
    const fs::path path = folder_ / "shrinking";
    std::ofstream(path, std::ios::binary) << std::string(4 * 528, 'x');
    FileBlockSource source(path.string());
    ASSERT_TRUE(source.isOpen());
    EXPECT_EQ(source.openError(), "");
    ASSERT_EQ(source.size(), 4 * 528);
    std::vector<std::uint8_t> buffer(1000);
    EXPECT_EQ(source.readAt(4 * 528 - 10, buffer.data(), 1000), 10);
    EXPECT_EQ(source.readAt(4 * 528, buffer.data(), 1000), 0);

    fs::resize_file(path, 528 + 100);
    EXPECT_EQ(source.readAt(0, buffer.data(), 528), 528);
    try {
        source.readAt(528, buffer.data(), 528);
        ADD_FAILURE() << "no read failure";
    } catch (const ReadFailure& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "the file ends at byte 628, before the 2112 bytes it held when opened: the file changed "
                  "while it was read");
    }
    EXPECT_EQ(source.readAt(4 * 528, buffer.data(), 1000), 0);
}

}  // namespace
}  // namespace quelvane::test
