#pragma once

#include <stdexcept>
#include <string>

namespace quelvane {

// Raised by a decoder for compressed save-file data that cannot be expanded as declared: a code
// outside the dictionary, a run past the input, output past its declared size. The data at that
// point is damaged; the message says why.
class CompressionFailure : public std::runtime_error {
  public:
    explicit CompressionFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace quelvane
