#include "views/SegmentLookup.h"

namespace quelvane {

namespace {

std::string_view untilZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

bool SegmentLookup::equalOver(std::string_view a, std::string_view b, std::size_t n) {
    return untilZero(a).substr(0, n) == untilZero(b).substr(0, n);
}

std::optional<std::int32_t> SegmentLookup::findObjectSegment(const SegmentTable& table,
                                                             std::string_view objectName) {
    return table.findFirst(kObjectScanLimit, [&](const SegmentEntry& entry) {
        return equalOver(entry.name, objectName, kObjectNameCompared);
    });
}

std::optional<std::int32_t> SegmentLookup::findPrefixSegment(const SegmentTable& table,
                                                             std::string_view objectName) {
    std::string_view prefix = untilZero(objectName);
    return table.findFirst(SegmentTable::kCapacity, [&](const SegmentEntry& entry) {
        return untilZero(entry.name).starts_with(prefix);
    });
}

}  // namespace quelvane
