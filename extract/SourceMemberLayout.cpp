#include "extract/SourceMemberLayout.h"

#include "extract/ExtractNames.h"
#include "views/FieldDecoder.h"

namespace quelvane {

namespace {

constexpr std::size_t kSourceFieldCount = 3;

bool isZoned(const SavedField& field, std::int32_t digits, std::int32_t decimals) {
    return field.typeCode == kZonedFieldType && field.length == digits && field.decimals == decimals;
}

}  // namespace

bool SourceMemberLayout::matches(const SavedObject& file) {
    if (file.fieldCount != static_cast<std::int32_t>(kSourceFieldCount) ||
        file.fields.size() < kSourceFieldCount) {
        return false;
    }
    const std::uint16_t textType = file.fields[kTextField].typeCode;
    return isZoned(file.fields[kSequenceField], kSequenceDigits, kSequenceDecimals) &&
           isZoned(file.fields[kDateField], kDateDigits, 0) &&
           (textType == kCharacterFieldType || textType == kOpenCharacterFieldType);
}

std::string SourceMemberLayout::extension(const std::string& memberTypeUtf8) {
    std::string type = memberTypeUtf8;
    type.erase(type.find_last_not_of(' ') + 1);
    if (type.empty()) {
        return ".txt";
    }
    for (char& c : type) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return "." + ExtractNames::safePart(type);
}

}  // namespace quelvane
