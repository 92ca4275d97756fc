// Record fields read by the CCSIDs the save stores for them, through quelvane-cli, on real
// files, with a pair (37/1252) that matches none of their Japanese fields.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tests/support/RealFiles.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string kPair = " --ebcdic 37 --pc 1252";

std::string run(const std::string& arguments) {
    const std::string command = std::string(QUELVANE_CLI_PATH) + " " + arguments + kPair + " 2>&1";
    return quelvane::test::commandOutput(command);
}

std::string saved(const char* name) {
    return "'" + std::string(QUELVANE_SAVF_DIR) + "/" + name + "'";
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether `json` holds the member "text": `text` with the member `next` right after it.
bool holdsTextBefore(const std::string& json, const std::string& text, const std::string& next) {
    const std::string member = "\"text\": \"" + text + "\",";
    for (std::size_t at = json.find(member); at != std::string::npos; at = json.find(member, at + 1)) {
        const std::size_t after = json.find_first_not_of(" \n", at + member.size());
        if (after != std::string::npos && json.compare(after, next.size(), next) == 0) {
            return true;
        }
    }
    return false;
}

// A command and texts its output holds and lacks.
struct OutputCase {
    std::string arguments;
    std::vector<std::string> holds;
    std::vector<std::string> lacks;
};

void expectOutputs(std::span<const OutputCase> cases) {
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string out = run(c.arguments);
        for (const std::string& text : c.holds) {
            EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out.substr(0, 2000);
        }
        for (const std::string& text : c.lacks) {
            EXPECT_EQ(out.find(text), std::string::npos) << text;
        }
    }
}

// extract and show --json read by stored CCSID unless told pair; show reads by the pair unless
// told stored. Each case: the command, texts it holds, texts it lacks.
TEST(CliStoredCcsid, ShowReadsByTheChoiceMade) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf");
    const std::string guri = saved("GURI_demodb.savf");
    // KJNAME (5026), KNNAME (290, half-width katakana), PNAME (1399).
    const OutputCase cases[] = {
        {"show " + guri + " 0/PERSON/0 --ccsid stored", {"\t滝川　厚 ", "\tﾀｷｶﾞﾜ ｱﾂｼ ", "\t静岡県　\t"}, {}},
        {"show " + guri + " 0/PERSON/0 --json", {"\"滝川　厚 ", "\"ﾀｷｶﾞﾜ ｱﾂｼ "}, {}},
        {"show " + guri + " 0/PREFCODE/0 --json", {"\"北海道　"}, {}},
        {"show " + guri + " 0/PERSON/0", {"\tREGNO\tKJNAME\t"}, {"滝川", "ﾀｷｶﾞﾜ"}},
        {"show " + guri + " 0/PERSON/0 --json --ccsid pair", {"\"REGNO\""}, {"滝川", "ﾀｷｶﾞﾜ"}},
        {"show " + saved("CSCH@009.SAVF") + " 1/MSYOP@3/0 --json",
         {"\"ＩＢＭ＠＠＠リングカレッジＢＡＤ１\""},
         {}},
        // A 65535 field: a record of control bytes as hex, the others as text in the chosen page.
        {"show " + saved("ANSI_ARCHLIB_v2.FILE") + " 1/PF2/0 --ccsid stored",
         {"0\t4B4B4040", "3\tPTF/FIX #: SI69340 - IBM i", "field QAPZCOVER: CCSID 65535, shown as hex",
          "field QAPZCOVER: CCSID 65535, read in the chosen EBCDIC page"},
         {}},
    };
    expectOutputs(cases);
}

// The texts of objects and members: tree and show by the pair unless told stored, tree --json
// and show --json by stored CCSID unless told pair. Japanese texts tagged 5026 and 1399, German
// ones tagged 273, the library's by the save's most tagged CCSID.
TEST(CliStoredCcsid, CatalogTextsFollowTheChoice) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf");
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/ISPH_ISPHERE_2015-05-06_51507f.savf");
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/CSCH@009.SAVF");
    const std::string guri = saved("GURI_demodb.savf");
    const std::string isphere = saved("ISPH_ISPHERE_2015-05-06_51507f.savf");
    const OutputCase cases[] = {
        {"tree " + guri + " --ccsid stored",
         {"\n    PERSON(PF)\t登録者一覧\towner GURI,",
          "\n      PERSONL1 \t登録者一覧- KEY:姓名（読み）\t3 records,",
          "\n    PREFCODE(PF)\t都道府県コード\t", "\n  Part0\n"},
         {}},
        {"tree " + guri, {"\n    PERSON(PF)\towner GURI,", "\n      PERSON \t1000 records,"}, {"登録者一覧"}},
        {"tree " + guri + " --json", {"\"text\": \"登録者一覧\"", "\"text\": \"都道府県コード\""}, {}},
        {"tree " + guri + " --json --ccsid pair", {"\"name\": \"PERSON\""}, {"登録者一覧"}},
        {"show " + guri + " 0/PERSON --ccsid stored",
         {"Object:  PERSON      It's PF type.\nDescription:  登録者一覧" + std::string(45, ' ') + " .\n"},
         {}},
        {"show " + guri + " 0/PERSON/0 --json",
         {"\"title\": \"Member:  PERSON    \"", "\"summary\": \"Description:  登録者一覧"},
         {}},
        {"show " + guri + " 0/PERSON/0", {"Description:  "}, {"登録者一覧"}},
        {"show " + guri + " 0/QDDSSRC --ccsid stored", {"\nPERSONL1\t3\t登録者一覧- KEY:姓名（読み）\n"}, {}},
        {"show " + guri + " 0/QDDSSRC --json",
         {"{\"caption\": \"PERSONL1\", \"cells\": [\"3\", \"登録者一覧- KEY:姓名（読み）\"]}"},
         {}},
        {"show " + guri + " 0/QDDSSRC", {"\nPERSONL1\t3\t"}, {"登録者一覧"}},
        {"show " + guri + " 0/PREFCODE --json --ccsid pair", {"\"summary\": \"Description:  "}, {"都道府県"}},
        {"show " + isphere + " 1/QSTRPREPRC/PRZ0004 --ccsid stored",
         {"Description:  MSG: Die Marke  1 ist außerhalb der Betriebsart  2 .\n"},
         {}},
        {"show " + isphere + " 1/QSTRPREPRC/PRZ0004", {"Description:  MSG: Die Marke  1 ist au~erhalb"}, {}},
        {"tree " + saved("CSCH@009.SAVF") + " --ccsid stored", {"\n    CSCH@009(LIB)\tCS.CH #009"}, {}},
    };
    expectOutputs(cases);
}

