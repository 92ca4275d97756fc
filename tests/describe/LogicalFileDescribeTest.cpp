#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe/LogicalFileReader.h"
#include "savefile/DecodingFailure.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSelectOmit = 0x300;
constexpr std::size_t kKeys = 0x390;

void text(Bytes& area, std::size_t at, const std::string& value, std::size_t width) {
    SaveFileBuilder::putBytes(area, at, SaveFileBuilder::ebcdic(value, width));
}

// A keyed, unique logical file over ORDERS: keys CUST (descending) and AMOUNT (ABSVAL),
// "S STATUS COMP(EQ 'A')" and the closing omit of all.
Bytes builtArea() {
    Bytes area(0x600, 0);
    area[0x30] = 0xE2;
    area[0x3C] = 0x10;
    SaveFileBuilder::putU16(area, 0x36, 1);
    SaveFileBuilder::putU32(area, 0x184, kKeys - 0x30);
    SaveFileBuilder::putU32(area, 0x17C, kKeys + 32 - 0x30);
    SaveFileBuilder::putU32(area, 0x180, kSelectOmit - 0x30);
    text(area, kKeys, "CUST", 10);
    area[kKeys + 13] = 0x81;
    text(area, kKeys + 16, "AMOUNT", 10);
    area[kKeys + 16 + 13] = 0x61;
    std::size_t on = kKeys + 32;
    text(area, on + 48, "ORDERS", 10);
    text(area, on + 58, "SALES", 10);
    text(area, on + 68, "ORDERR", 10);
    std::size_t rule = kSelectOmit;
    SaveFileBuilder::putU16(area, rule, 29);
    text(area, rule + 2, "S", 1);
    text(area, rule + 3, "EQ", 2);
    text(area, rule + 5, "STATUS", 10);
    area[rule + 16] = 1;
    SaveFileBuilder::putU16(area, rule + 20, 9);
    text(area, rule + 26, "'A'", 3);
    rule += 29;
    SaveFileBuilder::putU16(area, rule, 20);
    text(area, rule + 2, "O", 1);
    text(area, rule + 3, "AL", 2);
    return area;
}

TEST(LogicalFileDescribe, KeysBasedOnAndRules) {
    Cp037Converter converter;
    LogicalFileDescription file = LogicalFileReader(converter).read(builtArea());
    EXPECT_EQ(LogicalFileReader::lines(file),
              (std::vector<std::string>{
                  "     A                                      UNIQUE",
                  "     A          R ORDERR                    PFILE(SALES/ORDERS)",
                  "     A          K CUST                      DESCEND",
                  "     A          K AMOUNT                    ABSVAL",
                  "     A          S STATUS                    COMP(EQ 'A')",
                  "     A          O                           ALL",
              }));
}

// The rule byte alone says omit or select: a blank or zero one, with a blank test and field
// after it, reads as a select.
TEST(LogicalFileDescribe, RuleByteOfTheFirstRule) {
    struct Case {
        std::uint8_t rule;
        char expected;
    };
    const Case cases[] = {{0xD6, 'O'}, {0xE2, 'S'}, {0x40, 'S'}, {0x00, 'S'}};
    Cp037Converter converter;
    for (const Case& c : cases) {
        Bytes area = builtArea();
        area[kSelectOmit + 2] = c.rule;
        text(area, kSelectOmit + 3, "", 12);
        LogicalFileDescription file = LogicalFileReader(converter).read(area);
        ASSERT_EQ(file.formats.at(0).selectOmit.size(), 2u) << int{c.rule};
        EXPECT_EQ(file.formats.at(0).selectOmit[0].rule, c.expected) << int{c.rule};
        EXPECT_EQ(file.formats.at(0).selectOmit[1].rule, 'O') << int{c.rule};
    }
}

constexpr std::size_t kIndexNameRecord = 0x460;

// An SQL index: the keyed layout and its SQL name in the record after the lists.
Bytes indexArea(const std::string& name) {
    Bytes area = builtArea();
    SaveFileBuilder::putU32(area, 0x180, 0);
    SaveFileBuilder::putU16(area, kIndexNameRecord, static_cast<std::uint32_t>(16 + name.size()));
    area[kIndexNameRecord + 4] = static_cast<std::uint8_t>(name.size());
    text(area, kIndexNameRecord + 16, name, name.size());
    return area;
}

