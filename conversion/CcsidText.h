#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "conversion/ConversionBackend.h"

namespace quelvane {

// Text of the integrated file system is tagged with a CCSID. An EBCDIC page goes through the
// conversion layer (EbcdicTextConverter, the configured EBCDIC page); a page of the ASCII family
// (ISO 8859, Windows and PC pages, UTF-8, the Japanese PC pages) is decoded here to the PC code
// page the window draws with. Every other tag (65535, none, UTF-16, mixed EBCDIC) is data.
class CcsidText {
  public:
    enum class Family { Ebcdic, Ascii, Data };

    static Family familyOf(std::optional<std::uint16_t> ccsid);

    // A decoder from an ASCII-family `ccsid` (kUtf8Ccsid for UTF-8) to the PC code page; a PC
    // page the registry does not hold is taken as windows-1252.
    CcsidText(std::uint16_t ccsid, std::int32_t pcCodePage,
              ConversionBackend& backend = ConversionBackend::standard());
    ~CcsidText();

    CcsidText(const CcsidText&) = delete;
    CcsidText& operator=(const CcsidText&) = delete;

    // False when the backend has no converter for either page.
    bool ready() const { return from_ != nullptr && to_ != nullptr; }

    // `bytes` in the PC code page; a character the PC page lacks becomes its substitute. Text of
    // ASCII bytes only is taken as it is. Without converters, bytes at or above 0x80 become '?'.
    std::string toPcText(std::string_view bytes);

  private:
    std::unique_ptr<CodePageDecoder> from_;
    std::unique_ptr<PcPageCodec> to_;
    std::u16string wide_;
};

}  // namespace quelvane
