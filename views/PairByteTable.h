#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/PcTextToUtf8.h"

namespace quelvane {

// The code-page pair read byte by byte: each host byte's PC byte and that byte's UTF-8, worked
// out once through the pair's own converters. Only a pair that maps every host byte alone,
// whatever stands beside it, has one: probe() converts each byte alone and long runs of them
// and gives none where a run reads otherwise (a mixed or double-byte host page, a double-byte
// PC page). Zero is the only host byte that may give a zero PC byte, and a blank's UTF-8 is a
// blank only for the PC blank, so that a text cut at its first zero and trimmed of blanks reads
// the same through the table as through the converters.
class PairByteTable {
  public:
    struct Utf8Bytes {
        static constexpr std::size_t kLongest = 4;
        char bytes[kLongest];
        // 0 for the host byte whose PC byte is zero.
        std::uint8_t length;
        // Whether this is the PC blank's UTF-8, a single blank.
        bool blank;
    };

    // The longest text pcText takes: the conversion call carries its length in 16 bits, so
    // longer texts go to the general reader.
    static constexpr std::size_t kLongestText = 0xFFFF;

    // The table of the pair, or null when it does not read byte by byte.
    static std::unique_ptr<PairByteTable> probe(EbcdicTextConverter& converter, PcTextToUtf8& utf8);

    std::uint8_t pcByte(std::uint8_t host) const { return pc_[host]; }
    // The PC text of `bytes` as convertPaddedText gives it: the PC bytes up to the first zero
    // one. False, with `text` unspecified, for bytes holding a shift-out, which a reader of the
    // pair's converter is left to.
    bool pcText(std::span<const std::uint8_t> bytes, std::string& text) const;
    // The time text of decodeTime: the first three PC bytes as upper-case hex pairs joined by
    // ":". False for fewer than three bytes or bytes holding a shift-out.
    bool timeText(std::span<const std::uint8_t> bytes, std::string& text) const;
    // The same written to `out`, which has room for its 8 bytes: their end, or null.
    char* timeText(std::span<const std::uint8_t> bytes, char* out) const;

    // The UTF-8 of the host byte's PC byte, empty for a zero PC byte.
    const Utf8Bytes& utf8(std::uint8_t host) const { return utf8_[host]; }

  private:
    PairByteTable() = default;

    bool probeHost(EbcdicTextConverter& converter);
    bool probeUtf8(PcTextToUtf8& utf8);

    std::array<std::uint8_t, 256> pc_{};
    std::array<Utf8Bytes, 256> utf8_{};
};

}  // namespace quelvane