TEST(CliStoredCcsid, ExtractReadsByStoredCcsidUnlessToldPair) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf");
    const std::filesystem::path base = std::filesystem::path(testing::TempDir()) / "stored-ccsid-extract";
    struct Case {
        const char* choice;
        bool japanese;
    };
    for (const Case c : {Case{"", true}, Case{" --ccsid stored", true}, Case{" --ccsid pair", false}}) {
        SCOPED_TRACE(c.choice);
        const std::filesystem::path folder = base / (c.japanese ? "stored" : "pair");
        std::filesystem::remove_all(folder);
        run("extract " + saved("GURI_demodb.savf") + " --to '" + folder.string() + "' --quiet" + c.choice);
        const std::string person = fileText(folder / "DIST" / "PERSON" / "PERSON.csv");
        const std::string prefectures = fileText(folder / "DIST" / "PREFCODE" / "PREFCODE.csv");
        ASSERT_NE(person.find("REGNO,KJNAME,KNNAME,"), std::string::npos);
        EXPECT_EQ(person.find("\r\n1,滝川　厚,ﾀｷｶﾞﾜ ｱﾂｼ,M,0539725342,") != std::string::npos, c.japanese);
        EXPECT_EQ(prefectures.find("\r\n1,北海道　\r\n") != std::string::npos, c.japanese);
        // The DDS source is read in its source field's CCSID too: its headings are Japanese.
        const std::string source = fileText(folder / "DIST" / "QDDSSRC" / "PERSON.pf");
        ASSERT_NE(source.find("CCSID(5026)"), std::string::npos);
        EXPECT_EQ(source.find("COLHDG('姓名')") != std::string::npos, c.japanese);
        // catalog.json: the members' and objects' texts in their CCSIDs too.
        const std::string catalog = fileText(folder / "catalog.json");
        EXPECT_EQ(holdsTextBefore(catalog, "都道府県コード", "\"recordCount\""), c.japanese);
        EXPECT_EQ(holdsTextBefore(catalog, "登録者一覧- KEY:姓名（読み）", "\"recordCount\""), c.japanese);
        EXPECT_EQ(holdsTextBefore(catalog, "登録者一覧", "\"owner\""), c.japanese);
    }
}

// The fields of the DBCS sample files carry the CCSIDs their texts state.
TEST(CliStoredCcsid, FieldsCarryTheCcsidsTheirTextsState) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/JTT_javaprime.savf");
    struct Case {
        const char* node;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"0/SMPDBCSJAP",
         {"\"ccsid\": 5026,", "\"ccsid\": 300,", "DBCS GRAPHIC FIELD FOR JAPANESE 5026 (300)"}},
        {"0/SMPDBCSKOR", {"\"ccsid\": 933,", "\"ccsid\": 834,"}},
        {"0/SMPDBCSSCH", {"\"ccsid\": 935,", "\"ccsid\": 837,"}},
        {"0/SMPDBCSTCH", {"\"ccsid\": 937,", "\"ccsid\": 835,"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        const std::string json = run("describe " + saved("JTT_javaprime.savf") + " " + c.node + " --json");
        for (const std::string& line : c.lines) {
            EXPECT_NE(json.find(line), std::string::npos) << line;
        }
    }
}

// CSCH@009's long names, and the file's records by stored CCSID in the CSV.
TEST(CliStoredCcsid, LongNamesAndTextsOfAMixedFile) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/CSCH@009.SAVF");
    const std::string json = run("describe " + saved("CSCH@009.SAVF") + " 1/MSYOP@4 --json");
    for (const char* name : {"MSYOP_SYOHIN_UPDATE_DATE"}) {
        EXPECT_NE(json.find(std::string("\"longName\": \"") + name + "\""), std::string::npos) << name;
    }
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "stored-ccsid-csch";
    std::filesystem::remove_all(folder);
    run("extract " + saved("CSCH@009.SAVF") + " --to '" + folder.string() + "' --quiet");
    const std::string csv = fileText(folder / "CSCH@009" / "MSYOP@4" / "MSYOP@4.csv");
    EXPECT_NE(csv.find("\r\n00001,ＩＢＭリスキリングカレッジＢＡＤ１,ｶXXXXXXXXXXXX,1234567.89,"),
              std::string::npos)
        << csv.substr(0, 400);
}

}  // namespace
