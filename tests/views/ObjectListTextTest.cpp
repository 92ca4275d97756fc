#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "savefile/TypeCodes.h"
#include "views/ObjectList.h"
#include "views/ObjectListText.h"

namespace quelvane::test {
namespace {

ObjectListRow row(const char* name, const char* type, std::optional<std::int64_t> size, const char* text) {
    ObjectListRow made;
    made.name = name;
    made.type = type;
    made.attribute = std::string(type) == "PF" ? "PF" : "";
    made.owner = "QSECOFR";
    made.size = size;
    made.text = text;
    return made;
}

std::vector<const ObjectListRow*> pointers(const std::vector<ObjectListRow>& rows) {
    std::vector<const ObjectListRow*> all;
    for (const ObjectListRow& r : rows) {
        all.push_back(&r);
    }
    return all;
}

// Columns are as wide as their widest cell, numbers stand right, a missing value leaves its cell
// blank, the rows keep the order given, and no line ends in blanks.
TEST(ObjectListTextTest, ColumnsAlignOnTheWidestCell) {
    std::vector<ObjectListRow> rows = {row("LONGPROGRAM", "PGM", 1234567, "Nightly run"),
                                       row("CUST", "PF", std::nullopt, ""), row("A", "DTAARA", 8, "")};
    rows[0].created = SavedTimestamp{2001, 9, 4, 12, 18, 52, 0};
    const std::vector<std::string> lines = ObjectListText::lines({"Library RMLIB"}, pointers(rows));
    const std::vector<std::string> expected = {
        "Library RMLIB",
        "",
        "Object       Type    Attribute  Owner       Size  Created              Text",
        "-----------  ------  ---------  -------  -------  -------------------  -----------",
        "LONGPROGRAM  PGM                QSECOFR  1234567  2001-09-04 12:18:52  Nightly run",
        "CUST         PF      PF         QSECOFR",
        "A            DTAARA             QSECOFR        8",
    };
    EXPECT_EQ(lines, expected);
}

TEST(ObjectListTextTest, AnEmptyListKeepsItsCaptions) {
    const std::vector<std::string> lines = ObjectListText::lines({}, {});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Object  Type  Attribute  Owner  Size  Created  Text");
    EXPECT_EQ(lines[1], "------  ----  ---------  -----  ----  -------  ----");
}

// Texts in the PC code page arrive as UTF-8: a column counts characters, not bytes, and a
// Japanese character takes two cells on the grid the text is printed on.
TEST(ObjectListTextTest, WidthsCountCharactersOnTheGrid) {
    struct Case {
        std::string text;
        std::size_t width;
    };
    const Case cases[] = {
        {"", 0},
        {"ABC", 3},
        {"\xC3\x84RGER", 5},              // Ä, two bytes
        {"\xE6\x97\xA5\xE6\x9C\xAC", 4},  // 日本
        {"\xEF\xBD\xB1", 1},              // half-width katakana A
        {"\xFF"
         "A",
         2},              // a byte no sequence starts
        {"\xE6\x97", 2},  // a sequence cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ObjectListText::displayWidth(c.text), c.width) << c.text;
    }
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE";  // 日本語の
    std::vector<ObjectListRow> rows = {row(japanese.c_str(), "PGM", 1, ""), row("ABCDEFG", "PGM", 2, "")};
    const std::vector<std::string> lines = ObjectListText::lines({}, pointers(rows));
    EXPECT_EQ(lines[2].substr(0, japanese.size() + 5), japanese + "  PGM");
    EXPECT_EQ(lines[3].substr(0, 12), "ABCDEFG   PG");
}

SavedObject object(const char* name, std::uint16_t typeCode, const char* attribute) {
    SavedObject made;
    made.name = name;
    made.typeCode = typeCode;
    made.attribute = attribute;
    return made;
}

// A library saved in two parts is named once; an object count past what the array holds lists
// what is held; a type without a text shows its code; 8-bit texts are converted.
TEST(ObjectListTest, EveryPartsObjectsUnderTheSaveDetails) {
    Catalog catalog;
    catalog.path = "dir/RMLIB.savf";
    catalog.header.details.savedAt = SavedTimestamp{2002, 1, 31, 11, 27, 17, 0};
    catalog.header.details.serialNumber = "102PKFM";
    catalog.header.details.savingRelease = "V5R1";
    catalog.header.details.targetRelease = "V5R1";
    SavedPart first;
    first.library.name = "RMLIB";
    first.library.objects = {object("RMLIB", 0x0401, "PROD"), object("ODD", 0x7777, "")};
    first.library.objects[0].details.owner = "JAVACTL";
    first.library.objects[0].details.size = 73728;
    first.library.objects[1].text = "\xC4nderung";
    first.library.objectCount = 5;
    SavedPart second = first;
    second.library.objects = {object("DATA", kFileObjectType, "PF"), object("HIDDEN", kFileObjectType, "PF")};
    second.library.objectCount = 1;
    catalog.parts = {first, second};

    PcTextToUtf8 utf8(1252);
    const ObjectList list = ObjectList::of(catalog, utf8);
    const std::vector<std::string> header = {"Save file RMLIB.savf", "Library RMLIB",
                                             "Saved 2002-01-31 11:27:17, serial 102PKFM",
                                             "Release V5R1, target release V5R1"};
    EXPECT_EQ(list.headerLines, header);
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[0].type, "LIB");
    EXPECT_EQ(list.rows[0].owner, "JAVACTL");
    EXPECT_EQ(list.rows[0].size, 73728);
    EXPECT_EQ(list.rows[1].type, "7777");
    EXPECT_EQ(list.rows[1].text, "\xC3\x84nderung");
    EXPECT_EQ(list.rows[2].name, "DATA");
    EXPECT_EQ(list.rows[2].type, "PF");
    EXPECT_FALSE(list.rows[2].size.has_value());
}

TEST(ObjectListTest, IntegratedFileSystemEntriesListByPath) {
    Catalog catalog;
    catalog.path = "WCOUNT.savf";
    catalog.parts.resize(2);
    IfsCatalog ifs;
    ifs.release = "V4R4M0";
    IfsEntry page;
    page.path = "/wcount/Count.html";
    page.kind = IfsEntry::Kind::StreamFile;
    page.typeText = "*STMF";
    page.size = 106347;
    page.owner = "TCPIP";
    page.modified = SavedTimestamp{2000, 5, 27, 3, 51, 9, 0};
    IfsEntry folder;
    folder.path = "/wcount/..";
    folder.kind = IfsEntry::Kind::Directory;
    folder.typeText = "*DIR";
    folder.size = 8192;
    folder.problem = "unsafe name: not extracted";
    ifs.entries = {page, folder};
    catalog.ifs = ifs;

    PcTextToUtf8 utf8(1252);
    const ObjectList list = ObjectList::of(catalog, utf8);
    EXPECT_EQ(list.headerLines,
              (std::vector<std::string>{"Save file WCOUNT.savf", "Integrated file system save"}));
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0].name, "/wcount/Count.html");
    EXPECT_EQ(list.rows[0].size, 106347);
    EXPECT_EQ(list.rows[0].owner, "TCPIP");
    EXPECT_FALSE(list.rows[0].created.has_value());
    EXPECT_FALSE(list.rows[1].size.has_value());
    EXPECT_EQ(list.rows[1].text, "unsafe name: not extracted");
}

}  // namespace
}  // namespace quelvane::test
