#include "savefile/EbcdicField.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quelvane {

int trimSpaces(char* text) {
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') {
        --length;
    }
    text[length] = '\0';
    std::size_t lead = 0;
    while (lead < length && text[lead] == ' ') {
        ++lead;
    }
    std::memmove(text, text + lead, length - lead + 1);
    return static_cast<int>(length - lead);
}

std::string convertField(EbcdicTextConverter& converter, std::span<const std::uint8_t> field, bool trim) {
    std::vector<char> buffer(field.size() + 1, '\0');
    converter.ConvertEbcdicText(field.data(), field.size(), reinterpret_cast<std::uint8_t*>(buffer.data()));
    buffer.back() = '\0';
    if (trim) {
        trimSpaces(buffer.data());
    }
    return std::string(buffer.data());
}

std::optional<std::string> optionalField(EbcdicTextConverter& converter,
                                         std::span<const std::uint8_t> field) {
    // Bytes below the blank are EBCDIC controls, which no name or text holds.
    constexpr std::uint8_t kEbcdicBlank = 0x40;
    bool unset =
        std::all_of(field.begin(), field.end(), [](std::uint8_t byte) { return byte == kEbcdicBlank; });
    bool control =
        std::any_of(field.begin(), field.end(), [](std::uint8_t byte) { return byte < kEbcdicBlank; });
    if (field.empty() || unset || control) {
        return std::nullopt;
    }
    std::string text = convertField(converter, field, true);
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace quelvane
