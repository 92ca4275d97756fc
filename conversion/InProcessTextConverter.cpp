#include "conversion/InProcessTextConverter.h"

#include <cerrno>

#include "conversion/modules/CodePageMapper.h"

namespace quelvane {

namespace {

// The modules' request blocks carry lengths in 16-bit fields.
constexpr std::size_t kMaximumLength = 0xFFFF;
constexpr std::uint32_t kLengthTooLong = EINVAL;
constexpr std::uint32_t kPairNotSupported = ENOTSUP;

}  // namespace

InProcessTextConverter::InProcessTextConverter(ConversionBackend& backend) : backend_(backend) {}

InProcessTextConverter::~InProcessTextConverter() = default;

std::uint32_t InProcessTextConverter::ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                                        std::uint8_t* target) {
    if (length > kMaximumLength) {
        return kLengthTooLong;
    }
    const std::lock_guard lock(mutex_);
    const auto key = std::make_pair(EbcdicCodePage, PcCodePage);
    auto found = mappers_.find(key);
    if (found == mappers_.end()) {
        found = mappers_
                    .emplace(key, modules::CodePageMapper::open(EbcdicCodePage, PcCodePage,
                                                                modules::CodePageMapper::Lookup::byteTable,
                                                                backend_))
                    .first;
    }
    if (found->second == nullptr) {
        return kPairNotSupported;
    }
    found->second->map(source, length, target, length);
    return 0;
}

}  // namespace quelvane
