#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/StoredCcsidText.h"
#include "savefile/FieldEntryReader.h"
#include "savefile/SaveFileReader.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

std::string latin(const StoredText& text) {
    std::string out;
    for (std::uint8_t byte : text.bytes) {
        out += byte == 0xFF ? '|' : static_cast<char>(kCp037ToLatin1[byte]);
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out + "@" + std::to_string(text.ccsid);
}

// One line per field: the DDS letter, CCSID, flags and each variable part as text@CCSID.
std::string dump(const SavedField& field) {
    const FieldDescription& d = field.description;
    if (!d.read) {
        return field.name + " not read";
    }
    std::string line = field.name + " " + d.ddsType + " ccsid=" + std::to_string(d.ccsid) +
                       " buf=" + std::to_string(d.bufferLength) + (d.varying ? " varying" : "") +
                       (d.nullCapable ? " null" : "") + " alloc=" + std::to_string(d.allocatedLength);
    const std::pair<const char*, const StoredText*> parts[] = {
        {"dft", &d.defaultValue}, {"alias", &d.longName}, {"text", &d.text}, {"colhdg", &d.columnHeadings}};
    for (const auto& [name, text] : parts) {
        if (!text->bytes.empty()) {
            line += std::string(" ") + name + "=" + latin(*text);
        }
    }
    return line;
}

SaveFileBuilder library(std::vector<BuiltObject> objects) {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "LIB";
    part.objects = std::move(objects);
    builder.add(part);
    return builder;
}

BuiltField described(std::string name, std::uint16_t typeCode, std::uint16_t length, BuiltFieldFacts facts) {
    BuiltField field{std::move(name), typeCode, length};
    field.entryLength = 0;
    field.facts = std::move(facts);
    return field;
}

BuiltObject describedFile(const std::string& name, std::vector<BuiltField> fields) {
    BuiltObject file = physicalFile(name, std::move(fields), {});
    file.formatOffset = 576;
    BuiltFileFacts facts;
    facts.text = "Customer master";
    facts.textCcsid = 37;
    facts.keyFlags = 0x10;
    facts.flags = 0xC2;
    facts.sourceFile = "QDDSSRC";
    facts.sourceMember = name;
    facts.sourceLibrary = "DEVLIB";
    facts.language = "DEU";
    facts.country = "DE";
    facts.formatName = "CUSTR";
    facts.formatText = "Customer record";
    facts.formatCcsid = 273;
    facts.formatTextCcsid = 273;
    facts.recordLength = 123;
    file.fileFacts = facts;
    return file;
}

// The DDS letter of each stored data type, with the letter byte where the type alone is
// ambiguous.
TEST(FieldEntry, TypeLetters) {
    struct Case {
        std::uint8_t dataType;
        std::uint8_t letter;
        char expected;
    };
    const Case cases[] = {{0x00, 0, 'B'},    {0x01, 0, 'F'},    {0x02, 0, 'S'},    {0x03, 0, 'P'},
                          {0x04, 0, 'A'},    {0x04, 0xC8, 'H'}, {0x05, 0, 'G'},    {0x06, 0, 'O'},
                          {0x06, 0xD6, 'O'}, {0x06, 0xD1, 'J'}, {0x06, 0xC5, 'E'}, {0x0B, 0, 'L'},
                          {0x0C, 0, 'T'},    {0x0D, 0, 'Z'},    {0x07, 0, '?'},    {0x03, 0xC8, 'P'}};
    for (const Case& c : cases) {
        EXPECT_EQ(FieldEntryReader::ddsType(c.dataType, c.letter), c.expected)
            << int(c.dataType) << "/" << int(c.letter);
    }
}

// Both fixed-part sizes, every variable part present and absent, and the file's own facts.
TEST(FieldEntry, PartsOfBothLayouts) {
    for (std::int64_t fixed : {144, 96}) {
        SCOPED_TRACE(fixed);
        BuiltFieldFacts name{.fixedPart = fixed, .ccsid = 273, .textCcsid = 273, .headingsCcsid = 273};
        name.defaultValue = "'HI'";
        name.longName = "CUSTOMER_NAME";
        name.text = "Name of the customer";
        name.headings = {"Customer", "name", "here"};
        BuiltFieldFacts amount{.fixedPart = fixed, .nullFlags = 0x80};
        amount.defaultValue = "+0";
        BuiltFieldFacts note{.fixedPart = fixed,
                             .varyingFlags = 0x80,
                             .allocatedLength = 25,
                             .ccsid = 65535,
                             .headingsCcsid = 37};
        note.headings = {"NOTE"};
        BuiltFieldFacts bare{.fixedPart = fixed, .ebcdicLetter = 0xD1, .ccsid = 5026};
        BuiltObject file = describedFile(
            "CUST", {described("NAME", 0x0403, 20, name), described("AMOUNT", 0x0303, 5, amount),
                     described("NOTE", 0x0403, 102, note), described("KANJI", 0x0603, 12, bare)});
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({file})), 0);
        const SavedObject& obj = fixture.object(0);
        ASSERT_TRUE(obj.description.read) << obj.description.failure;
        std::vector<std::string> lines;
        for (const SavedField& field : obj.fields) {
            lines.push_back(dump(field));
        }
        EXPECT_EQ(lines, (std::vector<std::string>{
                             "NAME A ccsid=273 buf=20 alloc=0 dft='HI'@273 alias=CUSTOMER_NAME@273 "
                             "text=Name of the customer@273 colhdg=Customer|name|here@273",
                             "AMOUNT P ccsid=0 buf=5 null alloc=0 dft=+0@0",
                             "NOTE A ccsid=65535 buf=102 varying alloc=25 colhdg=NOTE@37",
                             "KANJI J ccsid=5026 buf=12 alloc=0",
                         }));
        const FileDescription& d = obj.description;
        EXPECT_TRUE(d.keyed);
        EXPECT_TRUE(d.unique);
        EXPECT_FALSE(d.logical);
        EXPECT_EQ(latin(d.text), "Customer master@37");
        EXPECT_EQ(d.sourceFileName + "/" + d.sourceLibrary + "/" + d.sourceMember, "QDDSSRC/DEVLIB/CUST");
        EXPECT_EQ(d.language + "_" + d.country, "DEU_DE");
        EXPECT_EQ(d.formatName + " " + d.levelId, "CUSTR 1234567890ABC");
        EXPECT_EQ(latin(d.formatText), "Customer record@273");
        EXPECT_EQ(d.formatCcsid, 273);
        EXPECT_EQ(d.recordLength, 123);
    }
}

