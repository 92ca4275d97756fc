#pragma once

#include <cstdint>
#include <string>

namespace quelvane {

// What the entries of one catalog may take. Every object, field and member entry the readers
// decode stands for bytes of the file that hold it, so together they cannot need more bytes than
// the file has; a file whose counts claim more (areas read as zeros past what they store, entry
// lengths of 0 that repeat one entry, areas that overlap) runs out of it, and its parse stops
// there. Memory and time then grow with the file's bytes, never with a count it claims.
class EntryBudget {
  public:
    explicit EntryBudget(std::int64_t bytes) : left_(bytes) {}

    // Takes `count` entries of at least `width` bytes each; raises DecodingFailure naming `what`
    // when the file cannot hold them (nothing is taken then).
    void take(std::int64_t count, std::int64_t width, const char* what);

    std::int64_t left() const { return left_; }
    // The text of the first claim refused; empty while every claim fitted.
    const std::string& refusal() const { return refusal_; }

  private:
    std::int64_t left_;
    std::string refusal_;
};

}  // namespace quelvane
