#include "compare/DataDigest.h"

namespace quelvane {

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kStateMultiplier = 0xBF58476D1CE4E5B9ULL;
constexpr int kWordBytes = 8;

std::uint64_t rotated(std::uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

std::uint64_t word(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < kWordBytes; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

}  // namespace

void DataDigest::mix(std::uint64_t value) {
    value *= kMultiplier;
    value ^= value >> 29;
    state_ = rotated((state_ ^ value) * kStateMultiplier, 27);
}

void DataDigest::add(std::span<const std::uint8_t> bytes) {
    length_ += static_cast<std::int64_t>(bytes.size());
    std::size_t at = 0;
    while (pendingSize_ > 0 && at < bytes.size()) {
        pending_[pendingSize_++] = bytes[at++];
        if (pendingSize_ == kWordBytes) {
            mix(word(pending_.data()));
            pendingSize_ = 0;
        }
    }
    for (; at + kWordBytes <= bytes.size(); at += kWordBytes) {
        mix(word(bytes.data() + at));
    }
    for (; at < bytes.size(); ++at) {
        pending_[pendingSize_++] = bytes[at];
    }
}

std::uint64_t DataDigest::value() const {
    DataDigest last = *this;
    std::uint64_t tail = 0;
    for (std::size_t i = 0; i < pendingSize_; ++i) {
        tail = (tail << 8) | pending_[i];
    }
    last.mix(tail ^ (static_cast<std::uint64_t>(pendingSize_) << 56));
    last.mix(static_cast<std::uint64_t>(length_));
    std::uint64_t out = last.state_;
    out ^= out >> 31;
    out *= kMultiplier;
    out ^= out >> 29;
    return out;
}

}  // namespace quelvane
