#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/ContentFixtures.h"
#include "tests/views/ViewsFixture.h"
#include "views/MemberRowRange.h"

namespace quelvane::test {
namespace {

TEST(MemberRowRangeTest, ParsesFirstAndCountAndRefusesAnythingElse) {
    struct Case {
        const char* text;
        std::optional<std::pair<std::int64_t, std::int64_t>> range;
    };
    const Case cases[] = {
        {"0:100", std::pair{0, 100}},
        {"9999999:1", std::pair{9999999, 1}},
        {"5:0", std::pair{5, 0}},
        {"007:08", std::pair{7, 8}},
        {"999999999999999:999999999999999", std::pair{999999999999999, 999999999999999}},
        {"1000000000000000:1", std::nullopt},
        {"", std::nullopt},
        {":", std::nullopt},
        {"5", std::nullopt},
        {"5:", std::nullopt},
        {":5", std::nullopt},
        {"-1:3", std::nullopt},
        {"1:-3", std::nullopt},
        {"+1:3", std::nullopt},
        {"1:2:3", std::nullopt},
        {"1 :2", std::nullopt},
        {"a:2", std::nullopt},
        {"0x10:2", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<MemberRowRange> parsed = MemberRowRange::parse(c.text);
        ASSERT_EQ(parsed.has_value(), c.range.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(std::pair(parsed->first, parsed->count), *c.range) << c.text;
        }
    }
}

// WIDE: TEXT (1000 characters) and DAY (date); slot `badDay` holds a day past 9999-12-31, every
// 97th slot holds no record. At 1005 bytes a slot, the stream passes its second header block
// (stream block 32769) near slot 16 695.
struct RowRangeTest : ::testing::Test {
    static constexpr std::int32_t kLength = 1004;
    static constexpr int kRecords = 17000;

    static std::vector<std::uint8_t> build(int badDay) {
        std::vector<StreamSlot> stored;
        for (int n = 0; n < kRecords; ++n) {
            StreamSlot slot;
            slot.record = SaveFileBuilder::ebcdic("ROW" + std::to_string(n), 1000);
            slot.record.resize(kLength);
            SaveFileBuilder::putU32(slot.record, 1000,
                                    n == badDay ? 5373485 : 2451545 + static_cast<std::uint32_t>(n % 3000));
            slot.status = n % 97 == 5 ? 0x00 : 0x80;
            stored.push_back(std::move(slot));
        }
        BuiltObject file;
        file.name = "WIDE";
        file.attribute = "PF";
        file.fields = {{"TEXT", 0x0403, 1000, 0, 0, 0, 40}, {"DAY", 0x0B03, 4, 0, 0, 0, 40}};
        file.members = {{"MBR", "TXT", "Wide rows", kRecords}};
        BuiltPart part;
        part.objects = {file};
        SaveFileBuilder builder;
        builder.add(part).add(ContentFixtures::memberRecords("WIDE", "MBR", kLength, stored));
        return builder.build().bytes();
    }

    // The rows of `range` as the range listing gives them, its outcome and its messages.
    ViewOutcome listRange(const std::vector<std::uint8_t>& bytes, MemberRowRange range) {
        ranged = std::make_unique<ViewsFixture>();
        EXPECT_EQ(ranged->open(bytes), 0);
        ranged->session.listMember = [range](ViewSession& s, NodeContentTarget& t, MemberRef ref) {
            return showMemberRowRange(s, t, ref, range);
        };
        return ranged->showMember(0, 0, 0);
    }

    static std::vector<std::string> slice(const std::vector<std::string>& rows, std::int64_t first,
                                          std::int64_t count) {
        const auto from = std::min<std::size_t>(static_cast<std::size_t>(first), rows.size());
        const auto to = std::min<std::size_t>(static_cast<std::size_t>(first + count), rows.size());
        return {rows.begin() + static_cast<std::ptrdiff_t>(from),
                rows.begin() + static_cast<std::ptrdiff_t>(to)};
    }

    std::unique_ptr<ViewsFixture> ranged;
};

TEST_F(RowRangeTest, ARangeListsTheFullListingsRowsAtStartMiddleEndAndPastTheEnd) {
    const std::vector<std::uint8_t> bytes = build(-1);
    ViewsFixture full;
    ASSERT_EQ(full.open(bytes), 0);
    ASSERT_EQ(full.showMember(0, 0, 0), ViewOutcome::Shown);
    const std::vector<std::string> all = full.rows();
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kRecords));
    ASSERT_EQ(all[5], "-5");

    struct Case {
        std::int64_t first;
        std::int64_t count;
        std::size_t rows;
    };
    const Case cases[] = {
        {0, 100, 100},     // the start, with a slot without a record
        {8000, 10, 10},    // the middle
        {16690, 12, 12},   // across the stream's second header block
        {16990, 10, 10},   // the last rows
        {16995, 100, 5},   // running past the end
        {kRecords, 5, 0},  // just past the end
        {5000000, 5, 0},   // far past it
        {200, 0, 0},       // none asked for
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + ":" + std::to_string(c.count));
        EXPECT_EQ(listRange(bytes, {c.first, c.count}), ViewOutcome::Shown);
        EXPECT_EQ(ranged->rows().size(), c.rows);
        EXPECT_EQ(ranged->rows(), slice(all, c.first, c.count));
        EXPECT_EQ(ranged->columns(), full.columns());
        EXPECT_EQ(ranged->target.label1, full.target.label1);
        EXPECT_EQ(ranged->target.label2, full.target.label2);
        EXPECT_EQ(ranged->notifier.texts(), full.notifier.texts());
    }
}

// A record that does not decode ends the range as it ends the full listing: its row keeps the
// cells before the failing field, and "Error:during reading records" is said.
TEST_F(RowRangeTest, ARowThatDoesNotDecodeEndsTheRangeAsItEndsTheFullListing) {
    const std::vector<std::uint8_t> bytes = build(120);
    ViewsFixture full;
    ASSERT_EQ(full.open(bytes), 0);
    ASSERT_EQ(full.showMember(0, 0, 0), ViewOutcome::Failed);
    const std::vector<std::string> all = full.rows();
    ASSERT_EQ(all.size(), 121u);

    EXPECT_EQ(listRange(bytes, {117, 10}), ViewOutcome::Failed);
    EXPECT_EQ(ranged->rows(), slice(all, 117, 4));
    EXPECT_EQ(ranged->notifier.texts(), full.notifier.texts());
    // A range after that row never reads it.
    EXPECT_EQ(listRange(bytes, {121, 3}), ViewOutcome::Shown);
    EXPECT_EQ(ranged->rows().front().substr(0, 7), "121|ROW");
}

}  // namespace
}  // namespace quelvane::test
