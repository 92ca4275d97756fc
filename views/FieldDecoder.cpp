#include "views/FieldDecoder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>
#include <vector>

#include "views/BuiltInHostTable.h"

namespace quelvane {

namespace {

constexpr std::uint8_t kPositiveSign = 0x0F;
constexpr std::uint8_t kPositiveZone = 0x0F;
// A negative zone (0xD, or anything but 0xF) raised by this much reads as the digit itself.
constexpr std::uint8_t kNegativeZoneLift = 0x20;

constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kShiftIn = 0x0F;

// The conversion call carries its length in 16 bits.
constexpr std::size_t kLongestConversion = 0xFFFF;

constexpr std::size_t kLongestBinaryInteger = 8;
// The most digits a signed 64-bit integer holds whatever they are.
constexpr int kLongestIntegerDigits = 18;
constexpr std::size_t kDateWidth = 4;
// "yyyy/mm/dd"
constexpr std::size_t kDateText = 10;
constexpr std::size_t kTimeWidth = 3;
// A stored timestamp: the date's day number, then hhmmss and the microseconds, two digits a
// byte.
constexpr std::size_t kTimestampTimeAt = kDateWidth;
constexpr std::size_t kTimestampMicrosecondsAt = kDateWidth + kTimeWidth;
constexpr std::size_t kMicrosecondWidth = 3;
constexpr std::size_t kSingleFloatBytes = 4;
constexpr std::size_t kDoubleFloatBytes = 8;
// Significant digits that always read back as the same single or double.
constexpr int kSingleFloatDigits = 9;
constexpr int kDoubleFloatDigits = 17;

// A stored date is its Julian day number, the astronomical day count at noon: 1721426 is
// 0001-01-01 and 5373484 is 9999-12-31, the first and last date the host accepts, and 2415019
// is 1899-12-30.
constexpr std::int32_t kFirstDayNumber = 1721426;
constexpr std::int32_t kLastDayNumber = 5373484;
constexpr std::int32_t kDayNumberOf18991230 = 2415019;

// Work space for the zoned decoders, which translate a copy whose last byte may be altered, and
// for the character conversion's zero-padded source. One listing thread reuses it throughout.
thread_local std::vector<std::uint8_t> workBytes;

std::uint8_t byteAt(std::span<const std::uint8_t> bytes, std::size_t index) {
    return index < bytes.size() ? bytes[index] : 0;
}

// The first `count` bytes as the zero-filled value buffer holds them.
std::span<const std::uint8_t> paddedBytes(std::span<const std::uint8_t> bytes, std::size_t count) {
    if (bytes.size() >= count) {
        return bytes.first(count);
    }
    workBytes.assign(bytes.begin(), bytes.end());
    workBytes.resize(count, 0);
    return workBytes;
}

void cutAtZero(std::string& text) {
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
}

bool isSignificantDigit(char c) {
    return c >= '1' && c <= '9';
}

// The PC bytes of a value converted from a zero-padded buffer of max(5000, field length) bytes.
// True unless the bytes surely end in single-byte state. A shift byte or a zero byte where a
// double-byte code would continue is read differently by different converters, so it counts as
// possibly shifted.
bool mayEndShifted(std::span<const std::uint8_t> bytes) {
    bool shifted = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t byte = bytes[i];
        if (!shifted || byte == kShiftIn || byte == kShiftOut) {
            shifted = shifted ? byte != kShiftIn : byte == kShiftOut;
            ++i;
            continue;
        }
        if (byte == 0 || i + 1 == bytes.size()) {
            return true;
        }
        const std::uint8_t second = bytes[i + 1];
        if (second == kShiftIn || second == kShiftOut || second == 0) {
            return true;
        }
        i += 2;
    }
    return shifted;
}

// The PC bytes of a value converted from a zero-padded buffer of max(5000, field length) bytes.
// Only the field's bytes and enough padding to end the text are converted: a zero source byte in
// single-byte state converts to a zero byte, so the text ends there whatever follows, and no
// conversion gives more than two PC bytes for one host byte. Where a shift-out may still be in
// force at the field's end, the padding would be read as double-byte codes, and the whole buffer
// is converted, padding and all.
void convertValue(std::span<const std::uint8_t> value, EbcdicTextConverter& converter, std::string& target) {
    const std::span<const std::uint8_t> field = value.first(std::min(value.size(), kLongestConversion));
    const std::size_t bufferLength = std::max(kValueBufferSize, field.size());
    const std::size_t convertLength =
        mayEndShifted(field) ? bufferLength : std::min(bufferLength, 2 * field.size() + 2);

    const std::span<const std::uint8_t> source = paddedBytes(field, convertLength);
    target.assign(convertLength, '\0');
    converter.ConvertEbcdicText(source.data(), convertLength, reinterpret_cast<std::uint8_t*>(target.data()));
}

// Writes `value` as `width` decimal digits at `at`: "%04d/%02d/%02d" without a format parser on a
// path taken for every date of every record listed.
void putDigits(char* out, std::size_t width, unsigned value) {
    for (std::size_t i = width; i > 0; --i) {
        out[i - 1] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

void appendHex(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

// The shortest text of `value` that reads back as the same value, in the C locale whatever the
// program's: "%g" with the fewest significant digits that round-trip, at most `most` (9 for
// single and 17 for double precision always do).
template <typename Float>
void formatFloat(Float value, int most, std::string& text) {
    if (std::isnan(value)) {
        text.assign("NaN");
        return;
    }
    if (std::isinf(value)) {
        text.assign(value < 0 ? "-Infinity" : "Infinity");
        return;
    }
    thread_local std::ostringstream out = [] {
        std::ostringstream stream;
        stream.imbue(std::locale::classic());
        return stream;
    }();
    thread_local std::istringstream in = [] {
        std::istringstream stream;
        stream.imbue(std::locale::classic());
        return stream;
    }();
    for (int digits = 1; digits <= most; ++digits) {
        out.str(std::string());
        out << std::setprecision(digits) << value;
        text = out.str();
        in.clear();
        in.str(text);
        Float back = 0;
        in >> back;
        if (!in.fail() && back == value) {
            return;
        }
    }
}

}  // namespace

bool isNumericFieldType(std::uint16_t typeCode) {
    return typeCode == kBinaryFieldType || typeCode == kZonedFieldType || typeCode == kPackedFieldType;
}

bool decodeSharedFieldText(std::span<const std::uint8_t> bytes, const SavedField& field,
                           EbcdicTextConverter& converter, std::string& text) {
    switch (field.typeCode) {
        case kBinaryFieldType:
            decodeBinaryText(bytes, field.length, text);
            return true;
        case kFloatFieldType:
            decodeFloat(bytes, field.length, text);
            return true;
        case kZonedFieldType:
            decodeZoned(bytes, field.length, field.decimals, text);
            return true;
        case kPackedFieldType:
            decodePacked(bytes, field.digits, field.decimals, kTextCapacity, text);
            return true;
        case kCharacterFieldType:
        case kOpenCharacterFieldType:
            decodeCharacter(bytes, converter, text);
            return true;
        case kTimeFieldType:
            decodeTime(bytes, converter, text);
            return true;
        default:
            return false;
    }
}

void decodeFieldValue(std::span<const std::uint8_t> value, const SavedField& field,
                      EbcdicTextConverter& converter, std::string& text) {
    const std::span<const std::uint8_t> bytes =
        value.first(std::min(value.size(), static_cast<std::size_t>(std::max(field.length, 0))));
    if (decodeSharedFieldText(bytes, field, converter, text)) {
        return;
    }
    switch (field.typeCode) {
        case kDateFieldType:
        case kTimestampFieldType:
            decodeDate(bytes, text);
            break;
        default:
            text.assign(" ");
            break;
    }
}

LoadedKind loadedFieldKind(const SavedField& field) {
    switch (field.typeCode) {
        case kBinaryFieldType:
            if (field.length > static_cast<int>(kLongestBinaryInteger)) {
                return LoadedKind::Text;
            }
            return field.decimals > 0 ? LoadedKind::Decimal : LoadedKind::Integer;
        case kFloatFieldType:
            return field.length == static_cast<int>(kSingleFloatBytes) ||
                           field.length == static_cast<int>(kDoubleFloatBytes)
                       ? LoadedKind::Decimal
                       : LoadedKind::Text;
        case kZonedFieldType:
            return field.decimals <= 0 && field.length <= kLongestIntegerDigits ? LoadedKind::Integer
                                                                                : LoadedKind::Decimal;
        case kPackedFieldType:
            return field.decimals <= 0 && field.digits <= kLongestIntegerDigits ? LoadedKind::Integer
                                                                                : LoadedKind::Decimal;
        default:
            return LoadedKind::Text;
    }
}

bool toPlainDecimal(std::string& text, int decimals) {
    // Digits are gathered behind a leading '-' in a buffer of their own: the text is at most
    // the decoders' capacity plus a sign and a point, and any extra decimal positions.
    thread_local std::string plain;
    plain.assign(1, '-');
    bool negative = false;
    bool point = false;
    bool nonZero = false;
    bool anyDigit = false;
    std::size_t fraction = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (point) {
                ++fraction;
            } else if (c == '0' && plain.size() == 1) {
                continue;
            }
            nonZero = nonZero || c != '0';
            plain.push_back(c);
        } else if (c == '-' && !negative) {
            negative = true;
        } else if (c == '.' && !point) {
            point = true;
            if (plain.size() == 1) {
                plain.push_back('0');
            }
            plain.push_back('.');
        } else if (c != ' ') {
            return false;
        }
    }
    if (!anyDigit) {
        // A field of blanks, whose zone the zoned decoders show as a minus sign.
        text.clear();
        return true;
    }
    if (!point) {
        if (plain.size() == 1) {
            plain.push_back('0');
        }
        if (decimals > 0) {
            plain.push_back('.');
        }
    } else if (plain.back() == '.' && decimals <= 0) {
        plain.pop_back();
    }
    if (fraction < static_cast<std::size_t>(std::max(decimals, 0))) {
        plain.append(static_cast<std::size_t>(decimals) - fraction, '0');
    }
    const std::size_t start = negative && nonZero ? 0 : 1;
    text.assign(plain, start, std::string::npos);
    return true;
}

LoadedKind decodeLoadedFieldValue(std::span<const std::uint8_t> value, const SavedField& field,
                                  EbcdicTextConverter& converter, std::string& text) {
    const std::span<const std::uint8_t> bytes =
        value.first(std::min(value.size(), static_cast<std::size_t>(std::max(field.length, 0))));
    switch (field.typeCode) {
        case kDateFieldType:
            decodeDate(bytes, text, '-');
            return LoadedKind::Text;
        case kTimestampFieldType:
            decodeLoadedTimestamp(bytes, text);
            return LoadedKind::Text;
        case kCharacterFieldType:
        case kOpenCharacterFieldType:
            convertPaddedText(bytes, converter, text);
            text.erase(text.find_last_not_of(' ') + 1);
            return LoadedKind::Text;
        case kTimeFieldType:
            decodeTime(bytes, converter, text);
            return LoadedKind::Text;
        case kBinaryFieldType:
            decodeBinaryText(bytes, field.length, text);
            scaleIntegerText(text, field.decimals);
            return loadedFieldKind(field);
        case kFloatFieldType:
            decodeFloat(bytes, field.length, text);
            return std::isdigit(static_cast<unsigned char>(text.back())) ? loadedFieldKind(field)
                                                                         : LoadedKind::Text;
        case kZonedFieldType:
        case kPackedFieldType:
            decodeSharedFieldText(bytes, field, converter, text);
            return toPlainDecimal(text, field.decimals) ? loadedFieldKind(field) : LoadedKind::Text;
        default:
            text.clear();
            return LoadedKind::Text;
    }
}

std::string decodeFieldValue(std::span<const std::uint8_t> value, const SavedField& field,
                             EbcdicTextConverter& converter) {
    std::string text;
    decodeFieldValue(value, field, converter, text);
    return text;
}

void decodePacked(std::span<const std::uint8_t> bytes, int digits, int decimals, int capacity,
                  std::string& text) {
    const std::size_t digitCount = static_cast<std::size_t>(std::max(digits, 0));
    const std::size_t decimalCount = static_cast<std::size_t>(std::max(decimals, 0));
    // An even digit count leaves a pad nibble in front, so the sign always ends a byte.
    const std::size_t padNibbles = digitCount % 2 == 0 ? 1 : 0;
    const bool negative = (byteAt(bytes, digitCount / 2) & 0x0F) != kPositiveSign;

    text.clear();
    if (negative) {
        text.push_back('-');
    }
    const std::size_t bodyStart = text.size();
    // More decimal positions than digits put zeros between the point and the digits.
    if (decimalCount > 0 && decimalCount >= digitCount) {
        text.push_back('.');
        text.append(decimalCount - digitCount, '0');
    }
    for (std::size_t k = 0; k < digitCount; ++k) {
        if (decimalCount > 0 && decimalCount < digitCount && k == digitCount - decimalCount) {
            text.push_back('.');
        }
        const std::size_t nibble = k + padNibbles;
        const std::uint8_t byte = byteAt(bytes, nibble / 2);
        text.push_back(static_cast<char>('0' + (nibble % 2 == 0 ? byte >> 4 : byte & 0x0F)));
    }

    if (text.size() == bodyStart || text[bodyStart] != '.') {
        std::size_t zeros = 0;
        while (bodyStart + zeros < text.size() && text[bodyStart + zeros] == '0') {
            ++zeros;
        }
        const bool keepOne = bodyStart + zeros == text.size() || text[bodyStart + zeros] == '.';
        if (keepOne && zeros == 0) {
            text.push_back('0');
        } else {
            text.erase(bodyStart, keepOne ? zeros - 1 : zeros);
        }
    }
    text.resize(std::min(text.size(), static_cast<std::size_t>(std::max(capacity, 0))));
}

void decodeZoned(std::span<const std::uint8_t> bytes, int length, int decimals, std::string& text) {
    text.clear();
    if (length <= 0) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(length);
    const std::ptrdiff_t decimalCount = std::max(decimals, 0);
    const bool negative = (byteAt(bytes, count - 1) >> 4) != kPositiveZone;
    std::span<const std::uint8_t> source = paddedBytes(bytes, count);
    if (negative) {
        if (source.data() != workBytes.data()) {
            workBytes.assign(source.begin(), source.end());
            source = workBytes;
        }
        workBytes[count - 1] = static_cast<std::uint8_t>(workBytes[count - 1] + kNegativeZoneLift);
    }
    convertBuiltInMixed(source, text);

    // The width the point is placed in: the field's bytes, and the sign when it was put in front.
    std::ptrdiff_t width = static_cast<std::ptrdiff_t>(count);
    if (negative) {
        const auto at = [&text](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
        std::size_t first = 0;
        while (first <= count && !isSignificantDigit(at(first))) {
            ++first;
        }
        const std::ptrdiff_t integerDigits = width - decimalCount;
        const auto firstDigit = static_cast<std::ptrdiff_t>(first);
        if (first > count) {
            // All zeros or blanks: a negative zero shows no sign.
        } else if (first > 0 && firstDigit < integerDigits) {
            text[first - 1] = '-';
        } else if (first > 0 && integerDigits >= 2) {
            // All significant digits lie behind the point: the sign takes the place before the
            // last integer digit, so 000.05 shows as 0-0.05 and keeps its width.
            text[static_cast<std::size_t>(integerDigits - 2)] = '-';
        } else {
            text.insert(text.begin(), '-');
            ++width;
        }
    }
    if (decimalCount > 0) {
        const std::ptrdiff_t signWidth = width > static_cast<std::ptrdiff_t>(count) ? 1 : 0;
        const auto point = static_cast<std::size_t>(std::max(width - decimalCount, signWidth));
        // A translation shorter than the field (shift codes dropped) leaves the point's place
        // behind the text's end, where it would not be seen.
        if (point <= text.size()) {
            text.insert(point, 1, '.');
        }
    }
    cutAtZero(text);
}

void decodeZonedPointed(std::span<const std::uint8_t> bytes, int digits, int decimals, std::string& text) {
    const std::size_t count = static_cast<std::size_t>(std::max(digits, 0));
    const std::size_t decimalCount = static_cast<std::size_t>(std::max(decimals, 0));
    const std::uint8_t last = byteAt(bytes, count == 0 ? 0 : count - 1);
    const bool negative = count > 0 && (last >> 4) != kPositiveZone;

    convertBuiltInSingle(paddedBytes(bytes, count), text);
    if (negative) {
        text[count - 1] =
            static_cast<char>(BuiltInHostTable[static_cast<std::uint8_t>(last + kNegativeZoneLift)]);
    }
    const std::size_t point = decimalCount >= count ? 0 : count - decimalCount;
    text.insert(point, 1, '.');
    if (decimalCount >= count) {
        text.insert(0, negative ? "-0" : "0");
    } else if (negative) {
        text.insert(text.begin(), '-');
        // Leading zeros and blanks go, but never the last integer digit.
        std::size_t removable = count - decimalCount - 1;
        while (removable > 0 && (text[1] == '0' || text[1] == ' ') && text[2] != '.') {
            text.erase(1, 1);
            --removable;
        }
    }
    cutAtZero(text);
}

std::int64_t decodeBinary(std::span<const std::uint8_t> bytes, int length) {
    if (length <= 0) {
        return 0;
    }
    const std::size_t count = static_cast<std::size_t>(length);
    const std::size_t start = count > kLongestBinaryInteger ? count - kLongestBinaryInteger : 0;
    // Start from all ones for a negative value, so the value is sign-extended to 64 bits.
    std::uint64_t value = (byteAt(bytes, start) & 0x80) != 0 ? ~std::uint64_t{0} : 0;
    for (std::size_t i = start; i < count; ++i) {
        value = (value << 8) | byteAt(bytes, i);
    }
    return static_cast<std::int64_t>(value);
}

void decodeBinaryText(std::span<const std::uint8_t> bytes, int length, std::string& text) {
    text.clear();
    if (length > static_cast<int>(kLongestBinaryInteger)) {
        text.assign("0x");
        for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i) {
            appendHex(text, byteAt(bytes, i));
        }
        return;
    }
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, decodeBinary(bytes, length));
    text.assign(digits, result.ptr);
}