TEST(LogicalFileDescribe, SqlIndexNameAndKeys) {
    Cp037Converter converter;
    LogicalFileDescription file = LogicalFileReader(converter).read(indexArea("IX_ORDERS_BY_CUSTOMER"));
    EXPECT_EQ(file.indexName, "IX_ORDERS_BY_CUSTOMER");
    EXPECT_TRUE(file.isSql());
    EXPECT_EQ(LogicalFileReader::lines(file),
              std::vector<std::string>{
                  "CREATE UNIQUE INDEX IX_ORDERS_BY_CUSTOMER ON SALES.ORDERS (CUST DESC, AMOUNT)"});
}

// A record that is not an index name leaves the file a DDS logical file, read as before.
TEST(LogicalFileDescribe, NoIndexNameWhereTheRecordIsNotOne) {
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        std::uint8_t nameLength;  // the name's length kept at +4 afterwards; 0 leaves it
    };
    const Case cases[] = {
        {"record length zero", kIndexNameRecord, 0, 0},
        {"record length only the head", kIndexNameRecord, 16, 0},
        {"name longer than an SQL name", kIndexNameRecord, 16 + 129, 129},
        {"name length disagrees", kIndexNameRecord + 4, 0x0300, 0},
        {"name past the area", kIndexNameRecord, 16 + 100, 100},
    };
    Cp037Converter converter;
    for (const Case& c : cases) {
        Bytes area = indexArea("IX_A");
        area.resize(0x480);
        SaveFileBuilder::putU16(area, c.at, c.value);
        if (c.nameLength != 0) {
            area[kIndexNameRecord + 4] = c.nameLength;
        }
        LogicalFileDescription file = LogicalFileReader(converter).read(area);
        EXPECT_TRUE(file.indexName.empty()) << c.what;
        EXPECT_EQ(file.formats.at(0).keys.size(), 2u) << c.what;
    }
    // Lists that reach the record's place leave it theirs.
    Bytes area = indexArea("IX_A");
    SaveFileBuilder::putU16(area, 0x36, 2);
    EXPECT_TRUE(LogicalFileReader(converter).read(area).indexName.empty());
    // Cut anywhere in the record: no name, no failure.
    Bytes whole = indexArea("IX_A");
    for (std::size_t size = kIndexNameRecord; size < kIndexNameRecord + 20; ++size) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_TRUE(LogicalFileReader(converter).read(cut).indexName.empty()) << size;
    }
    EXPECT_EQ(LogicalFileReader(converter).read(whole).indexName, "IX_A");
}

TEST(LogicalFileDescribe, SpoiledAreas) {
    struct Spoil {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        bool wide;
    };
    const Spoil spoils[] = {
        {"not a logical file", 0x30, 0, false},
        {"key list ends before it starts", 0x17C, 0x10, true},
        {"key list past the area", 0x184, 0x7FFFFFF0, true},
        {"based-on count too large", 0x36, 60000, false},
        {"rule length zero", kSelectOmit, 0, false},
        {"rule past the area", kSelectOmit, 0xFFFF, false},
        {"value past its rule", kSelectOmit + 20, 400, false},
    };
    Cp037Converter converter;
    for (const Spoil& spoil : spoils) {
        Bytes area = builtArea();
        if (spoil.what == std::string("not a logical file")) {
            area[0x30] = 0xC2;
        } else if (spoil.wide) {
            SaveFileBuilder::putU32(area, spoil.at, spoil.value);
        } else {
            SaveFileBuilder::putU16(area, spoil.at, spoil.value);
        }
        EXPECT_THROW(LogicalFileReader(converter).read(area), DecodingFailure) << spoil.what;
    }
}

// Every cut short of the based-on list fails cleanly; a longer one reads what the lists hold.
TEST(LogicalFileDescribe, TruncationSweep) {
    Bytes whole = builtArea();
    const std::size_t needed = kKeys + 32 + 128;
    Cp037Converter converter;
    for (std::size_t size = 0; size < whole.size(); size += 3) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        if (size < needed) {
            EXPECT_THROW(LogicalFileReader(converter).read(cut), DecodingFailure) << size;
        } else {
            EXPECT_EQ(LogicalFileReader(converter).read(cut).formats.at(0).keys.size(), 2u) << size;
        }
    }
}

}  // namespace
}  // namespace quelvane::test
