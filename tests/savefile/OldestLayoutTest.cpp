#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "savefile/CatalogTree.h"
#include "savefile/DetailText.h"
#include "savefile/NestedSave.h"
#include "savefile/OldestMemberEntry.h"
#include "savefile/SaveFileCheck.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/ContentFixtures.h"

namespace quelvane::test {
namespace {

constexpr std::size_t kBlock = 528;

BuiltField sourceField(const std::string& name, std::uint16_t type, std::uint16_t length,
                       std::uint16_t digits, std::uint16_t decimals) {
    BuiltField field{name, type, length, digits, decimals};
    field.entryLength = 96;
    return field;
}

// An object description whose creation record (168 bytes) names release V3R2M0.
std::vector<std::uint8_t> describedAs(BuiltObject object, const std::string& release) {
    object.skippedItems = {168, 18, 0};
    std::vector<std::uint8_t> bytes = SaveFileBuilder::description(object);
    SaveFileBuilder::putBytes(bytes, 4 + object.text.size() + 4 + 43, SaveFileBuilder::ebcdic(release, 6));
    return bytes;
}

// A SAVLIB save as the oldest systems wrote it: a library, a CL program and a source file of two
// members, each member with its record segment.
SaveFileBuilder oldestSave(const std::string& programRelease = "V3R2M0") {
    SaveFileBuilder builder;
    builder.oldestLayout = true;
    builder.systemText = "9406 D80";
    BuiltPart part;
    part.library = "JOBLOGTEST";
    part.saveCommand = 2;
    BuiltObject library = plainObject("JOBLOGTEST", 0x0401, "PROD");
    library.rawDescription = describedAs(library, "V3R2M0");
    BuiltObject program = plainObject("SNDMSGS", 0x0201, "CLP");
    program.rawDescription = describedAs(program, programRelease);
    BuiltObject source =
        physicalFile("QCLSRC",
                     {sourceField("SRCSEQ", 0x0203, 6, 6, 2), sourceField("SRCDAT", 0x0203, 6, 6, 0),
                      sourceField("SRCDTA", 0x0403, 80, 0, 0)},
                     {{"SNDMSGS", "CLP", "Send messages", 3, 162, 0, "1000219213653", "1000223115641"},
                      {"EMPTY", "TXT", "", 0, 162, 0, "0990510163252", ""}});
    part.objects = {library, program, source};
    builder.add(part);
    builder.add(BuiltSegment{"SNDMSGS", 16, true, {}});
    std::vector<StreamSlot> lines;
    for (const char* text : {"PGM", "SNDPGMMSG  MSG('Just an old-fashioned message')", "ENDPGM"}) {
        std::vector<std::uint8_t> record = SaveFileBuilder::ebcdic("000100000219", 12);
        std::vector<std::uint8_t> line = SaveFileBuilder::ebcdic(text, 80);
        record.insert(record.end(), line.begin(), line.end());
        lines.push_back({0x80, record});
    }
    builder.add(ContentFixtures::memberRecords("QCLSRC", "SNDMSGS", 92, lines, true));
    builder.add(ContentFixtures::memberRecords("QCLSRC", "EMPTY", 92, {}, true));
    return builder;
}

TEST(OldestLayout, MemberEntriesOfThe192ByteLayout) {
    struct Case {
        const char* name;
        BuiltMember member;
        std::string type;
        std::int32_t count;
        std::string created;  // "" for no date
        std::string changed;
    };
    const Case cases[] = {
        {"whole entry",
         {"SOCKET_H", "RPGLE", "Header File", 1024, 162, 0, "1010111171209", "1010111173746"},
         "RPGLE",
         1024,
         "2001-01-11 17:12:09",
         "2001-01-11 17:37:46"},
        {"dates of the 1900s",
         {"README", "TXT", "", 112, 162, 0, "0990510163252", "0991231235959"},
         "TXT",
         112,
         "1999-05-10 16:32:52",
         "1999-12-31 23:59:59"},
        {"no dates stored", {"X", "CLP", "", 7, 162, 0, "", ""}, "CLP", 7, "", ""},
        {"not a calendar date",
         {"X", "CLP", "", 7, 162, 0, "1011399999999", "ABCDEFGHIJKLM"},
         "CLP",
         7,
         "",
         ""},
        // 176 bytes: the change date (165-177) is past the entry's end.
        {"short entry",
         {"SHORT", "CMD", "", 66, 144, 0, "1010111171400", "1010111173102"},
         "CMD",
         66,
         "2001-01-11 17:14:00",
         ""},
        // 32 bytes: only the name is inside.
        {"bare entry", {"BARE", "CMD", "Text", 66, 0, 0, "1010111171400", ""}, "", 0, "", ""},
    };
    Cp037Converter converter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuiltObject file = physicalFile("F", {{"A", 0x0004, 1}}, {c.member});
        std::vector<std::uint8_t> area = SaveFileBuilder::memberArea(file, true);
        BigEndianReader data(std::span<const std::uint8_t>(area).subspan(16));
        std::int64_t list = data.s32(4);
        std::int64_t length = data.u32(list) / 16 * 16 + 32;
        SavedMember member;
        member.recordCount = -5;
        OldestMemberEntry::decode(BigEndianReader(data.at(list, length)), converter, member);
        EXPECT_EQ(member.name, c.member.name);
        EXPECT_EQ(member.type, c.type);
        EXPECT_EQ(member.recordCount, c.count);
        EXPECT_EQ(member.text, length >= 97 ? c.member.text : "");
        EXPECT_EQ(member.created ? member.created->text() : "", c.created);
        EXPECT_EQ(member.changed ? member.changed->text() : "", c.changed);
    }
}

TEST(OldestLayout, ABuiltSaveReadsWhole) {
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(oldestSave()), 0);
    const SaveFileHeader& header = fixture.catalog.header;
    EXPECT_TRUE(header.oldestLayout);
    EXPECT_EQ(header.systemText, "9406 D80");
    EXPECT_EQ(header.headerSize, 512);
    EXPECT_TRUE(fixture.notifier.entries.empty());
    ASSERT_EQ(fixture.catalog.parts.size(), 1u);
    EXPECT_EQ(fixture.library().name, "JOBLOGTEST");
    ASSERT_EQ(fixture.library().objectCount, 3);
    EXPECT_EQ(fixture.object(1).attribute, "CLP");
    EXPECT_EQ(fixture.object(1).details.release, "V3R2M0");
    const SavedObject& source = fixture.object(2);
    EXPECT_EQ(source.recordLength, 92);
    ASSERT_EQ(source.fieldCount, 3);
    EXPECT_EQ(source.fields[2].name, "SRCDTA");
    EXPECT_EQ(source.fields[2].offset, 12);
    ASSERT_EQ(source.memberCount, 2);
    EXPECT_EQ(source.members[0].name, "SNDMSGS");
    EXPECT_EQ(source.members[0].type, "CLP");
    EXPECT_EQ(source.members[0].text, "Send messages");
    EXPECT_EQ(source.members[0].recordCount, 3);
    EXPECT_EQ(source.members[0].changed->text(), "2000-02-23 11:56:41");
    EXPECT_EQ(source.members[1].name, "EMPTY");
    EXPECT_EQ(source.members[1].recordCount, 0);
    EXPECT_FALSE(source.members[1].changed);

