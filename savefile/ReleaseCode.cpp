#include "savefile/ReleaseCode.h"

#include <array>

namespace quelvane {

namespace {

struct KnownRelease {
    std::uint16_t code;
    const char* name;
};

// The codes met in real saves agree with the target-release index of their library descriptor
// (65 = V5R1 up to 74 = V7R5) or with the releases an integrated-file-system save spells out
// (0x3600 = V4R4, 0x3400 = V4R2); 0x3905 (a V5R3-era saving system) and 0x3205 stay unnamed, as
// nothing tells them apart from their neighbours.
constexpr std::array<KnownRelease, 13> kReleases = {{
    {0x3400, "V4R2"},
    {0x3600, "V4R4"},
    {0x3700, "V4R5"},
    {0x3800, "V5R1"},
    {0x3900, "V5R2"},
    {0x4000, "V5R3"},
    {0x4100, "V5R4"},
    {0x4200, "V6R1"},
    {0x4300, "V7R1"},
    {0x4400, "V7R2"},
    {0x4500, "V7R3"},
    {0x4600, "V7R4"},
    {0x4705, "V7R5"},
}};

}  // namespace

std::optional<std::string> releaseName(std::uint16_t code) {
    for (const KnownRelease& known : kReleases) {
        if (known.code == code) {
            return std::string(known.name);
        }
    }
    return std::nullopt;
}

}  // namespace quelvane
