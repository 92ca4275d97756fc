#pragma once

#include <stdexcept>

namespace quelvane {

// Raised when no converter exists for a PC code page (one not among CodePageRegistry.h's PC
// pages, or one the backend cannot open).
class UnknownPcPage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace quelvane