// A part whose offset leads outside its entry, or into its fixed part, fails the description of
// that file only: the file's records still read by their layout, and the next file is whole.
TEST(FieldEntry, PartsOutsideTheEntryFailThatFileOnly) {
    struct Case {
        const char* what;
        BuiltFieldFacts facts;
        const char* failure;
    };
    auto with = [](auto change) {
        BuiltFieldFacts facts{.ccsid = 37, .textCcsid = 37, .headingsCcsid = 37};
        facts.text = "Text";
        facts.headings = {"Heading"};
        facts.defaultValue = "'X'";
        facts.longName = "LONG_NAME";
        change(facts);
        return facts;
    };
    const Case cases[] = {
        {"text past the entry", with([](BuiltFieldFacts& f) { f.textOffset = 4000; }),
         "field F: TEXT at +4000 (50 bytes) outside the variable part of its 226-byte field entry"},
        {"text in the fixed part", with([](BuiltFieldFacts& f) { f.textOffset = 60; }),
         "field F: TEXT at +60 (50 bytes) outside the variable part of its 226-byte field entry"},
        {"headings too long", with([](BuiltFieldFacts& f) { f.headingsLength = 200; }),
         "field F: COLHDG at +219 (200 bytes) outside the variable part of its 226-byte field entry"},
        {"default past the entry", with([](BuiltFieldFacts& f) { f.defaultOffset = 225; }),
         "field F: DFT at +225 (3 bytes) outside the variable part of its 226-byte field entry"},
        {"long name past the entry", with([](BuiltFieldFacts& f) { f.longNameOffset = 0xFFFF; }),
         "field F: ALIAS at +65535 (10 bytes) outside the variable part of its 226-byte field entry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BuiltObject bad = describedFile("BAD", {described("F", 0x0403, 4, c.facts)});
        BuiltObject good = describedFile("GOOD", {described("G", 0x0403, 4, with([](BuiltFieldFacts&) {}))});
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(library({bad, good})), 0);
        EXPECT_TRUE(fixture.notifier.texts().empty());
        const SavedObject& failed = fixture.object(0);
        EXPECT_FALSE(failed.description.read);
        EXPECT_EQ(failed.description.failure, c.failure);
        ASSERT_EQ(failed.fields.size(), 1u);
        EXPECT_EQ(failed.fields[0].length, 4);
        EXPECT_TRUE(fixture.object(1).description.read);
        EXPECT_EQ(dump(fixture.object(1).fields.at(0)),
                  "G A ccsid=37 buf=4 alloc=0 dft='X'@37 alias=LONG_NAME@37 text=Text@37 colhdg=Heading@37");
    }
}

