#include "views/LoadedFieldPlan.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr int kLongestPlainDigits = 63;
// The digits, a sign, a point and the "0" before it.
constexpr std::size_t kLongestPlainText = kLongestPlainDigits + 3;
constexpr std::size_t kLongestConversion = 0xFFFF;
constexpr std::size_t kTimeWidth = 3;
// "hh:mm:ss", "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss.nnnnnn".
constexpr std::size_t kTimeText = 8;
constexpr std::size_t kDateText = 10;
constexpr std::size_t kTimestampText = 26;
// "-9223372036854775808", a point and a zero.
constexpr std::size_t kLongestBinaryText = 22;
constexpr std::size_t kLongestBinaryInteger = 8;
constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kPositiveNibble = 0x0F;
constexpr std::uint8_t kNegativeZone = 0x0D;

// "-" when negative and not zero, the integer digits without leading zeros ("0" for none),
// then a point and the `decimals` digits of the fraction: what toPlainDecimal makes of the
// numeric decoders' texts. Writes at most count + 3 bytes and returns their end.
char* writePlain(const char* digits, int count, int decimals, bool negative, char* out) {
    const int integerDigits = count - decimals;
    int first = 0;
    while (first < count && digits[first] == '0') {
        ++first;
    }
    const bool nonZero = first < count;
    const int start = std::min(first, integerDigits);
    if (negative && nonZero) {
        *out++ = '-';
    }
    // Loops of their own: a handful of digits each, where a call to copy them costs more.
    if (start == integerDigits) {
        *out++ = '0';
    }
    for (int k = start; k < integerDigits; ++k) {
        *out++ = digits[k];
    }
    if (decimals > 0) {
        *out++ = '.';
    }
    for (int k = integerDigits; k < count; ++k) {
        *out++ = digits[k];
    }
    return out;
}

// The text of a plain decimal written by `write` into a buffer of its own, or false.
template <typename Write>
bool assignPlain(std::string& text, Write write) {
    char buffer[kLongestPlainText];
    const char* end = write(buffer);
    if (end == nullptr) {
        return false;
    }
    text.assign(buffer, static_cast<std::size_t>(end - buffer));
    return true;
}

bool hasShiftOut(std::span<const std::uint8_t> bytes) {
    return std::memchr(bytes.data(), kShiftOut, bytes.size()) != nullptr;
}

}  // namespace

char* packedPlainDecimal(std::span<const std::uint8_t> bytes, int digits, int decimals, char* out) {
    if (digits < 1 || digits > kLongestPlainDigits || decimals < 0 || decimals > digits ||
        bytes.size() < static_cast<std::size_t>(digits / 2 + 1)) {
        return nullptr;
    }
    // An even digit count leaves a pad nibble in front, so the sign always ends a byte. Every
    // nibble is made a character first, the digits among them looked at after.
    const int pad = digits % 2 == 0 ? 1 : 0;
    const auto count = static_cast<std::size_t>(digits / 2 + 1);
    char nibbles[kLongestPlainDigits + 1];
    for (std::size_t b = 0; b < count; ++b) {
        nibbles[2 * b] = static_cast<char>('0' + (bytes[b] >> 4));
        nibbles[2 * b + 1] = static_cast<char>('0' + (bytes[b] & 0x0F));
    }
    const char* const digitChars = nibbles + pad;
    bool aboveNine = false;
    for (int k = 0; k < digits; ++k) {
        aboveNine |= digitChars[k] > '9';
    }
    if (aboveNine) {
        return nullptr;
    }
    const bool negative = (bytes[count - 1] & 0x0F) != kPositiveNibble;
    return writePlain(digitChars, digits, decimals, negative, out);
}

bool packedPlainDecimal(std::span<const std::uint8_t> bytes, int digits, int decimals, std::string& text) {
    return assignPlain(text, [&](char* out) { return packedPlainDecimal(bytes, digits, decimals, out); });
}

char* zonedPlainDecimal(std::span<const std::uint8_t> bytes, int decimals, char* out) {
    const int count = static_cast<int>(bytes.size());
    if (count < 1 || count > kLongestPlainDigits || decimals < 0 || decimals > count) {
        return nullptr;
    }
    char digits[kLongestPlainDigits];
    for (int k = 0; k < count; ++k) {
        const std::uint8_t byte = bytes[static_cast<std::size_t>(k)];
        const int zone = byte >> 4;
        const int digit = byte & 0x0F;
        const bool zoneFits = zone == 0x0F || (k == count - 1 && zone == kNegativeZone);
        if (!zoneFits || digit > 9) {
            return nullptr;
        }
        digits[k] = static_cast<char>('0' + digit);
    }
    return writePlain(digits, count, decimals, (bytes.back() >> 4) != 0x0F, out);
}

bool zonedPlainDecimal(std::span<const std::uint8_t> bytes, int decimals, std::string& text) {
    return assignPlain(text, [&](char* out) { return zonedPlainDecimal(bytes, decimals, out); });
}

LoadedFieldPlan::LoadedFieldPlan(const SavedObject& file, std::size_t count, const PairByteTable* table)
    : table_(table) {
    for (std::size_t i = 0; i < count && i < file.fields.size(); ++i) {
        steps_.push_back(stepFor(file.fields[i], table != nullptr));
        if (steps_.back().step == Step::character) {
            scratch_.resize(
                std::max(scratch_.size(), (steps_.back().length + 1) * PairByteTable::Utf8Bytes::kLongest));
        }
    }
}

