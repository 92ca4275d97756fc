#include "export/PackedLineText.h"

#include <cstring>

namespace quelvane {

namespace {

constexpr std::uint8_t kPositiveSign = 0x0F;
// A sign, a point, the zeros between the point and the digits, and the digits.
constexpr std::size_t kLongestText = 2 + 2 * PackedLineText::kMostDigits;

}  // namespace

bool PackedLineText::append(std::span<const std::uint8_t> record, const SavedField& field,
                            std::string& line) {
    if (field.digits < 1 || field.digits > kMostDigits || field.decimals < 0 ||
        field.decimals > kMostDigits || field.offset < 0 || field.length < 0 ||
        static_cast<std::size_t>(field.offset) + static_cast<std::size_t>(field.length) > record.size()) {
        return false;
    }
    const std::span<const std::uint8_t> bytes =
        record.subspan(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length));
    // Nibbles past the field's bytes read as zero, as in the zero-filled value buffer.
    const auto byteAt = [bytes](std::size_t index) -> std::uint8_t {
        return index < bytes.size() ? bytes[index] : 0;
    };
    const auto digitCount = static_cast<std::size_t>(field.digits);
    const auto decimalCount = static_cast<std::size_t>(field.decimals);
    // An even digit count leaves a pad nibble in front, so the sign always ends a byte.
    const std::size_t padNibbles = digitCount % 2 == 0 ? 1 : 0;
    char text[kLongestText];
    std::size_t length = 0;
    if ((byteAt(digitCount / 2) & 0x0F) != kPositiveSign) {
        text[length++] = '-';
    }
    const std::size_t bodyStart = length;
    // More decimal positions than digits put zeros between the point and the digits.
    if (decimalCount > 0 && decimalCount >= digitCount) {
        text[length++] = '.';
        std::memset(text + length, '0', decimalCount - digitCount);
        length += decimalCount - digitCount;
    }
    for (std::size_t k = 0; k < digitCount; ++k) {
        if (decimalCount > 0 && decimalCount < digitCount && k == digitCount - decimalCount) {
            text[length++] = '.';
        }
        const std::size_t nibble = k + padNibbles;
        const std::uint8_t byte = byteAt(nibble / 2);
        text[length++] = static_cast<char>('0' + (nibble % 2 == 0 ? byte >> 4 : byte & 0x0F));
    }
    // Leading zeros go, but one stays before the point or as the whole number.
    std::size_t dropped = 0;
    if (text[bodyStart] != '.') {
        std::size_t zeros = 0;
        while (bodyStart + zeros < length && text[bodyStart + zeros] == '0') {
            ++zeros;
        }
        const bool keepOne = bodyStart + zeros == length || text[bodyStart + zeros] == '.';
        dropped = keepOne && zeros > 0 ? zeros - 1 : zeros;
    }
    line.append(text, bodyStart);
    line.append(text + bodyStart + dropped, length - bodyStart - dropped);
    return true;
}

}  // namespace quelvane
