#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "savefile/BlockFile.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/SaveFileReader.h"
#include "savefile/SegmentExpansionFailure.h"
#include "savefile/SegmentLayout.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/HostileSaves.h"
#include "tests/support/RecordingNotifier.h"

namespace quelvane::test {
namespace {

// The bytes of an entry of each kind that the readers decode, and so the least of the file each
// entry can stand for.
constexpr std::int64_t kObjectEntry = 151;
constexpr std::int64_t kFieldEntry = 35;
constexpr std::int64_t kMemberEntry = 32;
constexpr std::int32_t kIfsHeaderSize = 4096;

struct Held {
    std::int64_t objects = 0;
    std::int64_t fields = 0;
    std::int64_t members = 0;

    std::int64_t bytes() const {
        return objects * kObjectEntry + fields * kFieldEntry + members * kMemberEntry;
    }
};

// A parse of `bytes` with its report kept.
struct Parsed {
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    ParseReport report;
    int result = -1;

    explicit Parsed(const std::vector<std::uint8_t>& bytes) {
        catalog.path = "TEST.SAVF";
        MemoryBlockSource source(bytes);
        SaveFileReader reader(catalog, converter, notifier);
        result = reader.parseSaveFile(catalog.path, source).accepted ? 0 : -1;
        report = reader.report();
    }
};

Held heldBy(const Catalog& catalog) {
    Held held;
    for (const SavedPart& part : catalog.parts) {
        held.objects += static_cast<std::int64_t>(part.library.objects.size());
        for (const SavedObject& object : part.library.objects) {
            held.fields += static_cast<std::int64_t>(object.fields.size());
            held.members += static_cast<std::int64_t>(object.members.size());
        }
    }
    return held;
}

// Counts that claim far more entries than the file holds: the catalog keeps no more entries than
// the file's bytes can hold, and the parse says where and why it stopped.
TEST(ClaimedCounts, TheCatalogHoldsNoMoreEntriesThanTheFileHasBytesFor) {
    struct Case {
        const char* what;
        std::function<SaveFileBuilder()> build;
        ParseReport::Stop stop;
        const char* detail;
    };
    const Case cases[] = {
        {"400 files of 65535 fields each", [] { return HostileSaves::zeroLengthFields(400); },
         ParseReport::Stop::DecodingFailure, "65535 field entries claimed, more than the file can hold"},
        // The first library's made-up objects end the reading of every later one: their object
        // arrays are never made.
        {"1019 libraries of 2000 objects each", [] { return HostileSaves::claimedObjects(1019, 2000); },
         ParseReport::Stop::DirectoryUnread,
         "the description of object 133 of part 0: block beyond the end of the file"},
        {"12 files of 12000 members each", [] { return HostileSaves::claimedMembers(12, 12000); },
         ParseReport::Stop::DecodingFailure, "12000 member entries claimed, more than the file can hold"},
        {"12 files of 12000 unnamed members", [] { return HostileSaves::claimedMembers(12, 12000, true); },
         ParseReport::Stop::DecodingFailure, "12000 member entries claimed, more than the file can hold"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> bytes = c.build().build().bytes();
        Parsed fixture(bytes);
        ASSERT_EQ(fixture.result, 0);
        const Held held = heldBy(fixture.catalog);
        EXPECT_LE(held.bytes(), 2 * static_cast<std::int64_t>(bytes.size()));
        EXPECT_EQ(fixture.report.stop, c.stop) << fixture.report.text();
        EXPECT_EQ(fixture.report.detail, c.detail);
    }
}

// The same files, each claim cut down to what the file holds, read whole: the bound never costs an
// honest file an entry.
TEST(ClaimedCounts, ClaimsTheFileHoldsAreReadWhole) {
    Parsed members(HostileSaves::claimedMembers(12, 3).build().bytes());
    ASSERT_EQ(members.result, 0);
    EXPECT_EQ(members.report.stop, ParseReport::Stop::EndOfFile);
    const std::vector<SavedObject>& files = members.catalog.parts.at(0).library.objects;
    ASSERT_EQ(files.size(), 12u);
    EXPECT_EQ(files[11].members.size(), 3u);
    EXPECT_EQ(files[11].members[0].name, "M");
    EXPECT_EQ(files[11].members[2].name, "");
}

// Reads of one source, the largest single one remembered: what a reader asks for at once is what
// it makes room for.
class LargestRead final : public BlockSource {
  public:
    explicit LargestRead(BlockSource& inner) : inner_(inner) {}
    bool isOpen() const override { return inner_.isOpen(); }
    std::int64_t size() const override { return inner_.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override {
        largest = std::max(largest, count);
        return inner_.readAt(offset, target, count);
    }
    std::int64_t largest = 0;

  private:
    BlockSource& inner_;
};

// A compressed segment whose header claims millions of blocks: the expanded image is as large as
// the header says, but the segment's bodies are read in steps, each only once the one before it
// was filled, so the claim costs no more room than the data there is.
TEST(ClaimedCounts, ASegmentClaimingMoreBlocksIsReadOnlyAsFarAsItsData) {
    constexpr std::int64_t kStepBytes = 256 * 528;
    for (std::uint32_t claimed : {0x00200000u, 0x01000000u}) {
        SCOPED_TRACE(claimed);
        const std::vector<std::uint8_t> bytes = HostileSaves::inflatedStreamSegment(claimed);
        Parsed parsed(bytes);
        ASSERT_EQ(parsed.result, 0);
        EXPECT_EQ(parsed.report.detail.find("out of memory"), std::string::npos) << parsed.report.detail;
        MemoryBlockSource stored(bytes);
        Cp037Converter converter;
        std::shared_ptr<const SegmentLayout> layout = SegmentLayout::scan(stored, kIfsHeaderSize, converter);
        const auto segment =
            std::find_if(layout->segments().begin(), layout->segments().end(),
                         [claimed](const SegmentPlacement& s) { return s.blocks == claimed; });
        ASSERT_NE(segment, layout->segments().end());
        ExpandedBlockSource expanded(stored, layout);
        EXPECT_GT(expanded.size(), static_cast<std::int64_t>(claimed) * 528);
        LargestRead counted(expanded);
        std::vector<std::uint8_t> bodies;
        bool failed = false;
        try {
            bodies = BlockFile(counted).readBodies(segment->firstBlock, segment->blocks);
        } catch (const SegmentExpansionFailure&) {
            failed = true;
        }
        EXPECT_LE(counted.largest, kStepBytes);
        EXPECT_TRUE(failed || static_cast<std::int64_t>(bodies.size()) <= kStepBytes) << bodies.size();
    }
}

}  // namespace
}  // namespace quelvane::test
