#include <gtest/gtest.h>

#include "tests/support/ContentFixtures.h"
#include "tests/views/ViewsFixture.h"
#include "views/FieldDecoder.h"

namespace quelvane::test {
namespace {

// A record of ORDERS: NAME (4 characters), AMT (packed 5,2), DAY (date), QTY (binary 2).
std::vector<std::uint8_t> order(const std::string& name, std::vector<std::uint8_t> amount, std::uint32_t day,
                                std::uint16_t quantity) {
    std::vector<std::uint8_t> record = SaveFileBuilder::ebcdic(name, 4);
    record.insert(record.end(), amount.begin(), amount.end());
    std::vector<std::uint8_t> rest(6, 0);
    SaveFileBuilder::putU32(rest, 0, day);
    SaveFileBuilder::putU16(rest, 4, quantity);
    record.insert(record.end(), rest.begin(), rest.end());
    return record;
}

constexpr std::uint32_t kDayNumber = 2451545;

// The calendar is the date decoder's business; the view only places its text.
std::string dayText() {
    std::vector<std::uint8_t> bytes(4, 0);
    SaveFileBuilder::putU32(bytes, 0, kDayNumber);
    std::string text;
    decodeDate(bytes, text);
    return text;
}

BuiltObject ordersFile(std::vector<BuiltMember> members) {
    BuiltObject file;
    file.name = "ORDERS";
    file.attribute = "PF";
    file.text = "Order file";
    file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40},
                   {"AMT", 0x0303, 3, 5, 2, 0, 40},
                   {"DAY", 0x0B03, 4, 0, 0, 0, 40},
                   {"QTY", 0x0003, 2, 4, 0, 0, 40}};
    file.members = std::move(members);
    return file;
}

struct RecordsViewTest : ::testing::Test {
    void open(std::vector<BuiltMember> members, std::vector<BuiltSegment> segments) {
        SaveFileBuilder builder;
        BuiltPart part;
        part.objects = {ordersFile(std::move(members))};
        builder.add(part);
        for (auto& segment : segments) {
            builder.add(segment);
        }
        ASSERT_EQ(fixture.open(builder), 0);
    }
    ViewsFixture fixture;
};

TEST_F(RecordsViewTest, ListsEveryFieldAndMarksSlotsWithoutARecord) {
    std::vector<StreamSlot> slots;
    for (int i = 0; i < 6; ++i) {
        slots.push_back({static_cast<std::uint8_t>(i == 4 ? 0x00 : 0x80),
                         order("REC" + std::to_string(i), {0x12, 0x34, 0x5F}, kDayNumber,
                               static_cast<std::uint16_t>(i))});
    }
    open({{"MBR1", "TXT", "First member", 6}}, {ContentFixtures::memberRecords("ORDERS", "MBR1", 13, slots)});

    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
    EXPECT_EQ(fixture.columns(),
              (std::vector<std::string>{"|50|L", "NAME|48|L", "AMT|54|R", "DAY|48|L", "QTY|36|R"}));
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{
                                  "0|REC0|123.45|" + dayText() + "|0",
                                  "1|REC1|123.45|" + dayText() + "|1",
                                  "2|REC2|123.45|" + dayText() + "|2",
                                  "3|REC3|123.45|" + dayText() + "|3",
                                  "-4",
                                  "5|REC5|123.45|" + dayText() + "|5",
                              }));
    EXPECT_EQ(fixture.target.label1, "Member:  MBR1        It's TXT type.");
    EXPECT_EQ(fixture.target.label2, "Description:  First member" + std::string(38, ' ') + " .");
    EXPECT_TRUE(fixture.target.exportEnabled);
    EXPECT_TRUE(fixture.target.batchEnabled);
    EXPECT_TRUE(fixture.notifier.entries.empty());
    EXPECT_EQ(fixture.session.shownMember.recordLength, 13);
}

