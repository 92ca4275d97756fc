#include "savefile/Catalog.h"

#include <cstdio>

namespace quelvane {

int typeValue(const std::string& typeCode) {
    if (typeCode.size() != 4) {
        return -1;
    }
    int value = 0;
    for (char c : typeCode) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::string typeCodeText(std::uint8_t high, std::uint8_t low) {
    char text[5];
    std::snprintf(text, sizeof text, "%02X%02X", high, low);
    return text;
}

const SavedObject& Catalog::objectAt(std::int32_t part, std::int32_t object) const {
    return parts.at(static_cast<std::size_t>(part)).library.objects.at(static_cast<std::size_t>(object));
}

}  // namespace quelvane
