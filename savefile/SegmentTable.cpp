#include "savefile/SegmentTable.h"

namespace quelvane {

bool SegmentTable::append(SegmentEntry entry) {
    if (fillCount_ >= kCapacity) {
        return false;
    }
    slots_.push_back(std::move(entry));
    ++fillCount_;
    return true;
}

const SegmentEntry& SegmentTable::slot(std::int32_t index) const {
    if (index >= 0 && index < usedSlots()) {
        return slots_[static_cast<std::size_t>(index)];
    }
    return empty_;
}

}  // namespace quelvane
