#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "export/AutomationFailure.h"
#include "export/CompoundFileWriter.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane {
namespace {

std::uint32_t crc32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::vector<std::uint8_t> pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7919) >> 5);
    }
    return bytes;
}

// The stream as an independent reader (xlrd's compound document reader) finds it, for a stream
// below the mini-stream cutoff (padded), one that needs a few FAT sectors, and one whose FAT no
// longer fits the header's 109 entries and needs DIFAT sectors.
TEST(CompoundFileWriter, IndependentReaderFindsTheStream) {
    if (!test::xlrdAvailable()) {
        GTEST_SKIP() << "python3-xlrd is not installed";
    }
    test::ScratchDirectory scratch("quelvane-cfb");
    for (const std::size_t size : {std::size_t{100}, std::size_t{70'000}, std::size_t{9'000'000}}) {
        std::vector<std::uint8_t> stream = pattern(size);
        const auto path = scratch / ("stream" + std::to_string(size) + ".xls");
        {
            std::ofstream out(path, std::ios::binary);
            CompoundFileWriter::write(out, u"Workbook", stream);
        }
        stream.resize(std::max(size, CompoundFileWriter::kMiniStreamCutoff), 0);
        EXPECT_EQ(test::readXls("stream", path),
                  std::to_string(stream.size()) + " " + std::to_string(crc32(stream)) + "\n")
            << size;
        EXPECT_EQ(std::filesystem::file_size(path) % CompoundFileWriter::kSectorSize, 0u);
    }
}

TEST(CompoundFileWriter, StreamNameMustFitTheDirectoryEntry) {
    std::ostringstream out;
    EXPECT_THROW(CompoundFileWriter::write(out, std::u16string(32, u'x'), pattern(10)), AutomationFailure);
    EXPECT_THROW(CompoundFileWriter::write(out, u"", pattern(10)), AutomationFailure);
}

}  // namespace
}  // namespace quelvane
