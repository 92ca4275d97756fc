#include "bridge/CodePageRows.h"

#include "conversion/CodePageRegistry.h"
#include "extract/JsonWriter.h"
#include "settings/ProgramSettings.h"

namespace quelvane {

std::string codePageRowsJson() {
    JsonWriter json;
    json.beginObject();
    json.key("host");
    json.beginArray();
    for (std::size_t row = 0; row < kOfferedHostPageCount; ++row) {
        const HostPageEntry& entry = kHostPages[row];
        json.beginObject();
        json.member("page", static_cast<std::int64_t>(entry.windowsCodePage));
        json.member("text", std::string(entry.optionText));
        if (entry.pickedPcPage) {
            json.member("pc", static_cast<std::int64_t>(*entry.pickedPcPage));
        }
        json.endObject();
    }
    json.endArray();
    json.key("pc");
    json.beginArray();
    for (const PcPageEntry& entry : kPcPages) {
        json.beginObject();
        json.member("page", static_cast<std::int64_t>(entry.windowsCodePage));
        json.member("text", std::string(entry.optionText));
        json.endObject();
    }
    json.endArray();
    json.member("defaultHost", static_cast<std::int64_t>(ProgramSettings::kDefaultCcsidRow));
    json.member("defaultPc", static_cast<std::int64_t>(ProgramSettings::kDefaultPcRow));
    json.endObject();
    return json.text();
}

}  // namespace quelvane
