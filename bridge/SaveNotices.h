#pragma once

#include <cstdint>
#include <string>

#include "conversion/PcTextToUtf8.h"
#include "savefile/Catalog.h"

namespace quelvane {

// What a page tells its user about a save and its objects beyond the tree and the lists, as
// members of a JSON answer (each starting with a comma): what the save was read past, which pair
// is in force and whether it reads the save's tagged fields, and what an object is.
class SaveNotices {
  public:
    // ,"pair":{"ebcdic","pc","byCcsid"},"suggested":{"ebcdic","pc"},"damage":[...],"pairNote":"..."
    // "suggested" where the save's texts point to a pair; "damage" the notes of damage read past
    // or found; "pairNote" where records are read by the pair and most fields carry a CCSID the
    // pair reads otherwise.
    static std::string ofSave(const Catalog& catalog, std::int32_t ebcdic, std::int32_t pc, bool byCcsid,
                              PcTextToUtf8& utf8);

    // ,"object":{"type","file","saveFile","described"} for the object at a level-2 node: "described"
    // is false for an object whose stored data no view of the program reads.
    static std::string ofObject(const SavedObject& object, PcTextToUtf8& utf8);
};

}  // namespace quelvane
