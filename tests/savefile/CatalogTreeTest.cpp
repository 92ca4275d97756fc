#include <gtest/gtest.h>

#include "savefile/CatalogTree.h"
#include "savefile/TypeCodes.h"
#include "savefile/VersionSummary.h"
#include "savefile/VersionText.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

// The window's images of each kind, normal and selected.
std::string imagesOf(TreeNodeKind kind) {
    switch (kind) {
        case TreeNodeKind::Library:
        case TreeNodeKind::IfsRoot:
            return "0/1";
        case TreeNodeKind::Part:
        case TreeNodeKind::IfsDirectory:
            return "2/3";
        case TreeNodeKind::Object:
        case TreeNodeKind::IfsFile:
            return "4/5";
        case TreeNodeKind::Member:
            return "0/0";
    }
    return "?";
}

// The tree as the shell would draw it: one line per node, two spaces a level, images after "|".
std::vector<std::string> render(const CatalogTree& tree) {
    std::vector<std::string> lines;
    std::function<void(const CatalogTreeNode&, int)> walk = [&](const CatalogTreeNode& node, int depth) {
        lines.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + node.caption + "|" +
                        imagesOf(node.kind));
        for (const auto& child : node.children) {
            walk(child, depth + 1);
        }
    };
    for (const auto& root : tree.roots) {
        walk(root, 0);
    }
    return lines;
}

SavedObject object(const std::string& name, std::uint16_t typeCode, const std::string& attribute = "") {
    SavedObject o;
    o.name = name;
    o.typeCode = typeCode;
    o.attribute = attribute;
    return o;
}

// Files show their attribute; codes outside the known list show no type at all.
TEST(CatalogTree, TypeTexts) {
    EXPECT_EQ(objectTypeText(object("X", 0x190A, "PF")), "DTAARA");
    EXPECT_EQ(objectTypeText(object("X", 0x0A01)), "DTAQ");
    EXPECT_EQ(objectTypeText(object("X", 0x1901, "PF")), "PF");
    EXPECT_EQ(objectTypeText(object("X", 0x1901, "")), "");
    EXPECT_EQ(objectTypeText(object("X", 0x0B90, "PF")), " ");
    EXPECT_EQ(objectTypeText(object("X", 0x0000, "PF")), " ");
}

// Named codes from each range of the type table, the codes met in real saves among them
// (binding directories, workstation customizing objects), and a code the table leaves out.
TEST(CatalogTree, TypeTable) {
    struct Case {
        std::uint16_t code;
        const char* text;
    };
    const Case cases[] = {
        {0x0203, "SRVPGM"}, {0x0801, "USRPRF"}, {0x0A02, "USRQ"},  {0x0E09, "ALRTBL"}, {0x0E0A, "USRIDX"},
        {0x1904, "CLS"},    {0x1909, "SBSD"},   {0x1931, "QMQRY"}, {0x1934, "USRSPC"}, {0x1937, "BNDDIR"},
        {0x1938, "WSCST"},  {0x1B01, "AUTL"},   {0x1F02, "DDIR"},  {0x19DB, " "},      {0xFFFF, " "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(objectTypeText(object("X", c.code)), c.text) << typeCodeText(c.code);
    }
    for (std::size_t i = 1; i < kObjectTypeNames.size(); ++i) {
        EXPECT_LT(kObjectTypeNames[i - 1].typeCode, kObjectTypeNames[i].typeCode)
            << "table out of order at " << i;
    }
}

// An object of a type no name is known for shows its code in its details, in front of the rest.
TEST(CatalogTree, UnnamedTypeCodeInDetails) {
    Catalog catalog;
    catalog.parts.resize(1);
    catalog.parts[0].name = "QGPL";
    SavedLibrary& lib = catalog.parts[0].library;
    lib.objects = {object("ODD", 0x0B90), object("SIZED", 0x19DB), object("CMD1", 0x1905)};
    lib.objects[1].details.size = 4096;
    lib.objectCount = 3;
    CatalogTree tree = buildCatalogTree(catalog);
    const auto& objects = tree.roots.at(0).children.at(0).children;
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].caption, "ODD");
    EXPECT_EQ(objects[0].details, "type code 0B90");
    EXPECT_EQ(objects[1].details, "type code 19DB, 4096 bytes");
    EXPECT_EQ(objects[2].caption, "CMD1(CMD)");
    EXPECT_EQ(objects[2].details, "");
}

