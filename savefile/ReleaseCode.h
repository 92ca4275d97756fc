#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quelvane {

// The release a two-byte release code of the first descriptor segment header names (0x4600 is
// V7R4), or nothing for a code whose release is not known. Saves made for releases before V4R4
// carry 0x2000 as their target, which names no release.
std::optional<std::string> releaseName(std::uint16_t code);

}  // namespace quelvane
