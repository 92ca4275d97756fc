#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export/ExportFailure.h"
#include "export/TextExportWriter.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane::test {
namespace {

const std::string kLine0 = "R0  123.452000-01-01 12:00:000";
const std::string kLine1 = "R1  123.452000-01-01 12:00:001";
const std::string kLine3 = "R3  123.452000-01-01 12:00:003";

struct TextExportTest : ::testing::Test {
    ExportOutcome write(std::int32_t member = 0) {
        return writeTextExport(fixture.session, {0, 0, member}, out.string());
    }
    std::string written() const { return readFile(out); }

    ExportFixture fixture;
    ScratchDirectory scratch{"quelvane-text-export"};
    std::filesystem::path out = scratch / "ORDERS_MBR1.txt";
};

TEST_F(TextExportTest, OneCrLfLinePerPresentRecordInSlotOrder) {
    fixture.openOrders(orderSlots(5, {2, 4}));
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), kLine0 + "\r\n" + kLine1 + "\r\n" + kLine3 + "\r\n");
    EXPECT_TRUE(fixture.views.notifier.entries.empty());
}

TEST_F(TextExportTest, TheSplitterEndsEveryFieldEvenOneOfAnUnknownType) {
    BuiltObject file = ordersFile({{"MBR1", "", "", 2}});
    file.fields.push_back({"ODD", 0x0E03, 1, 0, 0, 0, 40});
    std::vector<StreamSlot> slots = orderSlots(2);
    for (StreamSlot& slot : slots) {
        slot.record.push_back(0xC1);
    }
    fixture.open({file}, {ContentFixtures::memberRecords("ORDERS", "MBR1", kOrderLength + 1, slots)});
    fixture.session.splitterOption = true;
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), "R0  |123.45|2000-01-01 12:00:00|0||\r\nR1  |123.45|2000-01-01 12:00:00|1||\r\n");
}

TEST_F(TextExportTest, ALineFeedInAFieldSplitsTheLineAndAZeroFieldIsOneBlank) {
    std::vector<StreamSlot> slots = orderSlots(2);
    slots[0].record[1] = 0x25;  // EBCDIC line feed
    std::fill(slots[1].record.begin(), slots[1].record.begin() + 4, 0x00);
    fixture.openOrders(slots);
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), "R\r\n  123.452000-01-01 12:00:000\r\n 123.452000-01-01 12:00:001\r\n");
}

TEST_F(TextExportTest, AnUnconvertibleDateEndsTheExportKeepingTheEarlierLines) {
    std::vector<StreamSlot> slots = orderSlots(4);
    slots[2].record = orderRecord("BAD", {0x00, 0x00, 0x1F}, 0, 2);
    fixture.openOrders(slots);
    EXPECT_EQ(write(), ExportOutcome::Failed);
    EXPECT_EQ(written(), kLine0 + "\r\n" + kLine1 + "\r\n");
    EXPECT_EQ(fixture.views.notifier.texts(), std::vector<std::string>{"Error:during reading records"});
}

TEST_F(TextExportTest, NoRecordsGiveAnEmptyFileReplacingALongerOne) {
    {
        std::ofstream old(out, std::ios::binary);
        old << std::string(5000, 'x');
    }
    fixture.openOrders({}, 0);
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), "");

    fixture.openOrders(orderSlots(1));
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), kLine0 + "\r\n");
}

TEST_F(TextExportTest, AMemberWithoutASegmentIsAReadingFailureLeavingAnEmptyFile) {
    fixture.open({ordersFile({{"MBR1", "", "", 3}})}, {});
    EXPECT_EQ(write(), ExportOutcome::Failed);
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(written(), "");
    EXPECT_EQ(fixture.views.notifier.texts(), std::vector<std::string>{"Error:during reading records"});
}

TEST_F(TextExportTest, ASaveFileThatNoLongerOpensIsAReadingFailure) {
    fixture.openOrders(orderSlots(2));
    fixture.views.session.openSource = [](const std::string&) { return std::unique_ptr<BlockSource>(); };
    EXPECT_EQ(write(), ExportOutcome::Failed);
    EXPECT_EQ(written(), "");
    EXPECT_EQ(fixture.views.notifier.texts(), std::vector<std::string>{"Error:during reading records"});
    EXPECT_EQ(fixture.views.session.failureCause, "the save file cannot be opened");
}

