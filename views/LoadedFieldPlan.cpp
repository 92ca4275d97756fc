#include "views/LoadedFieldPlan.h"

#include <algorithm>
#include <cstring>

#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr int kLongestPlainDigits = 63;
constexpr std::size_t kLongestConversion = 0xFFFF;
constexpr std::size_t kTimeWidth = 3;
constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kPositiveNibble = 0x0F;
constexpr std::uint8_t kNegativeZone = 0x0D;

// "-" when negative and not zero, the integer digits without leading zeros ("0" for none),
// then a point and the `decimals` digits of the fraction: what toPlainDecimal makes of the
// numeric decoders' texts.
void writePlain(const char* digits, int count, int decimals, bool negative, std::string& text) {
    const int integerDigits = count - decimals;
    const bool nonZero = std::any_of(digits, digits + count, [](char c) { return c != '0'; });
    int start = 0;
    while (start < integerDigits && digits[start] == '0') {
        ++start;
    }
    text.clear();
    if (negative && nonZero) {
        text.push_back('-');
    }
    if (start == integerDigits) {
        text.push_back('0');
    } else {
        text.append(digits + start, digits + integerDigits);
    }
    if (decimals > 0) {
        text.push_back('.');
        text.append(digits + integerDigits, digits + count);
    }
}

bool hasShiftOut(std::span<const std::uint8_t> bytes) {
    return std::memchr(bytes.data(), kShiftOut, bytes.size()) != nullptr;
}

}  // namespace

bool packedPlainDecimal(std::span<const std::uint8_t> bytes, int digits, int decimals, std::string& text) {
    if (digits < 1 || digits > kLongestPlainDigits || decimals < 0 || decimals > digits ||
        bytes.size() < static_cast<std::size_t>(digits / 2 + 1)) {
        return false;
    }
    // An even digit count leaves a pad nibble in front, so the sign always ends a byte.
    const int pad = digits % 2 == 0 ? 1 : 0;
    char digitChars[kLongestPlainDigits];
    for (int k = 0; k < digits; ++k) {
        const int nibble = k + pad;
        const std::uint8_t byte = bytes[static_cast<std::size_t>(nibble / 2)];
        const int digit = nibble % 2 == 0 ? byte >> 4 : byte & 0x0F;
        if (digit > 9) {
            return false;
        }
        digitChars[k] = static_cast<char>('0' + digit);
    }
    const bool negative = (bytes[static_cast<std::size_t>(digits / 2)] & 0x0F) != kPositiveNibble;
    writePlain(digitChars, digits, decimals, negative, text);
    return true;
}

bool zonedPlainDecimal(std::span<const std::uint8_t> bytes, int decimals, std::string& text) {
    const int count = static_cast<int>(bytes.size());
    if (count < 1 || count > kLongestPlainDigits || decimals < 0 || decimals > count) {
        return false;
    }
    char digits[kLongestPlainDigits];
    for (int k = 0; k < count; ++k) {
        const std::uint8_t byte = bytes[static_cast<std::size_t>(k)];
        const int zone = byte >> 4;
        const int digit = byte & 0x0F;
        const bool zoneFits = zone == 0x0F || (k == count - 1 && zone == kNegativeZone);
        if (!zoneFits || digit > 9) {
            return false;
        }
        digits[k] = static_cast<char>('0' + digit);
    }
    writePlain(digits, count, decimals, (bytes.back() >> 4) != 0x0F, text);
    return true;
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
