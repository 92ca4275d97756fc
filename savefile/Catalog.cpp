#include "savefile/Catalog.h"

#include <cstdio>

namespace quelvane {

std::string typeCodeText(std::uint16_t typeCode) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(typeCode));
    return text;
}

const SavedObject& Catalog::objectAt(std::int32_t part, std::int32_t object) const {
    return parts.at(static_cast<std::size_t>(part)).library.objects.at(static_cast<std::size_t>(object));
}

}  // namespace quelvane
