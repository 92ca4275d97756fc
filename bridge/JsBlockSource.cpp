#include "bridge/JsBlockSource.h"

#include <algorithm>
#include <cstring>

namespace quelvane {

JsBlockSource::JsBlockSource(RangeReader reader, std::int64_t size)
    : reader_(std::move(reader)), size_(size) {}

std::int64_t JsBlockSource::readThrough(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    std::int64_t got = 0;
    while (got < count) {
        const std::int64_t step = reader_(offset + got, target + got, count - got);
        if (step <= 0) {
            break;
        }
        got += std::min(step, count - got);
    }
    return got;
}

std::int64_t JsBlockSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (!isOpen() || offset < 0 || count <= 0 || offset >= size_) {
        return 0;
    }
    count = std::min(count, size_ - offset);
    if (count >= kWindowSize) {
        return readThrough(offset, target, count);
    }
    const auto held = static_cast<std::int64_t>(window_.size());
    if (offset < windowStart_ || offset + count > windowStart_ + held) {
        const std::int64_t length = std::min(readAhead_.lengthAt(offset), size_ - offset);
        // A jump after a pass gives the longest window's memory back.
        if (static_cast<std::int64_t>(window_.capacity()) > 2 * std::max(length, kWindowSize)) {
            window_ = std::vector<std::uint8_t>();
        }
        window_.resize(static_cast<std::size_t>(length));
        window_.resize(static_cast<std::size_t>(readThrough(offset, window_.data(), length)));
        windowStart_ = offset;
        readAhead_.held(windowStart_, static_cast<std::int64_t>(window_.size()));
    }
    const std::int64_t available =
        std::clamp<std::int64_t>(windowStart_ + static_cast<std::int64_t>(window_.size()) - offset, 0, count);
    if (available > 0) {
        std::memcpy(target, window_.data() + (offset - windowStart_), static_cast<std::size_t>(available));
    }
    return available;
}

}  // namespace quelvane
