#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelvane {

// A qualified object name as a command definition holds it; both parts empty when none.
struct QualifiedObjectName {
    std::string name;
    std::string library;
    bool empty() const { return name.empty(); }
};

// One relation of a RANGE, REL, COND or NBRTRUE: the operator in CL form ("*EQ") and its value.
struct CommandRelation {
    std::string relation;
    std::string value;
};

// One SPCVAL or SNGVAL pair (a value given alone has `to` equal to `from`).
struct CommandValueMapping {
    std::string from;
    std::string to;
};

// A PMTCTL statement: the parameter it tests, its conditions and how many must hold.
struct CommandPromptControl {
    std::string controlKeyword;
    std::vector<CommandRelation> conditions;
    std::optional<CommandRelation> numberTrue;
};

// A PARM, QUAL or ELEM statement of the definition. Values are CL text: special values and
// names as stored, quoted literals with their quotes.
struct CommandElement {
    enum class Kind { Parameter, Qualifier, Element };
    enum class Group { None, Qualifiers, Elements };

    Kind kind = Kind::Parameter;
    std::string keyword;  // parameters only
    // The TYPE value ("*DEC", "*CHAR", "*NAME", "*PNAME"); for another stored code, nothing and
    // the code in `typeCode`. A group's type is the label of its QUAL or ELEM statements.
    std::optional<std::string> type;
    std::uint8_t typeCode = 0;
    Group group = Group::None;
    std::int32_t length = 0;
    std::int32_t decimals = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 1;
    bool restricted = false;
    bool expression = false;
    bool varying = false;
    bool mixedCase = false;
    bool hiddenInput = false;
    bool promptRequest = false;  // PMTCTL(*PMTRQS)
    std::optional<std::string> defaultValue;
    std::vector<std::string> values;
    std::vector<CommandValueMapping> specialValues;
    std::vector<CommandValueMapping> singleValues;
    std::vector<CommandRelation> relations;
    bool range = false;  // the two relations are RANGE's low and high values
    std::string prompt;  // text, or a message identifier when `promptIsMessageId`
    bool promptIsMessageId = false;
    std::vector<CommandPromptControl> promptControls;
    std::vector<CommandElement> parts;  // the QUAL or ELEM statements of a group
    // What is stored but not decoded, said once each ("list element wrapper").
    std::vector<std::string> notDecoded;
};

// What a *CMD object holds: the CRTCMD values and the statements of its source.
struct CommandDefinition {
    std::string prompt;
    bool promptIsMessageId = false;
    QualifiedObjectName program;  // library "*REXX" with an empty name for PGM(*REXX)
    QualifiedObjectName validityChecker;
    QualifiedObjectName messageFile;
    QualifiedObjectName helpPanelGroup;
    std::string helpIdentifier;
    std::vector<CommandElement> parameters;
};

}  // namespace quelvane
