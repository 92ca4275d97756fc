#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// Saves of source files built for the tests of source projects: each member a list of lines
// (sequence numbers and dates made up from the line's position), the save dated by its file
// header's clock.
struct SourceMemberSpec {
    std::string file;
    std::string member;
    std::string type;
    std::vector<std::string> lines;
};

class SourceSaves {
  public:
    // Seconds after 2020-08-17 22:31:41, the reference the clock values are built from.
    static SaveFileImage build(const std::string& library, const std::vector<SourceMemberSpec>& members,
                               std::int64_t secondsAfterReference, const std::vector<BuiltObject>& more = {},
                               const std::vector<BuiltSegment>& moreSegments = {});

    // The three fields of a source file with a line of `width` characters.
    static std::vector<BuiltField> sourceFields(std::uint16_t width);
};

}  // namespace quelvane::test
