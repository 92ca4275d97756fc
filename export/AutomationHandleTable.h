#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "export/AutomationServerObject.h"

namespace quelvane {

// The server objects an in-process client has handed out, by handle. Handles are numbered up
// from 1 and never used twice, so a released handle stays invalid; they are kept in handle order
// in one array, and as a writer holds a few references at a time and drops the newest first, a
// lookup or a release mostly touches the array's end and no node is allocated per reference.
class AutomationHandleTable {
  public:
    // Keeps `object` under a new handle; the handle.
    std::uint32_t add(std::shared_ptr<AutomationServerObject> object);
    // The object under `handle`, or null when there is none.
    AutomationServerObject* find(std::uint32_t handle) const;
    const std::shared_ptr<AutomationServerObject>* findShared(std::uint32_t handle) const;
    // False when there is no object under `handle`.
    bool erase(std::uint32_t handle);

    std::size_t size() const { return entries_.size(); }

  private:
    using Entry = std::pair<std::uint32_t, std::shared_ptr<AutomationServerObject>>;

    std::vector<Entry>::const_iterator at(std::uint32_t handle) const;

    std::vector<Entry> entries_;
    std::uint32_t nextHandle_ = 1;
};

}  // namespace quelvane
