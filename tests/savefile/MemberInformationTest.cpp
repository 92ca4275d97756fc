#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

const std::string kMemberError = "Error:during get member information";

SaveFileBuilder library(std::vector<BuiltObject> objects, std::uint32_t v = 256) {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "LIB";
    part.descriptorOffset = v;
    part.objects = std::move(objects);
    builder.add(part);
    return builder;
}

std::string describe(const SavedField& f) {
    return f.name + " " + typeCodeText(f.typeCode) + " off=" + std::to_string(f.offset) +
           " len=" + std::to_string(f.length) + " " + std::to_string(f.digits) + "," +
           std::to_string(f.decimals);
}

std::string describe(const SavedMember& m) {
    return m.name + "|" + m.type + "|" + m.text + "|" + std::to_string(m.recordCount);
}

// Only field 0's stored position counts; every later offset follows from the lengths, and the
// date, time and timestamp types have fixed lengths.
TEST(RecordFormat, OffsetsFollowLengths) {
    BuiltObject file = physicalFile("CUSTMAST",
                                    {{"A", 0x0004, 1, 0, 0, 0},
                                     {"B", 0x0003, 5, 9, 2, 77},
                                     {"C", 0x0004, 3, 0, 0, 1},
                                     {"WHEN", 0x0D03, 2, 0, 0, 500},
                                     {"AT", 0x0B03, 8, 0, 0, 0, 60},
                                     {"STAMP", 0x0C03, 26, 0, 0, 0, 36},
                                     {"LAST", 0x0002, 4, 7, 0, 0}},
                                    {});
    for (std::uint32_t v : {256u, 1024u}) {
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({file}, v)), 0);
        const SavedObject& obj = fixture.object(0);
        std::vector<std::string> fields;
        for (const auto& f : obj.fields) {
            fields.push_back(describe(f));
        }
        EXPECT_EQ(fields, (std::vector<std::string>{
                              "A 0004 off=0 len=1 0,0",
                              "B 0003 off=1 len=5 9,2",
                              "C 0004 off=6 len=3 0,0",
                              "WHEN 0D03 off=9 len=10 0,0",
                              "AT 0B03 off=19 len=4 0,0",
                              "STAMP 0C03 off=23 len=3 0,0",
                              "LAST 0002 off=26 len=4 7,0",
                          }));
        EXPECT_EQ(obj.fieldCount, 7);
        EXPECT_EQ(obj.recordLength, 30);
    }

    BuiltObject shifted =
        physicalFile("SHIFTED", {{"A", 0x0004, 4, 0, 0, 12}, {"B", 0x0004, 2, 0, 0, 0}}, {});
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(library({shifted})), 0);
    EXPECT_EQ(fixture.object(0).fields.at(1).offset, 16);
}

TEST(MemberList, EntryLayouts) {
    BuiltMember m640{"SHORT", "CLP", "Short layout", 6, 640};
    BuiltMember m655{"SHORT2", "TXT", "Still short", 7, 655};
    BuiltMember m656{"LONG", "RPG", "Long layout", 8, 656};
    BuiltMember m0{"TINY", "X", "gone", 99, 0};
    BuiltMember m15{"TINY2", "X", "gone", 99, 15};
    BuiltMember high{"HIGH", "C", "High bytes", 0x01000000, 640, 0xAB};
    BuiltMember highLong{"HIGHL", "C", "", 5, 700, 0xFF};
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(library({physicalFile("QCLSRC", {{"SRCDTA", 0x0004, 80}},
                                                 {m640, m655, m656, m0, m15, high, highLong})})),
              0);
    std::vector<std::string> members;
    for (const auto& m : fixture.object(0).members) {
        members.push_back(describe(m));
    }
    EXPECT_EQ(members, (std::vector<std::string>{
                           "SHORT|CLP|Short layout|6",
                           "SHORT2|TXT|Still short|7",
                           "LONG|RPG|Long layout|8",
                           "TINY|||0",
                           "TINY2|||0",
                           "HIGH|C|High bytes|16777216",
                           "HIGHL|C||5",
                       }));
    EXPECT_TRUE(fixture.notifier.entries.empty());
}

