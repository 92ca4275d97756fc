#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/support/RealFiles.h"
#include "tests/support/TestFiles.h"

namespace {

std::string describeJson(const std::string& save, const std::string& node) {
    const std::string command = std::string(QUELVANE_CLI_PATH) + " describe '" + QUELVANE_SAVF_DIR + "/" +
                                save + "' '" + node + "' --json --ebcdic 37 --pc 1252";
    return quelvane::test::commandOutput(command);
}

// Lines of the JSON with their indentation removed, for looking up "key": value pairs.
bool holds(const std::string& json, const std::string& line) {
    return json.find("\n" + line + "\n") != std::string::npos ||
           json.find(" " + line + "\n") != std::string::npos;
}

// The physical file's "file" member: texts in their stored CCSIDs with the pair set to 37/1252,
// the facts of the field entries as their DDS states them.
TEST(CliFileDescription, PhysicalFilesAsTheirDds) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf");
    struct Case {
        const char* save;
        const char* node;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"GURI_demodb.savf",
         "0/PREFCODE",
         {"\"recordLength\": 12,", "\"keyed\": true,", "\"unique\": true,", "\"language\": \"JPN\",",
          "\"country\": \"JP\",", "\"sourceFile\": \"LMSLIB/QDDSSRC\",", "\"text\": \"都道府県名\",",
          "\"ccsid\": 1399,", "\"type\": \"J\","}},
        {"JTT_ddmtestsav.savf",
         "1/ALLFLDS",
         {"\"recordLength\": 294,", "\"name\": \"ALLFLDS\",", "\"default\": \"'01/01/97'\",",
          "\"longName\": \"GRAPHICAL\",", "\"allocatedLength\": 25,", "\"varying\": true,", "\"ccsid\": 835,",
          "\"ccsid\": 65535,", "\"type\": \"H\",", "\"text\": \"DBCS EITHER FIELD\","}},
        {"CSCH@009.SAVF", "1/MSYOP@4", {"\"longName\": \"MSYOP_SYOHIN_UPDATE_DATE\","}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        const std::string json = describeJson(c.save, c.node);
        ASSERT_NE(json.find("\"file\": {"), std::string::npos) << json;
        for (const std::string& line : c.lines) {
            EXPECT_TRUE(holds(json, line)) << line;
        }
    }
}

// catalog.json of an extraction carries the same "file" member for each physical file.
// A logical file's "file" member has a physical file's shape, one entry of "formats" per record
// format as its DDS in QDDSSRC declares them (MLTFMT4: FMT1 FIELD1 FIELD2 over FIELDS2, FMT2
// FIELD1 FIELD2 FIELD3 over FIELDS3), each with its keys and based-on files.
TEST(CliFileDescription, LogicalFilesWithEveryFormat) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/JTT_ddmtestsav.savf");
    const std::string json = describeJson("JTT_ddmtestsav.savf", "1/MLTFMT4");
    ASSERT_NE(json.find("\"file\": {"), std::string::npos) << json;
    EXPECT_NE(json.find("\"basedOn\": ["), std::string::npos) << json;
    EXPECT_EQ(json.find("\"file\": {"), json.rfind("\"file\": {")) << json;
    EXPECT_TRUE(holds(json, "\"keyed\": true,")) << json;
    EXPECT_TRUE(holds(json, "\"recordLength\": 20,")) << json;
    const std::size_t formats = json.find("\"formats\": [", json.find("\"file\": {"));
    ASSERT_NE(formats, std::string::npos) << json;
    std::vector<std::string> names;
    for (std::size_t at = json.find("\"name\": \"", formats); at != std::string::npos;
         at = json.find("\"name\": \"", at + 1)) {
        const std::size_t start = at + 9;
        names.push_back(json.substr(start, json.find('"', start) - start));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"FMT1", "FIELD1", "FIELD2", "FMT2", "FIELD1", "FIELD2", "FIELD3"}))
        << json;
}

TEST(CliFileDescription, CatalogJsonCarriesTheDescriptions) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf");
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / "file-description-extract";
    std::filesystem::remove_all(folder);
    const std::string command = std::string(QUELVANE_CLI_PATH) + " extract '" + QUELVANE_SAVF_DIR +
                                "/GURI_demodb.savf' --to '" + folder.string() + "' --quiet";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(folder / "catalog.json");
    const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string described = describeJson("GURI_demodb.savf", "0/PREFCODE");
    const std::size_t start = described.find("\"file\": {");
    ASSERT_NE(start, std::string::npos);
    EXPECT_NE(json.find("\"levelId\": \"231C3BD8DF2BF\""), std::string::npos);
    EXPECT_TRUE(holds(json, "\"text\": \"都道府県名\","));
    std::filesystem::remove_all(folder);
}

// catalog.json describes a logical file as describe --json does: PERSONL1 with the fields of the
// one format it shares with PERSON.
TEST(CliFileDescription, CatalogJsonCarriesLogicalFileFormats) {
    QUELVANE_REQUIRE_REAL_FILE(std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf");
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "logical-file-extract";
    std::filesystem::remove_all(folder);
    const std::string command = std::string(QUELVANE_CLI_PATH) + " extract '" + QUELVANE_SAVF_DIR +
                                "/GURI_demodb.savf' --to '" + folder.string() + "' --quiet";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(folder / "catalog.json");
    const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t logical = json.find("\"name\": \"PERSONL1\"");
    ASSERT_NE(logical, std::string::npos) << json;
    const std::string object = json.substr(logical, json.find("\"name\": \"PREFCODE\"", logical) - logical);
    const std::string described = describeJson("GURI_demodb.savf", "0/PERSONL1");
    const std::size_t level = described.find("\"levelId\": ");
    ASSERT_NE(level, std::string::npos) << described;
    const std::string levelId = described.substr(level, described.find('\n', level) - level);
    // The description's "file" member, whose first format holds the fields before the keys.
    const std::size_t file = object.find("\"file\": {");
    ASSERT_NE(file, std::string::npos) << object;
    const std::string head = object.substr(file, object.find("\"keys\": [", file) - file);
    for (const std::string& line : {levelId, std::string("\"recordLength\": "),
                                    std::string("\"name\": \"KJNAME\","), std::string("\"fields\": [")}) {
        EXPECT_NE(head.find(line), std::string::npos) << line << "\n" << head;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
