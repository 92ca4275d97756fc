#include <gtest/gtest.h>

#include "savefile/CatalogTree.h"
#include "savefile/VersionSummary.h"
#include "savefile/VersionText.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

// The tree as the shell would draw it: one line per node, two spaces a level, images after "|".
std::vector<std::string> render(const CatalogTree& tree) {
    std::vector<std::string> lines;
    std::function<void(const CatalogTreeNode&, int)> walk = [&](const CatalogTreeNode& node, int depth) {
        lines.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + node.caption + "|" +
                        std::to_string(node.image) + "/" + std::to_string(node.selectedImage));
        for (const auto& child : node.children) {
            walk(child, depth + 1);
        }
    };
    for (const auto& root : tree.roots) {
        walk(root, 0);
    }
    return lines;
}

STRUCT_objs object(const std::string& name, const std::string& typeCode, const std::string& attribute = "") {
    STRUCT_objs o;
    o.name = name;
    o.typeCode = typeCode;
    o.attribute = attribute;
    return o;
}

TEST(CatalogTree, TypeTexts) {
    const std::pair<const char*, const char*> known[] = {
        {"0201", "PGM"},    {"0202", "SQLPKG"}, {"0203", "SRVPGM"}, {"0301", "MODULE"}, {"0401", "LIB"},
        {"0701", "JRNRCV"}, {"0901", "JRN"},    {"0A01", "DTAQ"},   {"0E01", "JOBQ"},   {"0E02", "OUTQ"},
        {"0E03", "MSGF"},   {"1902", "MSGQ"},   {"1903", "JOBD"},   {"1905", "CMD"},    {"190A", "DTAARA"},
        {"1915", "PNLGRP"}, {"1916", "MENU"},   {"1934", "USRSPC"}, {"0B90", " "},      {"1904", " "},
        {"0000", " "},      {"", " "},
    };
    for (auto [code, text] : known) {
        EXPECT_EQ(objectTypeText(object("X", code, "PF")), text) << code;
    }
    EXPECT_EQ(objectTypeText(object("X", "1901", "PF")), "PF");
    EXPECT_EQ(objectTypeText(object("X", "1901", "")), "");
}

TEST(CatalogTree, CaptionsAndImages) {
    Catalog catalog;
    catalog.parts.resize(2);
    catalog.parts[0].name = "QGPL";
    STRUCT_libs& lib = catalog.parts[0].library;
    lib.objects = {object("CUSTMAST", "1901", "PF"), object("MYPGM", "0201"), object("X", "0B90"),
                   object("EMPTY", "1901", ""), object("NOTSHOWN", "0201")};
    lib.objectCount = 4;
    lib.objects[0].memberCount = 2;
    lib.objects[0].members = {{"ABC", "", "", 0}, {"DEF", "", "", 0}};
    catalog.parts[1].name = "OTHER";

    CatalogTree tree = buildCatalogTree(catalog);
    EXPECT_TRUE(tree.complete);
    EXPECT_EQ(render(tree), (std::vector<std::string>{
                                "Library(QGPL)|0/1",
                                "  Part0|2/3",
                                "    CUSTMAST(PF)|4/5",
                                "      ABC |0/0",
                                "      DEF |0/0",
                                "    MYPGM(PGM)|4/5",
                                "    X|4/5",
                                "    EMPTY()|4/5",
                                "  Part1|2/3",
                            }));
}

TEST(CatalogTree, MemberLimit) {
    Catalog catalog;
    catalog.parts.resize(1);
    STRUCT_libs& lib = catalog.parts[0].library;
    for (std::int32_t count : {1000, 1001}) {
        STRUCT_objs file = object("F" + std::to_string(count), "1901", "PF");
        file.memberCount = count;
        file.members.resize(static_cast<std::size_t>(count));
        lib.objects.push_back(file);
    }
    lib.objectCount = 2;
    CatalogTree tree = buildCatalogTree(catalog);
    ASSERT_TRUE(tree.complete);
    EXPECT_EQ(tree.roots[0].children[0].children[0].children.size(), 1000u);
    EXPECT_TRUE(tree.roots[0].children[0].children[1].children.empty());
    EXPECT_EQ(lib.objects[0].memberCount, 1000);
    EXPECT_EQ(lib.objects[1].memberCount, 0);
}

