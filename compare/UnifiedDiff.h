#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/LineDiff.h"

namespace quelvane {

// Two texts' lines as a unified diff: hunks headed "@@ -l,s +l,s @@" with kContext unchanged
// lines around each change, as diff -u writes them (a count of one is left out, an empty range
// is numbered by the line before it).
class UnifiedDiff {
  public:
    static constexpr std::int64_t kContext = 3;

    struct Hunk {
        std::string header;
        // Each line with its mark: ' ', '-' or '+'.
        std::vector<std::string> lines;
    };

    UnifiedDiff(const std::vector<std::string>& before, const std::vector<std::string>& after);

    std::int64_t added() const { return added_; }
    std::int64_t removed() const { return removed_; }
    const std::vector<Hunk>& hunks() const { return hunks_; }
    bool same() const { return added_ == 0 && removed_ == 0; }

  private:
    std::vector<Hunk> hunks_;
    std::int64_t added_ = 0;
    std::int64_t removed_ = 0;
};

}  // namespace quelvane
