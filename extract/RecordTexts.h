#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/PcTextToUtf8.h"
#include "savefile/Catalog.h"
#include "views/FieldDecoder.h"
#include "views/FieldTextByCcsid.h"
#include "views/LoadedFieldPlan.h"
#include "views/PairByteTable.h"

namespace quelvane {

// The values of one record of a physical file as texts for loading, in UTF-8: each field decoded
// as the records view decodes it, in the typed form of decodeLoadedFieldValue; with `byCcsid`,
// character and graphic fields by their stored CCSIDs instead of the pair. One object serves
// every record of a member and reuses its texts' storage. The fields go through the format's
// LoadedFieldPlan first, the general decoder taking what the plan leaves.
class RecordTexts {
  public:
    // `columnNames` name the columns, one per field; without them the fields' names do.
    RecordTexts(const SavedObject& file, EbcdicTextConverter& converter, PcTextToUtf8& utf8,
                FieldTextByCcsid* byCcsid = nullptr, const std::vector<std::string>& columnNames = {});

    // Decodes every field of `record`. Raises DecodingFailure for a field reaching past the
    // record and FieldDecodingFailure for a date out of range.
    void decode(std::span<const std::uint8_t> record);

    std::size_t size() const { return texts_.size(); }
    const std::string& text(std::size_t field) const { return texts_[field]; }
    // The kind of this record's value, Text for a number that did not decode as one.
    LoadedKind kind(std::size_t field) const { return kinds_[field]; }
    // Whether this record's text of the field is surely digits, signs, points, colons and
    // blanks only (LoadedFieldPlan::plainText), nothing a CSV writer quotes.
    bool plain(std::size_t field) const { return plain_[field] != 0; }

    // The kind of the field's column, and its name in UTF-8.
    LoadedKind columnKind(std::size_t field) const { return columnKinds_[field]; }
    const std::string& name(std::size_t field) const { return names_[field]; }

    // The pair's byte table the character fields read through, null where the pair has none.
    const PairByteTable* byteTable() const { return table_.get(); }

  private:
    const SavedObject& file_;
    EbcdicTextConverter& converter_;
    PcTextToUtf8& utf8_;
    FieldTextByCcsid* byCcsid_;
    std::vector<std::string> texts_;
    std::vector<LoadedKind> kinds_;
    std::vector<char> plain_;
    std::vector<LoadedKind> columnKinds_;
    std::vector<std::string> names_;
    std::unique_ptr<PairByteTable> table_;
    LoadedFieldPlan plan_;
};

}  // namespace quelvane
