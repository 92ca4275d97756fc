#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// Raised by every automation operation that fails; carries the server's own error text.
class AutomationFailure : public std::runtime_error {
  public:
    explicit AutomationFailure(const std::string& serverText) : std::runtime_error(serverText) {}
};

}  // namespace quelvane
