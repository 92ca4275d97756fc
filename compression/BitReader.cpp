#include "compression/BitReader.h"

#include "compression/CompressionFailure.h"

namespace quelvane {

namespace {

constexpr unsigned kByteBits = 8;
constexpr std::size_t kWordBytes = 8;

std::uint64_t loadBigEndian64(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < kWordBytes; ++i) {
        value = (value << kByteBits) | bytes[i];
    }
    return value;
}

}  // namespace

// The window holds `ready_` valid bits at its top; the bits below them are either zero or
// already the stream's next bits, so loading the same bytes over them again changes nothing.
void BitReader::fill() {
    if (code_.size() - next_ >= kWordBytes) {
        window_ |= loadBigEndian64(code_.data() + next_) >> ready_;
        next_ += (kWindowBits - 1 - ready_) / kByteBits;
        ready_ |= kWindowBits - kByteBits;
        return;
    }
    while (ready_ <= kWindowBits - kByteBits && next_ < code_.size()) {
        window_ |= static_cast<std::uint64_t>(code_[next_]) << (kWindowBits - kByteBits - ready_);
        ++next_;
        ready_ += kByteBits;
    }
}

void BitReader::refill(unsigned count) {
    fill();
    if (ready_ < count) {
        throw CompressionFailure("the code stream ends within a code, before its end code");
    }
}

}  // namespace quelvane
