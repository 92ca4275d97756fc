#include <gtest/gtest.h>

#include "savefile/MemoryBlockSource.h"
#include "savefile/ProgressReporter.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/FakeConverter.h"
#include "tests/views/ViewsFixture.h"
#include "views/MemberRecordStream.h"
#include "views/MemberRecordsView.h"
#include "views/MemberSlotReader.h"
#include "views/RecordRows.h"

namespace quelvane::test {
namespace {

TEST(MemberSlotReaderTest, StreamBytesLieWhereTheHeaderBlocksLeaveThem) {
    struct Case {
        std::int64_t offset;
        std::int64_t block;
        std::int64_t at;
    };
    // Block 0 gives 480 bytes after its header, blocks 1 to 32768 give 512 each (16 777 216),
    // block 32769 gives 480 again, then 32767 whole blocks up to block 65537.
    const Case cases[] = {
        {0, 0, 32},           {479, 0, 511},          {480, 1, 0},           {991, 1, 511},
        {992, 2, 0},          {16777695, 32768, 511}, {16777696, 32769, 32}, {16778175, 32769, 511},
        {16778176, 32770, 0}, {33554879, 65536, 511}, {33554880, 65537, 32}, {33555360, 65538, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MemberSlotReader::locate(c.offset), std::make_pair(c.block, c.at)) << c.offset;
        EXPECT_EQ(MemberSlotReader::locate(c.offset), ContentFixtures::streamPosition(c.offset)) << c.offset;
    }
}

// A member of 1023-byte records whose stream runs past block 32769, read slot by slot in a
// shuffled order and compared with the records the sequential stream gives.
TEST(MemberSlotReaderTest, AnySlotReadsAsTheSequentialStreamGivesIt) {
    constexpr std::int32_t kLength = 1023;
    constexpr int kRecords = 17000;
    std::vector<StreamSlot> stored;
    for (int n = 0; n < kRecords; ++n) {
        StreamSlot slot;
        slot.status = n % 7 == 3 ? 0x00 : 0x80;
        slot.record.resize(kLength);
        for (int i = 0; i < kLength; ++i) {
            slot.record[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((n * 31 + i * 7) & 0xFF);
        }
        stored.push_back(std::move(slot));
    }
    BuiltObject file;
    file.name = "BIG";
    file.attribute = "PF";
    file.fields = {{"DATA", 0x0403, kLength, 0, 0, 0, 40}};
    file.members = {{"MBR", "", "", kRecords}};
    BuiltPart part;
    part.objects = {file};
    SaveFileBuilder builder;
    builder.add(part).add(ContentFixtures::memberRecords("BIG", "MBR", kLength, stored));
    ViewsFixture fixture;
    ASSERT_EQ(fixture.open(builder), 0);
    ViewOutcome outcome{};
    std::optional<MemberListingPlan> plan =
        startMemberRecords(fixture.session, fixture.target, MemberRef{0, 0, 0}, outcome);
    ASSERT_TRUE(plan.has_value());

    MemberSlotReader reader(fixture.session.openSaveFile(), plan->sequence, kLength);
    for (int step = 0; step < kRecords; ++step) {
        const int n = static_cast<int>((std::int64_t{step} * 7919) % kRecords);
        std::span<const std::uint8_t> slot = reader.slot(n);
        ASSERT_EQ(slot.size(), static_cast<std::size_t>(kLength + 1)) << n;
        ASSERT_EQ(slot[0], stored[static_cast<std::size_t>(n)].status) << n;
        ASSERT_TRUE(
            std::equal(slot.begin() + 1, slot.end(), stored[static_cast<std::size_t>(n)].record.begin()))
            << n;
    }
    // Past the end of the file.
    EXPECT_TRUE(reader.slot(kRecords + 100000).empty());
    EXPECT_TRUE(reader.slot(-1).empty());
}

class Stopping final : public ProgressReporter {
  public:
    explicit Stopping(std::int64_t after) : after_(after) {}
    void progress(std::int64_t done, std::int64_t total) override {
        last = done;
        of = total;
    }
    bool cancelled() const override { return last >= after_; }
    std::int64_t last = 0;
    std::int64_t of = 0;

  private:
    std::int64_t after_;
};

struct SlotPassTest : ::testing::Test {
    // ORDERS: NAME (4 characters) and DAY (date); slot `badDay` holds a day past 9999-12-31.
    void open(int records, int badDay = -1, int recordless = -1) {
        std::vector<StreamSlot> stored;
        for (int n = 0; n < records; ++n) {
            StreamSlot slot;
            slot.record = SaveFileBuilder::ebcdic("ABCD", 4);
            slot.record.resize(8);
            SaveFileBuilder::putU32(slot.record, 4,
                                    n == badDay ? 5373485 : 2451545 + static_cast<std::uint32_t>(n));
            slot.status = n == recordless ? 0 : 0x80;
            stored.push_back(slot);
        }
        BuiltObject file;
        file.name = "ORDERS";
        file.attribute = "PF";
        file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}, {"DAY", 0x0B03, 4, 0, 0, 0, 40}};
        file.members = {{"MBR", "", "", static_cast<std::uint32_t>(records)}};
        BuiltPart part;
        part.objects = {file};
        SaveFileBuilder builder;
        builder.add(part).add(ContentFixtures::memberRecords("ORDERS", "MBR", 8, stored));
        ASSERT_EQ(fixture.open(builder), 0);
        ViewOutcome outcome{};
        plan = startMemberRecords(fixture.session, fixture.target, MemberRef{0, 0, 0}, outcome);
        ASSERT_TRUE(plan.has_value());
    }

