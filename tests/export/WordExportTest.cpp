#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "export/AutomationFailure.h"
#include "export/InProcessAutomationClient.h"
#include "export/WordExportWriter.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"
#include "tests/export/RtfTableReader.h"

namespace quelvane::test {
namespace {

// ITEMS: NAME (4 characters) and AMT (packed 5,2); member MBR1 with three slots, the middle one
// deleted.
BuiltObject itemsFile(std::uint32_t recordCount) {
    BuiltObject file;
    file.name = "ITEMS";
    file.attribute = "PF";
    file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}, {"AMT", 0x0303, 3, 5, 2, 0, 40}};
    file.members = {{"MBR1", "", "", recordCount}};
    return file;
}

std::vector<StreamSlot> itemSlots() {
    auto record = [](const std::string& name, std::vector<std::uint8_t> amount) {
        std::vector<std::uint8_t> bytes = SaveFileBuilder::ebcdic(name, 4);
        bytes.insert(bytes.end(), amount.begin(), amount.end());
        return bytes;
    };
    return {{0x80, record("PEN", {0x00, 0x12, 0x3F})},
            {0x00, record("OLD", {0x00, 0x00, 0x0F})},
            {0x80, record("INK", {0x12, 0x34, 0x5D})}};
}

std::string dump(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

struct WordExportTest : ::testing::Test {
    void openItems(std::vector<StreamSlot> slots, std::uint32_t recordCount = 3) {
        fixture.open({itemsFile(recordCount)}, {ContentFixtures::memberRecords("ITEMS", "MBR1", 7, slots)});
    }
    ExportOutcome write() { return writeWordExport(fixture.session, {0, 0, 0}, "ITEMS_MBR1.doc"); }

    ExportFixture fixture;
};

const char* const kConversationStart = R"(create Word.Application -> #1
set #1.Visible = false
get #1.Documents() -> #2
call #2.Add() -> #3
release #3
release #2
get #1.Selection() -> #4
get #4.Font() -> #5
set #5.Size = 9
release #5
get #4.Font() -> #6
set #6.Name = "Arial"
release #6
get #1.ActiveDocument() -> #7
get #7.Tables() -> #8
get #4.Range() -> #9
run #8.Add(#9, 5, 2, 1, 0)
release #9
release #8
release #7
get #1.ActiveDocument() -> #10
call #10.Range() -> #11
get #11.Tables() -> #12
call #12.Item(1) -> #13
release #12
release #11
release #10
call #13.Cell(1, 1) -> #14
set #14.Range = "NAME"
get #14.Shading() -> #15
set #15.BackgroundPatternColor = 14737632
release #15
release #14
call #13.Cell(1, 2) -> #16
set #16.Range = "AMT"
get #16.Shading() -> #17
set #17.BackgroundPatternColor = 14737632
release #17
release #16
call #13.Cell(2u, 1) -> #18
set #18.Range = "PEN "
release #18
call #13.Cell(2u, 2) -> #19
set #19.Range = "1.23"
release #19
call #13.Cell(4u, 1) -> #20
set #20.Range = "INK "
release #20
call #13.Cell(4u, 2) -> #21
set #21.Range = "-123.45"
release #21
)";

TEST_F(WordExportTest, TheConversationFollowsTheDocumentStepByStep) {
    openItems(itemSlots());
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(dump(fixture.automation.lines), std::string(kConversationStart) + R"(get #13.Columns() -> #22
call #22.Item(1) -> #23
set #23.PreferredWidthType = 3
release #23
release #22
get #13.Columns() -> #24
call #24.Item(1) -> #25
set #25.PreferredWidth = 38
release #25
release #24
get #13.Columns() -> #26
call #26.Item(2) -> #27
set #27.PreferredWidthType = 3
release #27
release #26
get #13.Columns() -> #28
call #28.Item(2) -> #29
set #29.PreferredWidth = 43
release #29
release #28
get #1.ActiveDocument() -> #30
run #30.SaveAs(w"ITEMS_MBR1.doc")
release #30
get #1.ActiveDocument() -> #31
run #31.Close()
release #31
release #13
release #4
run #1.Quit()
release #1
)");
    EXPECT_EQ(fixture.eventRounds, 2);
    EXPECT_EQ(fixture.automation.heldReferences(), 0u);
    EXPECT_TRUE(fixture.views.notifier.entries.empty());
}

