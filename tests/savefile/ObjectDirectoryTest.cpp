#include <gtest/gtest.h>

#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

SaveFileBuilder library(std::vector<BuiltObject> objects, std::uint32_t v = 256, bool sysbas = false) {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "LIB";
    part.descriptorOffset = v;
    part.sysbas = sysbas;
    part.objects = std::move(objects);
    builder.add(part);
    return builder;
}

std::vector<std::string> names(const SavedLibrary& lib) {
    std::vector<std::string> out;
    for (std::int32_t j = 0; j < lib.objectCount; ++j) {
        out.push_back(lib.objects.at(static_cast<std::size_t>(j)).name + "/" +
                      typeCodeText(lib.objects.at(static_cast<std::size_t>(j)).typeCode) + "/" +
                      lib.objects.at(static_cast<std::size_t>(j)).attribute);
    }
    return out;
}

// The directory lies at (V mod 512) + directory start of the library block and runs on into the
// following bodies; with V = 256 and *SYSBAS it starts at 368, so its first entry straddles two
// blocks; a start past the first body (V = 450 with *SYSBAS) continues in the next one.
TEST(ObjectDirectory, EntriesAcrossBlockBodies) {
    struct Case {
        std::uint32_t v;
        bool sysbas;
        std::int64_t start;
    };
    for (Case c : {Case{256, true, 368}, Case{256, false, 336}, Case{1024, false, 80}, Case{1024, true, 112},
                   Case{300, true, 412}, Case{450, true, 562}}) {
        SCOPED_TRACE(c.v);
        std::vector<BuiltObject> objects;
        for (int j = 0; j < 7; ++j) {
            objects.push_back(plainObject("OBJ" + std::to_string(j), static_cast<std::uint16_t>(0x0201 + j),
                                          "A" + std::to_string(j)));
        }
        SaveFileBuilder builder = library(objects, c.v, c.sysbas);
        SaveFileImage image = builder.build();
        ASSERT_EQ(image.layout.parts[0].directoryOffset, c.start);
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(image.bytes()), 0);
        EXPECT_EQ(names(fixture.library()),
                  (std::vector<std::string>{"OBJ0/0201/A0", "OBJ1/0202/A1", "OBJ2/0203/A2", "OBJ3/0204/A3",
                                            "OBJ4/0205/A4", "OBJ5/0206/A5", "OBJ6/0207/A6"}));
        EXPECT_EQ(fixture.object(3).text, "Object OBJ3");
        EXPECT_EQ(fixture.object(3).descriptionOffset, image.layout.parts[0].descriptionOffsets[3]);
    }
}

TEST(ObjectDirectory, ObjectCountLimits) {
    ReaderFixture empty;
    ASSERT_EQ(empty.open(library({})), 0);
    EXPECT_EQ(empty.library().objectCount, 0);
    EXPECT_TRUE(empty.library().objects.empty());

    std::vector<BuiltObject> objects;
    for (int j = 0; j < 2500; ++j) {
        objects.push_back(plainObject("O" + std::to_string(j), 0x0201, ""));
    }
    ReaderFixture many;
    ASSERT_EQ(many.open(library(objects)), 0);
    ASSERT_EQ(many.library().objectCount, 2000);
    EXPECT_EQ(many.object(1999).name, "O1999");
    EXPECT_EQ(many.object(1999).text, "Object O1999");
}

TEST(ObjectDirectory, DescriptionItems) {
    BuiltObject noText = plainObject("NOTEXT", 0x1901, "LF");
    noText.text = "";
    noText.skippedItems = {0, 100, 3};
    BuiltObject padded = plainObject("PADDED", 0x1901, " PF ");
    padded.text = "   Customer master   ";
    padded.memberArea = true;
    BuiltObject longText = plainObject("LONG", 0x0201, "CLP");
    longText.text = std::string(50, 'x') + "TAIL";
    BuiltObject twin = plainObject("NOTEXT", 0x0201, "CLP");
    ReaderFixture fixture;
    SaveFileBuilder builder = library({noText, padded, longText, twin});
    ASSERT_EQ(fixture.open(builder), 0);
    EXPECT_EQ(fixture.object(0).text, "");
    EXPECT_EQ(fixture.object(0).attribute, "LF");
    EXPECT_EQ(fixture.object(1).text, "Customer master");
    EXPECT_EQ(fixture.object(1).attribute, "PF");
    EXPECT_EQ(fixture.object(2).text, std::string(50, 'x'));
    EXPECT_EQ(names(fixture.library()), (std::vector<std::string>{"NOTEXT/1901/LF", "PADDED/1901/PF",
                                                                  "LONG/0201/CLP", "NOTEXT/0201/CLP"}));
}

