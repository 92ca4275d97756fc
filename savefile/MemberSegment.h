#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "savefile/SegmentTable.h"

namespace quelvane {

// The segment holding a member's records: the first slot, scanning all 90000 from slot 0, whose
// name equals "%-10s%s" of the object and member names over at most 20 characters (a shorter
// key matching only a name that ends where the key ends).
std::optional<std::int32_t> findMemberSegment(const SegmentTable& segments, const std::string& objectName,
                                              const std::string& memberName);

// The member key "%-10s%s".
std::string memberSegmentKey(const std::string& objectName, const std::string& memberName);

}  // namespace quelvane
