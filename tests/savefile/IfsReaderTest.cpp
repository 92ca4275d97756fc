#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "savefile/ExpandedBlockSource.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IfsPath.h"
#include "savefile/IfsReader.h"
#include "savefile/IfsStreamReader.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/IfsSaveBuilder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 528;
constexpr std::size_t kBase = 8 * 512 + 256;

std::string bigText() {
    std::string text = "<html>";
    while (text.size() < 70000) {
        text += "0123456789abcdef";
    }
    return text + "</html>";
}

IfsCatalog readImage(const Bytes& bytes) {
    MemoryBlockSource source(bytes);
    Cp037Converter converter;
    return IfsReader(source, converter).read(4096);
}

TEST(IfsReaderTest, DirectoryTreeAndStreamFileContent) {
    std::string html = bigText();
    IfsImage image =
        sampleImage("/site", {{"index.html", false, static_cast<std::uint32_t>(html.size()), kDataA},
                              {"img", true, 0, {}},
                              {"empty", false, 0, {}},
                              {"b.gif", false, 3, kDataB}});
    image.data(kDataA, html, 65536);
    image.data(kDataB, "GI;", 4096);
    IfsCatalog catalog = readImage(image.bytes);
    EXPECT_TRUE(catalog.problems.empty());
    EXPECT_EQ(catalog.release, "V4R4M0");
    EXPECT_EQ(catalog.targetRelease, "V4R2M0");
    ASSERT_EQ(catalog.entries.size(), 4u);
    EXPECT_EQ(catalog.entries[0].path, "/site/index.html");
    EXPECT_EQ(catalog.entries[0].owner, "TCPIP");
    EXPECT_EQ(catalog.entries[0].ccsid, 819);
    EXPECT_EQ(catalog.entries[0].typeText, "*STMF");
    ASSERT_TRUE(catalog.entries[0].modified);
    EXPECT_EQ(catalog.entries[0].modified->text(), "2000-05-27 03:51:09");
    EXPECT_EQ(catalog.entries[1].kind, IfsEntry::Kind::Directory);
    EXPECT_EQ(catalog.entries[1].path, "/site/img");

    MemoryBlockSource source(image.bytes);
    IfsStreamReader reader(source);
    std::string error;
    auto content = reader.read(catalog.entries[0], error);
    ASSERT_TRUE(content) << error;
    EXPECT_EQ(std::string(content->begin(), content->end()), html);
    auto empty = reader.read(catalog.entries[2], error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    auto gif = reader.read(catalog.entries[3], error);
    ASSERT_TRUE(gif) << error;
    EXPECT_EQ(std::string(gif->begin(), gif->end()), "GI;");
    EXPECT_FALSE(reader.read(catalog.entries[1], error));
}

TEST(IfsReaderTest, HostileNamesAreMarkedNotTrusted) {
    struct Case {
        std::string directory;
        std::string name;
        bool entryKept;
        bool trusted;
    };
    const Case cases[] = {
        {"/site", "ok.txt", true, true},
        {"/site", "..", true, false},
        {"/site", ".", true, false},
        {"/site", "a/../../b", true, false},
        {"/site", std::string("a\0b", 3), true, false},
        {"/site", "", true, false},
        {"site", "ok.txt", false, false},
        {"/site/../..", "ok.txt", false, false},
    };
    for (const Case& c : cases) {
        IfsImage image = sampleImage(c.directory, {{c.name, false, 0, {}}});
        IfsCatalog catalog = readImage(image.bytes);
        ASSERT_EQ(catalog.entries.size(), c.entryKept ? 1u : 0u) << c.directory << " " << c.name;
        if (c.entryKept) {
            EXPECT_EQ(catalog.entries[0].problem.empty(), c.trusted) << c.name;
        } else {
            EXPECT_FALSE(catalog.problems.empty());
        }
    }
}

TEST(IfsReaderTest, DamagedRecordsAndDataAreClearFailures) {
    std::string html = bigText();
    // An entry count that runs past the segment.
    IfsImage counts = sampleImage("/site", {{"a", false, 0, {}}});
    SaveFileBuilder::putU16(counts.bytes, 8 * kBlock + 8 * kBlock + 256 + 0x0E + 3, 0xFFFF);
    IfsCatalog damaged = readImage(counts.bytes);
    EXPECT_TRUE(damaged.entries.empty());
    EXPECT_FALSE(damaged.problems.empty());

    // A chain that points back at its first record.
    DirectoryBodies loop;
    loop.bytes().resize(kBase + 0x0E, 0);
    loop.record("HDR", {{}, header()}, 0, true);
    SaveFileBuilder::putU32(loop.bytes(), kBase + 0x0E + 6, 0x0E);
    IfsImage looping;
    looping.directory(loop);
    EXPECT_FALSE(readImage(looping.bytes).problems.empty());

    // Data shorter than the size, a piece larger than its segment, and a data segment not held.
    struct Case {
        const char* name;
        std::uint32_t size;
        std::uint32_t pieceSize;
        bool dataHeld;
    };
    const Case cases[] = {
        {"size past the data", static_cast<std::uint32_t>(html.size()) + 64000, 65536, true},
        {"piece past the segment", static_cast<std::uint32_t>(html.size()), 0x7FFFFFF0, true},
        {"data segment not held", static_cast<std::uint32_t>(html.size()), 65536, false},
    };
    for (const Case& c : cases) {
        IfsImage image = sampleImage("/site", {{"f", false, c.size, kDataA}});
        if (c.dataHeld) {
            image.data(kDataA, html, 65536);
            for (std::size_t i = 0; i < 2; ++i) {
                std::size_t table = image.bytes.size() - (8 + 2 * 128) * kBlock + kBlock + 16 * i;
                SaveFileBuilder::putU32(image.bytes, table, c.pieceSize);
            }
        }
        IfsCatalog catalog = readImage(image.bytes);
        ASSERT_EQ(catalog.entries.size(), 1u) << c.name;
        MemoryBlockSource source(image.bytes);
        std::string error;
        EXPECT_FALSE(IfsStreamReader(source).read(catalog.entries[0], error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

TEST(IfsPathTest, SafeComponents) {
    EXPECT_EQ(safeIfsComponents("/a/b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(safeIfsComponents("/"), std::vector<std::string>{});
    for (const char* hostile : {"a/b", "/a/../b", "/a//b", "/./a", "/a/", ""}) {
        EXPECT_FALSE(safeIfsComponents(hostile)) << hostile;
    }
    const std::uint8_t unpaired[] = {0xD8, 0x00, 0x00, 0x41};
    EXPECT_FALSE(utf16BigEndianToUtf8(unpaired, 4));
    const std::uint8_t accented[] = {0x00, 0xE9, 0x30, 0x42};
    EXPECT_EQ(utf16BigEndianToUtf8(accented, 4), "\xC3\xA9\xE3\x81\x82");
}

struct RealIfsCounts {
    const char* file;
    std::size_t entries;
    int streamFiles;
    int gifs;
    int pages;
};

// Stream files read in full; every GIF ends on its trailer byte, every HTML page on its closing
// tag and a line end (one page of analog411i spells it "</HTML>").
void checkRealIfsSave(const RealIfsCounts& expected) {
    std::string path = (fs::path(QUELVANE_SAVF_DIR) / expected.file).string();
    ReaderFixture fixture;
    fixture.catalog.segments.reset();
    SaveFileReader(fixture.catalog, fixture.converter, fixture.notifier).parseSaveFile(path);
    ASSERT_TRUE(fixture.catalog.ifs) << expected.file;
    const IfsCatalog& ifs = *fixture.catalog.ifs;
    EXPECT_TRUE(ifs.problems.empty()) << expected.file;
    EXPECT_EQ(fixture.catalog.parts.at(0).library.objectCount, 0);
    EXPECT_EQ(ifs.entries.size(), expected.entries) << expected.file;
    FileBlockSource stored(path);
    std::unique_ptr<BlockSource> expanded;
    if (fixture.catalog.layout != nullptr && fixture.catalog.layout->compressed()) {
        expanded = std::make_unique<ExpandedBlockSource>(stored, fixture.catalog.layout);
    }
    IfsStreamReader reader(expanded ? *expanded : static_cast<BlockSource&>(stored));
    int streamFiles = 0;
    int gifs = 0;
    int pages = 0;
    for (const IfsEntry& entry : ifs.entries) {
        if (entry.kind != IfsEntry::Kind::StreamFile) {
            continue;
        }
        ++streamFiles;
        std::string error;
        auto content = reader.read(entry, error);
        ASSERT_TRUE(content) << error;
        ASSERT_EQ(content->size(), entry.size);
        std::string text(content->begin(), content->end());
        if (entry.path.ends_with(".gif")) {
            ++gifs;
            EXPECT_EQ(content->back(), 0x3B) << entry.path;
        }
        if (entry.path.ends_with(".html")) {
            ++pages;
            EXPECT_TRUE(text.ends_with("</html>\r\n") || text.ends_with("</HTML>\r\n")) << entry.path;
        }
    }
    EXPECT_EQ(streamFiles, expected.streamFiles) << expected.file;
    EXPECT_EQ(gifs, expected.gifs) << expected.file;
    EXPECT_EQ(pages, expected.pages) << expected.file;
}

// Entry counts read by hand: wcount25i has 13 directory segments and 43 stream-file data
// segments; analog411i (run-length in the older framing) lists 221 entries.
TEST(RealIfsSaveTest, StoredAndCompressedSavesListAndExtractCompletely) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    checkRealIfsSave({"UZ_wcount25i.savf", 55, 43, 35, 6});
    checkRealIfsSave({"UZ_analog411i.savf", 221, 218, 60, 49});
}

TEST(RealIfsSaveTest, FirstEntryOfWcount) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    std::string path = (fs::path(QUELVANE_SAVF_DIR) / "UZ_wcount25i.savf").string();
    ReaderFixture fixture;
    fixture.catalog.segments.reset();
    SaveFileReader(fixture.catalog, fixture.converter, fixture.notifier).parseSaveFile(path);
    ASSERT_TRUE(fixture.catalog.ifs);
    const IfsEntry& first = fixture.catalog.ifs->entries.at(0);
    EXPECT_EQ(first.path, "/wcount/Count.html");
    EXPECT_EQ(first.size, 106347u);
    EXPECT_EQ(first.ccsid, 942);
    EXPECT_EQ(first.owner, "TCPIP");
}

}  // namespace
}  // namespace quelvane::test
