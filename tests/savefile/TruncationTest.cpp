#include <gtest/gtest.h>

#include <algorithm>

#include "savefile/CatalogTree.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

// A small file with every structure the reader decodes: two parts (V inside and beyond the
// descriptor block), a directory straddling blocks, descriptions, both member layouts.
std::vector<std::uint8_t> smallFile() {
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    BuiltPart first;
    first.library = "FIRST";
    first.sysbas = true;
    first.objects = {physicalFile("QCLSRC", {{"SRCSEQ", 0x0003, 6, 6, 2}, {"SRCDTA", 0x0004, 80}},
                                  {{"A", "CLP", "short", 6, 640}, {"B", "CLP", "long", 7, 656}}),
                     plainObject("PGM", 0x0201, "CLP")};
    BuiltPart second;
    second.library = "SECOND";
    second.sysbas = true;
    second.descriptorOffset = 1024;
    second.objects = {physicalFile("DATA", {{"WHEN", 0x0D03, 2}}, {{"M", "", "", 3}}),
                      plainObject("AREA", 0x190A, "")};
    builder.add(first).add(BuiltSegment{"QCLSRC    A", 24, true, {}}).add(second);
    return builder.build().bytes();
}

// Every prefix, byte by byte: as cut (the size check rejects most) and with both block counts
// set to the whole blocks left, so the walk and the decoders meet the end of the file everywhere.
TEST(Truncation, EveryPrefixOfABuiltFile) {
    std::vector<std::uint8_t> bytes = smallFile();
    ReaderFixture whole;
    ASSERT_EQ(whole.open(bytes), 0);
    ASSERT_EQ(whole.catalog.parts.size(), 2u);
    ASSERT_EQ(whole.object(0, 1).members.at(0).recordCount, 3);

    for (std::size_t size = 0; size <= bytes.size(); ++size) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        ReaderFixture cut;
        int result = cut.open(prefix);
        EXPECT_EQ(result, size >= bytes.size() / 528 * 528 ? 0 : -1) << size;
        buildCatalogTree(cut.catalog);

        if (size >= 64) {
            SaveFileBuilder::putU32(prefix, 8, static_cast<std::uint32_t>(size / 528));
            SaveFileBuilder::putU32(prefix, 60, static_cast<std::uint32_t>(size / 528));
            ReaderFixture agreed;
            // Below one block the counts are 0: no save file has no block.
            ASSERT_EQ(agreed.open(prefix), size >= 528 ? 0 : -1) << size;
            buildCatalogTree(agreed.catalog);
            EXPECT_LE(agreed.notifier.entries.size(), 1u);
        }
    }
}

// Bytes of the file set to extreme values one at a time in the structures the reader decodes.
TEST(Truncation, ExtremeValuesInEveryHeaderByte) {
    std::vector<std::uint8_t> bytes = smallFile();
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::size_t body = at / 528 * 528;
        bool filler = std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(body + 512),
                                  [](std::uint8_t b) { return b == 0; });
        if (filler || at % 528 >= 512) {
            continue;
        }
        for (std::uint8_t value : {std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
            std::vector<std::uint8_t> spoiled = bytes;
            spoiled[at] = value;
            ReaderFixture fixture;
            fixture.open(spoiled);
            buildCatalogTree(fixture.catalog);
        }
    }
}

}  // namespace
}  // namespace quelvane::test
