#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelvane {

// The shortest edit script between two sequences of lines, found by Myers' O(ND) algorithm with
// its linear-space refinement: the middle snake of each part is found from both ends at once, so
// memory stays proportional to the lines, never to their product. Lines are compared as numbers
// (equal texts, equal numbers), and lines that occur on one side only are taken out before the
// search: they can be in no common subsequence, and a member rewritten in full then costs no
// more than reading it. Past a cost of kCostLimit in one part the search settles for the furthest
// path it has, so a pathological pair ends in bounded time with a longer, still correct script.
class LineDiff {
  public:
    static constexpr std::int64_t kCostLimit = 4096;

    enum class Op : std::uint8_t { Same, Removed, Added };

    struct Edit {
        Op op = Op::Same;
        // The line's index in the old sequence (Same, Removed) and in the new one (Same, Added).
        std::int64_t oldLine = 0;
        std::int64_t newLine = 0;
    };

    // One edit per line of either sequence, in order: every line of `before` once as Same or
    // Removed, every line of `after` once as Same or Added.
    static std::vector<Edit> edits(const std::vector<std::string>& before,
                                   const std::vector<std::string>& after);

    // The same over lines already numbered.
    static std::vector<Edit> edits(const std::vector<std::int64_t>& before,
                                   const std::vector<std::int64_t>& after);
};

}  // namespace quelvane