TEST(MemberList, MemberCountSources) {
    struct Case {
        std::optional<std::uint32_t> provisional, area;
        std::size_t built;
        std::int32_t expected;
    };
    for (Case c : {Case{3, 0, 3, 3}, Case{3, 5, 5, 5}, Case{0, 0, 2, 0}, Case{9, 2, 4, 2}}) {
        std::vector<BuiltMember> members;
        for (std::size_t k = 0; k < c.built; ++k) {
            members.push_back({"M" + std::to_string(k), "T", "", static_cast<std::uint32_t>(k)});
        }
        BuiltObject file = physicalFile("F", {{"X", 0x0004, 1}}, members);
        file.provisionalMemberCount = c.provisional;
        file.areaMemberCount = c.area;
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({file})), 0);
        EXPECT_EQ(fixture.object(0).memberCount, c.expected);
        ASSERT_GE(fixture.object(0).members.size(), static_cast<std::size_t>(c.expected));
        if (c.expected > 0) {
            EXPECT_EQ(fixture.object(0).members.back().name, "M" + std::to_string(c.expected - 1));
        }
    }
}

// An area that cannot be decoded is reported once; reading ends there, and later files keep
// only their directory fields.
TEST(MemberArea, DecodingFailures) {
    struct Case {
        const char* what;
        std::function<void(BuiltObject&)> spoil;
    };
    const Case cases[] = {
        {"member list past the area buffer", [](BuiltObject& o) { o.areaMemberCount = 20000; }},
        {"negative provisional count",
         [](BuiltObject& o) {
             o.areaMemberCount = 0;
             o.provisionalMemberCount = 0x80000001u;
         }},
        {"format offset past the area",
         [](BuiltObject& o) {
             o.formatOffset = 500000;
             o.areaTotal = 1000;
         }},
        {"member count beyond any area", [](BuiltObject& o) { o.areaMemberCount = 0xFFFFFF; }},
        {"member entry whose step leaves the area",
         [](BuiltObject& o) {
             o.members[0].firstWord = 500000 - 32;
             o.areaTotal = 1000;
         }},
        {"member entry of 4 GiB", [](BuiltObject& o) { o.members[0].firstWord = 0xFFFFFFF0u; }},
        {"area offset past the file", [](BuiltObject& o) { o.memberAreaOffset = 0x7FFFFFF0u; }},
        {"negative area offset", [](BuiltObject& o) { o.memberAreaOffset = 0xFFFFF000u; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BuiltObject first =
            physicalFile("FIRST", {{"X", 0x0004, 4}}, {{"M1", "T", "", 1}, {"M2", "T", "", 2}});
        BuiltObject bad = physicalFile("BAD", {{"Y", 0x0004, 2}}, {{"M1", "T", "", 1}});
        c.spoil(bad);
        BuiltObject later = physicalFile("LATER", {{"Z", 0x0004, 3}}, {{"M1", "T", "", 1}});
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({first, bad, later})), 0);
        EXPECT_EQ(fixture.notifier.texts(), std::vector<std::string>{kMemberError});
        EXPECT_EQ(fixture.object(0).memberCount, 2);
        EXPECT_EQ(fixture.object(2).name, "LATER");
        EXPECT_EQ(fixture.object(2).attribute, "");
        EXPECT_EQ(fixture.object(2).memberCount, 0);
        EXPECT_TRUE(fixture.object(2).fields.empty());
        // The parse report says where reading ended and why, beside the fixed message.
        const std::vector<std::uint8_t> bytes = library({first, bad, later}).build().bytes();
        MemoryBlockSource source(bytes);
        Catalog again;
        const ParseReport report =
            SaveFileReader(again, fixture.converter, fixture.notifier).parseSaveFile("TEST.SAVF", source);
        if (report.stop == ParseReport::Stop::DirectoryUnread) {
            EXPECT_TRUE(report.detail.starts_with("the member area of object 1 of part 0: "))
                << report.detail;
        } else {
            EXPECT_EQ(report.stop, ParseReport::Stop::DecodingFailure) << report.text();
            EXPECT_FALSE(report.detail.empty());
        }
    }
}

