#include "savefile/ParseReport.h"

#include <array>

namespace quelvane {

namespace {

// Why the walk stopped, in the order of ParseReport::Stop.
constexpr std::array<const char*, 9> kReasons = {
    "not parsed",
    "not a save file (the header's block counts disagree with each other or the file size)",
    "the segment chain ends at the file's last block",
    "a segment reaches past the file's last block",
    "the segment's save/restore descriptor lies past the end of the file",
    "the segment chain does not lead forward",
    "an object directory, description or member area could not be read",
    "a count or offset leads outside the bytes read for it",
    "a compressed segment could not be expanded",
};
static_assert(kReasons.size() == static_cast<std::size_t>(ParseReport::Stop::SegmentNotExpanded) + 1);

}  // namespace

std::string ParseReport::text() const {
    if (complete()) {
        return "complete";
    }
    std::string line = block >= 0 ? "stopped at block " + std::to_string(block) + ": " : "stopped: ";
    line += kReasons.at(static_cast<std::size_t>(stop));
    if (!detail.empty()) {
        line += " (" + detail + ")";
    }
    return line;
}

}  // namespace quelvane
