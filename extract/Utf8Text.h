#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct UConverter;

namespace quelvane {

// Turns text in a PC code page (what the conversion call gives) into UTF-8. Text of ASCII
// bytes only, which every page in use maps to itself, is taken as it is, so numbers and most
// names cost no conversion.
class Utf8Text {
  public:
    explicit Utf8Text(std::int32_t pcCodePage);
    ~Utf8Text();

    Utf8Text(const Utf8Text&) = delete;
    Utf8Text& operator=(const Utf8Text&) = delete;

    // False when there is no converter for the page; text then passes through unchanged.
    bool ready() const { return pc_ != nullptr && utf8_ != nullptr; }

    // `pcText` in UTF-8 into `out` (whose storage is reused).
    void convert(std::string_view pcText, std::string& out);
    std::string convert(std::string_view pcText);

    // `text` converted in place.
    void convertInPlace(std::string& text);

  private:
    UConverter* pc_ = nullptr;
    UConverter* utf8_ = nullptr;
    std::u16string wide_;
    std::string work_;
};

}  // namespace quelvane
