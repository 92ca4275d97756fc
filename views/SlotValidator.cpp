#include "views/SlotValidator.h"

#include <exception>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/TypeCodes.h"
#include "views/FieldDecoder.h"

namespace quelvane {

namespace {

// Dates convert nothing; the call is never made.
class NoConversion final : public EbcdicTextConverter {
  public:
    std::uint32_t ConvertEbcdicText(const std::uint8_t*, std::size_t, std::uint8_t*) override { return 1; }
};

}  // namespace

SlotValidator::SlotValidator(const SavedObject& file) : file_(file) {
    for (std::int32_t i = 0; i < file_.fieldCount; ++i) {
        const SavedField& field = file_.fields.at(static_cast<std::size_t>(i));
        if (field.typeCode == kDateFieldType || field.typeCode == kTimestampFieldType) {
            dated_.push_back(&field);
        }
    }
}

bool SlotValidator::decodes(std::span<const std::uint8_t> record) {
    NoConversion unused;
    try {
        BigEndianReader slot(record);
        for (std::int32_t i = 0; i < file_.fieldCount; ++i) {
            const SavedField& field = file_.fields[static_cast<std::size_t>(i)];
            slot.at(field.offset, field.length);
        }
        for (const SavedField* field : dated_) {
            decodeFieldValue(slot.at(field->offset, field->length), *field, unused, text_);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace quelvane
