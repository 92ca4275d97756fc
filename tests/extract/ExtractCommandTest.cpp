#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tests/extract/ExtractFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

Bytes u32(std::uint32_t value) {
    Bytes bytes(4);
    SaveFileBuilder::putU32(bytes, 0, value);
    return bytes;
}

// Every field type: binary of 2, 4 and 8 bytes, zoned, a 4-byte float, packed with and
// without decimals, character, open character, date, time, timestamp and an unknown type.
const std::vector<BuiltField> kAllTypes = {
    {"BIN2", 0x0003, 2, 4, 0},    {"BIN4", 0x0003, 4, 9, 0},   {"BIN8", 0x0003, 8, 18, 0},
    {"ZONED", 0x0203, 5, 5, 2},   {"FLOAT4", 0x0103, 4, 7, 3}, {"PACKED", 0x0303, 4, 7, 2},
    {"PACKINT", 0x0303, 3, 5, 0}, {"NAME", 0x0403, 8, 0, 0},   {"OPEN", 0x0603, 6, 0, 0},
    {"DAY", 0x0B03, 4, 0, 0},     {"TIME", 0x0C03, 3, 0, 0},   {"STAMP", 0x0D03, 10, 0, 0},
    {"ODD", 0x0999, 2, 0, 0},
};
constexpr std::int32_t kAllTypesLength = 63;

Bytes firstRecord() {
    return join({{0xFF, 0xFE},
                 u32(123456),
                 {0xFF, 0xFF, 0xFF, 0xFD, 0xE7, 0x8E, 0xE6, 0x00},  // -9 000 000 000
                 {0xF1, 0xF2, 0xF3, 0xF4, 0xF5},
                 {0xBF, 0xC0, 0x00, 0x00},  // -1.5
                 {0x00, 0x12, 0x34, 0x5D},
                 {0x00, 0x04, 0x2F},
                 SaveFileBuilder::ebcdic("A,\"B\"", 8),
                 SaveFileBuilder::ebcdic("\xC4", 6),  // Latin-1 A-umlaut
                 u32(2451545),
                 {0xF1, 0xF2, 0xF3},
                 join({u32(2451545), {0x19, 0x14, 0x46, 0x81, 0x85, 0x93}}),
                 {0x00, 0x00}});
}

Bytes secondRecord() {
    return join({{0x00, 0x00},
                 u32(0x7FFFFFFF),
                 {0, 0, 0, 0, 0, 0, 0, 1},
                 {0xF0, 0xF0, 0xF0, 0xF0, 0xF5},
                 {0x3D, 0xCC, 0xCC, 0xCD},  // 0.1 in single precision
                 {0x00, 0x00, 0x00, 0x0F},
                 {0x00, 0x00, 0x0D},
                 SaveFileBuilder::ebcdic("", 8),
                 SaveFileBuilder::ebcdic("", 6),
                 u32(5373484),
                 {0xF1, 0xF2, 0xF3},
                 join({u32(1721426), Bytes(6, 0)}),
                 {0x00, 0x00}});
}

BuiltObject physicalFile(const std::string& name, std::vector<BuiltField> fields,
                         std::vector<BuiltMember> members) {
    BuiltObject file;
    file.name = name;
    file.attribute = "PF";
    file.fields = std::move(fields);
    file.members = std::move(members);
    return file;
}

Bytes sourceRecord(const std::string& sequence, const std::string& date, const std::string& text) {
    return join({SaveFileBuilder::ebcdic(sequence, 6), SaveFileBuilder::ebcdic(date, 6),
                 SaveFileBuilder::ebcdic(text, 20)});
}

