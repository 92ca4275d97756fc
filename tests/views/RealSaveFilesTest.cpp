#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RecordingNotifier.h"
#include "tests/views/ViewsFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Files whose stored data this program reads as stored: saved without compression, holding a
// library, with a whole header and no stray bytes.
const std::set<std::string> kReadableFiles = {
    "VCF_VCFV1R0.SAVF", "FLSEARCH.SAVF",   "JTT_ddmtestsav.savf", "JTT_javaprime.savf",
    "JTT_w95lib.savf",  "UZ_smtp136.savf", "OSSX_hats.savf",      "ANSI_ARCHLIB_v2.FILE",
    "ANSI_MYSAVF.FILE", "UZ_zlib123.savf", "JTT_rmlib.savf"};

std::vector<fs::path> saveFiles() {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(QUELVANE_SAVF_DIR, error)) {
        std::string ext = entry.path().extension().string();
        if (ext != ".md" && ext != ".tsv") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A program run over one real file, read from disk as the window does.
struct RealFile {
    explicit RealFile(const fs::path& path) {
        catalog.path = path.string();
        SaveFileReader reader(catalog, converter, notifier);
        parsed = reader.parseSaveFile(catalog.path) == 0;
        tree = buildCatalogTree(catalog);
    }

    ViewOutcome show(int level, std::int32_t index, std::int32_t parent, std::int32_t grandparent) {
        notifier.entries.clear();
        return showNodeContent(session, target, NodePosition{level, index, parent, grandparent});
    }

    // The member's rows as "caption|cell|cell" lines.
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (std::int64_t r = 0; r < list.rowCount(); ++r) {
            std::string line(list.rowCaption(r));
            for (int c = 0; c < list.cellCount(r); ++c) {
                line += "|";
                line += list.cellText(r, c);
            }
            out.push_back(line);
        }
        return out;
    }

    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    MemoryContentList list;
    RecordingTarget target{list, catalog};
    ViewSession session{catalog, converter, notifier, list};
    CatalogTree tree;
    bool parsed = false;
};

TEST(RealSaveFiles, EveryNodeOfEveryFileShowsWithoutCrashing) {
    std::vector<fs::path> files = saveFiles();
    if (files.empty()) {
        GTEST_SKIP() << "no save files in " << QUELVANE_SAVF_DIR;
    }
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        RealFile file(path);
        if (file.tree.roots.empty()) {
            continue;
        }
        bool readable = kReadableFiles.count(path.filename().string()) > 0;
        file.show(0, 0, 0, 0);
        const CatalogTreeNode& root = file.tree.roots.front();
        for (std::size_t p = 0; p < root.children.size(); ++p) {
            file.show(1, static_cast<std::int32_t>(p), 0, 0);
            const CatalogTreeNode& part = root.children[p];
            for (std::size_t o = 0; o < part.children.size(); ++o) {
                file.show(2, static_cast<std::int32_t>(o), static_cast<std::int32_t>(p), 0);
                const SavedObject& object = file.catalog.parts[p].library.objects[o];
                for (std::size_t m = 0; m < part.children[o].children.size(); ++m) {
                    ViewOutcome outcome =
                        file.show(3, static_cast<std::int32_t>(m), static_cast<std::int32_t>(o),
                                  static_cast<std::int32_t>(p));
                    // Source members and the other members of readable files decode throughout.
                    if (readable) {
                        EXPECT_EQ(outcome, ViewOutcome::Shown)
                            << object.name << "/" << object.members[m].name;
                        EXPECT_EQ(file.notifier.texts(), std::vector<std::string>{})
                            << object.name << "/" << object.members[m].name;
                    }
                }
            }
        }
    }
}

TEST(RealSaveFiles, CLSourceMemberRecordsMatchTheSourceText) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "VCF_VCFV1R0.SAVF";
    if (!fs::exists(path)) {
        GTEST_SKIP() << path;
    }
    RealFile file(path);
    ASSERT_TRUE(file.parsed);
    const auto& objects = file.catalog.parts.at(0).library.objects;
    auto source =
        std::find_if(objects.begin(), objects.end(), [](const SavedObject& o) { return o.name == "QCLSRC"; });
    ASSERT_NE(source, objects.end());
    auto object = static_cast<std::int32_t>(source - objects.begin());
    ASSERT_EQ(source->members.at(0).name, "VCFSTUB");
    EXPECT_EQ(file.show(3, 0, object, 0), ViewOutcome::Shown);
    std::vector<std::string> rows = file.rows();
    ASSERT_EQ(rows.size(), 6U);
    EXPECT_EQ(rows.front().rfind("0|0001.00|230904|", 0), 0U) << rows.front();
    EXPECT_NE(rows[1].find("PGM"), std::string::npos) << rows[1];
    EXPECT_NE(rows.back().find("ENDPGM"), std::string::npos) << rows.back();
}

TEST(RealSaveFiles, ASavedSaveFileWithDataIsNotCalledNull) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "ANSI_ARCHLIB_v2.FILE";
    if (!fs::exists(path)) {
        GTEST_SKIP() << path;
    }
    RealFile file(path);
    ASSERT_TRUE(file.parsed);
    const auto& objects = file.catalog.parts.at(0).library.objects;
    auto saveFile = std::find_if(objects.begin(), objects.end(),
                                 [](const SavedObject& o) { return o.attribute == "SAVF"; });
    ASSERT_NE(saveFile, objects.end());
    file.show(2, static_cast<std::int32_t>(saveFile - objects.begin()), 0, 0);
    EXPECT_EQ(file.list.columnCount(), 1);
    EXPECT_EQ(file.list.rowCount(), 0);
}

}  // namespace
}  // namespace quelvane::test