// An entry shorter than the shorter fixed part holds the layout only.
TEST(FieldEntry, ShortEntriesHoldTheLayoutOnly) {
    BuiltObject file = describedFile("OLD", {{"A", 0x0403, 3}, {"B", 0x0303, 4, 7, 2}});
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(library({file})), 0);
    EXPECT_TRUE(fixture.object(0).description.read);
    EXPECT_EQ(dump(fixture.object(0).fields.at(1)), "B not read");
    EXPECT_EQ(fixture.object(0).fields.at(1).decimals, 2);
}

TEST(MemberEntry, TextCcsidOfTheLongerLayouts) {
    BuiltMember longer{"M1", "PF", "Member text", 3, 656};
    longer.textCcsid = 1141;
    BuiltMember shorter{"M2", "PF", "Short", 3, 640};
    shorter.textCcsid = 1141;
    BuiltObject file = describedFile("MEMB", {{"A", 0x0403, 3}});
    file.members = {longer, shorter};
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(library({file})), 0);
    const SavedObject& obj = fixture.object(0);
    ASSERT_EQ(obj.members.size(), 2u);
    EXPECT_EQ(latin(obj.members[0].storedText), "Member text@1141");
    EXPECT_EQ(latin(obj.members[1].storedText), "Short@0");
}

const SavedObject* openedFile(ReaderFixture& fixture, const std::string& save, const std::string& file) {
    const std::string path = std::string(QUELVANE_SAVF_DIR) + "/" + save;
    SaveFileReader reader(fixture.catalog, fixture.converter, fixture.notifier);
    fixture.catalog.segments.reset();
    if (!reader.parseSaveFile(path).accepted) {
        return nullptr;
    }
    for (const SavedPart& part : fixture.catalog.parts) {
        for (const SavedObject& object : part.library.objects) {
            if (object.name == file) {
                return &object;
            }
        }
    }
    return nullptr;
}

