#pragma once

#include <string_view>

#include "savefile/Catalog.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

// What kind of object a catalog entry is, for the readers, views and exports that treat kinds
// apart. A *FILE object (type 0x1901) says in its attribute which kind of file it is; an entry of
// another type that carries a file attribute is not a file.
inline constexpr std::string_view kPhysicalFileAttribute = "PF";
inline constexpr std::string_view kSaveFileAttribute = "SAVF";
inline constexpr std::string_view kClProgramAttribute = "CLP";

// A physical file: the only kind of object with fields, members and records.
inline bool isPhysicalFile(const SavedObject& object) {
    return object.typeCode == kFileObjectType && object.attribute == kPhysicalFileAttribute;
}

// A save file as the attribute names it (saves of the CISC era may leave the attribute blank;
// the nested-save reader decides those by their data segment).
inline bool isSaveFile(const SavedObject& object) {
    return object.typeCode == kFileObjectType && object.attribute == kSaveFileAttribute;
}

inline bool isClProgram(const SavedObject& object) {
    return object.typeCode == kProgramObjectType && object.attribute == kClProgramAttribute;
}

}  // namespace quelvane
