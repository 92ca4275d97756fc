#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "savefile/CatalogTree.h"
#include "savefile/IfsCatalog.h"

namespace quelvane {

// One node of the directory tree of a save of the integrated file system. Names and paths are
// UTF-8, as the catalog holds them.
struct IfsTreeNode {
    // "/" for the root.
    std::string name;
    std::string path;
    // Index of the node's entry in IfsCatalog::entries; -1 for a directory the save names only
    // through what lies in it (the root, the saved directory itself).
    std::int32_t entry = -1;
    bool directory = false;
    // Directories first, then stream files and other entries, each by name.
    std::vector<IfsTreeNode> children;
};

// The catalog's flat entry list as a tree under "/". An entry whose path cannot be trusted (not
// absolute, with an unsafe name, or nested deeper than any real file system goes) hangs under
// the root by its whole path, so it is still seen.
class IfsTree {
  public:
    static constexpr std::size_t kMaxDepth = 256;

    static IfsTreeNode build(const IfsCatalog& ifs);
    // The catalog's tree: the one kept in it, else one built now.
    static std::shared_ptr<const IfsTreeNode> of(const IfsCatalog& ifs);

    // The node of `path` ("/" for the root), or null when the tree has none.
    static const IfsTreeNode* find(const IfsTreeNode& root, const std::string& path);

    // The navigation tree the shell renders: one root "/", captions in the PC code page
    // `pcCodePage`, each node's IFS path in CatalogTreeNode::ifsPath.
    static CatalogTree catalogTree(const IfsTreeNode& root, std::int32_t pcCodePage);
};

}  // namespace quelvane
