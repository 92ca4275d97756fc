#include "extract/FileDescriptionJson.h"

#include <string>
#include <vector>

namespace quelvane {

namespace {

constexpr std::uint8_t kHeadingSeparator = 0xFF;
constexpr std::int32_t kVaryingLengthBytes = 2;

std::string textOf(StoredCcsidText& texts, const StoredText& text) {
    std::string out;
    if (text.bytes.empty()) {
        return out;
    }
    texts.decode(text.bytes, text.ccsid, false, out);
    const std::size_t last = out.find_last_not_of(' ');
    out.erase(last == std::string::npos ? 0 : last + 1);
    return out;
}

std::vector<std::string> headingsOf(StoredCcsidText& texts, const StoredText& headings) {
    std::vector<std::string> out;
    StoredText part{{}, headings.ccsid};
    for (std::size_t i = 0; i <= headings.bytes.size(); ++i) {
        if (i == headings.bytes.size() || headings.bytes[i] == kHeadingSeparator) {
            if (!part.bytes.empty()) {
                out.push_back(textOf(texts, part));
            }
            part.bytes.clear();
        } else {
            part.bytes.push_back(headings.bytes[i]);
        }
    }
    return out;
}

bool hasDigits(char type) {
    return type == 'B' || type == 'P' || type == 'S' || type == 'F';
}

// The length DDS declares: characters for a graphic field, the data bytes of a varying one,
// the buffer bytes otherwise.
std::int64_t declaredLength(const SavedField& field) {
    const FieldDescription& d = field.description;
    if (d.ddsType == 'G') {
        return field.digits;
    }
    return d.varying ? d.bufferLength - kVaryingLengthBytes : d.bufferLength;
}

}  // namespace

void FileDescriptionJson::writeField(JsonWriter& json, const SavedField& field, StoredCcsidText& texts) {
    const FieldDescription& d = field.description;
    json.beginObject();
    json.member("name", field.name);
    const std::string longName = textOf(texts, d.longName);
    if (longName.empty()) {
        json.key("longName");
        json.null();
    } else {
        json.member("longName", longName);
    }
    json.member("type", std::string(1, d.ddsType));
    json.member("length", declaredLength(field));
    json.member("digits", std::int64_t{hasDigits(d.ddsType) ? field.digits : 0});
    json.member("decimals", std::int64_t{field.decimals});
    json.member("ccsid", std::int64_t{d.ccsid});
    json.member("nullCapable", d.nullCapable);
    json.member("varying", d.varying);
    json.member("allocatedLength", std::int64_t{d.allocatedLength});
    if (d.defaultValue.bytes.empty()) {
        json.key("default");
        json.null();
    } else {
        json.member("default", textOf(texts, d.defaultValue));
    }
    json.member("text", textOf(texts, d.text));
    json.key("columnHeadings");
    json.beginArray();
    for (const std::string& heading : headingsOf(texts, d.columnHeadings)) {
        json.value(heading);
    }
    json.endArray();
    json.endObject();
}

void FileDescriptionJson::write(JsonWriter& json, const SavedObject& file, StoredCcsidText& texts) {
    const FileDescription& d = file.description;
    json.key("file");
    json.beginObject();
    json.member("recordLength", std::int64_t{d.recordLength});
    json.member("keyed", d.keyed);
    json.member("unique", d.unique);
    std::string source =
        d.sourceLibrary.empty() ? d.sourceFileName : d.sourceLibrary + "/" + d.sourceFileName;
    if (source.empty() && file.details.sourceFile) {
        source = file.details.sourceLibrary.value_or("") + "/" + *file.details.sourceFile;
    }
    json.member("sourceFile", source);
    json.member("language", d.language);
    json.member("country", d.country);
    json.key("formats");
    json.beginArray();
    json.beginObject();
    json.member("name", d.formatName);
    json.member("text", textOf(texts, d.formatText));
    json.member("levelId", d.levelId);
    json.key("fields");
    json.beginArray();
    for (const SavedField& field : file.fields) {
        writeField(json, field, texts);
    }
    json.endArray();
    json.endObject();
    json.endArray();
    json.endObject();
}

}  // namespace quelvane
