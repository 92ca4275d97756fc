#include <gtest/gtest.h>

#include <filesystem>

#include "conversion/PcTextToUtf8.h"
#include "extract/CatalogJson.h"
#include "extract/CsvWriter.h"
#include "extract/ExtractNames.h"
#include "extract/JsonWriter.h"
#include "extract/OutputFile.h"
#include "extract/SaveFileExtractor.h"
#include "savefile/SaveFileReader.h"
#include "tests/extract/ExtractFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/Cp037Converter.h"
#include "views/FieldDecoder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using ExtractParts = ExtractFixture;

TEST_F(ExtractParts, CsvQuotesOnlyWhereNeeded) {
    struct Case {
        std::vector<std::string> fields;
        std::string line;
    };
    const Case cases[] = {
        {{"a", "b c", ""}, "a,b c,\r\n"},
        {{"1,5"}, "\"1,5\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"\""}, "\"\"\"\"\r\n"},
        {{"two\nlines", "cr\r"}, "\"two\nlines\",\"cr\r\"\r\n"},
        {{""}, "\"\"\r\n"},
        {{"", ""}, ",\r\n"},
        {{" lead", "trail "}, " lead,trail \r\n"},
        {{"\xC3\x84"}, "\xC3\x84\r\n"},
    };
    for (const Case& c : cases) {
        const fs::path path = folder_ / "row.csv";
        OutputFile out;
        ASSERT_TRUE(out.open(path));
        CsvWriter csv(out);
        for (const std::string& field : c.fields) {
            csv.field(field);
        }
        csv.endRow();
        ASSERT_TRUE(out.commit());
        EXPECT_EQ(slurp(path), c.line);
    }
}

TEST_F(ExtractParts, OutputFileAppearsOnlyWhenComplete) {
    const fs::path path = folder_ / "sub" / "file.txt";
    {
        OutputFile out;
        ASSERT_TRUE(out.open(path));
        out.write("partial");
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(folder_ / "sub"));
    OutputFile out;
    ASSERT_TRUE(out.open(path));
    out.write(std::string(3 << 20, 'x'));
    EXPECT_TRUE(out.commit());
    EXPECT_EQ(fs::file_size(path), 3u << 20);
    EXPECT_FALSE(OutputFile().open(folder_ / "sub" / "file.txt" / "below-a-file"));
}

TEST_F(ExtractParts, JsonEscapesEverythingItMust) {
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"tab\tnl\ncr\r", "\"tab\\tnl\\ncr\\r\""},
        {std::string("\x01\x1F", 2) + std::string(1, '\0'), "\"\\u0001\\u001f\\u0000\""},
        {"\xC3\x84 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"\xC3\x84 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"\xC4RGER", "\"\xEF\xBF\xBDRGER\""},  // Latin-1, not UTF-8
        {"\xC0\x80 \xED\xA0\x80 \xE2\x82",
         "\"\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JsonWriter::quoted(c.text), c.json) << c.text;
    }
    JsonWriter json;
    json.beginObject();
    json.member("n", std::int64_t{-5});
    json.key("list");
    json.beginArray();
    json.value(true);
    json.null();
    json.endArray();
    json.key("empty");
    json.beginObject();
    json.endObject();
    json.endObject();
    EXPECT_EQ(json.text(), "{\n  \"n\": -5,\n  \"list\": [\n    true,\n    null\n  ],\n  \"empty\": {}\n}\n");
}

// The save file's own name is the file system's UTF-8, whatever the PC code page; bytes that are
// not UTF-8 become U+FFFD rather than spoil the JSON.
TEST_F(ExtractParts, TheCatalogNamesTheSaveFileAsTheFileSystemDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"/tmp/A\xC3\xB1o \xD0\x96.savf", "\"saveFile\": \"A\xC3\xB1o \xD0\x96.savf\""},
        {"/tmp/A\xF1o.savf", "\"saveFile\": \"A\xEF\xBF\xBDo.savf\""},
    };
    for (const auto& [path, member] : cases) {
        Catalog catalog;
        catalog.path = path;
        PcTextToUtf8 utf8(1252);
        EXPECT_NE(CatalogJson::text(catalog, utf8).find(member), std::string::npos) << path;
    }
}

