#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "savefile/FileBlockSource.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/ReadBoundsSource.h"
#include "tests/support/RealFiles.h"
#include "tests/support/RecordingNotifier.h"
#include "views/OpenedSave.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

OpenedSave::StoredOpener fileOpener(const fs::path& path) {
    return [path] { return std::make_unique<FileBlockSource>(path.string()); };
}

std::int32_t saveFileObject(const Catalog& catalog) {
    const auto& objects = catalog.parts.at(0).library.objects;
    auto held = std::find_if(objects.begin(), objects.end(),
                             [](const SavedObject& o) { return o.attribute == "SAVF"; });
    return held == objects.end() ? -1 : static_cast<std::int32_t>(held - objects.begin());
}

// Each open reads into a fresh catalog: what an earlier file left (its segment table, its IFS
// entries, its parts) never shows in the next one, and a rejected file leaves nothing behind.
TEST(OpenedSaveRealFiles, EveryOpenStartsFromAnEmptyCatalog) {
    const fs::path dir(QUELVANE_SAVF_DIR);
    QUELVANE_REQUIRE_REAL_FILE(dir / "CSCH@009.SAVF");
    struct Case {
        const char* file;
        OpenedSave::Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"CSCH@009.SAVF", OpenedSave::Outcome::Opened},
        {"UZ_wcount25i.savf", OpenedSave::Outcome::Opened},
        {"MANIFEST.tsv", OpenedSave::Outcome::NotSaveFile},
        {"no such file", OpenedSave::Outcome::CannotOpen},
        {"GURI_demodb.savf", OpenedSave::Outcome::Opened},
        {"P4_EKO.SAVF", OpenedSave::Outcome::Opened},
        {"JTT_joblogtest.savf", OpenedSave::Outcome::Opened},
    };
    Cp037Converter converter;
    RecordingNotifier notifier;
    OpenedSave reused;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        OpenedSave fresh;
        ASSERT_EQ(fresh.open(fileOpener(dir / c.file), c.file, converter, notifier), c.outcome);
        ASSERT_EQ(reused.open(fileOpener(dir / c.file), c.file, converter, notifier), c.outcome);
        EXPECT_EQ(reused.catalog().path, c.file);
        EXPECT_EQ(reused.catalog().segments.fillCount(), fresh.catalog().segments.fillCount());
        EXPECT_EQ(reused.catalog().parts.size(), fresh.catalog().parts.size());
        EXPECT_EQ(reused.catalog().ifs.has_value(), fresh.catalog().ifs.has_value());
        if (c.outcome == OpenedSave::Outcome::Opened) {
            EXPECT_GT(reused.catalog().segments.fillCount(), 0);
            EXPECT_NE(reused.openReadable(), nullptr);
        }
        if (reused.catalog().ifs) {
            EXPECT_NE(reused.catalog().ifs->tree, nullptr);
        }
    }
}

// ARCHLIB holds a save of library ARCHLIB whose SAVF1 holds another: two steps down, each read
// over the repaired bytes of the one above, and the catalog keeps the file's path.
TEST(OpenedSaveRealFiles, HeldSavesDescendStepByStep) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "ANSI_ARCHLIB_v2.FILE";
    QUELVANE_REQUIRE_REAL_FILE(path);
    Cp037Converter converter;
    RecordingNotifier notifier;
    OpenedSave opened;
    ASSERT_EQ(opened.open(fileOpener(path), path.string(), converter, notifier), OpenedSave::Outcome::Opened);
    const std::int64_t outerSize = opened.openStored()->size();
    for (int depth = 1; depth <= 2; ++depth) {
        SCOPED_TRACE(depth);
        const std::int32_t object = saveFileObject(opened.catalog());
        ASSERT_GE(object, 0);
        const NestedSave where = opened.locateHeld({0, object});
        ASSERT_EQ(where.state, NestedSave::State::Found) << where.message;
        ASSERT_EQ(opened.descend(where, "held", converter, notifier), OpenedSave::Outcome::Opened);
        EXPECT_EQ(opened.catalog().path, path.string());
        EXPECT_FALSE(opened.catalog().parts.empty());
        EXPECT_LT(opened.openStored()->size(), outerSize);
        if (saveFileObject(opened.catalog()) < 0) {
            break;
        }
    }
}

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Asks to stop once the source has taken `limit` reads, and keeps the figures it heard and how
// many reads the source had taken when it first answered yes.
class StopAfter final : public ProgressReporter {
  public:
    StopAfter(std::int64_t limit, const ReadBounds& bounds) : limit_(limit), bounds_(bounds) {}