// The area is collected up to TOT bytes, also past the 400096 bytes older readers held, so a file
// of a thousand members reads whole; a member list that lies beyond what was collected cannot be
// decoded.
TEST(MemberArea, CollectedLength) {
    std::vector<BuiltMember> thousand;
    for (int k = 0; k < 1000; ++k) {
        thousand.push_back({"M" + std::to_string(k), "T", "", static_cast<std::uint32_t>(k)});
    }
    BuiltObject many = physicalFile("MANY", {{"X", 0x0004, 1}}, thousand);
    ASSERT_GT(SaveFileBuilder::memberArea(many).size(), 400096u);
    ReaderFixture all;
    ASSERT_EQ(all.open(library({many})), 0);
    EXPECT_TRUE(all.notifier.entries.empty());
    EXPECT_EQ(all.object(0).members.at(999).name, "M999");

    std::vector<BuiltMember> members;
    for (int k = 0; k < 500; ++k) {
        members.push_back({"M" + std::to_string(k), "T", "", static_cast<std::uint32_t>(k)});
    }
    BuiltObject big = physicalFile("BIG", {{"X", 0x0004, 1}}, members);
    ReaderFixture whole;
    ASSERT_EQ(whole.open(library({big})), 0);
    EXPECT_TRUE(whole.notifier.entries.empty());
    EXPECT_EQ(whole.object(0).members.at(499).recordCount, 499);
    std::uint32_t dataLength = static_cast<std::uint32_t>(SaveFileBuilder::memberArea(big).size() - 16);

    BuiltObject overstated = big;
    overstated.areaTotal = 0x7FFFFFFF;
    ReaderFixture large;
    ASSERT_EQ(large.open(library({overstated})), 0);
    EXPECT_TRUE(large.notifier.entries.empty());
    EXPECT_EQ(large.object(0).memberCount, 500);

    // Entries past TOT read as zeros: empty 32-byte entries of no records.
    BuiltObject understated = big;
    understated.areaTotal = dataLength - 4096;
    ReaderFixture small;
    ASSERT_EQ(small.open(library({understated})), 0);
    EXPECT_TRUE(small.notifier.entries.empty());
    EXPECT_EQ(small.object(0).memberCount, 500);
    EXPECT_EQ(small.object(0).members.at(0).name, "M0");
    EXPECT_EQ(small.object(0).members.at(499).name, "");
    EXPECT_EQ(small.object(0).members.at(499).recordCount, 0);
}

// An entry is read from the file however long it is: its fields from its first bytes, the next
// entry found by its length. Only an entry that runs past the area fails.
TEST(MemberList, LongEntries) {
    struct Case {
        std::uint32_t length;
        bool leavesArea;
    };
    for (Case c : {Case{10016, false}, Case{10032, false}, Case{10048, false}, Case{31952, false},
                   Case{100000, false}, Case{500000, false}, Case{500000, true}}) {
        SCOPED_TRACE(std::to_string(c.length) + (c.leavesArea ? " leaving the area" : ""));
        BuiltMember before{"BEFORE", "TXT", "First", 3};
        BuiltMember longEntry{"LONGONE", "RPGLE", "Long entry", 12345, c.length - 32};
        BuiltMember after{"AFTER", "CLP", "Last", 9};
        BuiltObject file = physicalFile("QSRC", {{"SRCDTA", 0x0004, 80}}, {before, longEntry, after});
        if (c.leavesArea) {
            // TOT ends 200 bytes into the long entry: the 400096-byte area holds its fields, not
            // its length.
            std::size_t areaData = SaveFileBuilder::memberArea(file).size() - 16;
            file.areaTotal = static_cast<std::uint32_t>(areaData - 672 - c.length + 200);
        }
        BuiltObject later = physicalFile("LATER", {{"Z", 0x0004, 3}}, {{"M1", "T", "", 1}});
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({file, later})), 0);
        if (c.leavesArea) {
            EXPECT_EQ(fixture.notifier.texts(), std::vector<std::string>{kMemberError});
            EXPECT_EQ(fixture.object(1).attribute, "");
            continue;
        }
        EXPECT_TRUE(fixture.notifier.entries.empty());
        std::vector<std::string> members;
        for (const auto& m : fixture.object(0).members) {
            members.push_back(describe(m));
        }
        EXPECT_EQ(members, (std::vector<std::string>{"BEFORE|TXT|First|3", "LONGONE|RPGLE|Long entry|12345",
                                                     "AFTER|CLP|Last|9"}));
        EXPECT_EQ(fixture.object(1).attribute, "PF");
        ASSERT_EQ(fixture.object(1).members.size(), 1u);
        EXPECT_EQ(fixture.object(1).members[0].recordCount, 1);
    }
}

