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
        folder_ = fs::temp_directory_path() / "quelvane-ifs-export";
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

}  // namespace
}  // namespace quelvane::test
