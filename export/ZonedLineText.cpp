#include "export/ZonedLineText.h"

#include <algorithm>
#include <cstring>

#include "views/BuiltInHostTable.h"

namespace quelvane {

namespace {

// The digits' zone, and that of the last digit of a negative value.
constexpr std::uint8_t kDigitZone = 0xF0;
constexpr std::uint8_t kNegativeZone = 0xD0;
// The digits, a sign in front and a point.
constexpr std::size_t kLongestText = ZonedLineText::kMostDigits + 2;

// Whether the built-in host table reads the digit bytes F0-F9 as the digits, as decodeZoned's
// conversion must for this text to be its text.
bool digitsReadAsDigits() {
    static const bool digits = [] {
        for (int d = 0; d <= 9; ++d) {
            if (BuiltInHostTable[static_cast<std::size_t>(kDigitZone + d)] != '0' + d) {
                return false;
            }
        }
        return true;
    }();
    return digits;
}

bool isSignificantDigit(char c) {
    return c >= '1' && c <= '9';
}

// Puts `c` at `at`, moving what follows one place on.
void insertAt(char* text, std::size_t& length, std::size_t at, char c) {
    std::memmove(text + at + 1, text + at, length - at);
    text[at] = c;
    ++length;
}

}  // namespace

bool ZonedLineText::append(std::span<const std::uint8_t> record, const SavedField& field, std::string& line) {
    if (field.length < 1 || field.length > kMostDigits || field.decimals < 0 ||
        field.decimals > kMostDigits || field.offset < 0 ||
        static_cast<std::size_t>(field.offset) + static_cast<std::size_t>(field.length) > record.size() ||
        !digitsReadAsDigits()) {
        return false;
    }
    const std::span<const std::uint8_t> bytes =
        record.subspan(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length));
    const std::size_t count = bytes.size();
    char text[kLongestText];
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        const bool lastNegative = i + 1 == count && (byte & 0xF0) == kNegativeZone;
        if (((byte & 0xF0) != kDigitZone && !lastNegative) || (byte & 0x0F) > 9) {
            return false;
        }
        text[i] = static_cast<char>('0' + (byte & 0x0F));
    }
    std::size_t length = count;
    const auto decimalCount = static_cast<std::ptrdiff_t>(field.decimals);
    // The width the point is placed in: the field's bytes, and the sign when it was put in front.
    auto width = static_cast<std::ptrdiff_t>(count);
    if ((bytes[count - 1] & 0xF0) == kNegativeZone) {
        std::size_t first = 0;
        while (first < count && !isSignificantDigit(text[first])) {
            ++first;
        }
        const std::ptrdiff_t integerDigits = width - decimalCount;
        const auto firstDigit = static_cast<std::ptrdiff_t>(first);
        if (first == count) {
            // All zeros: a negative zero shows no sign.
        } else if (first > 0 && firstDigit < integerDigits) {
            text[first - 1] = '-';
        } else if (first > 0 && integerDigits >= 2) {
            // All significant digits lie behind the point: the sign takes the place before the
            // last integer digit.
            text[static_cast<std::size_t>(integerDigits - 2)] = '-';
        } else {
            insertAt(text, length, 0, '-');
            ++width;
        }
    }
    if (decimalCount > 0) {
        const std::ptrdiff_t signWidth = width > static_cast<std::ptrdiff_t>(count) ? 1 : 0;
        const auto point = static_cast<std::size_t>(std::max(width - decimalCount, signWidth));
        if (point <= length) {
            insertAt(text, length, point, '.');
        }
    }
    line.append(text, length);
    return true;
}

}  // namespace quelvane
