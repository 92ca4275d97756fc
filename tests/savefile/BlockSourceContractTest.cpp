#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "savefile/BlockSource.h"
#include "savefile/FileBlockSource.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/ReportingBlockSource.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Every BlockSource serves the same bytes the same way. Each maker below holds one kind of
// source over given bytes; a new BlockSource gets a maker here and a place in the list.

class FileMaker {
  public:
    std::unique_ptr<BlockSource> make(const std::vector<std::uint8_t>& bytes) {
        path_ = fs::temp_directory_path() / ("quelvane-blocksource-" + std::to_string(::getpid()));
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return std::make_unique<FileBlockSource>(path_.string());
    }
    std::unique_ptr<BlockSource> makeUnopened() {
        return std::make_unique<FileBlockSource>(
            (fs::temp_directory_path() / "quelvane-no-such-file").string());
    }
    ~FileMaker() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }

  private:
    fs::path path_;
};

class MemoryMaker {
  public:
    std::unique_ptr<BlockSource> make(const std::vector<std::uint8_t>& bytes) {
        bytes_ = bytes;
        return std::make_unique<MemoryBlockSource>(bytes_);
    }
    // Memory is always open.
    std::unique_ptr<BlockSource> makeUnopened() { return nullptr; }

  private:
    std::vector<std::uint8_t> bytes_;
};

// Reads through memory, asked by a reporter that never stops it.
class ReportingMaker {
  public:
    std::unique_ptr<BlockSource> make(const std::vector<std::uint8_t>& bytes) {
        inner_ = memory_.make(bytes);
        return std::make_unique<ReportingBlockSource>(*inner_, reporter_);
    }
    std::unique_ptr<BlockSource> makeUnopened() {
        inner_ = files_.makeUnopened();
        return std::make_unique<ReportingBlockSource>(*inner_, reporter_);
    }

  private:
    MemoryMaker memory_;
    FileMaker files_;
    std::unique_ptr<BlockSource> inner_;
    NoProgress reporter_;
};

// The list of BlockSource implementations under the contract.
using BlockSourceMakers = ::testing::Types<FileMaker, MemoryMaker, ReportingMaker>;

template <typename Maker>
class BlockSourceContract : public ::testing::Test {
  protected:
    static std::vector<std::uint8_t> sample() {
        std::vector<std::uint8_t> bytes(1100);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        return bytes;
    }
    Maker maker;
};

TYPED_TEST_SUITE(BlockSourceContract, BlockSourceMakers);

TYPED_TEST(BlockSourceContract, ReadsWhatItHoldsAndNothingOutside) {
    const std::vector<std::uint8_t> bytes = this->sample();
    std::unique_ptr<BlockSource> source = this->maker.make(bytes);
    ASSERT_TRUE(source->isOpen());
    EXPECT_EQ(source->size(), 1100);

    struct Case {
        std::int64_t offset;
        std::int64_t count;
        std::int64_t copied;
    };
    const Case cases[] = {
        {0, 528, 528}, {528, 528, 528}, {1056, 528, 44}, {1099, 1, 1},
        {1100, 10, 0}, {5000, 10, 0},   {-1, 10, 0},     {10, 0, 0},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 600> target{};
        target.fill(0xEE);
        EXPECT_EQ(source->readAt(c.offset, target.data(), c.count), c.copied) << c.offset << "+" << c.count;
        for (std::int64_t i = 0; i < c.copied; ++i) {
            EXPECT_EQ(target[static_cast<std::size_t>(i)], bytes[static_cast<std::size_t>(c.offset + i)]);
        }
        // Nothing is written past what was copied.
        EXPECT_EQ(target[static_cast<std::size_t>(c.copied)], 0xEE) << c.offset << "+" << c.count;
    }
}

TYPED_TEST(BlockSourceContract, AnEmptySourceIsOpenAndReadsNothing) {
    std::unique_ptr<BlockSource> source = this->maker.make({});
    EXPECT_TRUE(source->isOpen());
    EXPECT_EQ(source->size(), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(source->readAt(0, &byte, 1), 0);
}

TYPED_TEST(BlockSourceContract, ASourceThatCouldNotOpenReadsNothing) {
    std::unique_ptr<BlockSource> source = this->maker.makeUnopened();
    if (source == nullptr) {
        GTEST_SKIP() << "this kind of source cannot fail to open";
    }
    EXPECT_FALSE(source->isOpen());
    EXPECT_EQ(source->size(), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(source->readAt(0, &byte, 1), 0);
}

}  // namespace
}  // namespace quelvane::test
