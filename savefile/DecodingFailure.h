#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// Raised when a count, offset or length taken from a save file leads outside the bytes that
// were collected for it. Each reader step catches it where its step ends, as the format's
// readers always did with their own unexpected failures; it never escapes as a crash.
class DecodingFailure : public std::runtime_error {
  public:
    explicit DecodingFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace quelvane