    SlotPassEnd pass(ProgressReporter& progress, std::size_t batchRows = 100) {
        return passMemberSlots(
            *plan, progress, batchRows,
            [this](std::span<const std::uint8_t> statuses) {
                batches.push_back(statuses.size());
                all.insert(all.end(), statuses.begin(), statuses.end());
            },
            expansionFailure);
    }

    ViewsFixture fixture;
    std::optional<MemberListingPlan> plan;
    std::vector<std::size_t> batches;
    std::vector<std::uint8_t> all;
    std::string expansionFailure;
};

TEST_F(SlotPassTest, HandsEverySlotsStatusOnInBatchesAndReportsSlotsOfTheRecordCount) {
    open(250, -1, 7);
    Stopping never(1 << 30);
    EXPECT_EQ(pass(never), SlotPassEnd::Complete);
    EXPECT_EQ(batches, (std::vector<std::size_t>{100, 100, 50}));
    ASSERT_EQ(all.size(), 250u);
    EXPECT_EQ(all[7], 0x00);
    EXPECT_EQ(all[8], 0x80);
    EXPECT_EQ(never.last, 250);
    EXPECT_EQ(never.of, 250);

    // The rows decode on demand as the listing would have shown them.
    RecordRows rows(*plan->file, fixture.session.openSaveFile(), plan->sequence, fixture.converter);
    rows.append(all.data(), all.size());
    EXPECT_EQ(rows.rowCount(), 250);
    EXPECT_EQ(rows.rowImage(7), RecordRows::kRecordlessImage);
    EXPECT_EQ(rows.cellText(7, 0), "");
    EXPECT_EQ(rows.rowImage(8), ContentList::kNoImage);
    EXPECT_EQ(rows.cellText(249, 0), "ABCD");
    EXPECT_EQ(rows.rowFailure(), "");
    EXPECT_EQ(rows.cellText(0, 1), "2000/01/01");
    EXPECT_EQ(rows.cellText(31, 1), "2000/02/01");
    EXPECT_EQ(rows.cellText(31, 2), "");
}

TEST_F(SlotPassTest, ASlotThatDoesNotDecodeIsHandedOnAndEndsThePass) {
    open(250, 120);
    Stopping never(1 << 30);
    EXPECT_EQ(pass(never), SlotPassEnd::Failed);
    EXPECT_EQ(all.size(), 121u);
    RecordRows rows(*plan->file, fixture.session.openSaveFile(), plan->sequence, fixture.converter);
    rows.append(all.data(), all.size());
    // The failing row keeps the cells before its failing field, as the listing does.
    EXPECT_EQ(rows.cellText(120, 0), "ABCD");
    EXPECT_EQ(rows.cellText(120, 1), "");
    EXPECT_EQ(rows.rowFailure().rfind("row 120, field 2: ", 0), 0u) << rows.rowFailure();
}

// Rows arrive in batches of any size; each keeps its status wherever the chunks it is kept in
// begin and end.
TEST(RecordRowsTest, RowsAppendedInAnyBatchesKeepTheirStatusAcrossChunks) {
    constexpr std::size_t kRows = 2 * RecordRows::kChunkRows + 123;
    std::vector<std::uint8_t> statuses(kRows);
    for (std::size_t row = 0; row < kRows; ++row) {
        statuses[row] = row % 7 == 0 ? 0x00 : MemberRecordStream::kRecordStatus;
    }
    const std::size_t batches[] = {1, 255, RecordRows::kChunkRows, 70000, 3};
    SavedObject file;
    FakeConverter converter;
    RecordRows rows(file, std::make_unique<MemoryBlockSource>(std::span<const std::uint8_t>{}), 0, converter);
    rows.reserve(static_cast<std::int64_t>(kRows));
    std::size_t appended = 0;
    for (std::size_t i = 0; appended < kRows; ++i) {
        const std::size_t count = std::min(batches[i % std::size(batches)], kRows - appended);
        rows.append(statuses.data() + appended, count);
        appended += count;
        ASSERT_EQ(rows.rowCount(), static_cast<std::int64_t>(appended));
    }
    for (std::size_t row = 0; row < kRows; ++row) {
        ASSERT_EQ(rows.rowImage(static_cast<std::int64_t>(row)),
                  row % 7 == 0 ? RecordRows::kRecordlessImage : ContentList::kNoImage)
            << row;
    }
    EXPECT_EQ(rows.rowImage(-1), ContentList::kNoImage);
    EXPECT_EQ(rows.rowImage(static_cast<std::int64_t>(kRows)), ContentList::kNoImage);
}

TEST_F(SlotPassTest, ACancelledPassStopsAtTheNextSlotKeepingWhatItHandedOn) {
    open(1000);
    Stopping afterTwoBatches(200);
    EXPECT_EQ(pass(afterTwoBatches), SlotPassEnd::Cancelled);
    EXPECT_EQ(all.size(), 200u);
}

}  // namespace
}  // namespace quelvane::test