// LIB: ALLTYPES (a member of two records around a deleted slot, and an empty member), BADDATE
// (one member with a date out of range, one without), files and members whose names need
// mending or collide once mended, a source file, a CL program and two data areas.
SaveFileBuilder sample() {
    BuiltPart part;
    part.library = "LIB";
    BuiltDataArea text{"DTA1", 1, 4, 8, 0, 0, SaveFileBuilder::ebcdic("HELLO", 8)};
    BuiltDataArea number{"DTA2", 1, 3, 0, 5, 2, {0x12, 0x34, 0x5D}};
    BuiltClSource program;
    program.objectName = "CLPGM";
    program.lines = {"PGM   ", "ENDPGM"};
    const std::vector<BuiltField> oneField = {{"F", 0x0403, 4, 0, 0}};
    const std::vector<BuiltField> source = {
        {"SRCSEQ", 0x0203, 6, 6, 2}, {"SRCDAT", 0x0203, 6, 6, 0}, {"SRCDTA", 0x0403, 20, 0, 0}};
    part.objects = {
        physicalFile("ALLTYPES", kAllTypes, {{"M1", "", "", 3}, {"EMPTY", "", "", 0}}),
        physicalFile("BADDATE", {{"DAY", 0x0B03, 4, 0, 0}}, {{"BAD", "", "", 1}, {"GOOD", "", "", 1}}),
        physicalFile("A/B", oneField, {{"..", "", "", 1}, {"X*", "", "", 1}, {"X?", "", "", 1}}),
        physicalFile("A:B", oneField, {{"ONE", "", "", 1}}),
        physicalFile("QRPGLESRC", source, {{"HELLO", "RPGLE", "", 4}, {"NOTYPE", "", "", 1}}),
        ContentFixtures::programObject("CLPGM"),
        ContentFixtures::dataAreaObject("DTA1"),
        ContentFixtures::dataAreaObject("DTA2"),
    };
    SaveFileBuilder builder;
    builder.add(part);
    builder.add(ContentFixtures::memberRecords(
        "ALLTYPES", "M1", kAllTypesLength,
        {{0x80, firstRecord()}, {0x00, Bytes(63, 0)}, {0x80, secondRecord()}}));
    builder.add(ContentFixtures::memberRecords("ALLTYPES", "EMPTY", kAllTypesLength, {}));
    builder.add(ContentFixtures::memberRecords("BADDATE", "BAD", 4, {{0x80, u32(1)}}));
    builder.add(ContentFixtures::memberRecords("BADDATE", "GOOD", 4, {{0x80, u32(2451545)}}));
    for (const char* member : {"..", "X*", "X?"}) {
        builder.add(
            ContentFixtures::memberRecords("A/B", member, 4, {{0x80, SaveFileBuilder::ebcdic(member, 4)}}));
    }
    builder.add(ContentFixtures::memberRecords("A:B", "ONE", 4, {{0x80, SaveFileBuilder::ebcdic("1", 4)}}));
    builder.add(
        ContentFixtures::memberRecords("QRPGLESRC", "HELLO", 32,
                                       {{0x80, sourceRecord("000100", "230904", "     H NOMAIN")},
                                        {0x00, Bytes(32, 0x40)},
                                        {0x80, sourceRecord("000200", "070831", "")},
                                        {0x80, sourceRecord("000300", "230904", "  C  RETURN  \xC4")}}));
    builder.add(ContentFixtures::memberRecords("QRPGLESRC", "NOTYPE", 32,
                                               {{0x80, sourceRecord("000100", "000000", "* \"quoted\"")}}));
    builder.add(ContentFixtures::clProgram(program));
    builder.add(ContentFixtures::dataArea(text));
    builder.add(ContentFixtures::dataArea(number));
    return builder;
}

class ExtractCommand : public ExtractFixture {
  protected:
    std::string writeSample() {
        const fs::path path = folder_ / "SAMPLE.SAVF";
        sample().build().writeTo(path.string());
        return path.string();
    }
};

