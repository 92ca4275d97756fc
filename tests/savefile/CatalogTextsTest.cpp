#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "savefile/CatalogTexts.h"
#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

// The builder writes its texts in CP037, where '}', '~' and '{' are the bytes D0, A1 and C0 that
// CCSID 273 reads as 'ü', 'ß' and 'ä'.
constexpr std::int32_t kHostPage = 37;
constexpr std::int32_t kPcPage = 1252;

BuiltMember member(const std::string& name, const std::string& text, std::uint32_t firstWord,
                   std::uint16_t ccsid) {
    BuiltMember m{name, "PF", text, 3, firstWord};
    m.textCcsid = ccsid;
    return m;
}

BuiltObject germanFile() {
    BuiltObject file = physicalFile("KUNDEN", {{"A", 0x0403, 3}}, {});
    file.text = "Kunden M}ller";
    file.formatOffset = 576;
    BuiltFileFacts facts;
    facts.text = file.text;
    facts.textCcsid = 273;
    facts.formatText = "Satz";
    facts.formatTextCcsid = 273;
    file.fileFacts = facts;
    file.members = {member("TAGGED", "Gr}n", 656, 273), member("BINARY", "Stra~e", 656, 65535),
                    member("SHORT", "K{se", 640, 0)};
    return file;
}

SaveFileBuilder save(std::vector<BuiltObject> objects) {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "LIB";
    part.objects = std::move(objects);
    builder.add(part);
    return builder;
}

// Each text in the CCSID that applies to it: the member's own tag, the file's text CCSID for a
// member tagged 65535 or none (the 672-byte layout), the save's for an object whose description
// stores none; by the pair, the catalog's texts unchanged.
TEST(CatalogTexts, EachTextInTheCcsidThatAppliesToIt) {
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(save({germanFile(), plainObject("PRUEF", 0x0201, "CLP")})), 0);
    fixture.catalog.parts[0].library.objects[1].storedText.bytes = SaveFileBuilder::ebcdic("Pr}fung", 7);
    const SavedObject& file = fixture.object(0);
    const SavedObject& program = fixture.object(1);
    ASSERT_EQ(file.members.size(), 3u);

    CatalogTexts stored(fixture.catalog, kHostPage, kPcPage);
    CatalogTexts pair;
    EXPECT_TRUE(stored.utf8());
    EXPECT_FALSE(pair.utf8());
    EXPECT_EQ(stored.saveTextCcsid(), 273);
    struct Case {
        std::string stored;
        std::string pair;
        std::uint16_t ccsid;
    };
    const Case cases[] = {
        {stored.objectText(file), pair.objectText(file), stored.objectTextCcsid(file)},
        {stored.memberText(file, file.members[0]), pair.memberText(file, file.members[0]),
         stored.memberTextCcsid(file, file.members[0])},
        {stored.memberText(file, file.members[1]), pair.memberText(file, file.members[1]),
         stored.memberTextCcsid(file, file.members[1])},
        {stored.memberText(file, file.members[2]), pair.memberText(file, file.members[2]),
         stored.memberTextCcsid(file, file.members[2])},
        {stored.objectText(program), pair.objectText(program), stored.objectTextCcsid(program)},
    };
    const Case expected[] = {
        {"Kunden Müller", "Kunden M}ller", 273},
        {"Grün", "Gr}n", 273},
        {"Straße", "Stra~e", 273},
        {"Käse", "K{se", 273},
        {"Prüfung", "Object PRUEF", 273},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].stored, expected[i].stored);
        EXPECT_EQ(cases[i].pair, expected[i].pair);
        EXPECT_EQ(cases[i].ccsid, expected[i].ccsid);
    }
    // Names carry no CCSID: the PC page's, in UTF-8.
    EXPECT_EQ(stored.plain("\xA7"
                           "1"),
              "§1");
    EXPECT_EQ(pair.plain("\xA7"
                         "1"),
              "\xA7"
              "1");
}

// With no text tagged anywhere, a text no CCSID applies to is read in the chosen host page;
// among equal counts the CCSID met first is the save's.
TEST(CatalogTexts, TheSaveTextCcsidIsTheMostTaggedOne) {
    struct Case {
        std::vector<std::uint16_t> memberCcsids;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {{}, 0}, {{65535, 0}, 0}, {{500, 273, 273}, 273}, {{500, 273}, 500}, {{65535, 277, 65535}, 277},
    };
    for (const Case& c : cases) {
        Catalog catalog;
        SavedObject& object = catalog.parts.emplace_back().library.objects.emplace_back();
        for (std::uint16_t ccsid : c.memberCcsids) {
            object.members.emplace_back().storedText.ccsid = ccsid;
        }
        EXPECT_EQ(CatalogTexts::mostTaggedTextCcsid(catalog), c.expected);
    }
    Catalog untagged;
    SavedObject& object = untagged.parts.emplace_back().library.objects.emplace_back();
    object.storedText.bytes = SaveFileBuilder::ebcdic("{}", 2);
    CatalogTexts german(untagged, 20273, kPcPage);
    EXPECT_EQ(german.objectText(object), "äü");
}

