#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// A source that cannot deliver bytes it promised: an I/O error, or a file that became shorter
// than the size it had when it was opened. Unlike a DecodingFailure it does not end one reader
// step only: nothing further can be trusted to be read, so it ends the whole read with its reason.
class ReadFailure : public std::runtime_error {
  public:
    explicit ReadFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace quelvane
