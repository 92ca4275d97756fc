#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace quelvane {

// Writes a compound document file (the container of Excel 97-2003 workbooks) that holds one
// stream under the root storage: version 3, 512-byte sectors, no mini stream. A stream shorter
// than the mini-stream cutoff (4096 bytes) is padded with zeros to the cutoff, so it never
// belongs in the mini stream.
class CompoundFileWriter {
  public:
    static constexpr std::size_t kSectorSize = 512;
    static constexpr std::size_t kMiniStreamCutoff = 4096;

    // Raises AutomationFailure for a name longer than 31 characters or a stream the format's
    // 32-bit sector numbers cannot address.
    static void write(std::ostream& out, const std::u16string& streamName,
                      std::span<const std::uint8_t> stream);
};

}  // namespace quelvane