TEST_F(WordExportTest, AFailureInsideTheRecordLoopIsReportedAndWordQuitsUnsaved) {
    std::vector<StreamSlot> slots = itemSlots();
    openItems(slots);
    fixture.automation.failWhen("set #21.Range");
    EXPECT_EQ(write(), ExportOutcome::Failed);
    EXPECT_EQ(dump(fixture.automation.lines), std::string(kConversationStart) + R"(release #13
release #4
run #1.Quit()
release #1
)");
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text, "Write Doc file error!");
    EXPECT_EQ(fixture.views.notifier.entries[0].caption, "Pick2Word");
    EXPECT_EQ(fixture.automation.heldReferences(), 0u);
}

TEST_F(WordExportTest, AWordThatCannotBeStartedIsReportedAndNothingElseHappens) {
    openItems(itemSlots());
    fixture.automation.failWhen("create");
    EXPECT_EQ(write(), ExportOutcome::Failed);
    EXPECT_EQ(fixture.automation.lines, std::vector<std::string>{"create Word.Application"});
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text, "Start Word error, MS Word maybe not installed.");
    EXPECT_EQ(fixture.views.notifier.entries[0].caption, "Pick2Word");
}

// A member whose records cannot be reached fails before Word is started: the writer's box, then
// why, never an empty document reported as written.
TEST(WordExportUnreachable, TheBoxAndTheReasonAndNoWord) {
    const struct {
        const char* what;
        bool segment;
        bool saveOpens;
        const char* reason;
    } cases[] = {
        {"no segment", false, true, "no segment holds member MBR1"},
        {"save gone", true, false, "the save file cannot be opened"},
    };
    for (const auto& c : cases) {
        ExportFixture fixture;
        std::vector<BuiltSegment> segments;
        if (c.segment) {
            segments.push_back(ContentFixtures::memberRecords("ITEMS", "MBR1", 7, itemSlots()));
        }
        fixture.open({itemsFile(3)}, segments);
        if (!c.saveOpens) {
            fixture.views.session.openSource = [](const std::string&) {
                return std::unique_ptr<BlockSource>();
            };
        }
        EXPECT_EQ(writeWordExport(fixture.session, {0, 0, 0}, "X.doc"), ExportOutcome::Failed) << c.what;
        EXPECT_TRUE(fixture.automation.lines.empty()) << c.what;
        ASSERT_EQ(fixture.views.notifier.entries.size(), 2u) << c.what;
        EXPECT_EQ(fixture.views.notifier.entries[0].text, "Write Doc file error!") << c.what;
        EXPECT_EQ(fixture.views.notifier.entries[0].caption, "Pick2Word") << c.what;
        EXPECT_EQ(fixture.views.notifier.entries[1].text, c.reason) << c.what;
    }
}

TEST_F(WordExportTest, AFailureOutsideTheRecordLoopIsRaisedAfterWordIsToldToQuit) {
    openItems(itemSlots());
    fixture.automation.failWhen("run #8.Add", "table refused");
    EXPECT_THROW(write(), AutomationFailure);
    EXPECT_EQ(fixture.automation.lines.back(), "release #1");
    EXPECT_EQ(fixture.automation.lines[fixture.automation.lines.size() - 2], "run #1.Quit()");
    EXPECT_EQ(fixture.automation.heldReferences(), 0u);
    EXPECT_TRUE(fixture.views.notifier.entries.empty());
}