    void progress(std::int64_t done, std::int64_t total) override {
        ++heard;
        growing = growing && done > lastDone;
        lastDone = done;
        lastTotal = total;
    }
    bool cancelled() const override {
        if (bounds_.reads < limit_) {
            return false;
        }
        if (readsWhenStopped < 0) {
            readsWhenStopped = bounds_.reads;
        }
        return true;
    }

    std::int64_t heard = 0;
    std::int64_t lastDone = 0;
    std::int64_t lastTotal = 0;
    bool growing = true;
    mutable std::int64_t readsWhenStopped = -1;

  private:
    std::int64_t limit_;
    const ReadBounds& bounds_;
};

// A parse told how far it has read is stopped at its next read once asked, wherever that falls:
// in the first block, the damage check of a file whose grid moved, the expansion of a
// compressed save, the directory tree of an IFS save. Nothing of the file is left in the
// catalog; the figures heard add up every byte read, of the file's size.
TEST(OpenedSaveRealFiles, AStopRequestEndsTheParseAtTheNextRead) {
    const fs::path dir(QUELVANE_SAVF_DIR);
    QUELVANE_REQUIRE_REAL_FILE(dir / "CSCH@009.SAVF");
    for (const char* name :
         {"CSCH@009.SAVF", "P4_EKO.SAVF", "UZ_analog411i.savf", "NOX_release_2022-07-07.savf"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = fileBytes(dir / name);
        auto bounds = std::make_shared<ReadBounds>();
        const auto opener = [&bytes, bounds] { return std::make_unique<ReadBoundsSource>(bytes, bounds); };
        Cp037Converter converter;
        RecordingNotifier notifier;
        StopAfter whole(INT64_MAX, *bounds);
        OpenedSave opened;
        ASSERT_EQ(opened.open(opener, name, converter, notifier, &whole), OpenedSave::Outcome::Opened);
        EXPECT_TRUE(whole.growing);
        EXPECT_EQ(whole.lastDone, bounds->bytesRead);
        EXPECT_EQ(whole.lastTotal, static_cast<std::int64_t>(bytes.size()));
        const std::int64_t reads = bounds->reads;
        ASSERT_GT(reads, 3);
        for (std::int64_t limit :
             {std::int64_t{0}, std::int64_t{1}, reads / 3, 2 * reads / 3, reads - 1, reads}) {
            SCOPED_TRACE(limit);
            bounds->reads = 0;
            StopAfter stopping(limit, *bounds);
            OpenedSave cut;
            ASSERT_EQ(cut.open(opener, name, converter, notifier, &stopping), OpenedSave::Outcome::Cancelled);
            EXPECT_TRUE(cut.catalog().parts.empty());
            EXPECT_FALSE(cut.catalog().ifs.has_value());
            EXPECT_EQ(cut.catalog().segments.fillCount(), 0);
            EXPECT_EQ(cut.openStored(), nullptr);
            ASSERT_GE(stopping.readsWhenStopped, 0);
            EXPECT_EQ(bounds->reads, stopping.readsWhenStopped);
        }
    }
}

TEST(OpenedSave, NothingOpenedGivesNoSources) {
    OpenedSave opened;
    EXPECT_EQ(opened.openStored(), nullptr);
    EXPECT_EQ(opened.openReadable(), nullptr);
    EXPECT_EQ(opened.sourceOpener()(""), nullptr);
    Cp037Converter converter;
    RecordingNotifier notifier;
    EXPECT_EQ(opened.open({}, "x", converter, notifier), OpenedSave::Outcome::CannotOpen);
    const std::vector<std::uint8_t> bytes(100, 0x40);
    EXPECT_EQ(opened.open([&bytes] { return std::make_unique<MemoryBlockSource>(bytes); }, "x", converter,
                          notifier),
              OpenedSave::Outcome::NotSaveFile);
    EXPECT_FALSE(notifier.entries.empty());
}

}  // namespace
}  // namespace quelvane::test
