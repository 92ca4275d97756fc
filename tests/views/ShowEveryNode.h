#pragma once

#include <cstdint>
#include <memory>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/Catalog.h"
#include "savefile/CatalogTree.h"
#include "savefile/IfsTree.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"
#include "views/VersionSummaryView.h"

namespace quelvane::test {

// Clicks every node of the tree built from `catalog`: the fuzz target's way of running every
// content view over whatever the reader made of its input. The save file is read through
// `opener`, or from `catalog.path` when it is empty. A damaged file can make every one of a
// thousand members list its whole stream, so the walk stops once `rowBudget` rows were listed.
inline void showEveryNode(Catalog& catalog, EbcdicTextConverter& converter,
                          const ViewSession::SourceOpener& opener = {}, std::int64_t rowBudget = 4000000) {
    class Target final : public NodeContentTarget {
      public:
        Target(ContentList& list, const Catalog& catalog) : list_(list), catalog_(catalog) {}
        void refreshTitle() override {}
        void setNodeTitle(const std::string&) override {}
        void setNodeSummary(const std::string&) override {}
        void enableExport(bool) override {}
        void enableBatch(bool) override {}
        void showVersion() override { showVersionSummary(list_, catalog_.header); }

      private:
        ContentList& list_;
        const Catalog& catalog_;
    };

    CatalogTree tree = buildCatalogTree(catalog);
    if (tree.roots.empty()) {
        return;
    }
    SilentNotifier notifier;
    MemoryContentList list;
    ViewSession session(catalog, converter, notifier, list);
    if (opener) {
        session.openSource = opener;
    }
    Target target(list, catalog);
    showNodeContent(session, target, NodePosition{0, 0, 0, 0});
    if (catalog.ifs) {
        // A save of the integrated file system: every directory and stream file by its path.
        std::vector<const IfsTreeNode*> pending;
        const IfsTreeNode ifsRoot = IfsTree::build(*catalog.ifs);
        pending.push_back(&ifsRoot);
        while (!pending.empty() && rowBudget >= 0) {
            const IfsTreeNode* node = pending.back();
            pending.pop_back();
            NodePosition position;
            position.ifsPath = node->path;
            showNodeContent(session, target, position);
            rowBudget -= list.rowCount();
            for (const IfsTreeNode& child : node->children) {
                pending.push_back(&child);
            }
        }
        return;
    }
    const CatalogTreeNode& root = tree.roots.front();
    for (std::size_t p = 0; p < root.children.size(); ++p) {
        auto part = static_cast<std::int32_t>(p);
        showNodeContent(session, target, NodePosition{1, part, 0, 0});
        for (std::size_t o = 0; o < root.children[p].children.size(); ++o) {
            auto object = static_cast<std::int32_t>(o);
            showNodeContent(session, target, NodePosition{2, object, part, 0});
            for (std::size_t m = 0; m < root.children[p].children[o].children.size(); ++m) {
                showNodeContent(session, target, NodePosition{3, static_cast<std::int32_t>(m), object, part});
                rowBudget -= list.rowCount();
                if (rowBudget < 0) {
                    return;
                }
            }
        }
    }
}

}  // namespace quelvane::test
