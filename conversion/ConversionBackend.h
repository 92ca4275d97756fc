#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "conversion/CodePageDecoder.h"
#include "conversion/PcPageCodec.h"

namespace quelvane {

// Where code pages come from: ICU (and iconv) on the desktop, or tables generated from them
// (tools/CodePageTableGenerator) where ICU is not at hand. Both give the same bytes for every
// page of CodePageRegistry.h, every stored CCSID it maps and every CCSID CcsidText reads. Pages are opened by
// number; null when the number is unknown or its converter cannot be opened.
class ConversionBackend {
  public:
    virtual ~ConversionBackend() = default;

    // A host (EBCDIC) page by its Windows number (kHostPages). A byte sequence the page does
    // not map reads as U+FFFD, which no PC page holds, so the PC page puts its own substitution
    // character in its place.
    virtual std::unique_ptr<CodePageDecoder> openHostPage(std::int32_t windowsCodePage) = 0;

    // A PC page by its Windows number (kPcPages; 0 is windows-1252).
    virtual std::unique_ptr<PcPageCodec> openPcPage(std::int32_t windowsCodePage) = 0;

    // An ASCII-family CCSID that tags text of the integrated file system: "ibm-<CCSID>" as ICU
    // names it, or UTF-8 for kUtf8Ccsid. Unmapped sequences read as the page defines.
    virtual std::unique_ptr<CodePageDecoder> openCcsidPage(std::uint16_t ccsid) = 0;

    // The converter a stored CCSID's row of kStoredCcsids names (its mixed page for a pure
    // single- or double-byte part), unmapped sequences as U+FFFD; null where the backend has
    // none, and the caller falls back to the chosen host page.
    virtual std::unique_ptr<CodePageDecoder> openStoredCcsid(std::uint16_t ccsid) {
        (void)ccsid;
        return nullptr;
    }

    virtual std::string_view name() const = 0;

    // The backend the build chose (QUELVANE_CONVERSION_BACKEND): ICU where the build has it,
    // else the tables.
    static ConversionBackend& standard();
};

}  // namespace quelvane
