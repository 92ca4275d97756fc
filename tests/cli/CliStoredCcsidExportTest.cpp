// export, batch and show --raw with --ccsid stored: the fields read by their stored CCSIDs and
// written in the PC page, each character the page lacks as its substitution character.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ContentFixtures.h"
#include "tests/support/RealFiles.h"
#include "tests/support/TaggedField.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// TAGGED in QGPL: DE (273), FR (297), JP (mixed 5026), RAW (65535); member MBR1 with one record
// of "ÄÖÜ", "éçà", "A一ｱ" and the control bytes 01 02.
class CliStoredCcsidExport : public ::testing::Test {
  protected:
    void SetUp() override {
        BuiltObject file;
        file.name = "TAGGED";
        file.attribute = "PF";
        file.fields = {taggedField("DE", 0x0403, 3, 273), taggedField("FR", 0x0403, 3, 297),
                       taggedField("JP", 0x0603, 6, 5026), taggedField("RAW", 0x0403, 2, 65535)};
        file.members = {{"MBR1", "", "", 1}};
        BuiltPart part;
        part.objects = {file};
        SaveFileBuilder builder;
        builder.add(part);
        builder.add(ContentFixtures::memberRecords(
            "TAGGED", "MBR1", 14,
            {{0x80, {0x4A, 0xE0, 0x5A, 0xC0, 0xE0, 0x7C, 0xC1, 0x0E, 0x45, 0x41, 0x0F, 0x81, 0x01, 0x02}}}));
        saveFile_ = (folder_.path() / "TEST.SAVF").string();
        builder.build().writeTo(saveFile_);
    }

    CommandRun run(const std::string& arguments) {
        return runCommand("'" QUELVANE_CLI_PATH "' " + arguments + " --ebcdic 37", folder_.path());
    }
    std::string file(const std::string& arguments) const { return "'" + saveFile_ + "' " + arguments; }
    fs::path path(const char* name) const { return folder_.path() / name; }

    ScratchFolder folder_{"quelvane-cli-stored-export"};
    std::string saveFile_;
};

const std::string kFc3 = "\xFC\xFC\xFC\xFC\xFC\xFC";
const char* const kHexNote = "quelvane-cli: field RAW: CCSID 65535, shown as hex\n";

// Each command, the file it writes and the bytes that file holds.
TEST_F(CliStoredCcsidExport, ExportAndBatchWriteThePcPage) {
    struct Case {
        std::string arguments;
        const char* written;
        std::string bytes;
    };
    const std::string out = path("m").string();
    const std::string dir = path("batch").string();
    fs::create_directories(dir);
    const Case cases[] = {
        {"export " + file("0/TAGGED/MBR1 --format txt --splitter --ccsid stored --pc 1252 -o '" + out + "'"),
         "m.txt", "\xC4\xD6\xDC|\xE9\xE7\xE0|A\x1A\x1A|0102|\r\n"},
        {"export " + file("0/TAGGED/MBR1 --format txt --splitter --ccsid stored --pc 932 -o '" + out + "'"),
         "m.txt", kFc3 + "|" + kFc3 + "|A\x88\xEA\xB1|0102|\r\n"},
        {"batch " + file("0/TAGGED --format txt --ccsid stored --pc 932 --dir '" + dir + "'"),
         "batch/TAGGED_MBR1.txt", kFc3 + kFc3 + "A\x88\xEA\xB1" + "0102\r\n"},
        // --raw has no say in what an export writes.
        {"export " + file("0/TAGGED/MBR1 --format txt --ccsid stored --raw --pc 1252 -o '" + out + "'"),
         "m.txt",
         "\xC4\xD6\xDC\xE9\xE7\xE0"
         "A\x1A\x1A"
         "0102\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandRun done = run(c.arguments);
        EXPECT_EQ(done.status, 0) << done.err;
        EXPECT_NE(done.err.find(kHexNote), std::string::npos) << done.err;
        EXPECT_EQ(slurp(path(c.written)), c.bytes);
    }
}

// Without --ccsid the pair reads every field, as --ccsid pair does: DE's bytes are "¢\!" in
// 37, not the German "ÄÖÜ".
TEST_F(CliStoredCcsidExport, ThePairStaysTheDefault) {
    const std::string out = path("m").string();
    for (const char* page : {"1252", "932"}) {
        SCOPED_TRACE(page);
        std::vector<std::string> written;
        for (const char* choice : {"", " --ccsid pair"}) {
            const CommandRun done = run("export " + file("0/TAGGED/MBR1 --format txt --pc ") + page + choice +
                                        " -o '" + out + "'");
            EXPECT_EQ(done.status, 0) << done.err;
            EXPECT_EQ(done.err, "");
            written.push_back(slurp(path("m.txt")));
        }
        EXPECT_EQ(written[0], written[1]);
        EXPECT_NE(written[0].find("\\!{\\@A\x0E"), std::string::npos) << written[0];
    }
}

// show --raw prints the PC page's bytes, by stored CCSID as the exports write them.
TEST_F(CliStoredCcsidExport, ShowRawWritesThePcPage) {
    const CommandRun raw = run("show " + file("0/TAGGED/MBR1 --ccsid stored --raw --pc 932"));
    EXPECT_EQ(raw.status, 0) << raw.err;
    EXPECT_NE(raw.out.find("\t" + kFc3 + "\t" + kFc3 + "\tA\x88\xEA\xB1\t0102\n"), std::string::npos)
        << raw.out;
    const CommandRun utf8 = run("show " + file("0/TAGGED/MBR1 --ccsid stored --pc 932"));
    EXPECT_NE(utf8.out.find(
                  "\t\xC3\x84\xC3\x96\xC3\x9C\t\xC3\xA9\xC3\xA7\xC3\xA0\tA\xE4\xB8\x80\xEF\xBD\xB1\t0102\n"),
              std::string::npos)
        << utf8.out;
}

// A real file: PERSON's Japanese fields (5026 kanji, 290 half-width katakana) in Shift-JIS.
TEST(CliStoredCcsidExportRealFiles, PersonInShiftJis) {
    const std::string save = std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    const ScratchFolder folder("quelvane-cli-stored-export-real");
    const std::string out = (folder.path() / "person").string();
    const CommandRun done = runCommand("'" QUELVANE_CLI_PATH "' export '" + save +
                                           "' 0/PERSON/0 --format txt --splitter --ccsid stored --ebcdic 37 "
                                           "--pc 932 -o '" +
                                           out + "'",
                                       folder.path());
    ASSERT_EQ(done.status, 0) << done.err;
    const std::string text = slurp(folder.path() / "person.txt");
    // 滝川　厚 and ﾀｷｶﾞﾜ ｱﾂｼ.
    EXPECT_NE(text.find("|\x91\xEA\x90\xEC\x81\x40\x8C\xFA"), std::string::npos) << text.substr(0, 200);
    EXPECT_NE(text.find("|\xC0\xB7\xB6\xDE\xDC\x20\xB1\xC2\xBC"), std::string::npos) << text.substr(0, 200);
}

}  // namespace
}  // namespace quelvane::test
