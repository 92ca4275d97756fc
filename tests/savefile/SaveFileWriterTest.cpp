#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "savefile/MemoryBlockSource.h"
#include "savefile/NestedSaveFileSource.h"
#include "savefile/SaveFileWriter.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 528;

class SaveFileWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A folder per case: ctest runs the cases as processes side by side.
        folder_ = fs::temp_directory_path() /
                  ("quelvane-save-file-writer-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The files in the folder, by name.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path folder_;
};

TEST_F(SaveFileWriterTest, WholeSourceTakesTheTargetName) {
    // More than one copy chunk, so the pieces must join in order.
    std::vector<std::uint8_t> bytes(300 * kBlock);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / kBlock);
    }
    MemoryBlockSource source(bytes);
    const fs::path target = folder_ / "OUT.savf";
    std::ofstream(target) << "older";
    EXPECT_EQ(SaveFileWriter::write(source, target), "");
    EXPECT_EQ(slurp(target), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(names(), std::vector<std::string>{"OUT.savf"});
}

TEST_F(SaveFileWriterTest, FailureLeavesNoFileAndTheTargetAsItWas) {
    // A held save whose last blocks the outer save does not hold.
    std::vector<std::uint8_t> outer(600 * kBlock, 0xAB);
    const fs::path target = folder_ / "OUT.savf";
    std::ofstream(target) << "older";
    NestedSaveFileSource cut(std::make_unique<MemoryBlockSource>(outer), 2, 700);
    const std::string why = SaveFileWriter::write(cut, target);
    EXPECT_NE(why.find("ends early"), std::string::npos) << why;
    EXPECT_EQ(slurp(target), "older");
    EXPECT_EQ(names(), std::vector<std::string>{"OUT.savf"});

    MemoryBlockSource whole(outer);
    EXPECT_NE(SaveFileWriter::write(whole, folder_ / "missing" / "OUT.savf"), "");
    NestedSaveFileSource closed(nullptr, 0, 1);
    EXPECT_NE(SaveFileWriter::write(closed, folder_ / "CLOSED.savf"), "");
    EXPECT_EQ(names(), std::vector<std::string>{"OUT.savf"});
}

}  // namespace
}  // namespace quelvane::test
