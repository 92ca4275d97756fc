#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "conversion/ConversionBackend.h"

namespace quelvane::modules {

// Maps host (EBCDIC) bytes to one PC code page through Unicode, with the pages of one conversion
// backend. Opened once per code-page pair and reused; not safe for use by two threads at once.
class CodePageMapper {
  public:
    enum class Lookup { byteTable, converters };

    // Null when either page is unknown or its converter cannot be opened. With Lookup::byteTable,
    // a single-byte host page against a PC page without shift states is mapped through a table
    // of what each host byte becomes, worked out once through the converters; every other pair,
    // and Lookup::converters, converts each call's text through the converters.
    static std::unique_ptr<CodePageMapper> open(std::int32_t ebcdicCodePage, std::int32_t pcCodePage,
                                                Lookup lookup = Lookup::byteTable,
                                                ConversionBackend& backend = ConversionBackend::standard());

    ~CodePageMapper();
    CodePageMapper(const CodePageMapper&) = delete;
    CodePageMapper& operator=(const CodePageMapper&) = delete;

    // Writes exactly `targetLength` bytes: the converted text, then zeros. A text that does not
    // fit is cut at a character boundary; when the source ends in 0x00 the target does too.
    // Every source byte 0x00 yields 0x00 and ends any shift-out run. Returns the number of
    // bytes of converted text.
    std::size_t map(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* target,
                    std::size_t targetLength);

    bool usesByteTable() const { return byteTableReady_; }

  private:
    CodePageMapper() = default;
    void appendRun(const std::uint8_t* run, std::size_t length);
    void fillByteTable();
    // Fill result_ and characterStart_ with the whole converted text.
    void collectThroughTable(const std::uint8_t* source, std::size_t sourceLength);
    void collectThroughConverters(const std::uint8_t* source, std::size_t sourceLength);
    std::size_t mapByteForByte(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* target,
                               std::size_t targetLength) const;

    // What each host byte becomes in the PC page (at most kMaxByteText bytes) and which of those
    // bytes start a character; filled when byteTableReady_.
    static constexpr std::size_t kMaxByteText = 4;
    struct ByteText {
        std::array<std::uint8_t, kMaxByteText> bytes{};
        std::array<bool, kMaxByteText> starts{};
        std::uint8_t length = 0;
    };
    std::array<ByteText, 256> byteTable_{};
    bool byteTableReady_ = false;
    // Every host byte becomes exactly one PC byte (single-byte pages on both sides).
    bool oneBytePerByte_ = false;

    std::unique_ptr<CodePageDecoder> host_;
    std::unique_ptr<PcPageCodec> pc_;

    // Work buffers, kept between calls.
    std::u16string unicode_;
    std::string encoded_;
    std::vector<std::int32_t> offsets_;
    std::vector<std::uint8_t> result_;
    std::vector<bool> characterStart_;
};

}  // namespace quelvane::modules
