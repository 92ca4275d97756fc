#pragma once

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

    // Whether `ccsid` is read by a converter of its own here (not by the fallback).
    bool converts(std::uint16_t ccsid);

    // What the view says of an outcome, empty for byCcsid.
    static std::string fallbackNote(Outcome outcome, std::uint16_t ccsid);

  private:
    // How one CCSID reads here, worked out when it is first met: its row (null for a CCSID
    // the map lacks), its converter, and whether it reads by them at all.
    struct Reading {
        const StoredCcsidEntry* entry = nullptr;
        std::unique_ptr<CodePageDecoder> decoder;
        bool converts = false;
    };

    const Reading& readingOf(std::uint16_t ccsid);
    void decodeWith(CodePageDecoder* decoder, std::span<const std::uint8_t> bytes, std::string& utf8);

    ConversionBackend& backend_;
    std::unique_ptr<CodePageDecoder> hostPage_;
    std::map<std::uint16_t, Reading> readings_;
    // Fields of one CCSID follow each other: the last reading is kept at hand.
    std::uint16_t lastCcsid_ = 0;
    const Reading* lastReading_ = nullptr;
    std::u16string wide_;
    std::u16string units_;
    std::string wrapped_;
};

}  // namespace quelvane