// A member count that runs past the stored entries costs that file its missing members only;
// every later object of the library keeps its attribute and members.
TEST(MemberArea, CountPastTheStoredEntries) {
    std::vector<BuiltObject> objects;
    for (int i = 0; i < 13; ++i) {
        std::string name = "PF" + std::to_string(i);
        objects.push_back(physicalFile(name, {{"X", 0x0004, 2}}, {{name + "M", "T", "", 7}}));
    }
    BuiltObject& shortArea = objects[3];
    shortArea.areaMemberCount = 2;
    // TOT covers the one stored entry only, a long one.
    shortArea.members[0].firstWord = 10000 - 16;
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(library(objects)), 0);
    EXPECT_TRUE(fixture.notifier.entries.empty());
    const SavedObject& cut = fixture.object(3);
    EXPECT_EQ(cut.memberCount, 2);
    ASSERT_EQ(cut.members.size(), 2u);
    EXPECT_EQ(cut.members[0].name, "PF3M");
    EXPECT_EQ(describe(cut.members[1]), "|||0");
    for (std::size_t i = 4; i < 13; ++i) {
        EXPECT_EQ(fixture.object(i).attribute, "PF");
        ASSERT_EQ(fixture.object(i).members.size(), 1u);
        EXPECT_EQ(fixture.object(i).members[0].recordCount, 7);
    }
}

// Record lengths are summed without overflow: a format longer than a record can be is the
// decoding failure, however many fields an entry length of 0 repeats.
TEST(RecordFormat, LengthLimit) {
    struct Case {
        std::uint16_t length;
        std::size_t count;
        bool fails;
    };
    for (Case c : {Case{32766, 1, false}, Case{32767, 1, true}, Case{16383, 2, false}, Case{16384, 2, true},
                   Case{65535, 40000, true}}) {
        SCOPED_TRACE(std::to_string(c.length) + " x " + std::to_string(c.count));
        BuiltObject file = physicalFile("F", {}, {{"M1", "T", "", 1}});
        BuiltField field{"A", 0x0004, c.length};
        // Entry length 0 repeats the first entry for every later field.
        field.entryLength = 0;
        file.fields.assign(c.count, field);
        BuiltObject later = physicalFile("LATER", {{"Z", 0x0004, 3}}, {{"M1", "T", "", 1}});
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({file, later})), 0);
        EXPECT_EQ(fixture.notifier.texts(),
                  c.fails ? std::vector<std::string>{kMemberError} : std::vector<std::string>{});
        if (!c.fails) {
            EXPECT_EQ(fixture.object(0).recordLength, c.length * static_cast<std::int32_t>(c.count));
            EXPECT_EQ(fixture.object(0).fields.back().offset,
                      c.length * static_cast<std::int32_t>(c.count - 1));
        }
    }
}

// However large TOT claims the area is, each file collects a bounded amount: a thousand members
// of the largest entry and a format section, not the rest of the file.
TEST(MemberArea, CollectionIsBounded) {
    // In blocks read: the area bodies, plus the header's block and one partly used body.
    constexpr std::uint64_t kBound = ((400096 + 1001 * 10024) / 512 + 3) * 528;
    std::vector<BuiltObject> objects;
    for (int i = 0; i < 3; ++i) {
        objects.push_back(physicalFile("F" + std::to_string(i), {{"X", 0x0004, 1}}, {{"M", "T", "", 1}}));
    }
    auto opened = [&](std::optional<std::uint32_t> total) {
        for (BuiltObject& object : objects) {
            object.areaTotal = total;
        }
        SaveFileBuilder builder = library(objects);
        builder.trailingBlocks = 2 * static_cast<std::int64_t>(kBound) / 528;
        auto fixture = std::make_unique<ReaderFixture>();
        EXPECT_EQ(fixture->open(builder), 0);
        EXPECT_TRUE(fixture->notifier.entries.empty());
        EXPECT_EQ(fixture->object(2).members.at(0).recordCount, 1);
        return fixture;
    };
    std::uint64_t honest = opened(std::nullopt)->bytesRead;
    EXPECT_LE(opened(0x7FFFFFFF)->bytesRead, honest + 3 * kBound);
}

