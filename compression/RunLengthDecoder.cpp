#include "compression/RunLengthDecoder.h"

#include <algorithm>
#include <cstring>

#include "compression/CompressionFailure.h"

namespace quelvane {

namespace {

constexpr std::uint8_t kLiteralLimit = 0x7F;
constexpr std::uint8_t kRepeatFlag = 0xC0;
constexpr std::uint8_t kCountMask = 0x3F;
constexpr std::uint8_t kEbcdicBlank = 0x40;

}  // namespace

std::size_t RunLengthDecoder::decode(std::span<const std::uint8_t>& input, std::span<std::uint8_t> output) {
    std::size_t written = 0;
    while (written < output.size()) {
        if (literal_ > 0) {
            std::size_t n = std::min<std::size_t>({literal_, input.size(), output.size() - written});
            if (n == 0) {
                break;
            }
            std::memcpy(output.data() + written, input.data(), n);
            input = input.subspan(n);
            written += n;
            literal_ -= static_cast<std::uint32_t>(n);
            continue;
        }
        if (repeat_ > 0) {
            std::size_t n = std::min<std::size_t>(repeat_, output.size() - written);
            std::memset(output.data() + written, repeatByte_, n);
            written += n;
            repeat_ -= static_cast<std::uint32_t>(n);
            continue;
        }
        if (input.empty()) {
            break;
        }
        if (awaitingRepeatByte_) {
            repeatByte_ = input[0];
            repeat_ = awaitingCount_;
            awaitingRepeatByte_ = false;
            input = input.subspan(1);
            continue;
        }
        std::uint8_t control = input[0];
        input = input.subspan(1);
        if (control == 0) {
            throw CompressionFailure("run-length control byte 0x00");
        }
        if (control <= kLiteralLimit) {
            literal_ = control;
        } else if ((control & kRepeatFlag) == kRepeatFlag) {
            awaitingCount_ = control & kCountMask;
            awaitingRepeatByte_ = true;
        } else {
            repeatByte_ = kEbcdicBlank;
            repeat_ = control & kCountMask;
        }
    }
    return written;
}

}  // namespace quelvane
