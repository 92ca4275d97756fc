#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "export/IfsEntryExport.h"
#include "savefile/IfsReader.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/IfsSaveBuilder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class IfsEntryExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A folder per case: ctest runs the cases as processes side by side.
        folder_ = fs::temp_directory_path() /
                  ("quelvane-ifs-export-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        IfsImage image = sampleImage("/site", {{"index.html", false, 11, kDataA},
                                               {"img", true, 0, {}},
                                               {"..", false, 4, kDataB},
                                               {"lost.txt", false, 9, {0, 0, 0, 0, 0, 0, 0, 9}},
                                               {"b.gif", false, 4, kDataB}});
        image.data(kDataA, "<html>.</ht", 4096);
        image.data(kDataB, "GIF;", 4096);
        bytes_ = image.bytes;
        MemoryBlockSource source(bytes_);
        Cp037Converter converter;
        ifs_ = IfsReader(source, converter).read(4096);
        ASSERT_EQ(ifs_.entries.size(), 5u);
    }

    void TearDown() override { fs::remove_all(folder_); }

    std::size_t filesIn(const fs::path& path) const {
        std::size_t files = 0;
        for (const auto& item : fs::recursive_directory_iterator(path)) {
            files += item.is_regular_file();
        }
        return files;
    }

    fs::path folder_;
    Bytes bytes_;
    IfsCatalog ifs_;
};

TEST_F(IfsEntryExportTest, WhatAPathNamesAndWhereTheWindowWritesIt) {
    MemoryBlockSource source(bytes_);
    IfsEntryExport exporter(source, ifs_);
    struct Case {
        const char* path;
        IfsEntryExport::Kind kind;
        fs::path target;
    };
    const Case cases[] = {
        {"/", IfsEntryExport::Kind::Directory, "f"},
        {"/site", IfsEntryExport::Kind::Directory, "f/site"},
        {"/site/", IfsEntryExport::Kind::Directory, "f/site"},
        {"/site/img", IfsEntryExport::Kind::Directory, "f/img"},
        {"/site/index.html", IfsEntryExport::Kind::Entry, "f/index.html"},
        {"/site/nothing", IfsEntryExport::Kind::None, "f/nothing"},
        {"/site/..", IfsEntryExport::Kind::None, ""},
        {"site", IfsEntryExport::Kind::None, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exporter.kindOf(c.path), c.kind) << c.path;
        EXPECT_EQ(IfsEntryExport::targetIn("f", c.path), c.target) << c.path;
    }
}

TEST_F(IfsEntryExportTest, DirectoriesAreWrittenInsideTheFolderAndFailuresListed) {
    MemoryBlockSource source(bytes_);
    IfsEntryExport exporter(source, ifs_);
    std::size_t reports = 0;
    EXPECT_FALSE(exporter.write("/site", folder_ / "site", [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 5u);
        EXPECT_EQ(done, ++reports);
        return true;
    }));
    EXPECT_EQ(reports, 5u);
    EXPECT_EQ(slurp(folder_ / "site" / "index.html"), "<html>.</ht");
    EXPECT_EQ(slurp(folder_ / "site" / "b.gif"), "GIF;");
    EXPECT_TRUE(fs::is_directory(folder_ / "site" / "img"));
    EXPECT_EQ(exporter.filesWritten(), 2u);
    EXPECT_EQ(filesIn(folder_), 2u);
    ASSERT_EQ(exporter.failures().size(), 2u);
    EXPECT_EQ(exporter.failures()[0], "/site/..: unsafe name, not extracted");
    EXPECT_TRUE(exporter.failures()[1].starts_with("/site/lost.txt")) << exporter.failures()[1];

    IfsEntryExport one(source, ifs_);
    EXPECT_TRUE(one.write("/site/b.gif", folder_ / "single.gif"));
    EXPECT_EQ(slurp(folder_ / "single.gif"), "GIF;");
    EXPECT_FALSE(one.write("/site/nothing", folder_ / "x"));
    EXPECT_FALSE(fs::exists(folder_ / "x"));
}

TEST_F(IfsEntryExportTest, AnAnswerOfFalseStopsTheExport) {
    MemoryBlockSource source(bytes_);
    IfsEntryExport exporter(source, ifs_);
    EXPECT_FALSE(
        exporter.write("/", folder_ / "all", [](std::size_t done, std::size_t) { return done < 1; }));
    EXPECT_TRUE(exporter.cancelled());
    EXPECT_EQ(exporter.filesWritten(), 1u);
    EXPECT_EQ(filesIn(folder_), 1u);
}

// What a folder export finds in the target folder decides, and nothing outside it changes: a
// file already there is kept (and reported) unless the caller allows replacing it, a link is
// never written through, two entries of one path get two files.
TEST_F(IfsEntryExportTest, FilesAlreadyInTheFolderAreKeptUnlessReplacingIsAllowed) {
    const fs::path outside = folder_ / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "victim") << "outside";
    IfsCatalog twice = ifs_;
    twice.entries.push_back(twice.entries.front());  // /site/index.html again
    MemoryBlockSource source(bytes_);
    struct Case {
        const char* what;
        bool replace;
        const char* prepared;  // "file", "link" or "" at site/index.html
        const char* kept;      // what site/index.html holds afterwards
        const char* said;      // part of the failures
        std::size_t replaced;
    };
    const Case cases[] = {
        {"an empty folder", false, "", "<html>.</ht", "", 0},
        {"a file there, kept", false, "file", "mine", "index.html exists; not replaced", 0},
        {"a file there, replaced", true, "file", "<html>.</ht", "", 1},
        {"a link there", true, "link", "outside", "index.html is a link; nothing is written through it", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = folder_ / "t";
        fs::remove_all(target);
        fs::create_directories(target / "site");
        if (std::string(c.prepared) == "file") {
            std::ofstream(target / "site" / "index.html") << "mine";
        } else if (std::string(c.prepared) == "link") {
            fs::create_symlink(outside / "victim", target / "site" / "index.html");
        }
        IfsEntryExport exporter(source, twice);
        exporter.setReplaceExisting(c.replace);
        exporter.write("/", target);
        EXPECT_EQ(slurp(target / "site" / "index.html"), c.kept);
        EXPECT_EQ(slurp(target / "site" / "index_2.html"), "<html>.</ht");
        ASSERT_EQ(exporter.renamed().size(), 1u);
        EXPECT_EQ(exporter.renamed()[0], "/site/index.html: written as site/index_2.html");
        EXPECT_EQ(exporter.replaced().size(), c.replaced);
        std::string failures;
        for (const std::string& failure : exporter.failures()) {
            failures += failure + "\n";
        }
        EXPECT_NE(failures.find(c.said), std::string::npos) << failures;
        EXPECT_EQ(slurp(outside / "victim"), "outside");
    }
}

}  // namespace
}  // namespace quelvane::test