// ALLFLDS against its DDS in QDDSSRC of the same save: 4B DFT(0) (ALWNULL came into the source
// after the file was made), 9B DFT(0), 1A DFT('0') TEXT('CHAR 0'), 50A ALWNULL VARLEN(25),
// L TEXT('START DATE') DFT('01/01/97'), 100E COLHDG('DBCS' 'EITHER' 'FIELD') (the text is the
// headings joined), 10G ALIAS(GRAPHICAL), 26J, 4O TEXT('DBCS OPEN'), 7F 3, 17F 3 FLTPCN(*DOUBLE),
// 10H, 31P ALWNULL, T, Z, 5S 3; the file's CCSID 937 gives A/L/T/Z 37, E/J/O 937 and G 835.
TEST(RealFieldEntries, AllFieldTypesAsTheirDds) {
    const std::string save = std::string(QUELVANE_SAVF_DIR) + "/JTT_ddmtestsav.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    ReaderFixture fixture;
    const SavedObject* file = openedFile(fixture, "JTT_ddmtestsav.savf", "ALLFLDS");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->description.read) << file->description.failure;
    std::vector<std::string> lines;
    for (const SavedField& field : file->fields) {
        lines.push_back(dump(field) + " " + std::to_string(field.description.bufferLength) + "/" +
                        std::to_string(field.digits) + "," + std::to_string(field.decimals));
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "BINARY2 B ccsid=0 buf=2 alloc=0 dft=+0@0 colhdg=BINARY2@937 2/4,0",
                  "BINARY4 B ccsid=0 buf=4 alloc=0 dft=+0@0 colhdg=BINARY4@937 4/9,0",
                  "CHARACTER A ccsid=37 buf=1 alloc=0 dft='0'@37 text=CHAR 0@937 colhdg=CHARACTER@937 1/0,0",
                  "VARCHAR A ccsid=37 buf=52 varying null alloc=25 colhdg=VARCHAR@937 52/0,0",
                  "DATE L ccsid=37 buf=8 alloc=0 dft='01/01/97'@37 text=START DATE@937 colhdg=DATE@937 8/0,0",
                  "DBCSEITHER E ccsid=937 buf=100 alloc=0 text=DBCS EITHER FIELD@937 "
                  "colhdg=DBCS|EITHER|FIELD@937 100/0,0",
                  "DBCSGRAPH G ccsid=835 buf=20 alloc=0 alias=GRAPHICAL@937 colhdg=DBCSGRAPH@937 20/10,0",
                  "DBCSONLY J ccsid=937 buf=26 alloc=0 colhdg=DBCSONLY@937 26/0,0",
                  "DBCSOPEN O ccsid=937 buf=4 alloc=0 text=DBCS OPEN@937 colhdg=DBCSOPEN@937 4/0,0",
                  "FLOAT4 F ccsid=0 buf=4 alloc=0 colhdg=FLOAT4@937 4/7,3",
                  "FLOAT8 F ccsid=0 buf=8 alloc=0 colhdg=FLOAT8@937 8/17,3",
                  "HEX H ccsid=65535 buf=10 alloc=0 colhdg=HEX@937 10/0,0",
                  "PACKEDDEC P ccsid=0 buf=16 null alloc=0 colhdg=PACKEDDEC@937 16/31,0",
                  "TIME T ccsid=37 buf=8 alloc=0 colhdg=TIME@937 8/0,0",
                  "TIMESTAMP Z ccsid=37 buf=26 alloc=0 colhdg=TIMESTAMP@937 26/0,0",
                  "ZONEDDEC S ccsid=0 buf=5 alloc=0 colhdg=ZONEDDEC@937 5/5,3",
              }));
    EXPECT_EQ(latin(file->description.text), "All fld types,no key,field lvl keywords@37");
    EXPECT_EQ(file->description.formatName, "ALLFLDS");
    EXPECT_EQ(file->description.formatCcsid, 937);
    EXPECT_EQ(file->description.recordLength, 294);
    EXPECT_FALSE(file->description.keyed);
}

// The older save with the 96-byte fixed part: each field's text states its CCSID as the last
// number, or in parentheses for the graphic fields.
TEST(RealFieldEntries, CcsidsTheTextsState) {
    const std::string save = std::string(QUELVANE_SAVF_DIR) + "/JTT_javaprime.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    int checked = 0;
    for (const char* name : {"SMPDBCSJAP", "SMPDBCSKOR", "SMPDBCSSCH", "SMPDBCSTCH"}) {
        SCOPED_TRACE(name);
        ReaderFixture fixture;
        const SavedObject* file = openedFile(fixture, "JTT_javaprime.savf", name);
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->description.read) << file->description.failure;
        for (const SavedField& field : file->fields) {
            std::string text = latin(field.description.text);
            text = text.substr(0, text.find('@'));
            const std::size_t open = text.find('(');
            const std::string stated =
                open != std::string::npos
                    ? text.substr(text.find_last_of(" (") + 1, text.find(')') - text.find_last_of(" (") - 1)
                    : text.substr(text.find_last_of(' ') + 1);
            EXPECT_EQ(std::to_string(field.description.ccsid), stated) << text;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 16);
}

