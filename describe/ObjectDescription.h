#pragma once

#include <optional>
#include <string>

#include "describe/CommandDefinition.h"
#include "describe/LogicalFileDescription.h"
#include "describe/MessageFileContents.h"
#include "describe/ProgramDescription.h"

namespace quelvane {

// What an object's stored data says, for the kinds of objects whose data is read; `failure`
// says why an object of such a kind cannot be described (the rest of the save is unaffected).
struct ObjectDescription {
    std::optional<CommandDefinition> command;
    std::optional<MessageFileContents> messages;
    std::optional<ProgramDescription> program;
    std::optional<LogicalFileDescription> logicalFile;
    std::string failure;
    // The failure is that the save holds no data for the object (saved without it), not damage.
    bool dataMissing = false;

    bool described() const {
        return command.has_value() || messages.has_value() || program.has_value() || logicalFile.has_value();
    }
};

}  // namespace quelvane
