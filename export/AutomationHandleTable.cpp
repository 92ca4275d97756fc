#include "export/AutomationHandleTable.h"

#include <algorithm>

#include "export/AutomationFailure.h"

namespace quelvane {

std::uint32_t AutomationHandleTable::add(std::shared_ptr<AutomationServerObject> object) {
    if (nextHandle_ == 0) {
        throw AutomationFailure("No more object references can be handed out");
    }
    entries_.emplace_back(nextHandle_, std::move(object));
    return nextHandle_++;
}

std::vector<AutomationHandleTable::Entry>::const_iterator AutomationHandleTable::at(
    std::uint32_t handle) const {
    // The newest few are the usual ones.
    constexpr std::size_t kTriedFromTheEnd = 8;
    const std::size_t tried = std::min(entries_.size(), kTriedFromTheEnd);
    for (auto entry = entries_.end(); entry != entries_.end() - static_cast<std::ptrdiff_t>(tried);) {
        --entry;
        if (entry->first == handle) {
            return entry;
        }
    }
    const auto entry =
        std::lower_bound(entries_.begin(), entries_.end(), handle,
                         [](const Entry& held, std::uint32_t wanted) { return held.first < wanted; });
    return entry != entries_.end() && entry->first == handle ? entry : entries_.end();
}

AutomationServerObject* AutomationHandleTable::find(std::uint32_t handle) const {
    const auto entry = at(handle);
    return entry == entries_.end() ? nullptr : entry->second.get();
}

const std::shared_ptr<AutomationServerObject>* AutomationHandleTable::findShared(std::uint32_t handle) const {
    const auto entry = at(handle);
    return entry == entries_.end() ? nullptr : &entry->second;
}

bool AutomationHandleTable::erase(std::uint32_t handle) {
    const auto entry = at(handle);
    if (entry == entries_.end()) {
        return false;
    }
    entries_.erase(entry);
    return true;
}

}  // namespace quelvane
