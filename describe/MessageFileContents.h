#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelvane {

// One message description: its identifier and first-level text (nothing when no text record
// could be tied to it).
struct MessageDescription {
    std::string id;
    std::optional<std::string> text;
};

// The messages of a *MSGF in the order their descriptions are stored. Second-level text,
// severity, substitution variables and reply values are stored too but not decoded.
struct MessageFileContents {
    std::vector<MessageDescription> messages;
};

}  // namespace quelvane
