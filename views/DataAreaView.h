#pragma once

#include "savefile/Catalog.h"
#include "views/ViewSession.h"

namespace quelvane {

// Shows a data area's stored value under a banner and a ruler of character positions, in rows
// of 100 characters; the list was cleared by the caller.
void showDataAreaValue(ViewSession& session, const SavedObject& object);

}  // namespace quelvane