TEST_F(TextExportTest, ARecordCountBeyondTheFileEndsQuietlyWhereTheFileEnds) {
    fixture.openOrders(orderSlots(2), 2000000000);
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), kLine0 + "\r\n" + kLine1 + "\r\n");
    EXPECT_TRUE(fixture.views.notifier.entries.empty());
}

TEST_F(TextExportTest, AnOutputFileThatCannotBeCreatedIsReportedAndRaised) {
    fixture.openOrders(orderSlots(1));
    int opened = 0;
    auto open = fixture.views.session.openSource;
    fixture.views.session.openSource = [&](const std::string& path) {
        ++opened;
        return open(path);
    };
    const std::string path = (scratch / "missing" / "X.txt").string();
    EXPECT_THROW(writeTextExport(fixture.session, {0, 0, 0}, path), ExportFailure);
    EXPECT_EQ(fixture.views.notifier.texts(), std::vector<std::string>{"Open<" + path + ">file error"});
    EXPECT_EQ(opened, 0);
}

TEST_F(TextExportTest, AFailedWriteIsReportedOnce) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    fixture.openOrders(orderSlots(3000));
    EXPECT_EQ(writeTextExport(fixture.session, {0, 0, 0}, "/dev/full"), ExportOutcome::Failed);
    EXPECT_EQ(fixture.views.notifier.texts(), std::vector<std::string>{"Write file error"});
}

TEST_F(TextExportTest, TheWorkingDirectoryIsLeftAsItWas) {
    const std::filesystem::path before = std::filesystem::current_path();
    fixture.openOrders(orderSlots(1));
    fixture.session.programDirectory = scratch.path().string();
    write();
    EXPECT_EQ(std::filesystem::current_path(), before);
    std::filesystem::current_path(before);
}

TEST_F(TextExportTest, ARecordOf480BytesNeedsASecondBlockBeforeTheFirstSlotIsDropped) {
    BuiltObject file = ordersFile({{"MBR1", "", "", 3}});
    file.fields = {{"HEAD", 0x0403, 477, 0, 0, 0, 40}, {"TAIL", 0x0403, 3, 0, 0, 0, 40}};
    std::vector<StreamSlot> slots;
    for (const char* name : {"AAAAA", "BBBBB", "CCCCC"}) {
        std::vector<std::uint8_t> record(480, 0x40);
        std::vector<std::uint8_t> text = SaveFileBuilder::ebcdic(name, 5);
        std::copy(text.begin(), text.begin() + 2, record.begin());
        std::copy(text.begin() + 2, text.end(), record.begin() + 477);
        slots.push_back({0x80, record});
    }
    fixture.open({file}, {ContentFixtures::memberRecords("ORDERS", "MBR1", 480, slots)});
    ASSERT_EQ(fixture.views.catalog.parts[0].library.objects[0].recordLength, 480);
    fixture.session.splitterOption = true;
    EXPECT_EQ(write(), ExportOutcome::Written);
    const std::string gap(475, ' ');
    EXPECT_EQ(written(), "AA" + gap + "|AAA|\r\nBB" + gap + "|BBB|\r\nCC" + gap + "|CCC|\r\n");
}

TEST_F(TextExportTest, TheStreamBlock32769GivesOnlyItsBytesAfterTheHeader) {
    // 100-byte slots; stream byte 480 + 32768 * 512 is body byte 32 of stream block 32769, inside
    // slot 167776 (the first slot being the skipped one).
    constexpr std::int64_t kStraddling = 167776;
    BuiltObject file = ordersFile({{"MBR1", "", "", kStraddling + 1}});
    file.fields = {{"TEXT", 0x0403, 99, 0, 0, 0, 40}};
    std::vector<std::uint8_t> slot(100, 0xC1);
    slot[0] = 0x80;
    slot[99] = 0xC9;
    BuiltSegment segment = ContentFixtures::memberRecords("ORDERS", "MBR1", 99, {});
    segment.placements = ContentFixtures::streamPlacements(kStraddling * 100, slot);
    segment.placements.push_back({16 + 32769, 0, std::vector<std::uint8_t>(32, 0xE9)});
    segment.length = 16 + 32769 + 2;
    fixture.open({file}, {segment});
    ASSERT_EQ(fixture.views.catalog.parts[0].library.objects[0].recordLength, 99);
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(written(), std::string(98, 'A') + "I\r\n");
}

}  // namespace
}  // namespace quelvane::test