TEST_F(ExtractCommand, WritesEveryKindOfContentAndReportsTheFailedMember) {
    const std::string saveFile = writeSample();
    const fs::path out = folder_ / "out";
    const fs::path db = folder_ / "all.db";
    Run run = cli("extract " + quoted(saveFile) + " --to " + quoted(out) + " --sqlite " + quoted(db) +
                  " --ebcdic 37 --pc 1252 --quiet");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("LIB/BADDATE/BAD: date out of range"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("GOOD"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");

    const fs::path lib = out / "LIB";
    EXPECT_EQ(slurp(lib / "ALLTYPES" / "M1.csv"),
              "BIN2,BIN4,BIN8,ZONED,FLOAT4,PACKED,PACKINT,NAME,OPEN,DAY,TIME,STAMP,ODD\r\n"
              "-2,123456,-9000000000,123.45,-1.5,-123.45,42,\"A,\"\"B\"\"\",\xC3\x84,2000-01-01,31:32:33,"
              "2000-01-01 19:14:46.818593,\r\n"
              "0,2147483647,1,0.05,0.1,0.00,0,\"\",\"\",9999-12-31,31:32:33,0001-01-01 00:00:00.000000,\r\n");
    EXPECT_EQ(slurp(lib / "ALLTYPES" / "EMPTY.csv"),
              "BIN2,BIN4,BIN8,ZONED,FLOAT4,PACKED,PACKINT,NAME,OPEN,DAY,TIME,STAMP,ODD\r\n");
    EXPECT_FALSE(fs::exists(lib / "BADDATE" / "BAD.csv"));
    EXPECT_EQ(slurp(lib / "BADDATE" / "GOOD.csv"), "DAY\r\n2000-01-01\r\n");
    EXPECT_EQ(slurp(lib / "A_B" / "__.csv"), "F\r\n..\r\n");
    EXPECT_EQ(slurp(lib / "A_B" / "X_.csv"), "F\r\nX*\r\n");
    EXPECT_EQ(slurp(lib / "A_B" / "X__2.csv"), "F\r\nX?\r\n");
    EXPECT_EQ(slurp(lib / "A_B_2" / "ONE.csv"), "F\r\n1\r\n");
    EXPECT_EQ(slurp(lib / "QRPGLESRC" / "HELLO.rpgle"), "     H NOMAIN\n\n  C  RETURN  \xC3\x84\n");
    EXPECT_EQ(slurp(lib / "QRPGLESRC" / "NOTYPE.txt"), "* \"quoted\"\n");
    EXPECT_EQ(slurp(lib / "CLPGM.clp"), "PGM\nENDPGM\n");
    EXPECT_EQ(slurp(lib / "dataareas.csv"),
              "name,type,length,decimals,value\r\nDTA1,*CHAR,8,0,HELLO\r\nDTA2,*DEC,5,2,-123.45\r\n");
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        EXPECT_EQ(entry.path().string().find(".quelvane-part"), std::string::npos) << entry.path();
    }

    // Read back with Python's csv and sqlite3 modules and compared with the records view.
    Run compared = compare(saveFile, out, db);
    EXPECT_EQ(compared.status, 0) << compared.out << compared.err;
    EXPECT_NE(compared.out.find("9 members compared, 0 differences"), std::string::npos) << compared.out;
}

TEST_F(ExtractCommand, DatabaseColumnsAreTyped) {
    const std::string saveFile = writeSample();
    const fs::path db = folder_ / "all.db";
    Run run =
        cli("extract " + quoted(saveFile) + " --to " + quoted(folder_ / "out") + " --sqlite " + quoted(db));
    EXPECT_EQ(run.status, 3);
    const std::string program = R"(import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
print([(r[1], r[2]) for r in db.execute('PRAGMA table_info("ALLTYPES_M1")')])
print(db.execute('SELECT typeof(BIN8), typeof(ZONED), typeof(PACKINT), typeof(NAME) FROM ALLTYPES_M1').fetchall())
print(db.execute('SELECT BIN8, PACKED, PACKINT, NAME FROM ALLTYPES_M1').fetchall())
print(sorted(r[0] for r in db.execute("SELECT name FROM sqlite_master WHERE type = 'table'")))
print(db.execute('SELECT member, line, sequence, date, text FROM source ORDER BY member, line').fetchall())
print(db.execute("SELECT member, written_to, error FROM catalog WHERE object = 'BADDATE' AND member IS NOT NULL").fetchall())
)";
    EXPECT_EQ(python(program, quoted(db)),
              "[('BIN2', 'INTEGER'), ('BIN4', 'INTEGER'), ('BIN8', 'INTEGER'), ('ZONED', 'TEXT'), "
              "('FLOAT4', 'TEXT'), ('PACKED', 'TEXT'), ('PACKINT', 'INTEGER'), ('NAME', 'TEXT'), "
              "('OPEN', 'TEXT'), ('DAY', 'TEXT'), ('TIME', 'TEXT'), ('STAMP', 'TEXT'), ('ODD', 'TEXT')]\n"
              "[('integer', 'text', 'integer', 'text'), ('integer', 'text', 'integer', 'text')]\n"
              "[(-9000000000, '-123.45', 42, 'A,\"B\"'), (1, '0.00', 0, '')]\n"
              "['A/B_..', 'A/B_X*', 'A/B_X?', 'A:B', 'ALLTYPES_EMPTY', 'ALLTYPES_M1', 'BADDATE_GOOD', "
              "'catalog', 'columns', 'source']\n"
              "[('HELLO', 1, '1.00', '230904', '     H NOMAIN'), ('HELLO', 2, '2.00', '070831', ''), "
              "('HELLO', 3, '3.00', '230904', '  C  RETURN  \u00c4'), ('NOTYPE', 1, '1.00', '000000', "
              "'* \"quoted\"')]\n"
              "[('BAD', None, 'date out of range'), ('GOOD', 'BADDATE_GOOD', None)]\n");
}