// Building stops quietly where the catalog runs out; the summary is then not shown.
TEST(CatalogTree, IncompleteCatalogs) {
    Catalog none;
    CatalogTree empty = buildCatalogTree(none);
    EXPECT_FALSE(empty.complete);
    EXPECT_TRUE(empty.roots.empty());

    Catalog shortObjects;
    shortObjects.parts.resize(2);
    shortObjects.parts[0].name = "A";
    shortObjects.parts[0].library.objectCount = 2;
    shortObjects.parts[0].library.objects = {object("ONLY", "0201")};
    CatalogTree partial = buildCatalogTree(shortObjects);
    EXPECT_FALSE(partial.complete);
    EXPECT_EQ(render(partial),
              (std::vector<std::string>{"Library(A)|0/1", "  Part0|2/3", "    ONLY(PGM)|4/5"}));

    Catalog shortMembers;
    shortMembers.parts.resize(1);
    shortMembers.parts[0].library.objectCount = 1;
    shortMembers.parts[0].library.objects = {object("F", "1901", "PF")};
    shortMembers.parts[0].library.objects[0].memberCount = 3;
    shortMembers.parts[0].library.objects[0].members.resize(1);
    EXPECT_FALSE(buildCatalogTree(shortMembers).complete);
}

TEST(CatalogTree, FromABuiltFile) {
    SaveFileBuilder builder;
    BuiltPart first;
    first.library = "QGPL";
    first.objects = {physicalFile("CUSTMAST", {{"ID", 0x0004, 5}}, {{"ABC", "PF", "", 3}}),
                     plainObject("MYPGM", 0x0201, "CLP")};
    BuiltPart second;
    second.library = "OTHER";
    second.objects = {plainObject("AREA", 0x190A, "")};
    builder.add(first).add(second);
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(builder), 0);
    CatalogTree tree = buildCatalogTree(fixture.catalog);
    EXPECT_EQ(render(tree), (std::vector<std::string>{
                                "Library(QGPL)|0/1", "  Part0|2/3", "    CUSTMAST(PF)|4/5", "      ABC |0/0",
                                "    MYPGM(PGM)|4/5", "  Part1|2/3", "    AREA(DTAARA)|4/5"}));
}

TEST(ShowVersion, SummaryLines) {
    struct Case {
        std::string systemText;
        std::int32_t headerSize;
        std::uint8_t saveCommand;
        std::vector<std::string> head;
    };
    const Case cases[] = {
        {"X", 4096, 1, {"This SAVF created on IBM AS/400 X RISC machine.", "Using SAVOBJ Command!", "-"}},
        {"X", 2048, 0, {"This SAVF created on IBM AS/400 X CISC machine.", "Using SAVLIB Command!", "-"}},
        {"X", 4097, 2, {"This SAVF created on IBM AS/400 X CISC machine.", "Using SAVLIB Command!", "-"}},
        {"", 4096, 1, {}},
    };
    for (const Case& c : cases) {
        SaveFileHeader header;
        header.systemText = c.systemText;
        header.headerSize = c.headerSize;
        header.saveCommand = c.saveCommand;
        std::vector<std::string> lines = ShowVersionLines(header);
        std::vector<std::string> expected = c.head;
        std::string rule(69, '-');
        expected.insert(
            expected.end(),
            {rule, VersionText(), " ", " ", "Quelvane Updates: ", " ",
             "V2.41 - List records number in Physical Files", "V2.40 - Compatible with Vista",
             "        Automatic set View Window in difference Language,and Fonts! ",
             "V2.30 - Add functions for RISC Machine:", "        Retrieve the values from Data Area.",
             "        Retrieve the source from the CLP program which compiled with RTVSRC allowed.",
             "V2.20 - add  nation Languages checking.", "V1.40 - Pick Out to txt doc xls files.",
             "v1.00 - Original", rule});
        EXPECT_EQ(lines, expected);
    }
    EXPECT_EQ(VersionText(), "Quelvane V2.4.1.1036");
}

}  // namespace
}  // namespace quelvane::test