// A source that fails in a way no decoding step expects, as an allocation can.
class FailingSource final : public BlockSource {
  public:
    FailingSource(std::span<const std::uint8_t> bytes, std::int64_t failFrom, int kind)
        : inner_(bytes), failFrom_(failFrom), kind_(kind) {}
    bool isOpen() const override { return true; }
    std::int64_t size() const override { return inner_.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override {
        if (offset + count > failFrom_) {
            if (kind_ == 0) {
                throw std::bad_alloc();
            }
            throw std::length_error("vector");
        }
        return inner_.readAt(offset, target, count);
    }

  private:
    MemoryBlockSource inner_;
    std::int64_t failFrom_;
    int kind_;
};

// Any failure ends the parse quietly with what was read.
TEST(MemberArea, EveryFailureEndsTheParseQuietly) {
    std::vector<std::uint8_t> bytes =
        library({physicalFile("F", {{"X", 0x0004, 1}}, {{"M", "T", "", 1}})}).build().bytes();
    for (int kind : {0, 1}) {
        for (std::int64_t failFrom = 528; failFrom < static_cast<std::int64_t>(bytes.size());
             failFrom += 528) {
            ReaderFixture fixture;
            FailingSource source(bytes, failFrom, kind);
            SaveFileReader reader(fixture.catalog, fixture.converter, fixture.notifier);
            EXPECT_NO_THROW(EXPECT_TRUE(reader.parseSaveFile("TEST.SAVF", source).accepted)) << failFrom;
        }
    }
}

// However early the source fails, the parse says where it stopped and why: a stop that is not
// the file's end carries the failure's own text.
TEST(MemberArea, EveryFailureKeepsItsReason) {
    std::vector<std::uint8_t> bytes =
        library({physicalFile("F", {{"X", 0x0004, 1}}, {{"M", "T", "", 1}})}).build().bytes();
    for (int kind : {0, 1}) {
        for (std::int64_t failFrom = 528; failFrom < static_cast<std::int64_t>(bytes.size());
             failFrom += 528) {
            SCOPED_TRACE(failFrom);
            ReaderFixture fixture;
            FailingSource source(bytes, failFrom, kind);
            SaveFileReader reader(fixture.catalog, fixture.converter, fixture.notifier);
            ASSERT_TRUE(reader.parseSaveFile("TEST.SAVF", source).accepted);
            const ParseReport& report = reader.report();
            EXPECT_TRUE(report.accepted);
            EXPECT_NE(report.stop, ParseReport::Stop::NotRead);
            if (report.stop == ParseReport::Stop::DecodingFailure) {
                EXPECT_FALSE(report.detail.empty());
            }
        }
    }
}

// A header near the end of a block body continues in the next body, like every other structure.
TEST(MemberArea, HeaderAcrossBlocks) {
    for (std::uint32_t shift = 480; shift < 512; shift += 4) {
        SCOPED_TRACE(shift);
        BuiltObject file = physicalFile("F", {{"X", 0x0004, 7}}, {{"M1", "T", "", 4}});
        std::vector<std::uint8_t> area = SaveFileBuilder::memberArea(file);
        BuiltObject placed = plainObject("G", 0x1901, "PF");
        // The description is padded so the area that follows starts `shift` bytes into a body.
        SaveFileBuilder builder = library({placed});
        SaveFileImage image = builder.build();
        std::int64_t areaBody = 512 * 3 + shift;
        std::vector<std::uint8_t> bytes = image.bytes();
        std::int64_t libraryBlock = image.layout.parts[0].libraryBlock;
        for (std::size_t i = 0; i < area.size(); ++i) {
            std::int64_t at = areaBody + static_cast<std::int64_t>(i);
            bytes.at(static_cast<std::size_t>((libraryBlock + at / 512) * 528 + at % 512)) = area[i];
        }
        std::int64_t entry = image.layout.parts[0].directoryOffset;
        std::int64_t field = entry + 71;
        std::vector<std::uint8_t> stored(4);
        SaveFileBuilder::putU32(stored, 0, static_cast<std::uint32_t>(areaBody - 256));
        for (std::size_t i = 0; i < 4; ++i) {
            std::int64_t at = field + static_cast<std::int64_t>(i);
            bytes.at(static_cast<std::size_t>((libraryBlock + at / 512) * 528 + at % 512)) = stored[i];
        }
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(bytes), 0);
        EXPECT_TRUE(fixture.notifier.entries.empty());
        EXPECT_EQ(fixture.object(0).recordLength, 7);
        EXPECT_EQ(fixture.object(0).members.at(0).recordCount, 4);
    }
}

}  // namespace
}  // namespace quelvane::test
