#pragma once

#include <optional>
#include <string>

#include "savefile/CatalogTree.h"
#include "views/NodeContentDisplay.h"

namespace quelvane::cli {

// The node under the library root that `path` names ("", "0", "0/ORDERS", "0/ORDERS/MBR1"):
// each step a position or a caption; nothing when a step names no child.
std::optional<NodePosition> resolveNode(const CatalogTree& tree, const std::string& path);

}  // namespace quelvane::cli
