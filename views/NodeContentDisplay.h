#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "savefile/CatalogTree.h"
#include "views/NodeContentTarget.h"
#include "views/ViewOutcome.h"
#include "views/ViewSession.h"

namespace quelvane {

// The selected tree node as the catalog is addressed: its level (0 library, 1 part, 2 object,
// 3 member), its own position among its siblings and the positions of its parent and
// grandparent (unused entries are ignored).
struct NodePosition {
    int level = 0;
    std::int32_t index = 0;
    std::int32_t parentIndex = 0;
    std::int32_t grandparentIndex = 0;
    // In the tree of a save of the integrated file system, the node's path; the levels and
    // positions above are then unused.
    std::string ifsPath{};
};

// The catalog's texts as the session reads the nodes' texts: by stored CCSID, each in its
// CCSID; else by the pair.
std::unique_ptr<CatalogTexts> nodeTexts(const ViewSession& session);

// Whether an object's node shows anything of what the object holds (records, source, a value,
// a description); the others show their name and text only.
bool showsObjectContent(const SavedObject& object);

// Shows the content of the selected node (none when nothing is selected): the summary labels,
// the buttons and the content list, by the node's level and the object's type and attribute.
ViewOutcome showNodeContent(ViewSession& session, NodeContentTarget& target,
                            const std::optional<NodePosition>& node);

// The tree of the session's library save, its texts read as the session reads the nodes' texts:
// by stored CCSID (UTF-8) or by the pair.
CatalogTree libraryTree(const ViewSession& session);

}  // namespace quelvane
