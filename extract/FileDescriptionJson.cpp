#include "extract/FileDescriptionJson.h"

#include <string>
#include <vector>

#include "views/FileFacts.h"

namespace quelvane {

namespace {

constexpr std::int32_t kVaryingLengthBytes = 2;

std::string textOf(StoredCcsidText& texts, const StoredText& text) {
    return FileFacts::textOf(text, texts);
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
    for (const std::string& heading : FileFacts::headingsOf(d.columnHeadings, texts)) {
        json.value(heading);
    }
    json.endArray();
    json.endObject();
}

void FileDescriptionJson::write(JsonWriter& json, const SavedObject& file, StoredCcsidText& texts) {
    write(json, std::vector<SavedObject>{file}, texts);
}

void FileDescriptionJson::write(JsonWriter& json, const std::vector<SavedObject>& formats,
                                StoredCcsidText& texts) {
    json.key("file");
    json.beginObject();
    writeFileMembers(json, formats.front());
    json.key("formats");
    json.beginArray();
    for (const SavedObject& format : formats) {
        json.beginObject();
        writeFormatMembers(json, format, texts);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

void FileDescriptionJson::writeFileMembers(JsonWriter& json, const SavedObject& file) {
    const FileDescription& d = file.description;
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
}

void FileDescriptionJson::writeFormatMembers(JsonWriter& json, const SavedObject& format,
                                             StoredCcsidText& texts) {
    const FileDescription& d = format.description;
    json.member("name", d.formatName);
    json.member("text", textOf(texts, d.formatText));
    json.member("levelId", d.levelId);
    json.key("fields");
    json.beginArray();
    for (const SavedField& field : format.fields) {
        writeField(json, field, texts);
    }
    json.endArray();
}

}  // namespace quelvane