// schema.sql holds a table per data file, named as the file and quoted where the name needs it,
// with the CSV files that load into it; the database's columns table lists every field.
TEST_F(ExtractCommand, SchemaAndColumnsTable) {
    const std::string saveFile = writeSample();
    const fs::path out = folder_ / "out";
    const fs::path db = folder_ / "all.db";
    Run run =
        cli("extract " + quoted(saveFile) + " --to " + quoted(out) + " --sqlite " + quoted(db) + " --quiet");
    EXPECT_EQ(run.status, 3);
    const std::string schema = slurp(out / "schema.sql");
    EXPECT_NE(schema.find("-- LIB/ALLTYPES\n"
                          "-- rows: LIB/ALLTYPES/M1.csv\n"
                          "-- rows: LIB/ALLTYPES/EMPTY.csv\n"
                          "CREATE TABLE ALLTYPES (\n"
                          "    BIN2 SMALLINT NOT NULL,\n"
                          "    BIN4 INTEGER NOT NULL,\n"
                          "    BIN8 BIGINT NOT NULL,\n"
                          "    ZONED NUMERIC(5,2) NOT NULL,\n"
                          "    FLOAT4 REAL NOT NULL,\n"
                          "    PACKED DECIMAL(7,2) NOT NULL,\n"
                          "    PACKINT DECIMAL(5,0) NOT NULL,\n"
                          "    NAME CHAR(8) NOT NULL,\n"
                          "    \"OPEN\" CHAR(6) NOT NULL,\n"
                          "    \"DAY\" DATE NOT NULL,\n"
                          "    \"TIME\" TIME NOT NULL,\n"
                          "    STAMP TIMESTAMP NOT NULL,\n"
                          "    ODD CHAR(2)\n"
                          ");\n"),
              std::string::npos)
        << schema;
    // The member that failed is not named as rows of its table.
    EXPECT_NE(schema.find("-- LIB/BADDATE\n-- rows: LIB/BADDATE/GOOD.csv\nCREATE TABLE BADDATE (\n"),
              std::string::npos)
        << schema;
    EXPECT_NE(schema.find("CREATE TABLE \"A/B\" ("), std::string::npos) << schema;
    EXPECT_NE(schema.find("CREATE TABLE \"A:B\" ("), std::string::npos) << schema;
    EXPECT_EQ(schema.find("QRPGLESRC"), std::string::npos) << schema;
    const std::string catalog = slurp(out / "catalog.json");
    EXPECT_NE(catalog.find("\"schema\": \"schema.sql\""), std::string::npos);
    EXPECT_NE(catalog.find("\"schemaTable\": \"A/B\""), std::string::npos);

    const std::string program = R"(import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
print(db.execute("SELECT position, field, column_name, type, length, digits, decimals, sql_type, null_capable, ccsid "
                 "FROM columns WHERE file = 'ALLTYPES' AND position IN (1, 4, 8, 13) ORDER BY position").fetchall())
print(db.execute("SELECT count(*) FROM columns WHERE file = 'QRPGLESRC'").fetchall())
)";
    EXPECT_EQ(python(program, quoted(db)),
              "[(1, 'BIN2', 'BIN2', 'B', 4, 4, 0, 'SMALLINT', 0, 0), (4, 'ZONED', 'ZONED', 'S', 5, 5, 2, "
              "'NUMERIC(5,2)', 0, 0), (8, 'NAME', 'NAME', 'A', 8, 0, 0, 'CHAR(8)', 0, 0), (13, 'ODD', 'ODD', "
              "'?', 2, "
              "0, 0, 'CHAR(2)', 0, 0)]\n"
              "[(3,)]\n");
}

TEST_F(ExtractCommand, SeveralFilesEachInTheirOwnFolder) {
    const std::string saveFile = writeSample();
    const fs::path notSave = folder_ / "notes.txt";
    std::ofstream(notSave) << "not a save file\n";
    const fs::path out = folder_ / "out";
    Run run = cli("extract " + quoted(notSave) + " " + quoted(saveFile) + " --to " + quoted(out));
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("is not save file format"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(out / "SAMPLE.SAVF" / "catalog.json"));
    EXPECT_TRUE(fs::exists(out / "SAMPLE.SAVF" / "LIB" / "ALLTYPES" / "M1.csv"));
    EXPECT_FALSE(fs::exists(out / "notes.txt"));
}

