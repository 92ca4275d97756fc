#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "savefile/FileBlockSource.h"
#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/RealFiles.h"
#include "tests/views/ShowEveryNode.h"
#include "tests/views/SpoiledWalk.h"
#include "tests/views/ViewsFixture.h"
#include "views/IfsNodeView.h"
#include "views/StreamFileView.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// A parse reads the directories and the stream files' headers, some twice; it never reads the
// whole file over and over.
constexpr std::int64_t kParseRereads = 4;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(StreamFileViewTest, TextOnlyForTextPagesAndTextLikeBytes) {
    struct Case {
        std::optional<std::uint16_t> ccsid;
        std::string bytes;
        StreamFileView::Form form;
    };
    const std::string mostlyText = std::string(199, 'a') + "\x01";
    const std::string controlled = std::string(197, 'a') + "\x01\x02\x03";
    const Case cases[] = {
        {819, "hello\r\nworld\r\n", StreamFileView::Form::Text},
        {942, "<html>\r\n\t<body>\f", StreamFileView::Form::Text},
        {1208, "caf\xC3\xA9\n", StreamFileView::Form::Text},
        {1252, "", StreamFileView::Form::Text},
        {37, "\xC8\x85\x93\x93\x96\x25\x05\x15", StreamFileView::Form::Text},
        {819, std::string("GIF89a\x01\x00\x01\x00", 10), StreamFileView::Form::HexDump},
        {37, "\xC8\x85\x93\x01\x93\x96", StreamFileView::Form::HexDump},
        {819, mostlyText, StreamFileView::Form::Text},
        {819, controlled, StreamFileView::Form::HexDump},
        {65535, "hello", StreamFileView::Form::HexDump},
        {13488, "hello", StreamFileView::Form::HexDump},
        {std::nullopt, "hello", StreamFileView::Form::HexDump},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StreamFileView::formOf(c.ccsid, bytesOf(c.bytes)), c.form)
            << c.ccsid.value_or(0) << " " << c.bytes;
    }
}

struct ShownFile {
    std::vector<std::string> columns;
    std::vector<std::string> rows;
};

ShownFile showFile(std::optional<std::uint16_t> ccsid, const std::string& bytes,
                   StreamFileLimits limits = {}) {
    MemoryContentList list;
    Cp037Converter ebcdic;
    StreamFileView::show(list, ebcdic, 1252, ccsid, bytesOf(bytes), limits);
    ShownFile shown;
    for (int c = 0; c < list.columnCount(); ++c) {
        shown.columns.push_back(list.column(c).caption);
    }
    for (std::int64_t r = 0; r < list.rowCount(); ++r) {
        std::string line(list.rowCaption(r));
        for (int c = 0; c < list.cellCount(r); ++c) {
            line += "|" + std::string(list.cellText(r, c));
        }
        shown.rows.push_back(line);
    }
    return shown;
}

TEST(StreamFileViewTest, TextLinesInThePcCodePage) {
    struct Case {
        std::uint16_t ccsid;
        std::string bytes;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {819, "one\r\n\ttab\r\n\r\nlast", {"one", "        tab", "", "last"}},
        {819, "caf\xE9\n", {"caf\xE9"}},
        {1208, "caf\xC3\xA9\n", {"caf\xE9"}},
        {850, "caf\x82\n", {"caf\xE9"}},
        {1208, "\xE3\x81\x82!\n", {"?!"}},
        {37, "\xC8\x85\x93\x93\x96\x25\x81\x0D\x15\x82", {"Hello", "a", "b"}},
    };
    for (const Case& c : cases) {
        ShownFile shown = showFile(c.ccsid, c.bytes);
        EXPECT_EQ(shown.columns, std::vector<std::string>{"Text, CCSID " + std::to_string(c.ccsid)});
        EXPECT_EQ(shown.rows, c.rows) << c.ccsid;
    }
}

