#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// Raised by a writer for a failure it does not end itself (the text writer's output file that
// cannot be created): the single export shows "Save to file error" for it, a batch run stops.
class ExportFailure : public std::runtime_error {
  public:
    explicit ExportFailure(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace quelvane
