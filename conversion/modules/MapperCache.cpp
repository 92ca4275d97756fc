#include "conversion/modules/MapperCache.h"

namespace quelvane::modules {

MapperCache& MapperCache::instance() {
    static MapperCache cache;
    return cache;
}

CodePageMapper* MapperCache::find(std::int32_t ebcdicCodePage, std::int32_t pcCodePage) {
    const auto key = std::make_pair(ebcdicCodePage, pcCodePage);
    auto found = mappers_.find(key);
    if (found == mappers_.end()) {
        found = mappers_.emplace(key, CodePageMapper::open(ebcdicCodePage, pcCodePage)).first;
    }
    return found->second.get();
}

bool MapperCache::supports(std::int32_t ebcdicCodePage, std::int32_t pcCodePage) {
    const std::lock_guard lock(mutex_);
    return find(ebcdicCodePage, pcCodePage) != nullptr;
}

bool MapperCache::map(std::int32_t ebcdicCodePage, std::int32_t pcCodePage, const std::uint8_t* source,
                      std::size_t sourceLength, std::uint8_t* target, std::size_t targetLength,
                      std::size_t& produced) {
    const std::lock_guard lock(mutex_);
    CodePageMapper* mapper = find(ebcdicCodePage, pcCodePage);
    if (mapper == nullptr) {
        return false;
    }
    produced = mapper->map(source, sourceLength, target, targetLength);
    return true;
}

}  // namespace quelvane::modules
