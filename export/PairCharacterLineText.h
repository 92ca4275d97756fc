#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "savefile/Catalog.h"
#include "views/PairByteTable.h"

namespace quelvane {

// The text export's character fields read by the pair, put into the line in one pass straight
// from the record's host bytes through the pair's byte table: the PC bytes up to the first zero
// one, a blank for none, each line feed as CR LF. That is what ExportFieldDecoder::decode gives
// such a field by the pair in the PC page, appended as the text export appends it, without the
// field's own string, its shift-out search and its line-feed search. A field this does not take
// (not a character field, past the record, longer than the table reads, holding a shift-out) is
// left to the decoder.
class PairCharacterLineText {
  public:
    explicit PairCharacterLineText(const PairByteTable& table);

    // Appends the field's text to `line`; false, with `line` as it was, for a field left to the
    // decoder.
    bool append(std::span<const std::uint8_t> record, const SavedField& field, std::string& line) const;

  private:
    std::array<std::uint8_t, 256> pc_{};
};

}  // namespace quelvane
