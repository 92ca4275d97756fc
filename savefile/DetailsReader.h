#pragma once

#include <cstdint>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/SaveDetails.h"

namespace quelvane {

// Reads the save and object details out of records the catalog readers already hold. A value
// whose bytes lie outside the record, or that holds no valid value, stays empty; nothing here
// raises, so a detail never ends the reading of the catalog.
class DetailsReader {
  public:
    explicit DetailsReader(EbcdicTextConverter& converter) : converter_(converter) {}

    // The file header (block 0): when the save file was written.
    void readFileHeader(const BigEndianReader& block0, SaveDetails& details) const;

    // The first descriptor segment's header block: saving and target release codes.
    void readSegmentHeader(const BigEndianReader& segment, SaveDetails& details) const;

    // The library descriptor at `base` of its block: the save time and the saving system. The
    // system name is held only by the layout whose object directory starts 112 bytes in.
    void readLibraryDescriptor(const BigEndianReader& library, std::int64_t base, bool systemNameHeld,
                               SaveDetails& details) const;

    // A 151-byte object directory entry: owner and, for objects that are not files, size.
    void readDirectoryEntry(const BigEndianReader& entry, bool isFile, ObjectDetails& details) const;

    // The items of an object description after its text, which starts at `position`: the
    // creation record (licensed program, release, dates, source) and the creator record.
    void readDescription(const BigEndianReader& description, std::int64_t position,
                         ObjectDetails& details) const;

  private:
    std::optional<std::string> text(const BigEndianReader& record, std::int64_t offset, std::int64_t width,
                                    std::int64_t limit) const;

    EbcdicTextConverter& converter_;
};

}  // namespace quelvane
