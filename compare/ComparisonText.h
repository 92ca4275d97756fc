#pragma once

#include <string>
#include <vector>

#include "compare/SaveComparison.h"

namespace quelvane {

// A comparison as the lines of a report, in UTF-8: a different library first, then the one-line
// summary, the saves' details that changed, and each object in the after save's order (the
// removed ones last) with its changes, its members' diffs and records indented below it.
class ComparisonText {
  public:
    static std::vector<std::string> lines(const SaveComparison& comparison);

    // One object's lines: its changes, then its members' unless `withMembers` is false.
    static std::vector<std::string> objectLines(const ObjectComparison& object, bool withMembers = true);
    // One member's lines: its changes, its unified diff or its changed records.
    static std::vector<std::string> memberLines(const MemberComparison& member);
    // One entry's lines of an integrated-file-system save.
    static std::vector<std::string> entryLines(const IfsComparison& entry);
};

}  // namespace quelvane
