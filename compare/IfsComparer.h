#pragma once

#include "compare/ComparedSide.h"
#include "compare/SaveComparison.h"

namespace quelvane {

// Compares two saves of the integrated file system entry by entry, matched by path: entries
// added and removed, and of those in both the type, size, time changed, owner and, for stream
// files, the stored data by digest.
class IfsComparer {
  public:
    static void compare(ComparedSide& before, ComparedSide& after, SaveComparison& out);
};

}  // namespace quelvane
