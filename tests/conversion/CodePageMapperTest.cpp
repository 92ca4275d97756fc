#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/CodePageLists.h"
#include "conversion/modules/CodePageMapper.h"

namespace quelvane {
namespace {

using modules::CodePageMapper;
using Bytes = std::vector<std::uint8_t>;

// Bytes of every value, NULs among them, in a fixed pseudo-random order.
Bytes mixedBytes(std::uint32_t seed, std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = i % 37 == 5 ? 0 : static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

// The byte table and the converters are two ways to the same result: for every host page of
// the Options list against every PC page, both give the same bytes for text with NULs, cut to
// targets of every size from none to more than the text needs.
TEST(CodePageMapper, TheByteTableMapsAsTheConvertersDo) {
    int tablesUsed = 0;
    for (std::size_t hostRow = 0; hostRow < kCcsidRowCount; ++hostRow) {
        const std::int32_t host = ebcdicCodePageOfRow(kCcsidRows[hostRow].text).value();
        for (std::size_t pcRow = 0; pcRow + 1 < kPcCodePageRowCount; ++pcRow) {
            const std::int32_t pc = pcCodePageOfRow(kPcCodePageRows[pcRow]).value();
            auto table = CodePageMapper::open(host, pc, CodePageMapper::Lookup::byteTable);
            auto converters = CodePageMapper::open(host, pc, CodePageMapper::Lookup::converters);
            ASSERT_EQ(table == nullptr, converters == nullptr);
            if (table == nullptr || !table->usesByteTable()) {
                continue;
            }
            ++tablesUsed;
            SCOPED_TRACE(std::to_string(host) + " to " + std::to_string(pc));
            const Bytes source = mixedBytes(static_cast<std::uint32_t>(host * 7919 + pc), 300);
            for (std::size_t length : {0, 1, 2, 3, 7, 64, 299, 300, 700}) {
                Bytes fromTable(length + 1, 0xA5);
                Bytes fromConverters(length + 1, 0xA5);
                const std::size_t a = table->map(source.data(), source.size(), fromTable.data(), length);
                const std::size_t b =
                    converters->map(source.data(), source.size(), fromConverters.data(), length);
                EXPECT_EQ(a, b) << length;
                EXPECT_EQ(fromTable, fromConverters) << length;
            }
        }
    }
    // Most pairs are single-byte on both sides.
    EXPECT_GT(tablesUsed, 100);
}

TEST(CodePageMapper, MixedHostPagesKeepTheConverters) {
    for (std::int32_t host : {930, 933, 935, 937, 939}) {
        auto mapper = CodePageMapper::open(host, 932);
        if (mapper != nullptr) {
            EXPECT_FALSE(mapper->usesByteTable()) << host;
        }
    }
}

}  // namespace
}  // namespace quelvane
