#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/Catalog.h"
#include "views/ContentList.h"
#include "views/FieldTextByCcsid.h"

namespace quelvane {

// Decodes the fields of one record slot into cells of the list's current row, reusing one text's
// storage for every field: by the pair, or with `byCcsid` by the fields' stored CCSIDs. A field
// reaching past the record is a decoding failure, raised after the cells before it were added.
class RecordCells {
  public:
    RecordCells(const SavedObject& file, EbcdicTextConverter& converter, FieldTextByCcsid* byCcsid)
        : file_(file), converter_(converter), byCcsid_(byCcsid) {}

    void addCells(ContentList& list, std::span<const std::uint8_t> record);

  private:
    const SavedObject& file_;
    EbcdicTextConverter& converter_;
    FieldTextByCcsid* byCcsid_;
    std::string text_;
};

}  // namespace quelvane