    // One-block segment headers: every segment follows the last, each member's records begin
    // three blocks after its header's sequence number.
    const SegmentTable& segments = fixture.catalog.segments;
    ASSERT_EQ(segments.fillCount(), 4);
    EXPECT_EQ(segments.slot(0).sequence, 2);
    EXPECT_EQ(segments.slot(2).name, "QCLSRC    SNDMSGS");
    EXPECT_EQ(segments.slot(2).recordDistance, 3);

    EXPECT_EQ(saveDetailLines(header.details), std::vector<std::string>{"Release of the objects: V3R2M0"});
    CatalogTree tree = buildCatalogTree(fixture.catalog);
    EXPECT_TRUE(tree.complete);
}

TEST(OldestLayout, TheSummaryNamesEveryReleaseOfTheObjects) {
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(oldestSave("V3R1M0")), 0);
    EXPECT_EQ(fixture.catalog.header.details.objectReleases, (std::vector<std::string>{"V3R2M0", "V3R1M0"}));
    EXPECT_EQ(saveDetailLines(fixture.catalog.header.details),
              std::vector<std::string>{"Releases of the objects: V3R2M0, V3R1M0"});
}

TEST(OldestLayout, TheCheckAcceptsOneBlockCount) {
    struct Case {
        const char* name;
        std::optional<std::int32_t> blockCount;
        std::optional<std::int32_t> blockCountCopy;
        bool marker;
        SaveFileVerdict verdict;
    };
    const Case cases[] = {
        {"as written", {}, {}, true, SaveFileVerdict::Clean},
        {"count copied at 60", {}, -1, true, SaveFileVerdict::Clean},
        {"count past the file", 99, {}, true, SaveFileVerdict::Damaged},
        {"no marker", {}, {}, false, SaveFileVerdict::HeaderTooOld},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveFileBuilder builder = oldestSave();
        builder.blockCount = c.blockCount;
        std::vector<std::uint8_t> bytes = builder.build().bytes();
        if (c.blockCountCopy) {
            SaveFileBuilder::putU32(bytes, 60, static_cast<std::uint32_t>(bytes.size() / kBlock));
        }
        if (!c.marker) {
            SaveFileBuilder::putU32(bytes, 12, 0);
        }
        SaveFileBuilder::sealRecords(bytes);
        MemoryBlockSource source(bytes);
        SaveFileCheckReport report = SaveFileCheck::examine(source);
        EXPECT_EQ(report.verdict, c.verdict);
        ReaderFixture fixture;
        EXPECT_EQ(fixture.open(bytes), c.verdict == SaveFileVerdict::Clean ? 0 : -1);
        if (c.verdict == SaveFileVerdict::HeaderTooOld) {
            ASSERT_EQ(fixture.notifier.entries.size(), 1u);
            EXPECT_NE(fixture.notifier.texts().front().find("\nHeader too old: block 0 lacks"),
                      std::string::npos);
        }
    }
}

