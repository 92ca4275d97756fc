#pragma once

#include <cstdint>
#include <string>

struct UConverter;

namespace quelvane::cli {

// Decodes text in a PC code page to UTF-8 for the terminal.
class Utf8Output {
  public:
    explicit Utf8Output(std::int32_t pcCodePage);
    ~Utf8Output();

    Utf8Output(const Utf8Output&) = delete;
    Utf8Output& operator=(const Utf8Output&) = delete;

    // False when ICU has no converter for the page; text then passes through unchanged.
    bool ready() const { return converter_ != nullptr; }

    std::string toUtf8(const std::string& pcText);

  private:
    UConverter* converter_ = nullptr;
};

}  // namespace quelvane::cli
