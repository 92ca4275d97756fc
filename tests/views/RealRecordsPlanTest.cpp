// The format plan over the records of every member of the real save files: each value a fast
// step takes reads as the general decoder reads it, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "conversion/PcTextToUtf8.h"
#include "savefile/MemberSegment.h"
#include "savefile/ObjectKinds.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RealFiles.h"
#include "tests/support/RecordingNotifier.h"
#include "views/FieldDecoder.h"
#include "views/LoadedFieldPlan.h"
#include "views/MemberRecordStream.h"
#include "views/MemoryContentList.h"
#include "views/PairByteTable.h"
#include "views/ViewSession.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kPcPage = 1252;

struct Tally {
    std::int64_t fast = 0;
    std::int64_t general = 0;
};

class RealRecordsPlan {
  public:
    explicit RealRecordsPlan(const fs::path& path) {
        catalog_.path = path.string();
        SaveFileReader reader(catalog_, converter_, notifier_);
        reader.parseSaveFile(catalog_.path);
    }

    void compareEveryMember(Tally& tally) {
        for (const SavedPart& part : catalog_.parts) {
            for (const SavedObject& object : part.library.objects) {
                if (!isPhysicalFile(object)) {
                    continue;
                }
                for (const SavedMember& member : object.members) {
                    compareMember(object, member, tally);
                }
            }
        }
    }

  private:
    void compareMember(const SavedObject& file, const SavedMember& member, Tally& tally) {
        const std::optional<std::int32_t> segment =
            findMemberSegment(catalog_.segments, file.name, member.name);
        if (!segment) {
            return;
        }
        const SegmentEntry& entry = catalog_.segments.slot(*segment);
        MemberRecordStream stream;
        if (!stream.open(session_.openSaveFile(), entry.sequence, file.recordLength, member.recordCount,
                         entry.recordDistance)) {
            return;
        }
        const std::size_t count =
            std::min(file.fields.size(), static_cast<std::size_t>(std::max(file.fieldCount, 0)));
        LoadedFieldPlan plan(file, count, table_.get());
        while (std::optional<MemberRecordStream::Slot> slot = stream.nextSlot()) {
            if (!slot->holdsRecord()) {
                continue;
            }
            for (std::size_t i = 0; i < count; ++i) {
                compareField(plan, i, file.fields[i], slot->record, tally);
            }
        }
    }

    void compareField(LoadedFieldPlan& plan, std::size_t index, const SavedField& field,
                      std::span<const std::uint8_t> record, Tally& tally) {
        std::string text;
        LoadedKind kind{};
        try {
            if (!plan.decode(index, record, text, kind)) {
                ++tally.general;
                return;
            }
        } catch (const FieldDecodingFailure&) {
            ++tally.general;
            return;
        }
        ++tally.fast;
        std::string expected;
        const LoadedKind expectedKind = decodeLoadedFieldValue(
            record.subspan(static_cast<std::size_t>(field.offset)), field, converter_, expected);
        if (expectedKind == LoadedKind::Text) {
            utf8_.toUtf8InPlace(expected);
        }
        ASSERT_EQ(text, expected) << catalog_.path << " " << field.name;
        ASSERT_EQ(kind, expectedKind) << catalog_.path << " " << field.name;
    }

    Catalog catalog_;
    Cp037Converter converter_;
    RecordingNotifier notifier_;
    MemoryContentList list_;
    ViewSession session_{catalog_, converter_, notifier_, list_};
    PcTextToUtf8 utf8_{kPcPage};
    std::unique_ptr<PairByteTable> table_ = PairByteTable::probe(converter_, utf8_);
};

TEST(RealRecordsPlan, EveryValueAFastStepTakesReadsAsTheGeneralDecoderReadsIt) {
    QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR));
    const std::vector<fs::path> files = test::realSaveFiles(QUELVANE_SAVF_DIR);
    Tally tally;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        RealRecordsPlan(path).compareEveryMember(tally);
    }
    // The real members hold thousands of values of the types the plan takes.
    EXPECT_GT(tally.fast, 1000);
}

}  // namespace
}  // namespace quelvane::test
