#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "savefile/IfsTree.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const IfsTreeNode& node) {
    std::vector<std::string> out;
    for (const IfsTreeNode& child : node.children) {
        out.push_back(child.name + (child.directory ? "/" : ""));
    }
    return out;
}

IfsCatalog readCatalog(const Bytes& bytes) {
    ReaderFixture fixture;
    EXPECT_EQ(fixture.open(bytes), 0);
    EXPECT_TRUE(fixture.catalog.ifs);
    return fixture.catalog.ifs.value_or(IfsCatalog{});
}

// Entries come in file order from several directory segments; the tree puts each under its
// directory, directories first, and keeps what cannot be placed safely at the root by its path.
TEST(IfsTreeTest, EntriesNestUnderTheirDirectories) {
    IfsCatalog ifs = readCatalog(sampleImage("/site", {{"zz.html", false, 11, kDataA},
                                                       {"..", false, 4, kDataB},
                                                       {"img", true, 0, {}},
                                                       {"a.gif", false, 3, kDataB}})
                                     .complete());
    ASSERT_EQ(ifs.entries.size(), 4u);
    IfsEntry deeper = ifs.entries[3];
    deeper.path = "/site/img/deep/x.txt";
    ifs.entries.push_back(deeper);

    const IfsTreeNode root = IfsTree::build(ifs);
    EXPECT_EQ(root.path, "/");
    EXPECT_EQ(root.entry, -1);
    EXPECT_EQ(names(root), (std::vector<std::string>{"site/", "/site/.."}));
    const IfsTreeNode& site = root.children[0];
    EXPECT_EQ(site.entry, -1);  // the saved directory has no entry of its own
    EXPECT_EQ(names(site), (std::vector<std::string>{"img/", "a.gif", "zz.html"}));
    EXPECT_EQ(site.children[0].entry, 2);
    EXPECT_EQ(site.children[2].path, "/site/zz.html");
    EXPECT_EQ(names(site.children[0]), std::vector<std::string>{"deep/"});
    EXPECT_EQ(root.children[1].entry, 1);

    struct Lookup {
        const char* path;
        const char* found;
    };
    const Lookup lookups[] = {{"/", "/"},
                              {"/site/img/deep/x.txt", "x.txt"},
                              {"/site/..", "/site/.."},
                              {"/site/nothing", nullptr},
                              {"site", nullptr},
                              {"/site/img/", nullptr}};
    for (const Lookup& lookup : lookups) {
        const IfsTreeNode* node = IfsTree::find(root, lookup.path);
        EXPECT_EQ(node == nullptr ? std::string("(none)") : node->name,
                  lookup.found == nullptr ? std::string("(none)") : std::string(lookup.found))
            << lookup.path;
    }

    // A path deeper than any file system goes hangs at the root, as an untrusted one does.
    IfsCatalog deep = ifs;
    deep.entries.resize(1);
    deep.entries[0].path.clear();
    for (std::size_t i = 0; i <= IfsTree::kMaxDepth; ++i) {
        deep.entries[0].path += "/d";
    }
    const IfsTreeNode deepRoot = IfsTree::build(deep);
    ASSERT_EQ(deepRoot.children.size(), 1u);
    EXPECT_EQ(deepRoot.children[0].name, deep.entries[0].path);
    EXPECT_EQ(IfsTree::find(deepRoot, deep.entries[0].path), &deepRoot.children[0]);

    // The navigation tree: one root, captions in the PC code page, each node's path kept.
    ifs.entries[0].path = "/site/caf\xC3\xA9.html";
    CatalogTree tree = IfsTree::catalogTree(IfsTree::build(ifs), 1252);
    ASSERT_EQ(tree.roots.size(), 1u);
    EXPECT_TRUE(tree.complete);
    const CatalogTreeNode& shown = tree.roots[0];
    EXPECT_EQ(shown.caption, "/");
    EXPECT_EQ(shown.ifsPath, "/");
    EXPECT_EQ(shown.children[0].children[2].caption, "caf\xE9.html");
    EXPECT_EQ(shown.children[0].children[2].ifsPath, "/site/caf\xC3\xA9.html");
    EXPECT_EQ(shown.kind, TreeNodeKind::IfsRoot);
    EXPECT_EQ(shown.children[0].kind, TreeNodeKind::IfsDirectory);
    EXPECT_EQ(shown.children[0].children[1].kind, TreeNodeKind::IfsFile);
}

// Read by hand from the file: /wcount holds the directories Count2.5 and digits and seven stream
// files; digits holds nine directories; Count2.5/images holds 23 stream files.
TEST(RealSaveIfsTree, WcountAsADirectoryTree) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "UZ_wcount25i.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    ReaderFixture fixture;
    fixture.catalog.segments.reset();
    SaveFileReader(fixture.catalog, fixture.converter, fixture.notifier).parseSaveFile(path.string());
    ASSERT_TRUE(fixture.catalog.ifs);
    const IfsTreeNode root = IfsTree::build(*fixture.catalog.ifs);
    EXPECT_EQ(names(root), std::vector<std::string>{"wcount/"});
    const IfsTreeNode* wcount = IfsTree::find(root, "/wcount");
    ASSERT_NE(wcount, nullptr);
    EXPECT_EQ(names(*wcount),
              (std::vector<std::string>{"Count2.5/", "digits/", "Count.html", "Count2_5-ex.html",
                                        "Count_Changelog.html", "Count_FAQ.html", "Count_download.html",
                                        "Count_mirrors.html", "README"}));
    EXPECT_EQ(names(*IfsTree::find(root, "/wcount/digits")),
              (std::vector<std::string>{"A/", "B/", "C/", "D/", "E/", "bang/", "cd/", "cdd/", "cdr/"}));
    EXPECT_EQ(IfsTree::find(root, "/wcount/Count2.5/images")->children.size(), 23u);
    const IfsTreeNode* lenna = IfsTree::find(root, "/wcount/digits/D/lenna.gif");
    ASSERT_NE(lenna, nullptr);
    EXPECT_EQ(fixture.catalog.ifs->entries.at(static_cast<std::size_t>(lenna->entry)).size, 27073u);
}

}  // namespace
}  // namespace quelvane::test
