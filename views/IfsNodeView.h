#pragma once

#include <string>

#include "views/NodeContentTarget.h"
#include "views/StreamFileView.h"
#include "views/ViewOutcome.h"
#include "views/ViewSession.h"

namespace quelvane {

// What a node of the tree of an integrated-file-system save shows: a directory lists what lies
// in it (name, type, size, modified, owner, CCSID); a stream file shows its bytes as text or as
// a hex dump (StreamFileView). An entry that cannot be read says why in the list. `path` is the
// node's IFS path; none (empty) shows the save summary.
ViewOutcome showIfsNode(ViewSession& session, NodeContentTarget& target, const std::string& path,
                        const StreamFileLimits& limits = {});

}  // namespace quelvane
