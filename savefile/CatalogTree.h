#pragma once

#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "savefile/CatalogTexts.h"
#include "savefile/TreeNodeKind.h"

namespace quelvane {

// One node of the navigation tree, as plain data the shell renders. Its position under its
// parent is the index of its catalog record (part, object, member).
struct CatalogTreeNode {
    std::string caption;
    TreeNodeKind kind = TreeNodeKind::Library;
    std::vector<CatalogTreeNode> children;
    // The node's details (save, object or member), in the PC code page; empty when none were read.
    std::string details;
    // In the tree of a save of the integrated file system, the node's path ("/" for the root);
    // empty in a library's tree.
    std::string ifsPath{};
    // An object's or member's text (its description), empty for other nodes.
    std::string text{};
};

struct CatalogTree {
    // At most one root: "Library(name of part 0)".
    std::vector<CatalogTreeNode> roots;
    // False when building stopped early (no part, or a catalog index outside its array): the
    // tree then holds what was built, and the save summary is not shown.
    bool complete = false;
    // Whether captions, details and texts are UTF-8 (read by stored CCSID), not PC-page text.
    bool utf8 = false;
    // Why building stopped early; empty for a complete tree.
    std::string stopReason;
};

// The type text of an object: the known type codes, the attribute for files (0x1901), and a
// single space for every other code.
std::string objectTypeText(const SavedObject& object);

// The members of an object the tree, the views and the exports by tree position show: none for
// an object with more than 1000 members, else its member count. The catalog keeps the count the
// save gave.
std::int32_t shownMemberCount(const SavedObject& object);

// Builds the tree from the catalog, its texts by the pair.
CatalogTree buildCatalogTree(const Catalog& catalog);
// The same, every caption, details line and text as `texts` gives them.
CatalogTree buildCatalogTree(const Catalog& catalog, CatalogTexts& texts);

}  // namespace quelvane
