#include "savefile/MemberSegment.h"

#include <string_view>

namespace quelvane {

namespace {

constexpr std::size_t kObjectNameWidth = 10;
constexpr std::size_t kComparedLength = 20;

// Texts compared as zero-terminated strings over at most 20 characters.
std::string_view compared(const std::string& text) {
    std::string_view view(text.c_str());
    return view.substr(0, kComparedLength);
}

}  // namespace

std::string memberSegmentKey(const std::string& objectName, const std::string& memberName) {
    std::string key(objectName.c_str());
    if (key.size() < kObjectNameWidth) {
        key.append(kObjectNameWidth - key.size(), ' ');
    }
    return key + memberName.c_str();
}

std::optional<std::int32_t> findMemberSegment(const SegmentTable& segments, const std::string& objectName,
                                              const std::string& memberName) {
    std::string key = memberSegmentKey(objectName, memberName);
    std::string_view wanted = compared(key);
    return segments.findFirst(SegmentTable::kCapacity,
                              [&](const SegmentEntry& entry) { return compared(entry.name) == wanted; });
}

}  // namespace quelvane
