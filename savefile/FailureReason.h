#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace quelvane {

// The reason a failure is reported with. An allocation that fails says what ran out rather than
// the name of the exception; every other failure says its own message.
inline std::string failureReason(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr ||
        dynamic_cast<const std::length_error*>(&failure) != nullptr) {
        return "out of memory: the data claims more than this machine can hold";
    }
    return failure.what();
}

}  // namespace quelvane
