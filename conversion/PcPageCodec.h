#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/CodePageDecoder.h"

namespace quelvane {

// A PC code page opened both ways. Reading gives the page's own substitute for a byte sequence
// it does not map, as the page's definition names it (U+FFFD or U+001A).
class PcPageCodec : public CodePageDecoder {
  public:
    // What a character the page lacks, or an unpaired surrogate, becomes.
    enum class Substitution {
        // The page's substitution character, for every such character.
        pageCharacter,
        // The page's substitution character; a default-ignorable character the page lacks
        // (a zero-width space, a variation selector) is left out.
        pageCharacterDroppingIgnorable,
        // A question mark; a default-ignorable character the page lacks is left out.
        questionMarkDroppingIgnorable,
    };

    // Replaces `out` with `text` in the page. `offsets`, when given, receives for each byte the
    // index of the UTF-16 unit whose character it belongs to (a pair's first unit).
    virtual void encode(std::u16string_view text, Substitution substitution, std::string& out,
                        std::vector<std::int32_t>* offsets) = 0;
};

}  // namespace quelvane