TEST(StreamFileViewTest, LargeFilesAreCutWithALastLineSayingSo) {
    ShownFile text = showFile(819, "line one\nline two\n", {10, 100});
    EXPECT_EQ(text.rows, (std::vector<std::string>{"line one", "l", StreamFileView::cutLine(10, 18)}));
    EXPECT_NE(text.rows.back().find("10 of 18 bytes"), std::string::npos);
    ShownFile wide = showFile(819, std::string(StreamFileView::kLongestRow + 5, 'a') + "\nb");
    EXPECT_EQ(wide.rows,
              (std::vector<std::string>{std::string(StreamFileView::kLongestRow, 'a'), "aaaaa", "b"}));

    std::string data = "GIF89a";
    data += std::string("\x00\x01\x7F\x80\xFF", 5);
    data += std::string(9, 'z');
    ShownFile dump = showFile(65535, data);
    EXPECT_EQ(dump.columns, (std::vector<std::string>{"Offset", "Hex", "Characters"}));
    EXPECT_EQ(dump.rows, (std::vector<std::string>{
                             "00000000|47 49 46 38 39 61 00 01  7F 80 FF 7A 7A 7A 7A 7A|GIF89a.....zzzzz",
                             "00000010|7A 7A 7A 7A|zzzz"}));
    ShownFile cut = showFile(65535, data, {100, 16});
    ASSERT_EQ(cut.rows.size(), 2u);
    EXPECT_EQ(cut.rows[1], StreamFileView::cutLine(16, 20));

    // EBCDIC data dumps its characters through the conversion.
    ShownFile ebcdic = showFile(37, std::string("\xC1\x00\xC2", 3));
    EXPECT_EQ(ebcdic.rows, std::vector<std::string>{"00000000|C1 00 C2|A.B"});
}

class IfsNodeViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        IfsImage image = sampleImage("/site", {{"index.html", false, 15, kDataA},
                                               {"img", true, 0, {}},
                                               {"lost.txt", false, 9, {0, 0, 0, 0, 0, 0, 0, 9}},
                                               {"b.gif", false, 6, kDataB}});
        image.data(kDataA, "<html>\r\n</html>", 4096);
        image.data(kDataB, std::string("GIF\x00\x01;", 6), 4096);
        ASSERT_EQ(fixture_.open(image.complete()), 0);
        ASSERT_TRUE(fixture_.catalog.ifs);
    }

    ViewOutcome show(const std::string& path) {
        fixture_.target.reset();
        NodePosition node;
        node.ifsPath = path;
        return showNodeContent(fixture_.session, fixture_.target, node);
    }

    ViewsFixture fixture_;
};

TEST_F(IfsNodeViewTest, DirectoriesListTheirEntries) {
    EXPECT_EQ(show("/site"), ViewOutcome::Shown);
    EXPECT_EQ(fixture_.columns(), (std::vector<std::string>{"Name|200|L", "Type|60|L", "Size|80|R",
                                                            "Modified|130|L", "Owner|90|L", "CCSID|60|R"}));
    EXPECT_EQ(fixture_.rows(), (std::vector<std::string>{
                                   "img|*DIR||2000-05-27 03:51:09|TCPIP|819",
                                   "b.gif|*STMF|6|2000-05-27 03:51:09|TCPIP|819",
                                   "index.html|*STMF|15|2000-05-27 03:51:09|TCPIP|819",
                                   "lost.txt|*STMF|9|2000-05-27 03:51:09|TCPIP|819",
                               }));
    EXPECT_EQ(fixture_.target.label1, "Directory:  /site");
    EXPECT_EQ(fixture_.target.label2, "1 directory, 3 files");
    EXPECT_TRUE(fixture_.target.exportEnabled);

    show("/");
    EXPECT_EQ(fixture_.rows(), std::vector<std::string>{"site|*DIR"});
}

TEST_F(IfsNodeViewTest, StreamFilesShowTheirContentAndUnreadableOnesSayWhy) {
    show("/site/index.html");
    EXPECT_EQ(fixture_.rows(), (std::vector<std::string>{"<html>", "</html>"}));
    EXPECT_EQ(fixture_.target.label1, "Stream file:  /site/index.html");
    EXPECT_NE(fixture_.target.label2.find("15 bytes"), std::string::npos);
    EXPECT_TRUE(fixture_.target.exportEnabled);

    show("/site/b.gif");
    EXPECT_EQ(fixture_.rows(), std::vector<std::string>{"00000000|47 49 46 00 01 3B|GIF..;"});

    EXPECT_EQ(show("/site/lost.txt"), ViewOutcome::Shown);
    ASSERT_EQ(fixture_.rows().size(), 1u);
    EXPECT_TRUE(fixture_.rows()[0].starts_with("This file cannot be shown: /site/lost.txt"))
        << fixture_.rows()[0];
    EXPECT_FALSE(fixture_.target.exportEnabled);

    // A path the tree does not hold shows nothing; no path shows the save summary.
    show("/site/none");
    EXPECT_TRUE(fixture_.rows().empty());
    show("");
    EXPECT_EQ(fixture_.target.summaries, 1);
}