std::vector<std::string> rendered(const CatalogTree& tree) {
    std::vector<std::string> lines;
    std::function<void(const CatalogTreeNode&, int)> walk = [&](const CatalogTreeNode& node, int depth) {
        lines.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + node.caption + "|" +
                        node.details + "|" + node.text);
        for (const CatalogTreeNode& child : node.children) {
            walk(child, depth + 1);
        }
    };
    for (const CatalogTreeNode& root : tree.roots) {
        walk(root, 0);
    }
    return lines;
}

// The tree by the pair is the tree as built before texts were given; by stored CCSID its texts
// are UTF-8 and read by CCSID.
TEST(CatalogTexts, TheTreeTakesItsTextsFromThem) {
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(save({germanFile()})), 0);
    CatalogTexts pair;
    CatalogTexts stored(fixture.catalog, kHostPage, kPcPage);
    const CatalogTree byPair = buildCatalogTree(fixture.catalog, pair);
    const CatalogTree byCcsid = buildCatalogTree(fixture.catalog, stored);
    EXPECT_EQ(rendered(byPair), rendered(buildCatalogTree(fixture.catalog)));
    EXPECT_FALSE(byPair.utf8);
    EXPECT_TRUE(byCcsid.utf8);
    const std::vector<std::string> expected = {
        "Library(LIB)||",        "  Part0||",          "    KUNDEN(PF)||Kunden Müller", "      TAGGED ||Grün",
        "      BINARY ||Straße", "      SHORT ||Käse",
    };
    EXPECT_EQ(rendered(byCcsid), expected);
}

// A save cut short block by block: what is read of it gives texts that are whole or none, never
// a piece read past the file.
TEST(CatalogTexts, ASaveCutShortGivesWholeTextsOrNone) {
    const std::vector<std::uint8_t> whole =
        save({germanFile(), plainObject("PRUEF", 0x0201, "CLP")}).build().bytes();
    const std::int64_t blocks = static_cast<std::int64_t>(whole.size() / 528);
    const std::vector<std::string> known = {"", "Kunden Müller", "Grün", "Straße", "Käse", "Object PRUEF"};
    int opened = 0;
    for (std::int64_t kept = 1; kept <= blocks; ++kept) {
        SCOPED_TRACE(kept);
        ReaderFixture fixture;
        if (fixture.open(truncatedTo(whole, kept)) != 0) {
            continue;
        }
        ++opened;
        CatalogTexts stored(fixture.catalog, kHostPage, kPcPage);
        const CatalogTree tree = buildCatalogTree(fixture.catalog, stored);
        std::function<void(const CatalogTreeNode&)> check = [&](const CatalogTreeNode& node) {
            EXPECT_NE(std::find(known.begin(), known.end(), node.text), known.end()) << node.text;
            for (const CatalogTreeNode& child : node.children) {
                check(child);
            }
        };
        for (const CatalogTreeNode& root : tree.roots) {
            check(root);
        }
    }
    // The whole file and those cut inside its member area and directory open.
    EXPECT_GT(opened, 1);
}

const SavedObject* named(const Catalog& catalog, const std::string& name) {
    for (const SavedPart& part : catalog.parts) {
        for (const SavedObject& object : part.library.objects) {
            if (object.name == name) {
                return &object;
            }
        }
    }
    return nullptr;
}

// Real Japanese texts: a file text tagged 5026, a member text tagged 1399, the library's text,
// which no CCSID is stored beside, by the save's most tagged CCSID.
TEST(CatalogTexts, RealJapaneseTexts) {
    struct Case {
        const char* save;
        const char* object;
        const char* objectText;
        const char* memberText;
    };
    const Case cases[] = {
        {"GURI_demodb.savf", "PERSON", "登録者一覧", "登録者一覧"},
        {"GURI_demodb.savf", "PREFCODE", "都道府県コード", "都道府県コード"},
        {"CSCH@009.SAVF", "CSCH@009", "CS.CH #009", nullptr},
        // A member tagged 65535 whose text is Japanese: its file's text CCSID (1399) reads it.
        {"GURI_ofdemo.savf", "OFDEMO", "IBM iで全文検索(SRCPF CCSID=5026)",
         "OmniFindによるIFS/スプール全文検索- ILE-RPG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        const std::filesystem::path path = std::filesystem::path(QUELVANE_SAVF_DIR) / c.save;
        QUELVANE_REQUIRE_REAL_FILE(path);
        ReaderFixture fixture;
        SaveFileReader reader(fixture.catalog, fixture.converter, fixture.notifier);
        ASSERT_TRUE(reader.parseSaveFile(path.string()).accepted);
        const SavedObject* object = named(fixture.catalog, c.object);
        ASSERT_NE(object, nullptr);
        CatalogTexts texts(fixture.catalog, kHostPage, kPcPage);
        EXPECT_EQ(texts.objectText(*object).rfind(c.objectText, 0), 0u) << texts.objectText(*object);
        if (c.memberText != nullptr) {
            ASSERT_FALSE(object->members.empty());
            EXPECT_EQ(texts.memberText(*object, object->members[0]), c.memberText);
        }
    }
}

}  // namespace
}  // namespace quelvane::test
