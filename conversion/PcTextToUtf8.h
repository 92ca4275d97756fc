#pragma once

#include <cstdint>
#include <string>

struct UConverter;

namespace quelvane {

// Decodes 8-bit text in a PC code page (a Windows code page number, as the conversion layer's
// PcCodePage) to UTF-8, for a terminal or any other UTF-8 consumer.
class PcTextToUtf8 {
  public:
    explicit PcTextToUtf8(std::int32_t pcCodePage);
    ~PcTextToUtf8();

    PcTextToUtf8(const PcTextToUtf8&) = delete;
    PcTextToUtf8& operator=(const PcTextToUtf8&) = delete;

    // False when ICU has no converter for the page; text then passes through unchanged.
    bool ready() const { return converter_ != nullptr; }

    std::string toUtf8(const std::string& pcText);

  private:
    UConverter* converter_ = nullptr;
};

}  // namespace quelvane