void decodeFloat(std::span<const std::uint8_t> bytes, int length, std::string& text) {
    const std::size_t count = static_cast<std::size_t>(std::max(length, 0));
    if (count != kSingleFloatBytes && count != kDoubleFloatBytes) {
        text.assign("0x");
        for (std::size_t i = 0; i < count; ++i) {
            appendHex(text, byteAt(bytes, i));
        }
        return;
    }
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < count; ++i) {
        bits = (bits << 8) | byteAt(bytes, i);
    }
    if (count == kSingleFloatBytes) {
        const auto single = static_cast<std::uint32_t>(bits);
        float value = 0;
        std::memcpy(&value, &single, sizeof value);
        formatFloat(value, kSingleFloatDigits, text);
    } else {
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        formatFloat(value, kDoubleFloatDigits, text);
    }
}

void scaleIntegerText(std::string& text, int decimals) {
    if (decimals <= 0 || text.empty()) {
        return;
    }
    const std::size_t start = text.front() == '-' ? 1 : 0;
    if (start == text.size() || !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                                             [](char c) { return c >= '0' && c <= '9'; })) {
        return;
    }
    const auto scale = static_cast<std::size_t>(decimals);
    const std::size_t digits = text.size() - start;
    if (digits <= scale) {
        text.insert(start, scale - digits + 1, '0');
    }
    text.insert(text.size() - scale, 1, '.');
}

