#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "export/ExportFieldDecoder.h"
#include "export/PairCharacterLineText.h"
#include "savefile/Catalog.h"

namespace quelvane {

// Builds the text export's line of one record: the fields' export texts in record-format order,
// each followed by "|" with the splitter option, each line feed inside a field as CR LF, the line
// ended by CR LF. The way each field goes is chosen once per export: where the decoder reads by
// the pair into the PC page, character fields go straight into the line through the pair's byte
// table (PairCharacterLineText), packed and zoned fields are made on the stack (PackedLineText,
// ZonedLineText), and
// binary, float, date and timestamp fields, whose texts hold no line feed, are appended as
// exportFieldText gives them without being searched (as are packed ones PackedLineText leaves),
// and so are time fields as the pair's byte table reads them (hex pairs and colons);
// everything else, and every field read by stored CCSID or into UTF-8, goes through the decoder.
class TextExportLine {
  public:
    TextExportLine(const SavedObject& file, ExportFieldDecoder& fields, EbcdicTextConverter& converter,
                   bool splitter);

    // Replaces `line` with the record's line. Raises as the decoder does.
    void build(std::span<const std::uint8_t> record, std::string& line);

  private:
    enum class Step { decoder, character, time, packed, zoned, digits };

    void appendField(std::span<const std::uint8_t> record, const SavedField& field, Step step,
                     std::string& line);

    const SavedObject& file_;
    ExportFieldDecoder& fields_;
    EbcdicTextConverter& converter_;
    bool splitter_;
    const PairByteTable* table_;
    std::optional<PairCharacterLineText> characters_;
    std::vector<Step> steps_;
    std::string text_;
};

}  // namespace quelvane
