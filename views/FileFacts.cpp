#include "views/FileFacts.h"

#include <algorithm>

#include "savefile/FieldEntryReader.h"

namespace quelvane {

namespace {

constexpr std::uint8_t kHeadingSeparator = 0xFF;
constexpr std::int32_t kVaryingLengthBytes = 2;
// The type code of a record format's field is the field entry's data type byte, then 0x03.
constexpr int kDataTypeShift = 8;

std::string trimmed(std::string text) {
    const std::size_t last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}

bool hasDigits(char type) {
    return type == 'B' || type == 'P' || type == 'S' || type == 'F';
}

char typeOf(const SavedField& field) {
    const FieldDescription& d = field.description;
    if (d.read && d.ddsType != ' ' && d.ddsType != '?') {
        return d.ddsType;
    }
    return FieldEntryReader::ddsType(static_cast<std::uint8_t>(field.typeCode >> kDataTypeShift), 0);
}

std::int64_t declaredLength(const SavedField& field, char type) {
    const FieldDescription& d = field.description;
    if (hasDigits(type) || type == 'G') {
        return field.digits;
    }
    if (!d.read) {
        return field.length;
    }
    return d.varying ? d.bufferLength - kVaryingLengthBytes : d.bufferLength;
}

std::string number(std::int64_t value) {
    return std::to_string(value);
}

std::string yesOrBlank(bool value) {
    return value ? "Yes" : "";
}

}  // namespace

const std::vector<std::string>& FileFacts::fieldCaptions() {
    static const std::vector<std::string> captions = {
        "Field", "Long name", "Type",      "Length",  "Digits", "Decimals",        "CCSID",
        "Null",  "Varying",   "Allocated", "Default", "Text",   "Column headings",
    };
    return captions;
}

std::vector<std::string> FileFacts::Field::cells() const {
    std::string joined;
    for (const std::string& heading : headings) {
        joined += (joined.empty() ? "" : " / ") + heading;
    }
    const bool numeric = hasDigits(type);
    return {name,
            longName,
            std::string(1, type),
            number(length),
            numeric ? number(digits) : "",
            numeric ? number(decimals) : "",
            ccsid != 0 ? number(ccsid) : "",
            yesOrBlank(nullCapable),
            yesOrBlank(varying),
            allocatedLength != 0 ? number(allocatedLength) : "",
            defaultValue.value_or(""),
            text,
            joined};
}

std::vector<std::string> FileFacts::summaryLines(const std::string& name) const {
    std::vector<std::string> lines;
    lines.push_back(std::string(logical ? "Logical file " : "Physical file ") + name +
                    (text.empty() ? "" : ": " + text));
    if (!described) {
        lines.push_back("Record length " + number(recordLength) + "; the file's description is not read");
        return lines;
    }
    for (const Format& format : formats) {
        lines.push_back(
            "Format " + format.name + (format.text.empty() ? "" : " (" + format.text + ")") +
            ", level identifier " + format.levelId + ", record length " + number(format.recordLength) +
            (formats.size() > 1 ? ", " + number(static_cast<std::int64_t>(format.fields.size())) + " fields"
                                : ""));
    }
    std::string access = keyed ? (unique ? "Keyed, unique keys" : "Keyed") : "Arrival sequence";
    if (!sourceFile.empty()) {
        access += "; source " + sourceFile + (sourceMember.empty() ? "" : "(" + sourceMember + ")");
    }
    if (!language.empty() || !country.empty()) {
        access += "; language " + language + ", country " + country;
    }
    lines.push_back(access);
    return lines;
}

std::string FileFacts::textOf(const StoredText& text, StoredCcsidText& texts) {
    std::string out;
    if (!text.bytes.empty()) {
        texts.decode(text.bytes, text.ccsid, false, out);
    }
    return trimmed(std::move(out));
}

std::vector<std::string> FileFacts::headingsOf(const StoredText& headings, StoredCcsidText& texts) {
    std::vector<std::string> out;
    StoredText part{{}, headings.ccsid};
    for (std::size_t i = 0; i <= headings.bytes.size(); ++i) {
        if (i == headings.bytes.size() || headings.bytes[i] == kHeadingSeparator) {
            if (!part.bytes.empty()) {
                out.push_back(textOf(part, texts));
            }
            part.bytes.clear();
        } else {
            part.bytes.push_back(headings.bytes[i]);
        }
    }
    return out;
}

FileFacts::Field FileFacts::fieldOf(const SavedField& field, PcTextToUtf8& utf8, StoredCcsidText& texts) {
    const FieldDescription& d = field.description;
    Field out;
    out.name = trimmed(utf8.toUtf8(field.name));
    out.type = typeOf(field);
    out.length = declaredLength(field, out.type);
    out.digits = hasDigits(out.type) ? field.digits : 0;
    out.decimals = field.decimals;
    if (!d.read) {
        return out;
    }
    out.longName = textOf(d.longName, texts);
    out.ccsid = d.ccsid;
    out.nullCapable = d.nullCapable;
    out.varying = d.varying;
    out.allocatedLength = d.allocatedLength;
    if (!d.defaultValue.bytes.empty()) {
        out.defaultValue = textOf(d.defaultValue, texts);
    }
    out.text = textOf(d.text, texts);
    out.headings = headingsOf(d.columnHeadings, texts);
    return out;
}

FileFacts FileFacts::of(const SavedObject& file, PcTextToUtf8& utf8, StoredCcsidText& texts) {
    FileFacts out;
    const FileDescription& d = file.description;
    out.described = d.read;
    out.logical = d.logical;
    out.recordLength = d.read && d.recordLength > 0 ? d.recordLength : file.recordLength;
    out.formatName = trimmed(utf8.toUtf8(d.formatName));
    out.formatText = textOf(d.formatText, texts);
    out.levelId = trimmed(utf8.toUtf8(d.levelId));
    out.text = d.read && !d.text.bytes.empty() ? textOf(d.text, texts) : trimmed(utf8.toUtf8(file.text));
    out.keyed = d.keyed;
    out.unique = d.unique;
    const std::string sourceName = trimmed(utf8.toUtf8(d.sourceFileName));
    const std::string sourceLibrary = trimmed(utf8.toUtf8(d.sourceLibrary));
    if (!sourceName.empty()) {
        out.sourceFile = sourceLibrary.empty() ? sourceName : sourceLibrary + "/" + sourceName;
        out.sourceMember = trimmed(utf8.toUtf8(d.sourceMember));
    } else if (file.details.sourceFile) {
        out.sourceFile = trimmed(utf8.toUtf8(file.details.sourceLibrary.value_or(""))) + "/" +
                         trimmed(utf8.toUtf8(*file.details.sourceFile));
        out.sourceMember = trimmed(utf8.toUtf8(file.details.sourceMember.value_or("")));
    }
    out.language = trimmed(utf8.toUtf8(d.language));
    out.country = trimmed(utf8.toUtf8(d.country));
    const std::size_t count =
        std::min(file.fields.size(), static_cast<std::size_t>(std::max(file.fieldCount, 0)));
    out.fields.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        out.fields.push_back(fieldOf(file.fields[i], utf8, texts));
    }
    out.formats.push_back({out.formatName, out.formatText, out.levelId, out.recordLength, out.fields});
    return out;
}

FileFacts FileFacts::of(const std::vector<SavedObject>& formats, PcTextToUtf8& utf8, StoredCcsidText& texts) {
    FileFacts out = of(formats.front(), utf8, texts);
    for (std::size_t i = 1; i < formats.size(); ++i) {
        FileFacts more = of(formats[i], utf8, texts);
        out.fields.insert(out.fields.end(), more.fields.begin(), more.fields.end());
        out.formats.push_back(std::move(more.formats.front()));
    }
    return out;
}

}  // namespace quelvane
