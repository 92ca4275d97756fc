#include "bridge/SaveNotices.h"

#include "bridge/SuggestedPair.h"
#include "describe/ObjectDescriber.h"
#include "extract/JsonWriter.h"
#include "savefile/CatalogTree.h"
#include "savefile/ObjectKinds.h"
#include "views/StoredCcsidHint.h"

namespace quelvane {

namespace {

std::string pairJson(std::int32_t ebcdic, std::int32_t pc) {
    return "{\"ebcdic\":" + std::to_string(ebcdic) + ",\"pc\":" + std::to_string(pc);
}

// Whether a view of the program reads the object's stored data: physical files, CL programs,
// data areas, save files and what the describer knows.
bool described(const SavedObject& object) {
    return isPhysicalFile(object) || isClProgram(object) || isSaveFile(object) ||
           object.typeCode == kDataAreaObjectType ||
           ObjectDescriber::describes(object.typeCode, object.attribute);
}

}  // namespace

std::string SaveNotices::ofSave(const Catalog& catalog, std::int32_t ebcdic, std::int32_t pc, bool byCcsid,
                                PcTextToUtf8& utf8) {
    std::string out =
        ",\"pair\":" + pairJson(ebcdic, pc) + ",\"byCcsid\":" + (byCcsid ? "true" : "false") + "}";
    if (const std::optional<SuggestedPair> suggested = SuggestedPair::of(catalog)) {
        out += ",\"suggested\":" + pairJson(suggested->ebcdic, suggested->pc) + "}";
    }
    out += ",\"damage\":[";
    const std::vector<std::string>& notes = catalog.header.damageNotes;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        out += (i == 0 ? "" : ",") + JsonWriter::quoted(utf8.toUtf8(notes[i]));
    }
    out += "]";
    if (!byCcsid) {
        if (const std::optional<std::string> note = StoredCcsidHint::note(catalog, ebcdic)) {
            out += ",\"pairNote\":" + JsonWriter::quoted(*note);
        }
    }
    return out;
}

std::string SaveNotices::ofObject(const SavedObject& object, PcTextToUtf8& utf8) {
    return ",\"object\":{\"type\":" + JsonWriter::quoted(utf8.toUtf8(objectTypeText(object))) +
           ",\"file\":" + (object.typeCode == kFileObjectType ? "true" : "false") +
           ",\"saveFile\":" + (isSaveFile(object) ? "true" : "false") +
           ",\"described\":" + (described(object) ? "true" : "false") + "}";
}

}  // namespace quelvane
