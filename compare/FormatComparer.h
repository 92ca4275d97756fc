#pragma once

#include "compare/ComparedSide.h"
#include "compare/SaveComparison.h"

namespace quelvane {

// Compares the record formats of two files of the same name, as describe gives them (FileFacts):
// a changed level identifier is a change of structure, and then the fields added, removed or
// changed (type, length, digits, decimals, CCSID, text) are listed by name.
class FormatComparer {
  public:
    static void compare(ComparedSide& before, const SavedObject& oldFile, ComparedSide& after,
                        const SavedObject& newFile, ObjectComparison& out);
};

}  // namespace quelvane
