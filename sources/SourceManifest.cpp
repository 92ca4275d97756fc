#include "sources/SourceManifest.h"

namespace quelvane {

namespace {

// 65535 marks binary data that is never converted, and 0 a file created without a CCSID: no
// CCSID to compile in.
constexpr std::int32_t kNoConversionCcsid = 65535;
constexpr std::int64_t kMembersJsonVersion = 1;

void optionalDate(JsonWriter& json, const char* name, const std::optional<SavedTimestamp>& date) {
    if (date) {
        json.member(name, date->text());
    }
}

}  // namespace

std::string SourceManifest::ibmiJson(std::int32_t ccsid) {
    JsonWriter json;
    json.beginObject();
    json.member("version", kIbmiJsonVersion);
    if (ccsid > 0 && ccsid != kNoConversionCcsid) {
        json.key("build");
        json.beginObject();
        json.member("tgtCcsid", ccsid);
        json.endObject();
    }
    json.endObject();
    return json.text() + "\n";
}

std::string SourceManifest::projectJson(const std::string& library, const std::string& description) {
    JsonWriter json;
    json.beginObject();
    if (!description.empty()) {
        json.member("description", description);
    }
    json.member("objlib", library);
    json.endObject();
    return json.text() + "\n";
}

void SourceManifest::writeMember(JsonWriter& json, const Member& member) const {
    json.beginObject();
    json.member("path", member.path);
    json.member("file", member.file);
    json.member(member.fromProgram ? "program" : "member", member.member);
    json.member("type", member.type);
    json.member("text", member.text);
    if (member.ccsid > 0) {
        json.member("ccsid", member.ccsid);
    }
    optionalDate(json, "created", member.created);
    optionalDate(json, "changed", member.changed);
    json.member("lines", member.lines);
    if (member.suffixed) {
        json.member("suffixed", true);
    }
    if (!member.lineDates.empty()) {
        json.key("lineDates");
        json.beginArray();
        for (const std::string& line : member.lineDates) {
            json.value(line);
        }
        json.endArray();
    }
    json.endObject();
}

std::string SourceManifest::membersJson() const {
    JsonWriter json;
    json.beginObject();
    json.member("version", kMembersJsonVersion);
    json.member("library", library_);
    json.key("folders");
    json.beginObject();
    for (const auto& [file, folder] : folders_) {
        json.member(file, folder);
    }
    json.endObject();
    json.key("members");
    json.beginArray();
    for (const Member& member : members_) {
        writeMember(json, member);
    }
    json.endArray();
    json.key("dataFiles");
    json.beginArray();
    for (const std::string& name : dataFiles_) {
        json.value(name);
    }
    json.endArray();
    json.key("notWritten");
    json.beginArray();
    for (const Omitted& omitted : notWritten_) {
        json.beginObject();
        json.member("file", omitted.file);
        json.member("member", omitted.member);
        json.member("reason", omitted.reason);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.text() + "\n";
}

}  // namespace quelvane
