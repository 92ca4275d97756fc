#pragma once

#include <string>
#include <vector>

#include "describe/ObjectDescription.h"
#include "savefile/Catalog.h"
#include "views/ViewSession.h"

namespace quelvane {

// An object's description as text lines: a command's rebuilt source, a message file's ADDMSGD
// statements, a program's modules and service programs, a logical file's DDS-like text or SQL.
std::vector<std::string> descriptionLines(const ObjectDescription& description,
                                          const std::string& objectName);

// Lists what the stored data of a command, message file, program or logical file says, one
// line a row under the caption "Description"; the list was cleared by the caller. An object
// whose data is damaged shows why in its only row; one saved without its data shows nothing.
void showObjectDescription(ViewSession& session, const SavedObject& object);

}  // namespace quelvane
