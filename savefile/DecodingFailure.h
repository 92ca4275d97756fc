#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// Raised when a count, offset or length taken from a save file leads outside the bytes that
// were collected for it. Each reader step catches it where its step ends and keeps what it
// had read before; it never escapes as a crash.
class DecodingFailure : public std::runtime_error {
  public:
    explicit DecodingFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace quelvane
