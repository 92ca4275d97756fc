#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "conversion/modules/CodePageMapper.h"

namespace quelvane::modules {

// The mappers of one module, one per code-page pair, opened at first use and kept for the life
// of the module. Pairs that cannot be opened are remembered too, so a refused pair costs one
// look-up per call rather than a new attempt to open its converters.
class MapperCache {
  public:
    static MapperCache& instance();

    bool supports(std::int32_t ebcdicCodePage, std::int32_t pcCodePage);

    // False, with the target untouched, when the pair is not supported.
    bool map(std::int32_t ebcdicCodePage, std::int32_t pcCodePage, const std::uint8_t* source,
             std::size_t sourceLength, std::uint8_t* target, std::size_t targetLength, std::size_t& produced);

  private:
    CodePageMapper* find(std::int32_t ebcdicCodePage, std::int32_t pcCodePage);

    std::mutex mutex_;
    std::map<std::pair<std::int32_t, std::int32_t>, std::unique_ptr<CodePageMapper>> mappers_;
};

}  // namespace quelvane::modules
