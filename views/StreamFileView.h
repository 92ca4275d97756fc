#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "conversion/EbcdicTextConverter.h"
#include "views/ContentList.h"

namespace quelvane {

// How much of a stream file the content list shows; a longer file ends in a line that says so.
struct StreamFileLimits {
    std::size_t textBytes = std::size_t{1} << 20;
    std::size_t hexBytes = std::size_t{256} << 10;
};

// A stream file's bytes in the content list: as text, line by line, when its CCSID names a text
// page and its first bytes look like text (no NUL, hardly any control characters: images and
// archives saved under a text CCSID stay data); otherwise as a hex dump of 16 bytes a row
// (offset, hex, characters).
class StreamFileView {
  public:
    enum class Form { Text, HexDump };

    // The bytes examined for control characters, and how many in a hundred may be ones.
    static constexpr std::size_t kSampleBytes = 4096;
    static constexpr std::size_t kControlPercent = 1;
    static constexpr std::size_t kBytesPerRow = 16;
    // A longer line (minified pages, data without line ends) goes on over several rows, so
    // no row is too wide to draw.
    static constexpr std::size_t kLongestRow = 4096;

    static Form formOf(std::optional<std::uint16_t> ccsid, std::span<const std::uint8_t> bytes);

    // Fills `list` (cleared first). `pcCodePage` is the page the list's texts are in.
    static void show(ContentList& list, EbcdicTextConverter& ebcdic, std::int32_t pcCodePage,
                     std::optional<std::uint16_t> ccsid, std::span<const std::uint8_t> bytes,
                     const StreamFileLimits& limits);

    // The last line of a file shown in part.
    static std::string cutLine(std::size_t shown, std::size_t total);
};

}  // namespace quelvane
