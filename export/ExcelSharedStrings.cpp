#include "export/ExcelSharedStrings.h"

#include <functional>

#include "export/AutomationFailure.h"

namespace quelvane {

namespace {

constexpr std::size_t kFirstSlots = 1024;

}  // namespace

std::size_t ExcelSharedStrings::hashOf(std::u16string_view text) {
    return std::hash<std::u16string_view>{}(text);
}

std::uint32_t ExcelSharedStrings::intern(std::u16string_view text) {
    if ((size() + 1) * 2 > slots_.size()) {
        grow();
    }
    const std::size_t hash = hashOf(text);
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const std::uint32_t index = slots_[slot] - 1;
        if (hashes_[index] == hash && (*this)[index] == text) {
            return index;
        }
    }
    if (size() >= UINT32_MAX - 1) {
        throw AutomationFailure("The workbook holds too many different texts");
    }
    const auto index = static_cast<std::uint32_t>(size());
    pool_.insert(pool_.end(), text.begin(), text.end());
    ends_.push_back(pool_.size());
    hashes_.push_back(hash);
    slots_[slot] = index + 1;
    return index;
}

void ExcelSharedStrings::grow() {
    slots_.assign(slots_.empty() ? kFirstSlots : slots_.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t index = 0; index < size(); ++index) {
        std::size_t slot = hashes_[index] & mask;
        while (slots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        slots_[slot] = static_cast<std::uint32_t>(index + 1);
    }
}

}  // namespace quelvane
