#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/PcPageCodec.h"

namespace quelvane {

// Texts in a PC code page as wide (UTF-16) strings and back: the export writers' 8-bit texts
// for the automation servers, and names in the PC page for file names. Code page 0 is
// windows-1252; the double-byte pages are read as such, so a lead byte and its trail byte become
// one character.
class PcPageWideText {
  public:
    // Raises UnknownPcPage when no converter exists for the code page.
    explicit PcPageWideText(std::int32_t pcCodePage);
    ~PcPageWideText();

    PcPageWideText(const PcPageWideText&) = delete;
    PcPageWideText& operator=(const PcPageWideText&) = delete;

    std::u16string decode(const std::string& text);
    std::string encode(const std::u16string& text);

    // UTF-8, the file-name encoding of this platform.
    static std::string toUtf8(const std::u16string& text);
    // A UTF-8 text as wide characters; invalid sequences become U+FFFD.
    static std::u16string fromUtf8(const std::string& text);

  private:
    std::unique_ptr<PcPageCodec> page_;
    // Whether the page reads the ASCII bytes as themselves (probed once), so that a text of them
    // alone is widened without the converter: nearly every text an export hands a server.
    bool asciiIsItself_ = false;
};

}  // namespace quelvane