// A description's fourth item can be longer than the 1024 bytes read first (the object's
// authorities on some saves): the read grows to find the attribute, up to 64 KiB.
TEST(ObjectDirectory, ALongDescriptionItemIsReadPast) {
    struct Case {
        std::uint32_t fourthItem;
        const char* attribute;
    };
    const Case cases[] = {{1000, "CLP"}, {1430, "CLP"}, {5000, "CLP"}, {70000, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fourthItem);
        BuiltObject program = plainObject("PGM", 0x0201, "CLP");
        program.skippedItems = {8, 18, c.fourthItem};
        BuiltObject later = physicalFile("LATER", {{"F1", 0x0004, 5}}, {{"M1", "TXT", "", 3}});
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({program, later})), 0);
        EXPECT_EQ(fixture.object(0).attribute, c.attribute);
        EXPECT_EQ(fixture.object(1).memberCount, *c.attribute != 0 ? 1 : 0);
    }
}

TEST(ObjectDirectory, NonFilesGetNoMembers) {
    BuiltObject lf = plainObject("LOGICAL", 0x1901, "LF");
    lf.memberArea = true;
    lf.members = {{"M1", "", "", 5}};
    BuiltObject clp = plainObject("PROGRAM", 0x0201, "CLP");
    BuiltObject blank = plainObject("BLANK", 0x1901, "");
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(library({lf, clp, blank})), 0);
    for (std::size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(fixture.object(j).memberCount, 0);
        EXPECT_EQ(fixture.object(j).fieldCount, 0);
        EXPECT_TRUE(fixture.object(j).members.empty());
        EXPECT_TRUE(fixture.object(j).fields.empty());
    }
}

// An undecodable description ends all reading from the file without a message: later objects
// keep their directory fields only, later parts find no directory.
TEST(ObjectDirectory, DescriptionFailureEndsReading) {
    BuiltObject good = physicalFile("GOOD", {{"F1", 0x0004, 5}}, {{"M1", "TXT", "", 3}});
    BuiltObject bad = plainObject("BAD", 0x0201, "CLP");
    bad.rawDescription = std::vector<std::uint8_t>{0x00, 0x00, 0x7F, 0xFF};  // L1 far past the bytes
    BuiltObject later = physicalFile("LATER", {{"F1", 0x0004, 5}}, {{"M1", "TXT", "", 3}});
    SaveFileBuilder builder = library({good, bad, later});
    BuiltPart second;
    second.library = "SECOND";
    second.objects = {plainObject("X", 0x0201, "CLP")};
    builder.add(second);

    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(builder), 0);
    EXPECT_TRUE(fixture.notifier.entries.empty());
    EXPECT_EQ(fixture.object(0).memberCount, 1);
    EXPECT_EQ(fixture.object(1).name, "BAD");
    EXPECT_EQ(fixture.object(1).attribute, "");
    EXPECT_EQ(fixture.object(2).name, "LATER");
    EXPECT_EQ(fixture.object(2).typeCode, 0x1901);
    EXPECT_EQ(fixture.object(2).attribute, "");
    EXPECT_EQ(fixture.object(2).memberCount, 0);
    ASSERT_EQ(fixture.catalog.parts.size(), 2u);
    EXPECT_EQ(fixture.catalog.parts[1].name, "SECOND");
    EXPECT_EQ(fixture.library(1).objectCount, 0);
}

TEST(ObjectDirectory, SpoiledCountsAndOffsets) {
    struct Case {
        const char* what;
        std::int32_t objectCount;
        std::optional<std::uint32_t> descriptionOffset;
        std::int32_t expectedCount;
        std::string expectedAttribute;
    };
    const Case cases[] = {
        {"negative object count", -5, {}, -5, ""},
        {"negative description offset", 2, 0xFFFFFF00u, 2, ""},
        {"description past the end", 2, 0x7FFFFF00u, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFileBuilder builder;
        BuiltPart part;
        part.objectCount = c.objectCount;
        part.objects = {plainObject("A", 0x0201, "CLP"), plainObject("B", 0x0201, "CLP")};
        part.objects[0].descriptionOffset = c.descriptionOffset;
        builder.add(part);
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(builder), 0);
        EXPECT_EQ(fixture.library().objectCount, c.expectedCount);
        if (c.expectedCount > 0) {
            EXPECT_EQ(fixture.object(0).attribute, c.expectedAttribute);
        }
    }
}

// A file that ends inside the directory holds only the entries it has whole.
TEST(ObjectDirectory, TruncatedDirectory) {
    std::vector<BuiltObject> objects;
    for (int j = 0; j < 40; ++j) {
        objects.push_back(plainObject("O" + std::to_string(j), 0x0201, "CLP"));
    }
    SaveFileImage image = library(objects).build();
    std::int64_t libraryBlock = image.layout.parts[0].libraryBlock;
    for (std::int64_t keep : {1, 2, 5}) {
        SCOPED_TRACE(keep);
        std::vector<std::uint8_t> bytes = truncatedTo(image.bytes(), libraryBlock + keep);
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(bytes), 0);
        std::int64_t collected = keep * 512 - image.layout.parts[0].directoryOffset;
        EXPECT_EQ(fixture.library().objectCount, collected / 151);
        EXPECT_EQ(fixture.object(0).name, "O0");
    }
}

}  // namespace
}  // namespace quelvane::test
