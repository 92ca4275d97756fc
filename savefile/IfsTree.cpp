#include "savefile/IfsTree.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>

#include "conversion/CcsidText.h"
#include "conversion/CodePageRegistry.h"
#include "savefile/IfsPath.h"

namespace quelvane {

namespace {

// The tree while it grows: a map keeps its nodes in place while names are added.
struct Growing {
    std::int32_t entry = -1;
    std::map<std::string, std::unique_ptr<Growing>> directories;
    std::vector<IfsTreeNode> leaves;
};

Growing& directoryAt(Growing& root, const std::vector<std::string>& names, std::size_t count) {
    Growing* at = &root;
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_ptr<Growing>& next = at->directories[names[i]];
        if (!next) {
            next = std::make_unique<Growing>();
        }
        at = next.get();
    }
    return *at;
}

IfsTreeNode finished(Growing& growing, std::string name, std::string path) {
    IfsTreeNode node{std::move(name), std::move(path), growing.entry, true, {}};
    for (auto& [childName, child] : growing.directories) {
        std::string childPath = node.path == "/" ? "/" + childName : node.path + "/" + childName;
        node.children.push_back(finished(*child, childName, std::move(childPath)));
    }
    std::stable_sort(growing.leaves.begin(), growing.leaves.end(),
                     [](const IfsTreeNode& a, const IfsTreeNode& b) { return a.name < b.name; });
    for (IfsTreeNode& leaf : growing.leaves) {
        node.children.push_back(std::move(leaf));
    }
    return node;
}

CatalogTreeNode treeNode(const IfsTreeNode& node, CcsidText& names, bool root) {
    CatalogTreeNode out;
    out.caption = names.toPcText(node.name);
    out.kind = root             ? TreeNodeKind::IfsRoot
               : node.directory ? TreeNodeKind::IfsDirectory
                                : TreeNodeKind::IfsFile;
    out.ifsPath = node.path;
    for (const IfsTreeNode& child : node.children) {
        out.children.push_back(treeNode(child, names, false));
    }
    return out;
}

}  // namespace

std::shared_ptr<const IfsTreeNode> IfsTree::of(const IfsCatalog& ifs) {
    return ifs.tree != nullptr ? ifs.tree : std::make_shared<const IfsTreeNode>(build(ifs));
}

IfsTreeNode IfsTree::build(const IfsCatalog& ifs) {
    Growing root;
    std::vector<IfsTreeNode> untrusted;
    for (std::size_t i = 0; i < ifs.entries.size(); ++i) {
        const IfsEntry& entry = ifs.entries[i];
        const auto index = static_cast<std::int32_t>(i);
        std::optional<std::vector<std::string>> names = safeIfsComponents(entry.path);
        if (names && names->empty() && entry.kind == IfsEntry::Kind::Directory) {
            root.entry = index;
            continue;
        }
        if (!names || names->empty() || names->size() > kMaxDepth) {
            untrusted.push_back(IfsTreeNode{entry.path, entry.path, index, false, {}});
            continue;
        }
        if (entry.kind == IfsEntry::Kind::Directory) {
            Growing& directory = directoryAt(root, *names, names->size());
            if (directory.entry < 0) {
                directory.entry = index;
            }
            continue;
        }
        directoryAt(root, *names, names->size() - 1)
            .leaves.push_back(IfsTreeNode{names->back(), entry.path, index, false, {}});
    }
    root.leaves.insert(root.leaves.end(), untrusted.begin(), untrusted.end());
    return finished(root, "/", "/");
}

const IfsTreeNode* IfsTree::find(const IfsTreeNode& root, const std::string& path) {
    if (path == root.path) {
        return &root;
    }
    std::optional<std::vector<std::string>> names = safeIfsComponents(path);
    if (!names || names->size() > kMaxDepth) {
        auto found = std::find_if(root.children.begin(), root.children.end(),
                                  [&](const IfsTreeNode& child) { return child.path == path; });
        return found == root.children.end() ? nullptr : &*found;
    }
    const IfsTreeNode* at = &root;
    for (const std::string& name : *names) {
        auto next = std::find_if(at->children.begin(), at->children.end(),
                                 [&](const IfsTreeNode& child) { return child.name == name; });
        if (next == at->children.end()) {
            return nullptr;
        }
        at = &*next;
    }
    return at;
}

CatalogTree IfsTree::catalogTree(const IfsTreeNode& root, std::int32_t pcCodePage) {
    CcsidText names(kUtf8Ccsid, pcCodePage);
    CatalogTree tree;
    tree.roots.push_back(treeNode(root, names, true));
    tree.complete = true;
    return tree;
}

}  // namespace quelvane
