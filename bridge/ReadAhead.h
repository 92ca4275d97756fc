#pragma once

#include <cstdint>

namespace quelvane {

// How much a window over a file the page reads slice by slice takes in at a miss. Each slice
// costs the browser a round trip, so a pass through the file (a member listed, exported or
// extracted: each miss at or inside the end of the window before) reads twice as much as the last
// time, up to kLongest; a miss elsewhere (a jump to other rows, the catalog) starts again at
// kShortest, so a jump costs little and only a pass holds the longest window.
class ReadAhead {
  public:
    static constexpr std::int64_t kShortest = 256 * 1024;
    static constexpr std::int64_t kLongest = 8 * 1024 * 1024;

    // The length to read for a miss at `offset`.
    std::int64_t lengthAt(std::int64_t offset);
    // The window now held: `length` bytes from `start`.
    void held(std::int64_t start, std::int64_t length);

  private:
    std::int64_t length_ = kShortest;
    std::int64_t start_ = 0;
    std::int64_t end_ = 0;
};

}  // namespace quelvane
