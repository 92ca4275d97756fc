#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

struct SegmentEntry {
    // Blocks from the header's sequence number to the first block of a member's record stream
    // in files whose segment headers take 8 blocks.
    static constexpr std::int32_t kRecordDistance = 15;

    std::string name;
    std::int32_t length = 0;
    std::int32_t sequence = 0;
    std::int32_t recordDistance = kRecordDistance;
};

// The index of every segment header met by the walk, in file order, in at most 90000 slots.
// Every lookup scans from slot 0 and takes the first match. Slots past the fill count are empty
// names, which no lookup can match except an empty key, and those are answered as a full scan
// would. Each open starts from an empty table: an entry of another file would give its block
// positions to this one.
class SegmentTable {
  public:
    static constexpr std::int32_t kCapacity = 90000;

    // Starts a new file: no entry of the previous one is left.
    void reset() {
        slots_.clear();
        fillCount_ = 0;
    }

    // Appends at the fill count; entries past the capacity are ignored (returns false).
    bool append(SegmentEntry entry);

    std::int32_t fillCount() const { return fillCount_; }

    // Slot i as a full-size table holds it (empty for a slot never written).
    const SegmentEntry& slot(std::int32_t index) const;

    // Slots holding anything: a scan beyond this finds only empties.
    std::int32_t usedSlots() const { return static_cast<std::int32_t>(slots_.size()); }

    // First slot in [0, limit) whose name satisfies `matches`; scanning the unwritten slots
    // beyond usedSlots() is done once with an empty entry, since they are all alike.
    template <typename Match>
    std::optional<std::int32_t> findFirst(std::int32_t limit, Match matches) const {
        std::int32_t stored = std::min<std::int32_t>(limit, usedSlots());
        for (std::int32_t i = 0; i < stored; ++i) {
            if (matches(slots_[static_cast<std::size_t>(i)])) {
                return i;
            }
        }
        if (stored < limit && matches(empty_)) {
            return stored;
        }
        return std::nullopt;
    }

  private:
    std::vector<SegmentEntry> slots_;
    std::int32_t fillCount_ = 0;
    SegmentEntry empty_;
};

}  // namespace quelvane
