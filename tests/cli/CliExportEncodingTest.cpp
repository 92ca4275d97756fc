// export and batch with --ccsid stored: what the PC page cannot hold is written as it always was,
// counted on stderr with its first place, the exit status still success; --encoding utf-8 writes
// a text file that keeps every character; Word and Excel files hold such characters as Unicode.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/export/ExportTestTools.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/RealFiles.h"
#include "tests/support/TaggedField.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// 滝川　厚 in UTF-8, Shift-JIS and (shifted) CCSID 1399.
const std::string kNameUtf8 = "\xE6\xBB\x9D\xE5\xB7\x9D\xE3\x80\x80\xE5\x8E\x9A";
const std::string kNameShiftJis = "\x91\xEA\x90\xEC\x81\x40\x8C\xFA";
const std::vector<std::uint8_t> kName1399 = {0x0E, 0x47, 0xA3, 0x45, 0x67, 0x40, 0x40, 0x49, 0x42, 0x0F};

// GERMAN in QGPL: DE (273) and KANJI (1399); members M1 and M2, one record each, "ÄÖÜß" and
// 滝川　厚.
class CliExportEncoding : public ::testing::Test {
  protected:
    void SetUp() override {
        BuiltObject file;
        file.name = "GERMAN";
        file.attribute = "PF";
        file.fields = {taggedField("DE", 0x0403, 4, 273), taggedField("KANJI", 0x0403, 10, 1399)};
        file.members = {{"M1", "", "", 1}, {"M2", "", "", 1}};
        BuiltPart part;
        part.objects = {file};
        SaveFileBuilder builder;
        builder.add(part);
        std::vector<std::uint8_t> record = {0x4A, 0xE0, 0x5A, 0xA1};
        record.insert(record.end(), kName1399.begin(), kName1399.end());
        for (const char* member : {"M1", "M2"}) {
            builder.add(ContentFixtures::memberRecords("GERMAN", member, 14, {{0x80, record}}));
        }
        saveFile_ = (folder_.path() / "TEST.SAVF").string();
        builder.build().writeTo(saveFile_);
    }

    CommandRun run(const std::string& arguments) {
        return runCommand("'" QUELVANE_CLI_PATH "' " + arguments + " --ccsid stored --ebcdic 37",
                          folder_.path());
    }
    std::string file(const std::string& arguments) const { return "'" + saveFile_ + "' " + arguments; }
    fs::path path(const char* name) const { return folder_.path() / name; }

    ScratchFolder folder_{"quelvane-cli-encoding"};
    std::string saveFile_;
};