char* formatDayNumber(std::uint32_t stored, char separator, char* out) {
    // Day numbers are held in a signed 32-bit integer: the top bit makes one negative and so out
    // of range.
    const auto dayNumber = static_cast<std::int32_t>(stored);
    if (dayNumber < kFirstDayNumber || dayNumber > kLastDayNumber) {
        throw FieldDecodingFailure("date out of range");
    }
    // Every day number is its own calendar day. Counting from 2415019.5 and dropping the fraction
    // toward zero showed each date from 1899-12-31 on one day early
    // and both 2415019 and 2415020 as 1899-12-30.
    using namespace std::chrono;
    const year_month_day date{sys_days{year{1899} / December / 30} +
                              std::chrono::days{dayNumber - kDayNumberOf18991230}};
    putDigits(out, 4, static_cast<unsigned>(static_cast<int>(date.year())));
    out[4] = separator;
    putDigits(out + 5, 2, static_cast<unsigned>(date.month()));
    out[7] = separator;
    putDigits(out + 8, 2, static_cast<unsigned>(date.day()));
    return out + kDateText;
}

void formatDayNumber(std::uint32_t stored, char separator, std::string& text) {
    char date[kDateText];
    text.assign(date, static_cast<std::size_t>(formatDayNumber(stored, separator, date) - date));
}