TEST_F(RecordsViewTest, ADateOutOfRangeEndsTheListingKeepingThePartialRow) {
    open({{"MBR1", "", "", 3}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1", 13,
                                         {{0x80, order("GOOD", {0x00, 0x00, 0x5D}, kDayNumber, 65534)},
                                          {0x80, order("BAD", {0x00, 0x12, 0x3F}, 0, 1)},
                                          {0x80, order("NEXT", {0x00, 0x12, 0x3F}, kDayNumber, 1)}})});
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Failed);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|GOOD|-0.05|" + dayText() + "|-2", "1|BAD |1.23"}));
    EXPECT_EQ(fixture.notifier.texts(), (std::vector<std::string>{"Error:during reading records"}));
    EXPECT_EQ(fixture.target.label1, "Member:  MBR1      ");
}

TEST_F(RecordsViewTest, AMemberAlreadyOnDisplayIsNotListedAgainUnlessItIsTheFirst) {
    std::vector<StreamSlot> one = {{0x80, order("ONE", {0x00, 0x00, 0x1F}, kDayNumber, 1)}};
    std::vector<StreamSlot> two = {{0x80, order("TWO", {0x00, 0x00, 0x2F}, kDayNumber, 2)}};
    open({{"MBR0", "", "", 1}, {"MBR1", "", "", 1}},
         {ContentFixtures::memberRecords("ORDERS", "MBR0", 13, one),
          ContentFixtures::memberRecords("ORDERS", "MBR1", 13, two)});

    fixture.showMember(0, 0, 1);
    fixture.list.addRow("marker");
    fixture.showMember(0, 0, 1);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|TWO |0.02|" + dayText() + "|2", "marker"}));
    EXPECT_TRUE(fixture.target.exportEnabled);

    fixture.showMember(0, 0, 0);
    fixture.list.addRow("marker");
    fixture.showMember(0, 0, 0);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|ONE |0.01|" + dayText() + "|1"}));

    // Anything else shown in between makes the remembered member stale.
    fixture.showMember(0, 0, 1);
    fixture.showObject(0, 0);
    fixture.showMember(0, 0, 1);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|TWO |0.02|" + dayText() + "|2"}));
}

TEST_F(RecordsViewTest, AMemberWithoutRecordsShowsOnlyTheColumns) {
    open({{"EMPTY", "", "", 0}}, {ContentFixtures::memberRecords("ORDERS", "EMPTY", 13, {})});
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
    EXPECT_EQ(fixture.columns().size(), 5U);
    EXPECT_TRUE(fixture.rows().empty());
}

TEST_F(RecordsViewTest, AMemberWithoutSegmentSaysMaxError) {
    // A segment whose name continues after the key is not the member's.
    open({{"MBR1", "", "", 1}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1X", 13,
                                         {{0x80, order("X", {0, 0, 0x1F}, kDayNumber, 1)}})});
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Failed);
    EXPECT_EQ(fixture.notifier.texts(), (std::vector<std::string>{" Max Error! "}));
    EXPECT_EQ(fixture.columns().size(), 5U);
    EXPECT_TRUE(fixture.rows().empty());
}

TEST_F(RecordsViewTest, AMatchInTheLastSegmentSlotIsListedAfterMaxError) {
    open({{"MBR1", "", "", 1}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1", 13,
                                         {{0x80, order("LAST", {0, 0, 0x1F}, kDayNumber, 1)}})});
    SegmentTable& segments = fixture.catalog.segments;
    SegmentEntry member = segments.slot(1);
    ASSERT_EQ(member.name, "ORDERS    MBR1");
    for (std::int32_t filler : {SegmentTable::kCapacity - 2, SegmentTable::kCapacity - 1}) {
        segments.reset();
        for (std::int32_t i = 0; i < filler; ++i) {
            segments.append({"FILLER", 1, 1});
        }
        segments.append(member);
        fixture.notifier.entries.clear();
        fixture.session.shownMember.stale = true;
        EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
        EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|LAST|0.01|" + dayText() + "|1"}));
        EXPECT_EQ(fixture.notifier.texts(), filler == SegmentTable::kCapacity - 1
                                                ? std::vector<std::string>{" Max Error! "}
                                                : std::vector<std::string>{});
    }
}

