#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "conversion/ConversionBackend.h"

namespace quelvane {

// Decodes 8-bit text in a PC code page (a Windows code page number, as the conversion layer's
// PcCodePage) to UTF-8, for a terminal or any other UTF-8 consumer. Text of ASCII bytes only,
// which every page in use maps to itself, is taken as it is, so numbers and most names cost no
// conversion; an extraction decodes every text of every record through here.
class PcTextToUtf8 {
  public:
    explicit PcTextToUtf8(std::int32_t pcCodePage,
                          ConversionBackend& backend = ConversionBackend::standard());
    ~PcTextToUtf8();

    PcTextToUtf8(const PcTextToUtf8&) = delete;
    PcTextToUtf8& operator=(const PcTextToUtf8&) = delete;

    // False when the backend has no converter for the page; text then passes through unchanged.
    bool ready() const { return page_ != nullptr; }

    std::string toUtf8(std::string_view pcText);
    // The same into `out`, whose storage is reused.
    void toUtf8(std::string_view pcText, std::string& out);
    // `text` converted in place.
    void toUtf8InPlace(std::string& text);

  private:
    std::unique_ptr<PcPageCodec> page_;
    std::u16string wide_;
    std::string work_;
};

}  // namespace quelvane
