#include "describe/LogicalFileFields.h"

#include <algorithm>
#include <string>

#include "describe/LogicalFileReader.h"
#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"
#include "savefile/EbcdicField.h"
#include "savefile/FieldEntryReader.h"
#include "savefile/RecordFormatOffsets.h"
#include "savefile/RecordFormatReader.h"

namespace quelvane {

namespace {

// Area +0 holds where the first record format starts.
constexpr std::int64_t kFirstFormat = 0;
// A field's type code is its entry's data type byte, then this byte.
constexpr std::uint16_t kTypeCodeLow = 0x03;
constexpr int kDataTypeShift = 8;

SavedField fieldOf(const BigEndianReader& entry, EbcdicTextConverter& converter) {
    namespace f = field_offsets;
    SavedField field;
    field.name = convertField(converter, entry.at(f::kName, f::kNameWidth), true);
    field.typeCode = static_cast<std::uint16_t>((entry.u8(f::kDataType) << kDataTypeShift) | kTypeCodeLow);
    field.offset = static_cast<std::int32_t>(entry.u16(f::kInputPosition));
    field.length = static_cast<std::int32_t>(entry.u16(f::kBufferLength));
    field.digits = static_cast<std::int32_t>(entry.u16(f::kDigits));
    field.decimals = static_cast<std::int32_t>(entry.u16(f::kDecimals));
    field.description = FieldEntryReader::read(entry, converter);
    return field;
}

std::string trimmedName(std::string name) {
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

}  // namespace

std::vector<SavedObject> LogicalFileFields::readFormats(BlockSource& source, const SavedPart& part,
                                                        const SavedObject& file,
                                                        EbcdicTextConverter& converter) {
    const std::optional<std::vector<std::uint8_t>> area = LogicalFileReader::memberArea(source, part, file);
    if (!area) {
        throw DecodingFailure("the file's member area is not in the save file");
    }
    return formatsFromArea(*area, file, converter);
}

SavedObject LogicalFileFields::read(BlockSource& source, const SavedPart& part, const SavedObject& file,
                                    EbcdicTextConverter& converter) {
    const std::optional<std::vector<std::uint8_t>> area = LogicalFileReader::memberArea(source, part, file);
    if (!area) {
        throw DecodingFailure("the file's member area is not in the save file");
    }
    return fromArea(*area, file, converter);
}

SavedObject LogicalFileFields::fromArea(std::span<const std::uint8_t> area, const SavedObject& file,
                                        EbcdicTextConverter& converter) {
    const BigEndianReader data(area);
    return formatAt(data, data.s32(kFirstFormat), file, converter);
}

std::vector<SavedObject> LogicalFileFields::formatsFromArea(std::span<const std::uint8_t> area,
                                                            const SavedObject& file,
                                                            EbcdicTextConverter& converter) {
    const BigEndianReader data(area);
    // The based-on entries name the formats: one of its own per entry in a multi-format file,
    // the one format again for each further file of a join view.
    std::vector<std::string> names;
    for (const LogicalFileFormat& format : LogicalFileReader(converter).read(area).formats) {
        if (std::find(names.begin(), names.end(), format.name) == names.end()) {
            names.push_back(format.name);
        }
    }
    std::vector<SavedObject> formats;
    std::int64_t format = data.s32(kFirstFormat);
    formats.push_back(formatAt(data, format, file, converter));
    for (std::size_t i = 1; i < names.size(); ++i) {
        const std::int64_t next =
            format + data.u16(format + format_offsets::kSectionLength) + format_offsets::kNextFormatGap;
        if (next <= format + format_offsets::kFirstField || next >= static_cast<std::int64_t>(area.size())) {
            throw DecodingFailure("record format " + names[i] + " is not where the one before it ends");
        }
        format = next;
        formats.push_back(formatAt(data, format, file, converter));
        if (trimmedName(formats.back().description.formatName) != names[i]) {
            throw DecodingFailure("record format " + names[i] + " is not where the one before it ends");
        }
    }
    return formats;
}

SavedObject LogicalFileFields::formatAt(const BigEndianReader& data, std::int64_t format,
                                        const SavedObject& file, EbcdicTextConverter& converter) {
    SavedObject out = file;
    out.description = RecordFormatReader::read(data, format, converter);
    const std::int64_t count = data.u16(format + format_offsets::kFieldCount);
    // Every entry takes at least the shorter fixed part, so the area bounds the count.
    if (count > static_cast<std::int64_t>(data.size()) / field_offsets::kShortFixedPart) {
        throw DecodingFailure("more field entries than the member area holds");
    }
    out.fields.clear();
    out.fields.reserve(static_cast<std::size_t>(count));
    std::int64_t position = format + format_offsets::kFirstField;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t length = data.u16(position + field_offsets::kEntryLength);
        if (length < field_offsets::kShortFixedPart) {
            throw DecodingFailure("a field entry shorter than its fixed part");
        }
        out.fields.push_back(fieldOf(BigEndianReader(data.at(position, length)), converter));
        position += length;
    }
    out.fieldCount = static_cast<std::int32_t>(count);
    out.recordLength = out.description.recordLength;
    return out;
}

}  // namespace quelvane
