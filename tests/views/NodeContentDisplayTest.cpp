#include <gtest/gtest.h>

#include "tests/support/ContentFixtures.h"
#include "tests/views/ShowEveryNode.h"
#include "tests/views/SpoiledWalk.h"
#include "tests/views/ViewsFixture.h"

namespace quelvane::test {
namespace {

BuiltObject object(const std::string& name, std::uint16_t typeCode, const std::string& attribute) {
    BuiltObject built;
    built.name = name;
    built.typeCode = typeCode;
    built.attribute = attribute;
    built.text = "Text of " + name;
    return built;
}

BuiltObject physicalFile(const std::string& name, std::vector<BuiltField> fields,
                         std::vector<BuiltMember> members) {
    BuiltObject built = object(name, 0x1901, "PF");
    built.fields = std::move(fields);
    built.members = std::move(members);
    return built;
}

// A parse reads the directories, descriptions and member areas, some twice; it never reads the
// whole file over and over.
constexpr std::int64_t kParseRereads = 4;

// Objects in directory order; their positions are the object indexes the tests click.
enum : std::int32_t { kOrders, kLogical, kRpgProgram, kClProgram, kDataArea, kSaveFile, kPlain, kNoFields };

struct NodeContentTest : ::testing::Test {
    void SetUp() override {
        BuiltPart part;
        part.library = "SHOP";
        part.objects = {
            physicalFile("ORDERS", {{"NAME", 0x0403, 4}},
                         {{"JAN", "", "January", 5}, {"FEB", "", "February", 0}, {"MAR", "", "", 1234567}}),
            object("ORDERSL1", 0x1901, "LF"),
            object("RPGPGM", 0x0201, "RPGLE"),
            object("CLPGM", 0x0201, "CLP"),
            object("SETTINGS", 0x190A, ""),
            object("SAVF1", 0x1901, "SAVF"),
            object("THING", 0x0B90, ""),
            physicalFile("NOFIELDS", {}, {{"ONLY", "", "", 3}}),
        };
        SaveFileBuilder builder;
        builder.add(part);
        BuiltClSource source;
        source.objectName = "CLPGM";
        source.lines = {"PGM", "ENDPGM"};
        builder.add(ContentFixtures::clProgram(source));
        BuiltDataArea area;
        area.objectName = "SETTINGS";
        area.length = 3;
        area.value = SaveFileBuilder::ebcdic("ABC", 3);
        builder.add(ContentFixtures::dataArea(area));
        builder.add(ContentFixtures::savedSaveFile("SAVF1", 0));
        builder.add(
            ContentFixtures::memberRecords("ORDERS", "JAN", 4, {{0x80, SaveFileBuilder::ebcdic("ROW1", 4)}}));
        ASSERT_EQ(fixture.open(builder), 0);
        saveFileHeaderBlock = builder.build().layout.segments.at(3).headerBlock;
    }

    ViewsFixture fixture;
    std::int64_t saveFileHeaderBlock = 0;
};

TEST_F(NodeContentTest, LibraryAndPartNodesShowTheSummaryWithButtonsOff) {
    for (int level : {0, 1}) {
        fixture.target.reset();
        EXPECT_EQ(fixture.show(level), ViewOutcome::Shown);
        EXPECT_EQ(fixture.target.titleRefreshes, 1);
        EXPECT_EQ(fixture.target.summaries, 1);
        EXPECT_FALSE(fixture.target.exportEnabled);
        EXPECT_FALSE(fixture.target.batchEnabled);
        EXPECT_TRUE(fixture.session.shownMember.stale);
        ASSERT_FALSE(fixture.rows().empty());
        EXPECT_EQ(fixture.rows().front(), "This SAVF created on IBM AS/400 150 9401 CISC machine.");
    }
    fixture.target.reset();
    EXPECT_EQ(showNodeContent(fixture.session, fixture.target, std::nullopt), ViewOutcome::Shown);
    EXPECT_EQ(fixture.target.titleRefreshes, 1);
    EXPECT_EQ(fixture.target.summaries, 0);
    EXPECT_FALSE(fixture.target.exportEnabled);
}

TEST_F(NodeContentTest, APhysicalFileListsItsMembersAndEnablesBatch) {
    fixture.showObject(0, kOrders);
    EXPECT_EQ(fixture.target.label1, "Object:  ORDERS      It's PF type.");
    EXPECT_EQ(fixture.target.label2, "Description:  Text of ORDERS" + std::string(36, ' ') + " .");
    EXPECT_FALSE(fixture.target.exportEnabled);
    EXPECT_TRUE(fixture.target.batchEnabled);
    EXPECT_EQ(fixture.columns(), (std::vector<std::string>{"Member Name|120|L", "Records Number|120|L",
                                                           "Member Description|600|L"}));
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"JAN|5|January", "FEB|0|February", "MAR|1234567|"}));
}

