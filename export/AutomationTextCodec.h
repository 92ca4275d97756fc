#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/PcPageCodec.h"

namespace quelvane {

// Turns the writers' 8-bit texts, which are in the current PC code page, into the servers' wide
// strings and back. Code page 0 is windows-1252; the double-byte pages are read as such, so a
// lead byte and its trail byte become one character.
class AutomationTextCodec {
  public:
    // Raises AutomationFailure when no converter exists for the code page (one of
    // CodePageRegistry.h's PC pages).
    explicit AutomationTextCodec(std::int32_t pcCodePage);
    ~AutomationTextCodec();

    AutomationTextCodec(const AutomationTextCodec&) = delete;
    AutomationTextCodec& operator=(const AutomationTextCodec&) = delete;

    std::u16string decode(const std::string& text);
    std::string encode(const std::u16string& text);

    // UTF-8, the file-name encoding of this platform.
    static std::string toUtf8(const std::u16string& text);
    // A UTF-8 text as wide characters; invalid sequences become U+FFFD.
    static std::u16string fromUtf8(const std::string& text);

  private:
    std::unique_ptr<PcPageCodec> page_;
};

}  // namespace quelvane
