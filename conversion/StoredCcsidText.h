#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "conversion/CodePageRegistry.h"
#include "conversion/ConversionBackend.h"

namespace quelvane {

// Text read in the CCSID the save file stores beside it, straight to UTF-8: a single-byte or a
// mixed CCSID (shift states) by its converter, a pure double-byte CCSID through its mixed page
// with the bytes wrapped in shift-out/shift-in, 1200 and 13488 as UTF-16BE, 1208 as UTF-8. A
// CCSID of 65535, 0, or one without a converter falls back to the chosen host page; 65535 bytes
// that are not text show as hex. Not safe for use by two threads at once.
class StoredCcsidText {
  public:
    enum class Outcome {
        byCcsid,
        // Read in the chosen host page: no CCSID (0 or 65535), or none the backend converts.
        chosenPage,
        // 65535 bytes that hold control bytes: shown as upper-case hex digits.
        hex,
    };

    // A single-byte page read byte by byte: each byte's UTF-8, worked out once through the
    // page's decoder (every byte of such a page is one character, whatever stands beside it).
    struct ByteUtf8 {
        static constexpr std::size_t kLongest = 8;
        char bytes[kLongest];
        std::uint8_t length;
    };
    using ByteTable = std::array<ByteUtf8, 256>;

    // `hostPage` is the chosen host page's Windows number (kHostPages).
    explicit StoredCcsidText(std::int32_t hostPage,
                             ConversionBackend& backend = ConversionBackend::standard());
    ~StoredCcsidText();

    StoredCcsidText(const StoredCcsidText&) = delete;
    StoredCcsidText& operator=(const StoredCcsidText&) = delete;

    // Replaces `utf8` with `bytes` read in `ccsid`. `binaryAsHex` asks for hex where 65535 bytes
    // are not text (fields; texts of the catalog always read as text).
    Outcome decode(std::span<const std::uint8_t> bytes, std::uint16_t ccsid, bool binaryAsHex,
                   std::string& utf8);

    // The table decode() reads a text of `ccsid` through byte by byte, and the outcome it gives
    // then; null where the CCSID reads otherwise (double-byte, mixed and Unicode CCSIDs, a page
    // without a single-byte decoder). A 65535 text holding controls (bytes 01-3F) is hex for
    // decode() with `binaryAsHex` whatever this says: a caller that asks for hex looks for them.
    const ByteTable* byteTable(std::uint16_t ccsid, Outcome& outcome);

    // Whether `ccsid` is read by a converter of its own here (not by the fallback).
    bool converts(std::uint16_t ccsid);

    // What the view says of an outcome, empty for byCcsid.
    static std::string fallbackNote(Outcome outcome, std::uint16_t ccsid);

  private:
    // How one CCSID (or the chosen host page) reads here, worked out when it is first met: its
    // row (null for a CCSID the map lacks), its converter, its byte table where it is single
    // byte, and whether it reads by them at all.
    struct Reading {
        const StoredCcsidEntry* entry = nullptr;
        std::unique_ptr<CodePageDecoder> decoder;
        std::unique_ptr<ByteTable> table;
        bool converts = false;
    };

    void addByteTable(Reading& reading);
    const Reading& readingOf(std::uint16_t ccsid);
    void decodeWith(const Reading& reading, std::span<const std::uint8_t> bytes, std::string& utf8);

    ConversionBackend& backend_;
    Reading hostPage_;
    std::map<std::uint16_t, Reading> readings_;
    // Fields of one CCSID follow each other: the last reading is kept at hand.
    std::uint16_t lastCcsid_ = 0;
    const Reading* lastReading_ = nullptr;
    std::u16string wide_;
    std::u16string units_;
    std::string wrapped_;
};

}  // namespace quelvane
