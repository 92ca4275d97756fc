#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// Small save files whose counts claim far more than their bytes hold, for the regression tests
// of the readers' bounds and as fuzz seeds. Each is well formed apart from its claim.
class HostileSaves {
  public:
    // `files` physical files whose record formats each claim 65535 fields of length 0, all
    // stored in one 35-byte entry (an entry length of 0 repeats it).
    static SaveFileBuilder zeroLengthFields(int files);

    // `parts` descriptor segments holding no objects, every library claiming `claimed`.
    static SaveFileBuilder claimedObjects(int parts, std::int32_t claimed);

    // `files` physical files whose member areas store one member and claim `claimed`; `empty`
    // stores the member without a name.
    static SaveFileBuilder claimedMembers(int files, std::uint32_t claimed, bool empty = false);

    // A save of the integrated file system saved with run-length compression whose stream
    // file's data segment header claims `blocks` blocks (offset 204) instead of its own.
    static std::vector<std::uint8_t> inflatedStreamSegment(std::uint32_t blocks);
};

}  // namespace quelvane::test