void decodeDate(std::span<const std::uint8_t> bytes, std::string& text, char separator) {
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < kDateWidth; ++i) {
        stored = (stored << 8) | byteAt(bytes, i);
    }
    formatDayNumber(stored, separator, text);
}

char* decodeDate(std::span<const std::uint8_t> bytes, char separator, char* out) {
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < kDateWidth; ++i) {
        stored = (stored << 8) | byteAt(bytes, i);
    }
    return formatDayNumber(stored, separator, out);
}

void decodeLoadedTimestamp(std::span<const std::uint8_t> bytes, std::string& text) {
    decodeDate(bytes, text, '-');
    const auto appendPairs = [&](std::size_t at, std::size_t count, char separator) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && separator != 0) {
                text.push_back(separator);
            }
            appendHex(text, byteAt(bytes, at + i));
        }
    };
    text.push_back(' ');
    appendPairs(kTimestampTimeAt, kTimeWidth, ':');
    text.push_back('.');
    appendPairs(kTimestampMicrosecondsAt, kMicrosecondWidth, 0);
}

void convertPaddedText(std::span<const std::uint8_t> value, EbcdicTextConverter& converter,
                       std::string& text) {
    convertValue(value, converter, text);
    cutAtZero(text);
}

void decodeCharacter(std::span<const std::uint8_t> value, EbcdicTextConverter& converter, std::string& text) {
    convertPaddedText(value, converter, text);
    if (text.empty()) {
        text.assign(" ");
    }
}

void decodeTime(std::span<const std::uint8_t> value, EbcdicTextConverter& converter, std::string& converted) {
    convertValue(value, converter, converted);
    std::uint8_t parts[kTimeWidth];
    for (std::size_t i = 0; i < kTimeWidth; ++i) {
        parts[i] = i < converted.size() ? static_cast<std::uint8_t>(converted[i]) : 0;
    }
    converted.clear();
    for (std::size_t i = 0; i < kTimeWidth; ++i) {
        if (i > 0) {
            converted.push_back(':');
        }
        appendHex(converted, parts[i]);
    }
}

}  // namespace quelvane
