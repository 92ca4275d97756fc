#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "savefile/FileBlockSource.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/support/Cp037Converter.h"
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
