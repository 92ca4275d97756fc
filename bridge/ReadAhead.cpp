#include "bridge/ReadAhead.h"

#include <algorithm>

namespace quelvane {

std::int64_t ReadAhead::lengthAt(std::int64_t offset) {
    const bool onward = end_ > start_ && offset >= start_ && offset <= end_;
    length_ = onward ? std::min(length_ * 2, kLongest) : kShortest;
    return length_;
}

void ReadAhead::held(std::int64_t start, std::int64_t length) {
    start_ = start;
    end_ = start + std::max<std::int64_t>(length, 0);
}

}  // namespace quelvane
