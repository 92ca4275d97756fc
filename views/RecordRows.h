#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/Catalog.h"
#include "views/FieldTextByCcsid.h"
#include "views/MemberSlotReader.h"

namespace quelvane {

// The rows of a member listing kept as little as possible: one status byte per listed slot.
// A row's caption is its slot number, its image marks a slot without a record, and its cells
// are decoded from the save file when asked for (the last row asked for is kept, since a list
// asks for a row's cells one after the other). Rows are appended as the first pass hands them
// on. Texts are in the PC code page, as the content list's, unless decoded by stored CCSID.
class RecordRows {
  public:
    static constexpr int kRecordlessImage = 1;

    RecordRows(const SavedObject& file, std::unique_ptr<BlockSource> saveFile, std::int32_t sequence,
               EbcdicTextConverter& converter,
               std::int32_t recordDistance = MemberRecordStream::kFirstDataBlockAfterSequence);

    // Status bytes are kept in chunks of this many rows: appending never copies the rows listed
    // so far, whatever the record count said.
    static constexpr std::size_t kChunkRows = 65536;

    // Cells from now on read character and graphic fields by their stored CCSIDs, in UTF-8,
    // falling back to host page `hostPage`.
    void decodeByStoredCcsid(std::int32_t hostPage);
    bool utf8Cells() const { return byCcsid_ != nullptr; }

    // Makes room in the chunk index for `rows` rows (a count the caller bounded by the file).
    void reserve(std::int64_t rows);
    void append(const std::uint8_t* statuses, std::size_t count);
    std::int64_t rowCount() const { return rows_; }

    std::string rowCaption(std::int64_t row) const { return std::to_string(row); }
    int rowImage(std::int64_t row) const;
    // Cell `cell` of a row, counting from 0 (the first field); empty past the row's cells, for
    // a slot without a record and past a field that does not decode.
    std::string_view cellText(std::int64_t row, int cell);
    // The cells a row has: its fields, those before the first that does not decode, none for a
    // slot without a record.
    int cellCount(std::int64_t row);
    // Why the row decoded last has fewer cells than fields (the slot cannot be read again, or a
    // field does not decode); empty when it has them all or is a slot without a record.
    const std::string& rowFailure() const { return rowFailure_; }

  private:
    void decodeRow(std::int64_t row);

    SavedObject file_;
    MemberSlotReader reader_;
    EbcdicTextConverter& converter_;
    std::unique_ptr<FieldTextByCcsid> byCcsid_;
    std::vector<std::vector<std::uint8_t>> chunks_;
    std::int64_t rows_ = 0;
    std::int64_t decodedRow_ = -1;
    std::vector<std::string> cells_;
    std::string rowFailure_;
};

}  // namespace quelvane
