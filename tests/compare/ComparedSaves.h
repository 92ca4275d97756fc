#pragma once

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// Two saves of library LIB with one difference of each kind: a source member's lines (and all
// its sequence numbers and dates), a member added and one removed, a data member's records (one
// changed, one added), a record format with a field added, a program added and one removed, a
// data area's value, an object's text; and a file and a data area that are the same.
SaveFileImage comparedBefore();
SaveFileImage comparedAfter();

}  // namespace quelvane::test