// Two files in one run: the second lacks the records of a member the first has, at a block where
// it holds another member's records. Its member is reported, never read from the first file's
// position.
TEST_F(ExtractCommand, SegmentsOfTheFirstFileAreNotLookedUpInTheSecond) {
    auto part = [](std::optional<std::int32_t> length) {
        BuiltPart built;
        built.library = "LIB";
        built.objects = {
            physicalFile("ORDERS", {{"F", 0x0403, 4, 0, 0}}, {{"M1", "", "", 1}, {"M2", "", "", 1}})};
        built.length = length;
        return built;
    };
    auto records = [](const std::string& file, const std::string& member, const std::string& text) {
        return ContentFixtures::memberRecords(file, member, 4, {{0x80, SaveFileBuilder::ebcdic(text, 4)}});
    };
    SaveFileBuilder first;
    first.add(part(std::nullopt));
    first.add(BuiltSegment{"FILLER", 16, true, {}});
    first.add(records("ORDERS", "M1", "A1"));
    first.add(records("ORDERS", "M2", "A2"));
    const SaveFileImage firstImage = first.build();
    // The second file's part is longer by the first one's filler, so its third segment starts where
    // the first file's records of M2 do.
    SaveFileBuilder second;
    second.add(part(firstImage.layout.segments[0].length + 16));
    second.add(records("ORDERS", "M1", "B1"));
    second.add(records("OTHER", "X", "B9"));
    const SaveFileImage secondImage = second.build();
    ASSERT_EQ(secondImage.layout.segments[2].headerBlock, firstImage.layout.segments[3].headerBlock);
    const fs::path a = folder_ / "A.SAVF";
    const fs::path b = folder_ / "B.SAVF";
    firstImage.writeTo(a.string());
    secondImage.writeTo(b.string());

    const fs::path out = folder_ / "out";
    Run run = cli("extract " + quoted(a) + " " + quoted(b) + " --to " + quoted(out) +
                  " --ebcdic 37 --pc 1252 --quiet");
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_EQ(slurp(out / "A.SAVF" / "LIB" / "ORDERS" / "M2.csv"), "F\r\nA2\r\n");
    EXPECT_EQ(slurp(out / "B.SAVF" / "LIB" / "ORDERS" / "M1.csv"), "F\r\nB1\r\n");
    EXPECT_FALSE(fs::exists(out / "B.SAVF" / "LIB" / "ORDERS" / "M2.csv"));
    EXPECT_NE(run.err.find("LIB/ORDERS/M2: no stored records found for the member"), std::string::npos)
        << run.err;
}

TEST_F(ExtractCommand, UsageErrors) {
    const std::string saveFile = writeSample();
    struct Case {
        std::string arguments;
        std::string errStart;
    };
    const Case cases[] = {
        {"extract", "Usage: quelvane-cli extract"},
        {"extract " + quoted(saveFile), "Usage: quelvane-cli extract"},
        {"extract --to " + quoted(folder_), "Usage: quelvane-cli extract"},
        {"extract " + quoted(saveFile) + " --to", "quelvane-cli: --to needs a path"},
        {"extract " + quoted(saveFile) + " --to x --sqlite", "quelvane-cli: --sqlite needs a path"},
        {"extract " + quoted(saveFile) + " --to x --bogus", "quelvane-cli: unknown option"},
        {"extract " + quoted((folder_ / "missing.savf").string()) + " --to " + quoted(folder_ / "o"),
         "quelvane-cli: cannot open"},
    };
    for (const Case& c : cases) {
        Run run = cli(c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << c.arguments << "\n" << run.err;
    }
}

TEST_F(ExtractCommand, TreeAndShowAsJson) {
    const std::string saveFile = writeSample();
    const std::string program = R"(import json, sys
tree = json.load(open(sys.argv[1], encoding='utf-8'))
print(tree['save']['systemText'], tree['save']['saveCommand'], tree['parts'][0]['library'])
print([(o['name'], o['typeText'], len(o.get('members', []))) for o in tree['parts'][0]['objects']][:3])
show = json.load(open(sys.argv[2], encoding='utf-8'))
print(show['title'])
print(show['columns'][:3], [(r['caption'], r.get('recordless', False), r['cells'][:2]) for r in show['rows']])
)";
    Run tree = cli("tree --json " + quoted(saveFile));
    ASSERT_EQ(tree.status, 0) << tree.err;
    std::ofstream(folder_ / "tree.json") << tree.out;
    Run show = cli("show --json " + quoted(saveFile) + " 0/ALLTYPES/M1");
    ASSERT_EQ(show.status, 0) << show.err;
    std::ofstream(folder_ / "show.json") << show.out;
    EXPECT_EQ(python(program, quoted(folder_ / "tree.json") + " " + quoted(folder_ / "show.json")),
              "150 9401 SAVLIB LIB\n"
              "[('ALLTYPES', 'PF', 2), ('BADDATE', 'PF', 2), ('A/B', 'PF', 3)]\n"
              "Member:  M1        \n"
              "['', 'BIN2', 'BIN4'] [('0', False, ['-2', '123456']), ('1', True, []), ('2', False, ['0', "
              "'2147483647'])]\n");
}

}  // namespace
}  // namespace quelvane::test
