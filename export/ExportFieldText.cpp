#include "export/ExportFieldText.h"

#include <charconv>
#include <chrono>

#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"
#include "views/FieldDecoder.h"

namespace quelvane {

namespace {

constexpr std::size_t kDayNumberWidth = 4;
constexpr std::size_t kTimestampWidth = 10;

// The export's range of day numbers. 1721425 is 0000-12-31 of the proleptic calendar (1 BC),
// written with year 0000; 5373483 is 9999-12-30.
constexpr std::uint32_t kFirstDayNumber = 1721425;
constexpr std::uint32_t kLastDayNumber = 5373483;
// 1899-12-30 at noon on the astronomical day count.
constexpr std::int64_t kDayNumberOf18991230 = 2415019;

constexpr const char* kHexDigits = "0123456789ABCDEF";

// The field's first `width` bytes as the zero-filled value buffer holds them.
std::uint8_t storedByte(std::span<const std::uint8_t> bytes, std::size_t index) {
    return index < bytes.size() ? bytes[index] : 0;
}

void putDigits(std::string& text, std::size_t at, std::size_t width, unsigned value) {
    for (std::size_t i = width; i-- > 0;) {
        text[at + i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

void exportDateTimeText(std::uint32_t dayNumber, std::string& text) {
    if (dayNumber < kFirstDayNumber || dayNumber > kLastDayNumber) {
        throw FieldDecodingFailure("date out of range");
    }
    // Every day number is its own calendar day at noon. Counting from 1899-12-30 00:00 and
    // dropping the fraction toward zero put each day before 1899-12-30 one day late.
    using namespace std::chrono;
    const year_month_day date{sys_days{year{1899} / December / 30} +
                              days{static_cast<std::int64_t>(dayNumber) - kDayNumberOf18991230}};
    text.assign("0000-00-00 12:00:00");
    putDigits(text, 0, 4, static_cast<unsigned>(static_cast<int>(date.year())));
    putDigits(text, 5, 2, static_cast<unsigned>(date.month()));
    putDigits(text, 8, 2, static_cast<unsigned>(date.day()));
}

void exportFieldText(std::span<const std::uint8_t> record, const STRUCT_fields& field,
                     EbcdicTextConverter& converter, std::string& text) {
    const std::span<const std::uint8_t> bytes = BigEndianReader(record).at(field.offset, field.length);
    switch (typeValue(field.typeCode)) {
        case kBinaryFieldType: {
            char digits[24];
            const auto result =
                std::to_chars(digits, digits + sizeof digits, decodeBinary(bytes, field.length));
            text.assign(digits, result.ptr);
            break;
        }
        case kZonedPointedFieldType:
            decodeZonedPointed(bytes, field.digits, field.decimals, text);
            break;
        case kZonedFieldType:
            decodeZoned(bytes, field.length, field.decimals, text);
            break;
        case kPackedFieldType:
            decodePacked(bytes, field.digits, field.decimals, kTextCapacity, text);
            break;
        case kCharacterFieldType:
        case kOpenCharacterFieldType:
            decodeCharacter(bytes, converter, text);
            break;
        case kDateFieldType: {
            std::uint32_t dayNumber = 0;
            for (std::size_t i = 0; i < kDayNumberWidth; ++i) {
                dayNumber = (dayNumber << 8) | storedByte(bytes, i);
            }
            exportDateTimeText(dayNumber, text);
            break;
        }
        case kTimeFieldType:
            decodeTime(bytes, converter, text);
            break;
        case kTimestampFieldType:
            text.clear();
            for (std::size_t i = 0; i < kTimestampWidth; ++i) {
                text.push_back(kHexDigits[storedByte(bytes, i) >> 4]);
                text.push_back(kHexDigits[storedByte(bytes, i) & 0x0F]);
            }
            break;
        default:
            text.clear();
            break;
    }
}

}  // namespace quelvane