// Every prefix of a built oldest save, as cut and with its block count set to the blocks left.
TEST(OldestLayout, EveryPrefixOfABuiltSave) {
    std::vector<std::uint8_t> bytes = oldestSave().build().bytes();
    for (std::size_t size = 0; size <= bytes.size(); ++size) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        ReaderFixture cut;
        EXPECT_EQ(cut.open(prefix), size >= bytes.size() / kBlock * kBlock ? 0 : -1) << size;
        buildCatalogTree(cut.catalog);
        // A prefix shorter than a block would claim 0 blocks, which describes no save file.
        if (size >= kBlock) {
            SaveFileBuilder::putU32(prefix, 8, static_cast<std::uint32_t>(size / kBlock));
            ReaderFixture agreed;
            ASSERT_EQ(agreed.open(prefix), 0) << size;
            buildCatalogTree(agreed.catalog);
            EXPECT_LE(agreed.notifier.entries.size(), 1u) << size;
            if (size == bytes.size()) {
                EXPECT_EQ(agreed.object(2).members.size(), 2u);
            }
        }
    }
}

// A later save whose save-file object holds an oldest one: the held save starts a block later.
std::vector<std::uint8_t> holdingSave(const std::vector<std::uint8_t>& inner) {
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    BuiltPart part;
    BuiltObject held;
    held.name = "PROGS";
    held.attribute = "SAVF";
    part.objects = {held};
    builder.add(part);
    builder.add(ContentFixtures::heldSave("PROGS", "QGPL", inner, {}, true));
    return builder.build().bytes();
}

TEST(OldestLayout, AHeldSaveOpensFromTheBlockAfter) {
    std::vector<std::uint8_t> inner = oldestSave().build().bytes();
    std::vector<std::uint8_t> outer = holdingSave(inner);
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(outer), 0);
    MemoryBlockSource source(outer);
    NestedSave found = NestedSave::locate(source, fixture.catalog, {0, 0});
    ASSERT_EQ(found.state, NestedSave::State::Found) << found.message;
    EXPECT_EQ(found.firstBlock, fixture.catalog.segments.slot(1).sequence - 1 + 25);
    EXPECT_EQ(found.blockCount, static_cast<std::int64_t>(inner.size() / kBlock));

    std::unique_ptr<BlockSource> opened = found.open(std::make_unique<MemoryBlockSource>(outer));
    ReaderFixture held;
    held.catalog.segments.reset();
    SaveFileReader reader(held.catalog, held.converter, held.notifier);
    ASSERT_TRUE(reader.parseSaveFile("HELD", *opened).accepted);
    EXPECT_TRUE(held.catalog.header.oldestLayout);
    EXPECT_EQ(held.library().name, "JOBLOGTEST");
    ASSERT_EQ(held.library().objectCount, 3);
    EXPECT_EQ(held.object(2).members.at(0).recordCount, 3);
    EXPECT_TRUE(reader.report().complete());

    // A header of neither layout there is still refused with the reason.
    std::vector<std::uint8_t> other = inner;
    SaveFileBuilder::putU32(other, 12, 0);
    std::vector<std::uint8_t> refusing = holdingSave(other);
    ReaderFixture refused;
    ASSERT_EQ(refused.open(refusing), 0);
    MemoryBlockSource refusingSource(refusing);
    NestedSave notFound = NestedSave::locate(refusingSource, refused.catalog, {0, 0});
    EXPECT_EQ(notFound.state, NestedSave::State::Unsupported);
    EXPECT_NE(notFound.message.find("CISC era"), std::string::npos);
}

}  // namespace
}  // namespace quelvane::test
