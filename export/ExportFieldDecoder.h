#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "conversion/PcPageCodec.h"
#include "export/ExportSession.h"
#include "savefile/Catalog.h"
#include "views/FieldTextByCcsid.h"

namespace quelvane {

// The export text of each field for one export run, always in the session's PC code page. By
// the pair (exportFieldText) unless the session's views read by stored CCSID: then character
// and graphic fields are read by their own CCSIDs to Unicode, as the records view shows them,
// and written in the PC page, each character the page lacks as the page's substitution
// character; the other fields' texts are digits and punctuation either way. The fallbacks used
// reach the session's ccsidFallbackNotes when the decoder goes. Not safe for use by two
// threads at once.
class ExportFieldDecoder {
  public:
    // Raises DecodingFailure when the session reads by stored CCSID and its PC page has no
    // converter.
    explicit ExportFieldDecoder(ExportSession& session);
    ~ExportFieldDecoder();

    ExportFieldDecoder(const ExportFieldDecoder&) = delete;
    ExportFieldDecoder& operator=(const ExportFieldDecoder&) = delete;

    // Replaces `text` with the field's export text. Raises as exportFieldText does.
    void decode(std::span<const std::uint8_t> record, const SavedField& field, std::string& text);

  private:
    static constexpr char16_t kFirstPrintable = 0x20;
    static constexpr char16_t kLastPrintable = 0x7E;

    // Whether every character of `utf8` is a printable ASCII one the PC page spells as ASCII.
    bool spelledAsAscii(std::string_view utf8) const;

    ExportSession& session_;
    std::array<bool, kLastPrintable + 1> spelledAsAscii_{};
    std::unique_ptr<FieldTextByCcsid> byCcsid_;
    std::unique_ptr<PcPageCodec> pcPage_;
    std::string utf8_;
    std::u16string wide_;
};

}  // namespace quelvane
