#pragma once

#include "savefile/Catalog.h"
#include "views/ViewSession.h"

namespace quelvane {

// Lists the source statements a CL program carries when it was compiled with source retrieval
// allowed, below a three-line banner; the list was cleared by the caller.
void showClSource(ViewSession& session, const SavedObject& object);

}  // namespace quelvane