TEST_F(WordExportTest, RowsComeFromTheRecordCountBoundedByWhatTheFileHolds) {
    const struct {
        std::uint32_t recordCount;
        std::int32_t slots;
        const char* add;
    } cases[] = {
        {0, 0, "run #8.Add(#9, 2, 2, 1, 0)"},
        {3, 3, "run #8.Add(#9, 5, 2, 1, 0)"},
        // The file ends with the stream's first block: at most 63 slots of 8 bytes follow the
        // skipped one.
        {2000000000, 3, "run #8.Add(#9, 65, 2, 1, 0)"},
    };
    for (const auto& c : cases) {
        ExportFixture fixture;
        std::vector<StreamSlot> slots = itemSlots();
        slots.resize(static_cast<std::size_t>(c.slots));
        fixture.open({itemsFile(c.recordCount)}, {ContentFixtures::memberRecords("ITEMS", "MBR1", 7, slots)});
        writeWordExport(fixture.session, {0, 0, 0}, "X.doc");
        EXPECT_NE(std::find(fixture.automation.lines.begin(), fixture.automation.lines.end(), c.add),
                  fixture.automation.lines.end())
            << c.recordCount;
    }
}

// A column holds its widest text at 9 points with Word's 5.4-point cell margins on either side;
// a table wider than the page's 432-point text area is scaled down to it as a whole.
TEST(WordColumnWidth, WideEnoughForTheWidestTextScaledToThePage) {
    // Arial digits are 0.556 em; W is 0.944 em.
    constexpr double kDigit = 0.556 * 9;
    constexpr double kMargins = 10.8;
    ExportColumnWidths narrow(3);
    narrow.measure(0, "AMT");
    narrow.measure(0, "9999");
    narrow.measure(1, "WWWWWW");
    narrow.measure(1, "W");
    const std::vector<std::int32_t> points = wordColumnWidths(narrow, 3);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_GE(points[0], 4 * kDigit + kMargins);
    EXPECT_LT(points[0], 4 * kDigit + kMargins + 3);
    EXPECT_GE(points[1], 6 * 0.944 * 9 + kMargins);
    EXPECT_GE(points[2], 1);

    ExportColumnWidths wide(12);
    for (std::size_t c = 0; c < 12; ++c) {
        wide.measure(c, std::string(c == 0 ? 60 : 30, '0'));
    }
    const std::vector<std::int32_t> scaled = wordColumnWidths(wide, 12);
    EXPECT_LE(std::accumulate(scaled.begin(), scaled.end(), 0), 432 + 12);
    EXPECT_GT(scaled[0], scaled[1]);

    EXPECT_EQ(wordColumnWidths(ExportColumnWidths(0), 1), std::vector<std::int32_t>{200});
}

// A PC-page text measures what the same bytes read as Latin-1 measure: ASCII by its widths,
// control bytes nothing, any other byte one wide byte.
TEST(WordColumnWidth, PcBytesMeasureAsTheirLatin1Characters) {
    std::mt19937 random(5);
    for (int n = 0; n < 2000; ++n) {
        std::string bytes(static_cast<std::size_t>(random() % 300), '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(n % 2 == 0 ? random() : 0x20 + random() % 95);
        }
        const std::u16string latin1(reinterpret_cast<const unsigned char*>(bytes.data()),
                                    reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size());
        EXPECT_EQ(ExportColumnWidths::ems(bytes), ExportColumnWidths::ems(latin1)) << n;
    }
}

TEST_F(WordExportTest, TheSavedDocumentHoldsTheTableWithDeletedSlotsAsEmptyRows) {
    openItems(itemSlots());
    InProcessAutomationClient word(1252);
    ExportSession session(fixture.views.session, word, 1252);
    session.splitterOption = true;
    ScratchDirectory scratch("quelvane-word-export");
    const std::string path = (scratch / "ITEMS_MBR1.doc").string();
    EXPECT_EQ(writeWordExport(session, {0, 0, 0}, path), ExportOutcome::Written);
    EXPECT_EQ(word.heldReferences(), 0u);
    EXPECT_EQ(RtfTableReader::read(readFile(path)),
              (std::vector<std::string>{
                  "font Arial", "colour 1 224 224 224", "row fs18 | 3:760 pat1 | 3:860 pat1 | NAME | AMT",
                  "row fs18 | 3:760 | 3:860 | PEN  | 1.23", "row fs18 | 3:760 | 3:860 |  | ",
                  "row fs18 | 3:760 | 3:860 | INK  | -123.45", "row fs18 | 3:760 | 3:860 |  | "}));
}

}  // namespace
}  // namespace quelvane::test
