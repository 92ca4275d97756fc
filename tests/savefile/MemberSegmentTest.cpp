#include <gtest/gtest.h>

#include "savefile/MemberSegment.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

SegmentTable table(const std::vector<std::string>& names) {
    SegmentTable segments;
    std::int32_t sequence = 2;
    for (const auto& name : names) {
        segments.append({name, 16, sequence});
        sequence += 16;
    }
    return segments;
}

TEST(FindMemberSegment, TwentyCharacterRule) {
    struct Case {
        const char* what;
        std::vector<std::string> names;
        std::string object, member;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"short key needs an exact name", {"CUSTMAST  MBR1X", "CUSTMAST  MBR1"}, "CUSTMAST", "MBR1", 1},
        {"short key finds nothing longer", {"CUSTMAST  MBR1X"}, "CUSTMAST", "MBR1", std::nullopt},
        {"twenty characters compare as a prefix", {"QCLSRC    VCFSTUB123MORE"}, "QCLSRC", "VCFSTUB123", 0},
        {"ten-character object name",
         {"LRN400STR LRN400STR", "LRN400ALT LRN400STR"},
         "LRN400ALT",
         "LRN400STR",
         1},
        {"earlier entry wins", {"F         M", "F         M"}, "F", "M", 0},
        {"object name is padded, not cut", {"F M"}, "F", "M", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findMemberSegment(table(c.names), c.object, c.member), c.expected) << c.what;
    }
    EXPECT_EQ(memberSegmentKey("QCLSRC", "VCFSTUB"), "QCLSRC    VCFSTUB");
}

// A new open leaves nothing of the earlier file: an entry the current file lacks is not found,
// wherever the earlier one stood.
TEST(FindMemberSegment, LeftoversOfTheEarlierFile) {
    SegmentTable segments = table({"A         ONE", "B         TWO", "C         THREE", "D         FOUR"});
    segments.reset();
    segments.append({"B         TWO", 16, 500});
    segments.append({"X         NEW", 16, 600});

    EXPECT_EQ(findMemberSegment(segments, "B", "TWO"), 0);
    EXPECT_EQ(findMemberSegment(segments, "C", "THREE"), std::nullopt);
    EXPECT_EQ(segments.slot(2).sequence, 0);
    EXPECT_EQ(findMemberSegment(segments, "A", "ONE"), std::nullopt);
    EXPECT_EQ(findMemberSegment(segments, "Z", "NONE"), std::nullopt);
}

TEST(FindMemberSegment, AfterTwoOpens) {
    SaveFileBuilder first;
    first.add(BuiltPart{});
    first.add(BuiltSegment{"CUSTMAST  MBR1", 24, true, {}});
    first.add(BuiltSegment{"CUSTMAST  MBR2", 24, true, {}});
    first.add(BuiltSegment{"CUSTMAST  MBR3", 24, true, {}});
    SaveFileBuilder second;
    second.add(BuiltPart{});
    second.add(BuiltSegment{"CUSTMAST  MBR2", 24, true, {}});

    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(first), 0);
    ASSERT_EQ(fixture.open(second), 0);
    EXPECT_EQ(fixture.catalog.segments.fillCount(), 2);
    EXPECT_EQ(findMemberSegment(fixture.catalog.segments, "CUSTMAST", "MBR2"), 1);
    EXPECT_EQ(findMemberSegment(fixture.catalog.segments, "CUSTMAST", "MBR3"), std::nullopt);
    EXPECT_EQ(findMemberSegment(fixture.catalog.segments, "CUSTMAST", "MBR1"), std::nullopt);
}

// The reader itself starts every accepted open from an empty table, whoever opens the file and
// whatever the catalog held; a rejected file leaves the table of the file on display.
TEST(FindMemberSegment, EveryOpenOfTheReaderStartsEmpty) {
    SaveFileBuilder first;
    first.add(BuiltPart{});
    first.add(BuiltSegment{"CUSTMAST  MBR1", 24, true, {}});
    first.add(BuiltSegment{"CUSTMAST  MBR2", 24, true, {}});
    SaveFileBuilder second;
    second.add(BuiltPart{});
    second.add(BuiltSegment{"CUSTMAST  MBR1", 24, true, {}});
    const std::vector<std::uint8_t> notASave(528 * 4, 0x40);

    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    auto open = [&](const std::vector<std::uint8_t>& bytes) {
        MemoryBlockSource source(bytes);
        return SaveFileReader(catalog, converter, notifier).parseSaveFile("TEST.SAVF", source).accepted ? 0
                                                                                                        : -1;
    };
    ASSERT_EQ(open(first.build().bytes()), 0);
    ASSERT_TRUE(findMemberSegment(catalog.segments, "CUSTMAST", "MBR2").has_value());
    EXPECT_LT(open(notASave), 0);
    EXPECT_EQ(findMemberSegment(catalog.segments, "CUSTMAST", "MBR2"), 2);
    ASSERT_EQ(open(second.build().bytes()), 0);
    EXPECT_EQ(catalog.segments.fillCount(), 2);
    EXPECT_EQ(catalog.segments.usedSlots(), 2);
    EXPECT_EQ(findMemberSegment(catalog.segments, "CUSTMAST", "MBR1"), 1);
    EXPECT_EQ(findMemberSegment(catalog.segments, "CUSTMAST", "MBR2"), std::nullopt);
}

}  // namespace
}  // namespace quelvane::test
