#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "savefile/RecordCheck.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRecord = RecordCheck::kRecordSize;
using Record = std::array<std::uint8_t, kRecord>;

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Record recordAt(const std::vector<std::uint8_t>& file, std::size_t index) {
    Record record{};
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(index * kRecord), kRecord, record.begin());
    return record;
}

std::string hex(std::span<const std::uint8_t> bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// A body of zeros folds to its sequence number shifted left by 13 in the last 4 bytes, the
// timestamp in the first 8: the trailer every all-zero record of a real save carries.
TEST(RecordCheck, ZeroBodyFoldsToTheShiftedSequenceNumber) {
    const RecordCheck check(RecordCheck::Timestamp{1, 2, 3, 4, 5, 6, 7, 8});
    for (std::uint32_t sequence : {1u, 90u, 0x7FFFFu}) {
        Record record{};
        record[512] = static_cast<std::uint8_t>(sequence >> 24);
        record[513] = static_cast<std::uint8_t>(sequence >> 16);
        record[514] = static_cast<std::uint8_t>(sequence >> 8);
        record[515] = static_cast<std::uint8_t>(sequence);
        const std::uint32_t shifted = sequence << 13;
        const RecordCheck::Value want = {1,
                                         2,
                                         3,
                                         4,
                                         5,
                                         6,
                                         7,
                                         8,
                                         static_cast<std::uint8_t>(shifted >> 24),
                                         static_cast<std::uint8_t>(shifted >> 16),
                                         static_cast<std::uint8_t>(shifted >> 8),
                                         static_cast<std::uint8_t>(shifted)};
        EXPECT_EQ(check.of(record), want) << sequence;
    }
}

// Every byte of the body and the sequence number counts, wherever it lies among the fold's
// ranges (the out-of-order ones included), and the trailer is not part of what is checked.
TEST(RecordCheck, EveryCheckedByteCounts) {
    Record record{};
    for (std::size_t i = 0; i < kRecord; ++i) {
        record[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    const RecordCheck check = RecordCheck::forBlock0(record);
    check.seal(record);
    ASSERT_TRUE(check.holds(record));
    for (std::size_t at : {0u, 56u, 57u, 118u, 377u, 444u, 445u, 511u, 512u, 515u}) {
        Record changed = record;
        changed[at] ^= 0x01;
        EXPECT_FALSE(check.holds(changed)) << at;
    }
    Record trailer = record;
    trailer[527] ^= 0x80;
    EXPECT_FALSE(check.holds(trailer));
    EXPECT_EQ(check.of(trailer), check.of(record));
}

// Records of real saves of every layout and coding, the first, one inside and the last: their
// stored check is the fold of their bytes. The two changed records of the damaged save are not.
TEST(RecordCheck, RealRecords) {
    struct Case {
        const char* file;
        std::size_t record;
        bool holds;
    };
    const Case cases[] = {
        {"JTT_joblogtest.savf", 0, true},                     // the oldest layout
        {"JTT_joblogtest.savf", 31, true},                    //
        {"SKS_traceroute.savf", 400, true},                   //
        {"FLSEARCH.SAVF", 17, true},                          // stored
        {"CSCH@009.SAVF", 300, true},                         // run-length
        {"GURI_demodb.savf", 50, true},                       // TERSE
        {"ISPH_ISPHERE_2015-02-08_617fe9.savf", 3539, true},  // LZ1, the closing value in its body
        {"UZ_htp_510.savf", 100, true},                       // the older run-length framing
        {"P4_EKO.SAVF", 23, true},
        {"P4_EKO.SAVF", 24, false},
        {"P4_EKO.SAVF", 25, false},
        {"P4_EKO.SAVF", 26, true},
    };
    for (const Case& c : cases) {
        const fs::path path = fs::path(QUELVANE_SAVF_DIR) / c.file;
        QUELVANE_REQUIRE_REAL_FILE(path);
        SCOPED_TRACE(std::string(c.file) + " record " + std::to_string(c.record));
        const std::vector<std::uint8_t> file = readFile(path);
        ASSERT_GE(file.size(), (c.record + 1) * kRecord);
        const Record record = recordAt(file, c.record);
        const RecordCheck check = RecordCheck::forBlock0(file);
        EXPECT_EQ(check.holds(record), c.holds);
        const RecordCheck::Value value = check.of(record);
        EXPECT_EQ(hex(value) == hex(std::span(record).subspan(516)), c.holds);
    }
}

}  // namespace
}  // namespace quelvane::test
