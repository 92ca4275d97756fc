#pragma once

#include "compare/ComparedSide.h"
#include "compare/SaveComparison.h"

namespace quelvane {

// What describe reads from two objects of the same name and type whose data differs: a command's
// parameters, a message file's messages, a program's modules, a logical file's keys, select/omit
// and based-on files, compared line by line as describe writes them; a data area's value.
class DescriptionComparer {
  public:
    static void compare(ComparedSide& before, const SavedObject& oldObject, ComparedSide& after,
                        const SavedObject& newObject, ObjectComparison& out);
};

}  // namespace quelvane
