#include "export/TextExportLine.h"

#include "export/ExportFieldText.h"
#include "export/PackedLineText.h"
#include "export/ZonedLineText.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr char kSplitter = '|';

// Appends `text` with every line feed written as CR LF, as a text-mode file writes it: the runs
// between line feeds appended whole.
void appendText(std::string& line, const std::string& text) {
    std::size_t start = 0;
    for (std::size_t feed = text.find('\n'); feed != std::string::npos; feed = text.find('\n', start)) {
        line.append(text, start, feed - start);
        line.append("\r\n");
        start = feed + 1;
    }
    line.append(text, start, std::string::npos);
}

// Whether exportFieldText gives the field's text in digits, signs, points, blanks, colons, hex
// letters and the names of special floats only: never a line feed.
bool hasDigitText(const SavedField& field) {
    switch (field.typeCode) {
        case kPackedFieldType:
        case kBinaryFieldType:
        case kFloatFieldType:
        case kDateFieldType:
        case kTimestampFieldType:
            return true;
        default:
            return false;
    }
}

bool fieldWithin(std::span<const std::uint8_t> record, const SavedField& field) {
    return field.offset >= 0 && field.length >= 0 &&
           static_cast<std::size_t>(field.offset) + static_cast<std::size_t>(field.length) <= record.size();
}

}  // namespace

TextExportLine::TextExportLine(const SavedObject& file, ExportFieldDecoder& fields,
                               EbcdicTextConverter& converter, bool splitter)
    : file_(file), fields_(fields), converter_(converter), splitter_(splitter), table_(fields.pcTextTable()) {
    const PairByteTable* table = table_;
    if (table != nullptr) {
        characters_.emplace(*table);
    }
    for (const SavedField& field : file.fields) {
        Step step = Step::decoder;
        if (table != nullptr &&
            (field.typeCode == kCharacterFieldType || field.typeCode == kOpenCharacterFieldType)) {
            step = Step::character;
        } else if (table != nullptr && field.typeCode == kTimeFieldType) {
            step = Step::time;
        } else if (table != nullptr && field.typeCode == kZonedFieldType) {
            step = Step::zoned;
        } else if (table != nullptr && field.typeCode == kPackedFieldType) {
            step = Step::packed;
        } else if (table != nullptr && hasDigitText(field)) {
            step = Step::digits;
        }
        steps_.push_back(step);
    }
}

void TextExportLine::appendField(std::span<const std::uint8_t> record, const SavedField& field, Step step,
                                 std::string& line) {
    if ((step == Step::character && characters_->append(record, field, line)) ||
        (step == Step::packed && PackedLineText::append(record, field, line)) ||
        (step == Step::zoned && ZonedLineText::append(record, field, line))) {
        return;
    }
    if (step == Step::time && fieldWithin(record, field) &&
        table_->timeText(
            record.subspan(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length)),
            text_)) {
        line.append(text_);
        return;
    }
    if (step == Step::digits || step == Step::packed) {
        // What the decoder gives these fields by the pair in the PC page.
        exportFieldText(record, field, converter_, text_);
        line.append(text_);
        return;
    }
    fields_.decode(record, field, text_);
    appendText(line, text_);
}

void TextExportLine::build(std::span<const std::uint8_t> record, std::string& line) {
    line.clear();
    for (std::int32_t i = 0; i < file_.fieldCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const SavedField& field = file_.fields.at(index);
        const Step step = index < steps_.size() ? steps_[index] : Step::decoder;
        appendField(record, field, step, line);
        if (splitter_) {
            line.push_back(kSplitter);
        }
    }
    line.append("\r\n");
}

}  // namespace quelvane
