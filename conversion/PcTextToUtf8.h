#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct UConverter;

namespace quelvane {

// Decodes 8-bit text in a PC code page (a Windows code page number, as the conversion layer's
// PcCodePage) to UTF-8, for a terminal or any other UTF-8 consumer. Text of ASCII bytes only,
// which every page in use maps to itself, is taken as it is, so numbers and most names cost no
// conversion; an extraction decodes every text of every record through here.
class PcTextToUtf8 {
  public:
    explicit PcTextToUtf8(std::int32_t pcCodePage);
    ~PcTextToUtf8();

    PcTextToUtf8(const PcTextToUtf8&) = delete;
    PcTextToUtf8& operator=(const PcTextToUtf8&) = delete;

    // False when ICU has no converter for the page; text then passes through unchanged.
    bool ready() const { return converter_ != nullptr && utf8_ != nullptr; }

    std::string toUtf8(std::string_view pcText);
    // The same into `out`, whose storage is reused.
    void toUtf8(std::string_view pcText, std::string& out);
    // `text` converted in place.
    void toUtf8InPlace(std::string& text);

  private:
    UConverter* converter_ = nullptr;
    UConverter* utf8_ = nullptr;
    std::u16string wide_;
    std::string work_;
};

}  // namespace quelvane
