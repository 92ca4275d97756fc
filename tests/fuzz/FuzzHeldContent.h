#pragma once

#include "tests/fuzz/FuzzOpen.h"

namespace quelvane::test {

// What an opened file holds beyond its catalog: every detail as text, every stream file of a
// save of the integrated file system, and the save held by every save-file object (opened and
// read in turn, one level deeper at most per call).
void exploreHeldContent(FuzzedFile& file, int depth = 2);

}  // namespace quelvane::test