TEST_F(IfsNodeViewTest, SpoiledBytesAnywhereShowEveryNodeWithinTheFile) {
    const std::vector<std::uint8_t> original = fixture_.bytes;
    const auto size = static_cast<std::int64_t>(original.size());
    for (std::size_t at = 0; at < original.size(); at += 5) {
        SCOPED_TRACE("byte " + std::to_string(at));
        std::vector<std::uint8_t> spoiled = original;
        spoiled[at] = static_cast<std::uint8_t>(spoiled[at] ^ (at % 2 == 0 ? 0xFF : 0x80));
        expectSoundOutcome(walkSpoiledSave(spoiled), size, kParseRereads);
    }
}

// Facts read by hand from UZ_wcount25i.savf: README is 181 bytes of CCSID 942 in six CR LF lines;
// latest.gif is 83 bytes from "GIF87a" to the trailer 0x3B; Count.html holds 3106 line feeds,
// the last at its end.
class RealSaveIfsView : public ::testing::Test {
  protected:
    void open(const char* name) {
        const fs::path path = fs::path(QUELVANE_SAVF_DIR) / name;
        fixture_.session.openSource = [](const std::string& at) {
            return std::make_unique<FileBlockSource>(at);
        };
        fixture_.catalog.segments.reset();
        fixture_.catalog.path = path.string();
        SaveFileReader(fixture_.catalog, fixture_.converter, fixture_.notifier).parseSaveFile(path.string());
        ASSERT_TRUE(fixture_.catalog.ifs) << name;
    }

    void show(const std::string& path) {
        NodePosition node;
        node.ifsPath = path;
        showNodeContent(fixture_.session, fixture_.target, node);
    }

    ViewsFixture fixture_;
};

TEST_F(RealSaveIfsView, WcountDirectoryTextAndImage) {
    QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "UZ_wcount25i.savf");
    open("UZ_wcount25i.savf");
    show("/wcount");
    std::vector<std::string> rows = fixture_.rows();
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0], "Count2.5|*DIR||2000-05-27 03:49:28|TCPIP|942");
    EXPECT_EQ(rows[8], "README|*STMF|181|2000-05-27 03:48:41|TCPIP|942");

    show("/wcount/README");
    EXPECT_EQ(fixture_.rows(), (std::vector<std::string>{
                                   "NOTE: the latest version of documentaion is always available at",
                                   "    http://www.fccc.edu/users/muquit/Count.html", "",
                                   "the docs here may be old!!!!", "", "# ma_muquit@fccc.edu, Oct-20-96"}));

    show("/wcount/Count2.5/images/latest.gif");
    rows = fixture_.rows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], "00000000|47 49 46 38 37 61 2A 00  09 00 F0 00 00 00 00 00|GIF87a*.........");
    EXPECT_TRUE(rows[5].starts_with("00000050|0A 00 3B|")) << rows[5];

    show("/wcount/Count.html");
    rows = fixture_.rows();
    ASSERT_EQ(rows.size(), 3106u);
    EXPECT_EQ(rows.front(), "<html>");
    EXPECT_EQ(rows.back(), "</html>");
}

// The compressed save is read through its expanded image; every page's last line ends in its
// closing tag.
TEST_F(RealSaveIfsView, CompressedSaveShowsItsPages) {
    QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "UZ_analog411i.savf");
    open("UZ_analog411i.savf");
    int pages = 0;
    for (const IfsEntry& entry : fixture_.catalog.ifs->entries) {
        if (entry.path.ends_with(".html") && pages < 5) {
            ++pages;
            show(entry.path);
            std::vector<std::string> rows = fixture_.rows();
            ASSERT_FALSE(rows.empty()) << entry.path;
            EXPECT_TRUE(rows.back().ends_with("</html>") || rows.back().ends_with("</HTML>"))
                << entry.path << ": " << rows.back();
        }
    }
    EXPECT_EQ(pages, 5);
}

}  // namespace
}  // namespace quelvane::test
