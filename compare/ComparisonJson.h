#pragma once

#include <string>

#include "compare/SaveComparison.h"

namespace quelvane {

// A comparison as one JSON object with the facts of the text report: every object, member and
// entry that differs with its "node" (the tree path the other commands take) and "in" (the save
// the node is in: "after", or "before" for what was removed).
class ComparisonJson {
  public:
    static std::string text(const SaveComparison& comparison);
};

}  // namespace quelvane
