#pragma once

#include <optional>
#include <string>
#include <vector>

#include "describe/CommandDefinition.h"
#include "savefile/SavedTimestamp.h"

namespace quelvane {

// A module bound into an ILE program or service program, as its module record holds it.
struct BoundModule {
    std::string name;
    std::string library;
    std::string attribute;
    std::string compiler;  // the compiler's product identifier; empty for CL
    std::string releaseFor;
    std::string releaseOn;
    std::optional<SavedTimestamp> created;
    std::string sourceFile;
    std::string sourceLibrary;
    std::string sourceMember;
    std::optional<SavedTimestamp> sourceChanged;
};

// What a *PGM, *SRVPGM or *MODULE's data says of how it was built.
struct ProgramDescription {
    enum class Kind { NotDecoded, Opm, Ile, Module };
    Kind kind = Kind::NotDecoded;
    std::vector<BoundModule> modules;
    std::vector<QualifiedObjectName> serviceProgramsBound;
};

}  // namespace quelvane