TEST_F(NodeContentTest, EachObjectKindGetsItsOwnContent) {
    struct Case {
        std::int32_t object;
        std::string label1;
        bool batch;
        std::vector<std::string> columns;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {kLogical, "Object:  ORDERSL1    It's LF type.", false, {}, {}},
        {kRpgProgram, "Object:  RPGPGM      It's RPGLE type.", false, {}, {}},
        {kClProgram,
         "Object:  CLPGM       It's CLP type.",
         false,
         {"This CLP Program compiled with Allow RTVCLSRC|50|L"},
         {"/*=====================================================*/",
          "/*The Source below are retrived by Orsell Tool Quelvane*/",
          "/*=====================================================*/", "PGM", "ENDPGM"}},
        {kDataArea,
         "Object:  SETTINGS  ",
         false,
         {"This Data Area has 3 length value space|1000|L"},
         {"/*===============================================================*/",
          "/*The data area values below are retrived by Orsell Tool Quelvane*/",
          "/*===============================================================*/",
          ".........---------1---------2---------3---------4---------5---------6---------7---------8---------"
          "9--------10*/",
          "Position:"
          "12345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678"
          "90*/",
          "--Values:ABC"}},
        {kSaveFile, "Object:  SAVF1       It's SAVF type.", false, {"|50|L"}, {"This file is null"}},
        {kPlain, "Object:  THING     ", false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label1);
        fixture.list.addRow("left over");
        EXPECT_EQ(fixture.showObject(0, c.object), ViewOutcome::Shown);
        EXPECT_EQ(fixture.target.label1, c.label1);
        EXPECT_EQ(fixture.target.batchEnabled, c.batch);
        EXPECT_FALSE(fixture.target.exportEnabled);
        EXPECT_EQ(fixture.columns(), c.columns);
        EXPECT_EQ(fixture.rows(), c.rows);
        EXPECT_TRUE(fixture.session.shownMember.stale);
    }
}

TEST_F(NodeContentTest, AMemberOfAFileWithoutFieldsShowsNothingAndForgetsTheRecordLength) {
    // JAN says 5 records; its segment holds one, then empty slots.
    fixture.showMember(0, kOrders, 0);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|ROW1", "-1", "-2", "-3", "-4"}));
    fixture.showMember(0, kNoFields, 0);
    EXPECT_EQ(fixture.target.label1, "Member:  ONLY      ");
    EXPECT_FALSE(fixture.target.exportEnabled);
    EXPECT_FALSE(fixture.target.batchEnabled);
    EXPECT_TRUE(fixture.columns().empty());
    EXPECT_TRUE(fixture.rows().empty());
    EXPECT_EQ(fixture.session.shownMember.recordLength, 0);
    EXPECT_TRUE(fixture.session.shownMember.stale);
}

TEST_F(NodeContentTest, NodesOutsideTheCatalogShowNothing) {
    fixture.list.addRow("kept");
    EXPECT_EQ(fixture.showObject(0, 99), ViewOutcome::Shown);
    EXPECT_EQ(fixture.showMember(0, kOrders, 3), ViewOutcome::Shown);
    EXPECT_EQ(fixture.showMember(4, 0, 0), ViewOutcome::Shown);
    EXPECT_EQ(fixture.show(4), ViewOutcome::Shown);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"kept"}));
}

TEST_F(NodeContentTest, SavedSaveFileCheckWithASmallHeaderFollowsTheSkipCount) {
    // With a header below 512 bytes the examined block lies v / 512 blocks after the block that
    // follows the segment header, v being the 24-bit number at body byte 30 of the header.
    fixture.catalog.header.headerSize = 256;
    auto at = [&](std::int64_t block, std::int64_t offset) {
        return fixture.bytes.begin() + static_cast<std::ptrdiff_t>(block * 528 + offset);
    };
    std::fill(at(saveFileHeaderBlock + 3, 0), at(saveFileHeaderBlock + 3, 4), 0x00);
    std::fill(at(saveFileHeaderBlock + 5, 0), at(saveFileHeaderBlock + 5, 4), 0x01);
    struct Case {
        std::uint8_t middle;
        std::vector<std::string> rows;
    };
    for (const Case& c : std::vector<Case>{{0x04, {"This file is null"}}, {0x08, {}}, {0xFF, {}}}) {
        *at(saveFileHeaderBlock, 30) = c.middle == 0xFF ? 0xFF : 0x00;
        *at(saveFileHeaderBlock, 31) = c.middle;
        *at(saveFileHeaderBlock, 32) = c.middle == 0xFF ? 0xFF : 0x00;
        fixture.showObject(0, kSaveFile);
        EXPECT_EQ(fixture.rows(), c.rows) << int(c.middle);
    }
}

// With a header of 512 bytes or more the examined block is the 24th after the segment header,
// whatever the header size; only its first word decides.
TEST_F(NodeContentTest, SavedSaveFileCheckWithLargerHeadersExaminesTheTwentyFourthBlock) {
    auto at = [&](std::int64_t block, std::int64_t offset) {
        return fixture.bytes.begin() + static_cast<std::ptrdiff_t>(block * 528 + offset);
    };
    std::fill(at(saveFileHeaderBlock + 23, 0), at(saveFileHeaderBlock + 23, 4), 0x00);
    std::fill(at(saveFileHeaderBlock + 25, 0), at(saveFileHeaderBlock + 25, 4), 0x00);
    for (std::int32_t headerSize : {512, 1023, 1024, 2048, 4095, 4096}) {
        fixture.catalog.header.headerSize = headerSize;
        for (std::uint8_t word : {0x00, 0x01}) {
            *at(saveFileHeaderBlock + 24, 3) = word;
            fixture.showObject(0, kSaveFile);
            EXPECT_EQ(fixture.rows(),
                      word == 0 ? std::vector<std::string>{"This file is null"} : std::vector<std::string>{})
                << headerSize << " " << int(word);
        }
    }
}

TEST_F(NodeContentTest, SpoiledBytesAnywhereNeverTakeTheViewsOutsideTheFile) {
    const std::vector<std::uint8_t> original = fixture.bytes;
    const auto size = static_cast<std::int64_t>(original.size());
    for (std::size_t at = 0; at < original.size(); at += 9) {
        SCOPED_TRACE("byte " + std::to_string(at));
        std::vector<std::uint8_t> spoiled = original;
        spoiled[at] = static_cast<std::uint8_t>(spoiled[at] ^ (at % 3 == 0 ? 0xFF : 0x80));
        expectSoundOutcome(walkSpoiledSave(spoiled), size, kParseRereads);
    }
}

}  // namespace
}  // namespace quelvane::test
