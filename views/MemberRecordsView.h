#pragma once

#include <cstdint>

#include "views/NodeContentTarget.h"
#include "views/ViewOutcome.h"
#include "views/ViewSession.h"

namespace quelvane {

// Lists the records of the member `ref` names: one column
// per field, one row per record slot, each cell the field decoded. Does nothing when that member
// is already on display (unless it is the first member of its file). Ends with "Error:during
// reading records" on a failure, keeping the rows listed so far.
ViewOutcome showMemberRecords(ViewSession& session, NodeContentTarget& target, MemberRef ref);

}  // namespace quelvane
