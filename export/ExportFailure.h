#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// Raised by a writer for a failure it does not end itself (the text writer's output file that
// cannot be created): the single export shows "Save to file error" for it, a batch run stops.
// `reported` tells that the writer has shown its message already, so the program's report of
// failures no command handled leaves it out.
class ExportFailure : public std::runtime_error {
  public:
    explicit ExportFailure(const std::string& text, bool reported = false)
        : std::runtime_error(text), reported_(reported) {}

    bool reported() const { return reported_; }

  private:
    bool reported_;
};

}  // namespace quelvane
