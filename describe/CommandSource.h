#pragma once

#include <string>
#include <vector>

#include "describe/ClStatement.h"
#include "describe/CommandDefinition.h"

namespace quelvane {

// A command definition rebuilt as command source: CMD, then each PARM followed by the QUAL or
// ELEM statements of its type, then the PMTCTL statements. Groups and prompt controls get the
// labels Q1, E1, P1 … in the order they are met (the source's own labels are not stored).
class CommandSource {
  public:
    static std::vector<ClStatement> statements(const CommandDefinition& command);

    // The CRTCMD values the source does not hold (PGM, VLDCKR, MSGF, HLPPNLGRP, HLPID) and what
    // the definition stores that is not decoded, as comment lines.
    static std::vector<std::string> headerComments(const CommandDefinition& command, const std::string& name);

    // The header comments, then the statements as source lines.
    static std::vector<std::string> lines(const CommandDefinition& command, const std::string& name);

    // A qualified name in CL form: "LIB/NAME", or "NAME" without a library.
    static std::string qualifiedText(const QualifiedObjectName& name);
};

}  // namespace quelvane