TEST_F(ExtractParts, NamesStayInsideTheirFolderAndApart) {
    struct Case {
        std::string name;
        std::string safe;
    };
    const Case cases[] = {
        {"MBR", "MBR"}, {"A/B", "A_B"},    {"..", "__"},   {".", "_"},        {"", "_"},
        {"..A", "..A"}, {"C:\\X", "C__X"}, {"Q?*", "Q__"}, {"T\tAB", "T_AB"}, {"\xC3\x84", "\xC3\x84"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractNames::safePart(c.name), c.safe) << c.name;
    }
    ExtractNames names;
    names.reserve("catalog.json");
    EXPECT_EQ(names.unique("X", ".csv"), "X.csv");
    EXPECT_EQ(names.unique("x", ".csv"), "x_2.csv");
    EXPECT_EQ(names.unique("X", ".csv"), "X_3.csv");
    EXPECT_EQ(names.unique("X_2", ".csv"), "X_2_2.csv");
    EXPECT_EQ(names.unique("CATALOG", ".json"), "CATALOG_2.json");
    EXPECT_EQ(names.unique("X"), "X");
}

TEST_F(ExtractParts, PlainDecimals) {
    struct Case {
        std::string text;
        int decimals;
        std::string plain;  // "!" when the text holds no number
    };
    const Case cases[] = {
        {"123.45", 2, "123.45"}, {"-0012.50", 2, "-12.50"}, {"0-0.05", 2, "-0.05"}, {"  -7", 0, "-7"},
        {"007.", 0, "7"},        {".005", 3, "0.005"},      {"-.50", 2, "-0.50"},   {"-000", 0, "0"},
        {"0.0", 1, "0.0"},       {"12", 2, "12.00"},        {"   ", 0, ""},         {" . ", 0, ""},
        {"  -", 0, ""},          {"1:3", 0, "!"},           {"-", 0, ""},           {"1.2.3", 1, "!"},
        {"1-2-", 0, "!"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        const bool plain = toPlainDecimal(text, c.decimals);
        EXPECT_EQ(plain ? text : "!", c.plain) << "'" << c.text << "'";
        if (!plain) {
            EXPECT_EQ(text, c.text);
        }
    }
}

TEST_F(ExtractParts, LoadedValuesKeepWhatIsNoNumberAsText) {
    Cp037Converter converter;
    std::string text;
    SavedField packed{"P", 0x0303, 3, 0, 5, 0};
    EXPECT_EQ(decodeLoadedFieldValue(std::vector<std::uint8_t>{0x12, 0x34, 0x5F}, packed, converter, text),
              LoadedKind::Integer);
    EXPECT_EQ(text, "12345");
    EXPECT_EQ(decodeLoadedFieldValue(std::vector<std::uint8_t>{0x1A, 0x34, 0x5F}, packed, converter, text),
              LoadedKind::Text);
    EXPECT_EQ(text, "1:345");
    SavedField zoned{"Z", 0x0203, 3, 0, 3, 0};
    EXPECT_EQ(decodeLoadedFieldValue(std::vector<std::uint8_t>{0x40, 0x40, 0x40}, zoned, converter, text),
              LoadedKind::Integer);
    EXPECT_EQ(text, "");
    SavedField wide{"W", 0x0003, 10, 0, 0, 0};
    EXPECT_EQ(loadedFieldKind(wide), LoadedKind::Text);
    EXPECT_EQ(loadedFieldKind(SavedField{"D", 0x0303, 10, 0, 19, 0}), LoadedKind::Decimal);
    EXPECT_EQ(loadedFieldKind(SavedField{"D", 0x0303, 10, 0, 18, 0}), LoadedKind::Integer);
    EXPECT_EQ(loadedFieldKind(SavedField{"D", 0x0203, 19, 0, 19, 0}), LoadedKind::Decimal);
    EXPECT_THROW(decodeLoadedFieldValue(std::vector<std::uint8_t>{0, 0, 0, 0},
                                        SavedField{"D", 0x0B03, 4, 0, 0, 0}, converter, text),
                 FieldDecodingFailure);
}

// Stops once the first member is done; the writer looks every 4096 record slots.
class CancelAfterFirstMember final : public ProgressReporter {
  public:
    void progress(std::int64_t done, std::int64_t total) override {
        done_ = done;
        total_ = total;
    }
    bool cancelled() const override { return done_ >= 1; }
    std::int64_t total_ = 0;

  private:
    std::int64_t done_ = 0;
};

TEST_F(ExtractParts, CancelledRunLeavesCompleteFilesOnly) {
    BuiltObject file;
    file.name = "BIG";
    file.attribute = "PF";
    file.fields = {{"N", 0x0403, 4, 0, 0}};
    constexpr std::uint32_t kRecords = 10000;
    file.members = {{"SMALL", "", "", 1}, {"LARGE", "", "", kRecords}, {"LAST", "", "", 1}};
    BuiltPart part;
    part.library = "LIB";
    part.objects = {file};
    SaveFileBuilder builder;
    builder.add(part);
    std::vector<StreamSlot> many(kRecords, StreamSlot{0x80, SaveFileBuilder::ebcdic("R", 4)});
    builder.add(ContentFixtures::memberRecords("BIG", "SMALL", 4, {{0x80, SaveFileBuilder::ebcdic("S", 4)}}));
    builder.add(ContentFixtures::memberRecords("BIG", "LARGE", 4, many));
    builder.add(ContentFixtures::memberRecords("BIG", "LAST", 4, {{0x80, SaveFileBuilder::ebcdic("L", 4)}}));
    const fs::path saveFile = folder_ / "BIG.SAVF";
    builder.build().writeTo(saveFile.string());

    Catalog catalog;
    catalog.path = saveFile.string();
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    ASSERT_TRUE(reader.parseSaveFile(catalog.path).accepted);
    SaveFileExtractor extractor(catalog, converter, 1252);
    SqliteWriter database;
    database.open(folder_ / "big.db");
    CancelAfterFirstMember progress;
    const fs::path out = folder_ / "out";
    const ExtractOutcome outcome = extractor.run(out, &database, "BIG.SAVF", progress);
    database.discard();

    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(progress.total_, 3);
    EXPECT_EQ(outcome.membersWritten, 1);
    EXPECT_EQ(slurp(out / "LIB" / "BIG" / "SMALL.csv"), "N\r\nS\r\n");
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
        if (entry.is_regular_file()) {
            written.push_back(fs::relative(entry.path(), folder_).string());
        }
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"BIG.SAVF", "out/LIB/BIG/SMALL.csv", "out/catalog.json"}));
    EXPECT_NE(slurp(out / "catalog.json").find("\"cancelled\": true"), std::string::npos);
}