// Each command, the file it writes, the bytes it holds and what stderr says of the loss.
TEST_F(CliExportEncoding, ThePcPageCountsWhatItCannotHoldAndUtf8KeepsIt) {
    struct Case {
        std::string arguments;
        const char* written;
        std::string bytes;
        std::string said;
    };
    const std::string out = "-o '" + path("m").string() + "'";
    const std::string dir = "--dir '" + path("batch").string() + "'";
    fs::create_directories(path("batch"));
    const std::string fc4 = "\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFC";
    const Case cases[] = {
        {"export " + file("0/GERMAN/M1 --format txt --splitter --pc 1252 ") + out, "m.txt",
         "\xC4\xD6\xDC\xDF|\x1A\x1A\x1A\x1A|\r\n",
         "4 characters could not be written in PC code page 1252 and were replaced (the first in record 1, "
         "field KANJI). Choose the encoding UTF-8 to keep every character.\n"},
        {"export " + file("0/GERMAN/M1 --format txt --splitter --pc 932 ") + out, "m.txt",
         fc4 + "|" + kNameShiftJis + "|\r\n",
         "4 characters could not be written in PC code page 932 and were replaced (the first in record 1, "
         "field DE). Choose the encoding UTF-8 to keep every character.\n"},
        {"export " + file("0/GERMAN/M1 --format txt --splitter --pc 1252 --encoding utf-8 ") + out, "m.txt",
         "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F|" + kNameUtf8 + "|\r\n", ""},
        {"export " + file("0/GERMAN/M1 --format txt --pc 932 --encoding pc ") + out, "m.txt",
         fc4 + kNameShiftJis + "\r\n",
         "4 characters could not be written in PC code page 932 and were replaced (the first in record 1, "
         "field DE). Choose the encoding UTF-8 to keep every character.\n"},
        {"batch " + file("0/GERMAN --format txt --pc 1252 ") + dir, "batch/GERMAN_M2.txt",
         "\xC4\xD6\xDC\xDF\x1A\x1A\x1A\x1A\r\n",
         "8 characters could not be written in PC code page 1252 and were replaced (the first in member M1, "
         "record 1, field KANJI). Choose the encoding UTF-8 to keep every character.\n"},
        {"batch " + file("0/GERMAN --format txt --pc 1252 --encoding utf-8 ") + dir, "batch/GERMAN_M2.txt",
         "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F" + kNameUtf8 + "\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandRun done = run(c.arguments);
        EXPECT_EQ(done.status, 0) << done.err;
        EXPECT_EQ(slurp(path(c.written)), c.bytes);
        if (c.said.empty()) {
            EXPECT_EQ(done.err.find("could not"), std::string::npos) << done.err;
        } else {
            EXPECT_NE(done.err.find(c.said), std::string::npos) << done.err;
        }
    }
}

TEST_F(CliExportEncoding, AnUnknownEncodingIsAUsageError) {
    const CommandRun done =
        run("export " + file("0/GERMAN/M1 --format txt --encoding latin1 -o '") + path("m").string() + "'");
    EXPECT_EQ(done.status, 1);
    EXPECT_NE(done.err.find("quelvane-cli: unknown encoding latin1\n"), std::string::npos) << done.err;
    EXPECT_FALSE(fs::exists(path("m.txt")));
}

// GURI_demodb's PERSON: kanji and half-width katakana names, CCSIDs 5026 and 290.
class CliExportEncodingRealFiles : public ::testing::Test {
  protected:
    CommandRun exportPerson(const std::string& options, const char* format) {
        return runCommand("'" QUELVANE_CLI_PATH "' export '" + save_ + "' 0/PERSON/0 --format " + format +
                              " --ccsid stored --ebcdic 37 --pc 1252 " + options + " -o '" +
                              (folder_.path() / "person").string() + "'",
                          folder_.path());
    }
    fs::path written(const char* extension) const {
        return folder_.path() / ("person" + std::string(extension));
    }

    const std::string save_ = std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf";
    ScratchFolder folder_{"quelvane-cli-encoding-real"};
};

TEST_F(CliExportEncodingRealFiles, PersonIn1252SaysWhatWasLostAndUtf8KeepsIt) {
    QUELVANE_REQUIRE_REAL_FILE(save_);
    const CommandRun lossy = exportPerson("", "txt");
    EXPECT_EQ(lossy.status, 0) << lossy.err;
    EXPECT_NE(lossy.err.find(" characters could not be written in PC code page 1252 and were replaced "
                             "(the first in record 1, field "),
              std::string::npos)
        << lossy.err;
    EXPECT_NE(slurp(written(".txt")).find('\x1A'), std::string::npos);

    const CommandRun kept = exportPerson("--encoding utf-8", "txt");
    EXPECT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(kept.err.find("could not"), std::string::npos) << kept.err;
    const std::string text = slurp(written(".txt"));
    EXPECT_NE(text.find(kNameUtf8), std::string::npos) << text.substr(0, 300);
    EXPECT_EQ(text.find('\x1A'), std::string::npos);
}

// xlrd reads the Japanese from the .xls written with the 1252 page: the sheet holds Unicode.
TEST_F(CliExportEncodingRealFiles, XlrdReadsPersonsJapaneseFromExcel) {
    QUELVANE_REQUIRE_REAL_FILE(save_);
    if (!xlrdAvailable()) {
        GTEST_SKIP() << "python3-xlrd is not installed";
    }
    const CommandRun done = exportPerson("", "xls");
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.err.find("could not"), std::string::npos) << done.err;
    const std::string sheet = readXls("sheet", written(".xls"));
    EXPECT_NE(sheet.find(kNameUtf8), std::string::npos) << sheet.substr(0, 600);
}

// LibreOffice reads the Japanese from the .doc (RTF) and the .xls written with the 1252 page.
TEST_F(CliExportEncodingRealFiles, LibreOfficeReadsPersonsJapaneseFromWordAndExcel) {
    QUELVANE_REQUIRE_REAL_FILE(save_);
    if (!runCommand("command -v soffice")) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    ASSERT_EQ(exportPerson("", "doc").status, 0);
    ASSERT_EQ(exportPerson("", "xls").status, 0);
    const std::string dir = folder_.path().string();
    const std::string office = "cd '" + dir + "' && soffice -env:UserInstallation=file://" + dir +
                               "/profile --headless --convert-to ";
    ASSERT_TRUE(runCommand(office + "'txt:Text (encoded):UTF8' person.doc"));
    ASSERT_TRUE(runCommand(office + "'csv:Text - txt - csv (StarCalc):44,34,76' person.xls"));
    EXPECT_NE(slurp(written(".txt")).find(kNameUtf8), std::string::npos);
    EXPECT_NE(slurp(written(".csv")).find(kNameUtf8), std::string::npos);
}

}  // namespace
}  // namespace quelvane::test
