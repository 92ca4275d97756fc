#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RealFiles.h"
#include "tests/support/RecordingNotifier.h"
#include "tests/views/ViewsFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Files whose stored data this program reads as stored: saved without compression, holding a
// library, with a whole header and no stray bytes.
const std::set<std::string> kReadableFiles = {
    "VCF_VCFV1R0.SAVF", "FLSEARCH.SAVF", "JTT_ddmtestsav.savf", "JTT_javaprime.savf", "JTT_w95lib.savf",
    "UZ_smtp136.savf", "OSSX_hats.savf", "ANSI_ARCHLIB_v2.FILE", "ANSI_MYSAVF.FILE", "UZ_zlib123.savf",
    "JTT_rmlib.savf", "UZ_csv_2-14.savf",
    // Saved with data compression: read through their expanded image.
    "CSCH@009.SAVF", "UZ_htp_510.savf", "ANSI_QSI70544.FILE", "GURI_demodb.savf", "GURI_ofdemo.savf",
    "ANSI_QSI70931.FILE", "NOX_release_2022-07-07.savf"};

std::vector<fs::path> saveFiles() { return test::realSaveFiles(QUELVANE_SAVF_DIR); }

// A program run over one real file, read from disk as the window does.
struct RealFile {
    explicit RealFile(const fs::path& path) {
        catalog.path = path.string();
        SaveFileReader reader(catalog, converter, notifier);
        parsed = reader.parseSaveFile(catalog.path).accepted;
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

    // The rows of member `member` of object `object` in part `part`, or a note of what failed.
    std::vector<std::string> memberRows(std::size_t part, const std::string& object,
                                        const std::string& member) {
        const auto& objects = catalog.parts.at(part).library.objects;
        for (std::size_t o = 0; o < objects.size(); ++o) {
            for (std::size_t m = 0; o < objects.size() && m < objects[o].members.size(); ++m) {
                if (objects[o].name == object && objects[o].members[m].name == member) {
                    if (show(3, static_cast<std::int32_t>(m), static_cast<std::int32_t>(o),
                             static_cast<std::int32_t>(part)) != ViewOutcome::Shown) {
                        return {"failed"};
                    }
                    return rows();
                }
            }
        }
        return {"no such member"};
    }
};

std::unique_ptr<RealFile> openReal(const std::string& name) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / name;
    if (!fs::exists(path)) {
        return nullptr;
    }
    return std::make_unique<RealFile>(path);
}

// The part's physical files, as "NAME(members)".
std::vector<std::string> physicalFiles(const RealFile& file, std::size_t part) {
    std::vector<std::string> out;
    for (const SavedObject& object : file.catalog.parts.at(part).library.objects) {
        if (object.attribute == "PF") {
            out.push_back(object.name + "(" + std::to_string(object.members.size()) + ")");
        }
    }
    return out;
}

TEST(RealSaveFiles, EveryNodeOfEveryFileShowsWithoutCrashing) {
    std::vector<fs::path> files = saveFiles();
    if (files.empty()) {
        QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR));
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
    QUELVANE_REQUIRE_REAL_FILE(path);
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
    QUELVANE_REQUIRE_REAL_FILE(path);
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

// A SAVLIB save with run-length compression whose catalog itself is coded: 56 segments, the
// second holding the object directory; the second part has eight physical files.
TEST(RealCompressedFiles, RunLengthSavlibShowsItsWholeCatalogAndRecords) {
    auto file = openReal("CSCH@009.SAVF");
    if (!file) {
        QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "CSCH@009.SAVF");
        GTEST_SKIP() << "CSCH@009.SAVF";
    }
    ASSERT_TRUE(file->parsed);
    EXPECT_EQ(file->catalog.segments.fillCount(), 56);
    EXPECT_EQ(file->catalog.header.dataStorage, "run-length");
    ASSERT_EQ(file->catalog.parts.size(), 2U);
    EXPECT_EQ(physicalFiles(*file, 1),
              (std::vector<std::string>{"MSYOP@3(1)", "MSYOP@4(1)", "QDDSSRC(9)", "QDSPSRC(4)",
                                        "QRPGLESRC(23)", "QRPGSRC(13)", "SUR1P(1)", "SUR2P(1)"}));
    std::vector<std::string> dds = file->memberRows(1, "QDDSSRC", "SUR1P");
    ASSERT_EQ(dds.size(), 13U);
    EXPECT_EQ(dds.front().rfind("0|0001.00|250905|     A          R SUR1R", 0), 0U) << dds.front();
    std::vector<std::string> rpg = file->memberRows(1, "QRPGSRC", "BAD011R");
    EXPECT_EQ(rpg.size(), 30U);
    std::vector<std::string> data = file->memberRows(1, "SUR1P", "SUR1P");
    ASSERT_EQ(data.size(), 13U);
    EXPECT_EQ(data.front(), "0|00000000001|20250901|00001|0000910|000005050|20250901|000000|DFU       ");
}

// The V4R4-era framing: no coded length in the header; the stored-block count at offset 72 is
// below N - 1 and those blocks hold one run-length stream.
TEST(RealCompressedFiles, OlderRunLengthFramingReadsTheRexxSource) {
    auto file = openReal("UZ_htp_510.savf");
    if (!file) {
        QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "UZ_htp_510.savf");
        GTEST_SKIP() << "UZ_htp_510.savf";
    }
    ASSERT_TRUE(file->parsed);
    EXPECT_EQ(file->catalog.header.dataStorage, "run-length");
    std::vector<std::string> make = file->memberRows(0, "SOURCE", "MAKE");
    ASSERT_EQ(make.size(), 49U);
    EXPECT_EQ(make.front().rfind("0|0001.00|000312|/* REXX procedure to make SPL2STMF command */", 0), 0U)
        << make.front();
}

// TERSE chunks (*MEDIUM): a registrant master of 1000 records and a prefecture master of 47.
TEST(RealCompressedFiles, TerseSaveListsItsMasterFiles) {
    auto file = openReal("GURI_demodb.savf");
    if (!file) {
        QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf");
        GTEST_SKIP() << "GURI_demodb.savf";
    }
    ASSERT_TRUE(file->parsed);
    EXPECT_EQ(file->catalog.header.dataStorage, "TERSE");
    EXPECT_EQ(file->memberRows(0, "PERSON", "PERSON").size(), 1000U);
    EXPECT_EQ(file->memberRows(0, "PREFCODE", "PREFCODE").size(), 47U);
    EXPECT_EQ(file->memberRows(0, "QDDSSRC", "PREFCODE").size(), 5U);
}

// LZ1 chunks (*HIGH) in a SAVLIB save whose catalog is coded too: library NOXDB, its source
// files in the second part.
TEST(RealCompressedFiles, Lz1SavlibShowsItsSourceFiles) {
    auto file = openReal("NOX_release_2022-07-07.savf");
    if (!file) {
        QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "NOX_release_2022-07-07.savf");
        GTEST_SKIP() << "NOX_release_2022-07-07.savf";
    }
    ASSERT_TRUE(file->parsed);
    EXPECT_EQ(file->catalog.header.dataStorage, "LZ1");
    ASSERT_EQ(file->catalog.parts.size(), 2U);
    EXPECT_EQ(file->catalog.parts[0].library.name, "NOXDB");
    std::vector<std::string> trace = file->memberRows(1, "QCLLESRC", "TRACE");
    ASSERT_EQ(trace.size(), 341U);
}

}  // namespace
}  // namespace quelvane::test
