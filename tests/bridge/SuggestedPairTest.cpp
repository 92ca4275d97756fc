#include "bridge/SuggestedPair.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "conversion/CodePageRegistry.h"
#include "savefile/TypeCodes.h"

namespace quelvane::test {
namespace {

// A physical file whose members' texts carry the CCSIDs given.
Catalog catalogOfMemberTexts(const std::vector<std::uint16_t>& ccsids) {
    SavedObject file;
    file.name = "F";
    file.typeCode = kFileObjectType;
    file.attribute = "PF";
    for (const std::uint16_t ccsid : ccsids) {
        SavedMember member;
        member.name = "M";
        member.storedText.ccsid = ccsid;
        file.members.push_back(member);
    }
    file.memberCount = static_cast<std::int32_t>(file.members.size());
    Catalog catalog;
    catalog.parts.emplace_back();
    catalog.parts[0].library.objects.push_back(file);
    catalog.parts[0].library.objectCount = 1;
    return catalog;
}

TEST(SuggestedPair, TheHostRowThatReadsATextCcsid) {
    struct Case {
        std::uint16_t ccsid;
        std::optional<std::int32_t> host;
    };
    const Case cases[] = {
        {37, 37},
        {273, 20273},
        {500, 500},
        {870, 870},
        {1141, 1141},
        // Mixed Japanese CCSIDs by their converter's row; 1399 has no row and takes the first
        // Japanese one.
        {5026, 930},
        {5035, 939},
        {1399, 939},
        {290, 290},
        {0, std::nullopt},
        {65535, std::nullopt},
        {9999, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ccsid);
        EXPECT_EQ(SuggestedPair::hostPageFor(c.ccsid), c.host);
    }
}

TEST(SuggestedPair, TheMostTaggedTextWithThePcPageItsRowPicks) {
    const auto pickedBy = [](std::int32_t host) { return findHostPage(host)->pickedPcPage.value_or(1252); };
    const std::optional<SuggestedPair> japanese = SuggestedPair::of(catalogOfMemberTexts({5026, 5026, 37}));
    ASSERT_TRUE(japanese.has_value());
    EXPECT_EQ(japanese->ebcdic, 930);
    EXPECT_EQ(japanese->pc, 932);
    const std::optional<SuggestedPair> german = SuggestedPair::of(catalogOfMemberTexts({273, 65535, 0}));
    ASSERT_TRUE(german.has_value());
    EXPECT_EQ(german->ebcdic, 20273);
    EXPECT_EQ(german->pc, pickedBy(20273));
    EXPECT_FALSE(SuggestedPair::of(catalogOfMemberTexts({})).has_value()) << "nothing tagged";
    EXPECT_FALSE(SuggestedPair::of(catalogOfMemberTexts({0, 65535})).has_value()) << "no CCSID told";
    EXPECT_FALSE(SuggestedPair::of(Catalog{}).has_value());
}

}  // namespace
}  // namespace quelvane::test