TEST(CatalogTree, CaptionsAndImages) {
    Catalog catalog;
    catalog.parts.resize(2);
    catalog.parts[0].name = "QGPL";
    SavedLibrary& lib = catalog.parts[0].library;
    lib.objects = {object("CUSTMAST", 0x1901, "PF"), object("MYPGM", 0x0201), object("X", 0x0B90),
                   object("EMPTY", 0x1901, ""), object("NOTSHOWN", 0x0201)};
    lib.objectCount = 4;
    lib.objects[0].memberCount = 2;
    lib.objects[0].members = {{"ABC", "", "", 0, {}, {}}, {"DEF", "", "", 0, {}, {}}};
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
    SavedLibrary& lib = catalog.parts[0].library;
    for (std::int32_t count : {1000, 1001}) {
        SavedObject file = object("F" + std::to_string(count), 0x1901, "PF");
        file.memberCount = count;
        file.members.resize(static_cast<std::size_t>(count));
        lib.objects.push_back(file);
    }
    lib.objectCount = 2;
    CatalogTree tree = buildCatalogTree(catalog);
    ASSERT_TRUE(tree.complete);
    EXPECT_EQ(tree.roots[0].children[0].children[0].children.size(), 1000u);
    EXPECT_TRUE(tree.roots[0].children[0].children[1].children.empty());
    // The catalog keeps what the save said; the views follow the tree.
    EXPECT_EQ(lib.objects[0].memberCount, 1000);
    EXPECT_EQ(lib.objects[1].memberCount, 1001);
    EXPECT_EQ(shownMemberCount(lib.objects[0]), 1000);
    EXPECT_EQ(shownMemberCount(lib.objects[1]), 0);
    EXPECT_NE(catalog.findMember({0, 0, 999}), nullptr);
    EXPECT_EQ(catalog.findMember({0, 1, 0}), nullptr);
}

// Building stops where the catalog runs out, saying why; the summary is then not shown.
TEST(CatalogTree, IncompleteCatalogs) {
    Catalog none;
    CatalogTree empty = buildCatalogTree(none);
    EXPECT_FALSE(empty.complete);
    EXPECT_TRUE(empty.roots.empty());
    EXPECT_EQ(empty.stopReason, "the catalog holds no part");

    Catalog shortObjects;
    shortObjects.parts.resize(2);
    shortObjects.parts[0].name = "A";
    shortObjects.parts[0].library.objectCount = 2;
    shortObjects.parts[0].library.objects = {object("ONLY", 0x0201)};
    CatalogTree partial = buildCatalogTree(shortObjects);
    EXPECT_FALSE(partial.complete);
    EXPECT_EQ(render(partial),
              (std::vector<std::string>{"Library(A)|0/1", "  Part0|2/3", "    ONLY(PGM)|4/5"}));
    EXPECT_EQ(partial.stopReason, "part 0 names 2 objects but holds 1");
}

// A member list cut short loses only the members it lacks, never the rest of the tree.
TEST(CatalogTree, ShortMemberList) {
    Catalog shortMembers;
    shortMembers.parts.resize(2);
    shortMembers.parts[0].name = "L";
    shortMembers.parts[0].library.objectCount = 2;
    shortMembers.parts[0].library.objects = {object("F", 0x1901, "PF"), object("P", 0x0201)};
    shortMembers.parts[0].library.objects[0].memberCount = 3;
    shortMembers.parts[0].library.objects[0].members.resize(1);
    shortMembers.parts[0].library.objects[0].members[0].name = "ONE";
    CatalogTree tree = buildCatalogTree(shortMembers);
    EXPECT_TRUE(tree.complete);
    EXPECT_EQ(render(tree), (std::vector<std::string>{"Library(L)|0/1", "  Part0|2/3", "    F(PF)|4/5",
                                                      "      ONE |0/0", "    P(PGM)|4/5", "  Part1|2/3"}));
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

// The machine and command lines appear only with a system text; the version notes always follow.
TEST(SaveSummary, SummaryLines) {
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
        {"X",
         4096,
         0x14,
         {"This SAVF created on IBM AS/400 X RISC machine.",
          "Using SAV Command: directories and stream files of the integrated file system.", "-"}},
        {"", 4096, 1, {}},
    };
    for (const Case& c : cases) {
        SaveFileHeader header;
        header.systemText = c.systemText;
        header.headerSize = c.headerSize;
        header.saveCommand = c.saveCommand;
        std::vector<std::string> lines = saveSummaryLines(header);
        ASSERT_EQ(lines.size(), c.head.size() + 16);
        EXPECT_EQ(std::vector<std::string>(lines.begin(),
                                           lines.begin() + static_cast<std::ptrdiff_t>(c.head.size())),
                  c.head);
        EXPECT_EQ(lines[c.head.size()], std::string(69, '-'));
        EXPECT_EQ(lines[c.head.size() + 1], "Quelvane V2.4.1.1036");
        EXPECT_EQ(lines.back(), std::string(69, '-'));
    }
}

}  // namespace
}  // namespace quelvane::test