TEST(RealFieldEntries, LongNames) {
    const std::string save = std::string(QUELVANE_SAVF_DIR) + "/CSCH@009.SAVF";
    QUELVANE_REQUIRE_REAL_FILE(save);
    ReaderFixture fixture;
    const SavedObject* file = openedFile(fixture, "CSCH@009.SAVF", "MSYOP@4");
    ASSERT_NE(file, nullptr);
    std::vector<std::string> names;
    for (const SavedField& field : file->fields) {
        names.push_back(field.name + "=" + latin(field.description.longName));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{
                  "MSYOSYCODE=MSYOP_SYOHIN_CODE@5026", "MSYOSYNAME=MSYOP_SYOHIN_NAME@5026",
                  "MSYOSYKANA=MSYOP_SYOHIN_KANA@5026", "MSYOSYTANK=MSYOP_SYOHIN_TANKA@5026",
                  "MSYOZEIKBN=MSYOP_SYOHIN_ZEI_KUBUN@5026", "MSYOUPDDAT=MSYOP_SYOHIN_UPDATE_DATE@5026",
                  "MSYOUPDTIM=MSYOP_SYOHIN_UPDATE_TIME@5026", "MSYOUPDPGM=MSYOP_SYOHIN_UPDATE_PGM@5026",
                  "MSYOTIMSTP=MSYOP_SYOHIN_TIMESTAMP@5026"}));
}

std::string trimmed(StoredCcsidText& reader, const StoredText& text) {
    std::string out;
    reader.decode(text.bytes, text.ccsid, false, out);
    return out.substr(0, out.find_last_not_of(' ') + 1);
}

// The texts of the Japanese files read in the CCSIDs stored beside them (5026 for PERSON's file
// text, 1399 for its field texts and for PREFCODE), with no code page chosen for them.
TEST(RealFieldEntries, JapaneseTextsInTheirCcsids) {
    const std::string save = std::string(QUELVANE_SAVF_DIR) + "/GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(save);
    if (ConversionBackend::standard().name() != "icu") {
        GTEST_SKIP() << "the table backend reads stored CCSIDs in the chosen page";
    }
    StoredCcsidText reader(37);
    const std::pair<const char*, std::vector<std::string>> files[] = {
        {"PERSON",
         {"登録者一覧", "REGNO 登録番号", "KJNAME 姓名", "KNNAME 姓名（読み）", "GENDER 性別",
          "TEL 電話番号（主）", "MOBILE 電話番号（副）", "POST 郵便番号", "PREF 都道府県", "ADDR1 住所１",
          "ADDR2 住所２", "ADDR3 住所３", "BIRTHD 生年月日"}},
        {"PREFCODE", {"都道府県コード", "PCODE 都道府県コード", "PNAME 都道府県名"}},
    };
    for (const auto& [name, expected] : files) {
        SCOPED_TRACE(name);
        ReaderFixture fixture;
        const SavedObject* file = openedFile(fixture, "GURI_demodb.savf", name);
        ASSERT_NE(file, nullptr);
        std::vector<std::string> texts{trimmed(reader, file->description.text)};
        for (const SavedField& field : file->fields) {
            const std::string text = trimmed(reader, field.description.text);
            EXPECT_EQ(text, trimmed(reader, field.description.columnHeadings));
            texts.push_back(field.name + " " + text);
        }
        EXPECT_EQ(texts, expected);
    }
}

}  // namespace
}  // namespace quelvane::test
