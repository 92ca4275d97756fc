#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "conversion/PcPageCodec.h"
#include "conversion/PcTextToUtf8.h"
#include "export/ExportSession.h"
#include "savefile/Catalog.h"
#include "views/FieldTextByCcsid.h"
#include "views/PairByteTable.h"

namespace quelvane {

// The export text of each field for one export run. By the pair (exportFieldText) unless the
// session's views read by stored CCSID: then character and graphic fields are read by their own
// CCSIDs to Unicode, as the records view shows them; the other fields' texts are digits and
// punctuation either way. In the PC page, each character the page lacks becomes the page's
// substitution character and is counted in the session's textLoss; in UTF-8 every character is
// kept. The fallbacks used reach the session's ccsidFallbackNotes when the decoder goes. Not safe
// for use by two threads at once.
class ExportFieldDecoder {
  public:
    // Raises DecodingFailure when the session reads by stored CCSID, or writes UTF-8, and its PC
    // page has no converter. `memberName` names the member in textLoss.
    ExportFieldDecoder(ExportSession& session, std::string memberName);
    ~ExportFieldDecoder();

    ExportFieldDecoder(const ExportFieldDecoder&) = delete;
    ExportFieldDecoder& operator=(const ExportFieldDecoder&) = delete;

    // The record the next fields come from, by its number in the member (from 1).
    void startRecord(std::int64_t number) { record_ = number; }

    // Replaces `text` with the field's export text in the session's text encoding; a character
    // the PC page lacks is counted. Raises as exportFieldText does.
    void decode(std::span<const std::uint8_t> record, const SavedField& field, std::string& text);

    // The pair's byte table when decode() reads character fields through it into the PC page
    // (the session reads by the pair and writes the PC page), else null.
    const PairByteTable* pcTextTable() const {
        return byCcsid_ == nullptr && !utf8Text_ ? table_.get() : nullptr;
    }
    // For the Word and Excel servers, whose documents hold Unicode: replaces `text` with the
    // field's text in the PC page, as the servers are handed texts. When the page would lose
    // characters of it, true and `unicode` holds the whole text instead, which the server takes
    // as it is; nothing is counted as lost then.
    bool decodeCell(std::span<const std::uint8_t> record, const SavedField& field, std::string& text,
                    std::u16string& unicode);

  private:
    static constexpr char16_t kFirstPrintable = 0x20;
    static constexpr char16_t kLastPrintable = 0x7E;
    // Characters whose fate in the PC page is remembered; past that the memory starts again.
    static constexpr std::size_t kMostRemembered = 65536;

    // Whether every character of `utf8` is a printable ASCII one the PC page spells as ASCII.
    bool spelledAsAscii(std::string_view utf8) const;
    // Reads a character or graphic field by its stored CCSID into utf8_ and, unless it is
    // spelled as ASCII, wide_; false for the fields the pair decides.
    bool readByCcsid(std::span<const std::uint8_t> record, const SavedField& field);
    // Character and time fields by the pair's byte table, where the pair has one, into `text`
    // as exportFieldText gives them; false for the fields and values left to it.
    bool pairText(std::span<const std::uint8_t> record, const SavedField& field, std::string& text) const;
    // How many characters of wide_ the PC page cannot give back as they are.
    std::int64_t lostCharacters();
    // Whether the PC page writes the one character `character` so that it reads back the same.
    bool keeps(std::u16string_view character, char32_t codePoint);

    ExportSession& session_;
    std::string memberName_;
    std::int64_t record_ = 0;
    bool utf8Text_ = false;
    std::array<bool, kLastPrintable + 1> spelledAsAscii_{};
    std::unique_ptr<FieldTextByCcsid> byCcsid_;
    std::unique_ptr<PcTextToUtf8> pcUtf8_;
    std::unique_ptr<PairByteTable> table_;
    std::unique_ptr<PcPageCodec> pcPage_;
    std::unordered_map<char32_t, bool> kept_;
    std::string utf8_;
    std::u16string wide_;
    std::string bytes_;
    std::u16string readBack_;
};

}  // namespace quelvane