LoadedFieldPlan::FieldStep LoadedFieldPlan::stepFor(const SavedField& field, bool haveTable) {
    FieldStep step;
    if (field.offset < 0 || field.length <= 0) {
        return step;
    }
    step.offset = static_cast<std::size_t>(field.offset);
    step.length = static_cast<std::size_t>(field.length);
    step.digits = field.digits;
    step.decimals = field.decimals;
    step.kind = loadedFieldKind(field);
    step.plain = field.typeCode != kCharacterFieldType && field.typeCode != kOpenCharacterFieldType;
    switch (field.typeCode) {
        case kCharacterFieldType:
        case kOpenCharacterFieldType:
            step.step = haveTable && step.length <= kLongestConversion ? Step::character : Step::general;
            break;
        case kTimeFieldType:
            step.step = haveTable && step.length >= kTimeWidth ? Step::time : Step::general;
            break;
        case kPackedFieldType:
            step.step = Step::packed;
            break;
        case kZonedFieldType:
            step.step = Step::zoned;
            break;
        case kBinaryFieldType:
            step.step = Step::binary;
            break;
        case kDateFieldType:
            step.step = Step::date;
            break;
        case kTimestampFieldType:
            step.step = Step::timestamp;
            break;
        default:
            break;
    }
    step.longest = longestOf(step);
    return step;
}

bool LoadedFieldPlan::decode(std::size_t field, std::span<const std::uint8_t> record, std::string& utf8,
                             LoadedKind& kind) {
    const FieldStep& step = steps_[field];
    if (step.step == Step::general || step.offset > record.size() ||
        step.length > record.size() - step.offset) {
        return false;
    }
    const std::span<const std::uint8_t> bytes = record.subspan(step.offset, step.length);
    kind = step.kind;
    switch (step.step) {
        case Step::character:
            if (hasShiftOut(bytes)) {
                return false;
            }
            kind = LoadedKind::Text;
            character(bytes, utf8);
            return true;
        case Step::time:
            kind = LoadedKind::Text;
            return table_->timeText(bytes, utf8);
        case Step::packed:
            return packedPlainDecimal(bytes, step.digits, step.decimals, utf8);
        case Step::zoned:
            return zonedPlainDecimal(bytes, step.decimals, utf8);
        case Step::binary:
            decodeBinaryText(bytes, static_cast<int>(step.length), utf8);
            scaleIntegerText(utf8, step.decimals);
            return true;
        case Step::date:
            kind = LoadedKind::Text;
            decodeDate(bytes, utf8, '-');
            return true;
        case Step::timestamp:
            kind = LoadedKind::Text;
            decodeLoadedTimestamp(bytes, utf8);
            return true;
        case Step::general:
            break;
    }
    return false;
}

char* LoadedFieldPlan::decodeInto(std::size_t field, std::span<const std::uint8_t> record, char* out) {
    const FieldStep& step = steps_[field];
    if (step.offset > record.size() || step.length > record.size() - step.offset) {
        return nullptr;
    }
    const std::span<const std::uint8_t> bytes = record.subspan(step.offset, step.length);
    switch (step.step) {
        case Step::packed:
            return packedPlainDecimal(bytes, step.digits, step.decimals, out);
        case Step::zoned:
            return zonedPlainDecimal(bytes, step.decimals, out);
        case Step::time:
            return table_->timeText(bytes, out);
        case Step::binary:
            if (step.length <= kLongestBinaryInteger && step.decimals <= 0) {
                return std::to_chars(out, out + kLongestBinaryText,
                                     decodeBinary(bytes, static_cast<int>(step.length)))
                    .ptr;
            }
            decodeBinaryText(bytes, static_cast<int>(step.length), text_);
            scaleIntegerText(text_, step.decimals);
            break;
        case Step::date:
            return decodeDate(bytes, '-', out);
        case Step::timestamp:
            decodeLoadedTimestamp(bytes, text_);
            break;
        case Step::general:
        case Step::character:
            return nullptr;
    }
    if (text_.size() > step.longest) {
        return nullptr;
    }
    return std::copy(text_.begin(), text_.end(), out);
}

std::size_t LoadedFieldPlan::longestOf(const FieldStep& step) {
    switch (step.step) {
        case Step::packed:
        case Step::zoned:
            return kLongestPlainText;
        case Step::time:
            return kTimeText;
        case Step::binary:
            // "0x" and two hex digits a byte past eight bytes; else up to 20 characters, and a
            // point and the zeros that put the decimal positions behind it.
            return std::max(kLongestBinaryText + static_cast<std::size_t>(std::max(step.decimals, 0)),
                            2 * step.length + 2);
        case Step::date:
            return kDateText;
        case Step::timestamp:
            return kTimestampText;
        case Step::general:
        case Step::character:
            break;
    }
    return 0;
}

// Up to the first byte whose PC byte is zero, without trailing blanks. Zero is the only host
// byte whose PC byte is zero (PairByteTable), so the text's end is found in the host bytes
// first and the blanks that pad a field are never converted.
void LoadedFieldPlan::character(std::span<const std::uint8_t> bytes, std::string& utf8) {
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    std::size_t end = zero == nullptr
                          ? bytes.size()
                          : static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes.data());
    while (end > 0 && table_->utf8(bytes[end - 1]).blank) {
        --end;
    }
    char* const start = scratch_.data();
    char* out = start;
    for (const std::uint8_t host : bytes.first(end)) {
        const PairByteTable::Utf8Bytes& entry = table_->utf8(host);
        std::memcpy(out, entry.bytes, PairByteTable::Utf8Bytes::kLongest);
        out += entry.length;
    }
    utf8.assign(start, out);
}

}  // namespace quelvane