// The database takes a data member's rows several to an INSERT: members of a row, of a whole
// number of such inserts, and of a rest, all arrive in order; a member the run is cancelled in
// (looked at every 4096 slots, so only LARGE is, with rows held for an insert) leaves no rows.
TEST_F(ExtractParts, DatabaseRowsArriveWholeAndInOrder) {
    BuiltObject file;
    file.name = "ROWS";
    file.attribute = "PF";
    file.fields = {{"N", 0x0403, 5, 0, 0}};
    const std::vector<std::pair<std::string, std::uint32_t>> members = {
        {"ONE", 1}, {"BATCH", 64}, {"REST", 150}, {"LARGE", 9000}};
    SaveFileBuilder builder;
    for (const auto& [name, count] : members) {
        file.members.push_back({name, "", "", count});
        std::vector<StreamSlot> slots;
        for (std::uint32_t i = 0; i < count; ++i) {
            slots.push_back({0x80, SaveFileBuilder::ebcdic(std::to_string(i), 5)});
        }
        builder.add(ContentFixtures::memberRecords("ROWS", name, 5, slots));
    }
    BuiltPart part;
    part.library = "LIB";
    part.objects = {file};
    builder.add(part);
    const fs::path saveFile = folder_ / "ROWS.SAVF";
    builder.build().writeTo(saveFile.string());
    Catalog catalog;
    catalog.path = saveFile.string();
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    ASSERT_TRUE(reader.parseSaveFile(catalog.path).accepted);
    const std::string program = R"(import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
for table in sorted(r[0] for r in db.execute("SELECT name FROM sqlite_master WHERE name LIKE 'ROWS%'")):
    rows = [r[0] for r in db.execute('SELECT N FROM "%s" ORDER BY rowid' % table)]
    print(table, len(rows), rows == [str(i) for i in range(len(rows))])
)";
    for (const bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled);
        SaveFileExtractor extractor(catalog, converter, 1252);
        SqliteWriter database;
        const fs::path db = folder_ / (cancelled ? "cancelled.db" : "whole.db");
        database.open(db);
        CancelAfterFirstMember cancelAfterFirst;
        NoProgress carryOn;
        ProgressReporter& progress = cancelled ? static_cast<ProgressReporter&>(cancelAfterFirst) : carryOn;
        extractor.run(folder_ / "out", &database, "ROWS.SAVF", progress);
        database.commit();
        EXPECT_EQ(python(program, quoted(db.string())),
                  cancelled
                      ? "ROWS_BATCH 64 True\nROWS_ONE 1 True\nROWS_REST 150 True\n"
                      : "ROWS_BATCH 64 True\nROWS_LARGE 9000 True\nROWS_ONE 1 True\nROWS_REST 150 True\n");
    }
}

}  // namespace
}  // namespace quelvane::test
