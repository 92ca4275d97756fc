#include "export/ExportFieldText.h"

#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"
#include "views/FieldDecoder.h"

namespace quelvane {

namespace {

constexpr std::size_t kDayNumberWidth = 4;
constexpr std::size_t kTimestampWidth = 10;

constexpr const char* kHexDigits = "0123456789ABCDEF";

// The field's first `width` bytes as the zero-filled value buffer holds them.
std::uint8_t storedByte(std::span<const std::uint8_t> bytes, std::size_t index) {
    return index < bytes.size() ? bytes[index] : 0;
}

}  // namespace

void exportDateTimeText(std::uint32_t dayNumber, std::string& text) {
    // The records view's calendar day, with the time of day the export always wrote.
    formatDayNumber(dayNumber, '-', text);
    text.append(" 12:00:00");
}

void exportFieldText(std::span<const std::uint8_t> record, const SavedField& field,
                     EbcdicTextConverter& converter, std::string& text) {
    const std::span<const std::uint8_t> bytes = BigEndianReader(record).at(field.offset, field.length);
    if (decodeSharedFieldText(bytes, field, converter, text)) {
        return;
    }
    switch (field.typeCode) {
        case kDateFieldType: {
            std::uint32_t dayNumber = 0;
            for (std::size_t i = 0; i < kDayNumberWidth; ++i) {
                dayNumber = (dayNumber << 8) | storedByte(bytes, i);
            }
            exportDateTimeText(dayNumber, text);
            break;
        }
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