TEST_F(RecordsViewTest, AnEntryOfAnEarlierFileIsNotFoundWhenTheCurrentOneHasNone) {
    open({{"MBR1", "", "", 1}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1", 13,
                                         {{0x80, order("OLD", {0, 0, 0x1F}, kDayNumber, 1)}})});
    SegmentTable& segments = fixture.catalog.segments;
    SegmentEntry member = segments.slot(1);
    segments.reset();
    segments.append({"A", 1, 1});
    segments.append({"B", 1, 1});
    segments.append(member);
    segments.reset();
    segments.append({"CURRENT", 1, 1});
    EXPECT_EQ(segments.fillCount(), 1);
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Failed);
    EXPECT_TRUE(fixture.rows().empty());
    EXPECT_EQ(fixture.notifier.texts(), std::vector<std::string>{" Max Error! "});
}

TEST_F(RecordsViewTest, AFieldReachingPastTheRecordIsAReadingError) {
    open({{"MBR1", "", "", 1}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1", 13,
                                         {{0x80, order("OK", {0, 0, 0x1F}, kDayNumber, 1)}})});
    fixture.catalog.parts[0].library.objects[0].fields[3].offset = 12;
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Failed);
    EXPECT_EQ(fixture.rows(), (std::vector<std::string>{"0|OK  |0.01|" + dayText()}));
    EXPECT_EQ(fixture.notifier.texts(), (std::vector<std::string>{"Error:during reading records"}));
}

// The fixed message stays alone; the failure's own reason is kept beside it for a note, and a
// listing that works clears it.
TEST_F(RecordsViewTest, AReadingFailureKeepsItsCause) {
    open({{"MBR1", "", "", 2}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1", 13,
                                         {{0x80, order("GOOD", {0x00, 0x00, 0x5D}, kDayNumber, 1)},
                                          {0x80, order("BAD", {0x00, 0x12, 0x3F}, 0, 1)}})});
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Failed);
    EXPECT_EQ(fixture.notifier.texts(), (std::vector<std::string>{"Error:during reading records"}));
    EXPECT_FALSE(fixture.session.failureCause.empty());
    EXPECT_EQ(fixture.session.failureCause.find("Error"), std::string::npos) << fixture.session.failureCause;

    fixture.session.openSource = [](const std::string&) { return std::unique_ptr<BlockSource>(); };
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Failed);
    EXPECT_EQ(fixture.session.failureCause, "save file cannot be opened");

    open({{"MBR1", "", "", 1}},
         {ContentFixtures::memberRecords("ORDERS", "MBR1", 13,
                                         {{0x80, order("GOOD", {0x00, 0x00, 0x5D}, kDayNumber, 1)}})});
    fixture.session.openSource = [this](const std::string&) {
        return std::make_unique<MemoryBlockSource>(fixture.bytes);
    };
    fixture.session.failureCause = "earlier";
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
    EXPECT_TRUE(fixture.session.failureCause.empty());
}

TEST(RecordsView, RecordsAndFieldsLongerThanTheClassicWorkAreasAreListedWhole) {
    // 12000-byte records with a 6000-byte character field: beyond the 10512-byte stream area and
    // the 5000-byte value buffer.
    BuiltObject file;
    file.name = "WIDE";
    file.attribute = "PF";
    file.fields = {{"HEAD", 0x0403, 6000}, {"TAIL", 0x0403, 6000}};
    file.members = {{"MBR", "", "", 2}};
    std::vector<std::uint8_t> first =
        SaveFileBuilder::ebcdic(std::string(5999, 'a') + "b" + std::string(6000, 'c'), 12000);
    std::vector<std::uint8_t> second = SaveFileBuilder::ebcdic(std::string(12000, 'd'), 12000);
    SaveFileBuilder builder;
    BuiltPart part;
    part.objects = {file};
    builder.add(part);
    builder.add(ContentFixtures::memberRecords("WIDE", "MBR", 12000, {{0x80, first}, {0x80, second}}));
    ViewsFixture fixture;
    ASSERT_EQ(fixture.open(builder), 0);
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
    EXPECT_EQ(fixture.rows(),
              (std::vector<std::string>{"0|" + std::string(5999, 'a') + "b|" + std::string(6000, 'c'),
                                        "1|" + std::string(6000, 'd') + "|" + std::string(6000, 'd')}));
    EXPECT_EQ(fixture.list.column(1).width, 72000);
}

}  // namespace
}  // namespace quelvane::test
