#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "describe/LogicalFileDescription.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"

namespace quelvane {

// Reads the member area of a logical file (the area that follows the object's description in
// its part, counted after the area's 16-byte prefix): the key list, the based-on list and the
// select/omit list, whose places the area header keeps (each 0x30 short of its offset), and
// the CREATE VIEW statement an SQL view keeps at a fixed place.
class LogicalFileReader {
  public:
    static constexpr std::int64_t kLargestArea = 16 << 20;

    explicit LogicalFileReader(EbcdicTextConverter& converter) : converter_(converter) {}

    // The member area of `object` of part `part`, read through `source` (the save as the catalog
    // was read from it); nothing when its place is not in the file.
    static std::optional<std::vector<std::uint8_t>> memberArea(BlockSource& source, const SavedPart& part,
                                                               const SavedObject& object);

    // Raises DecodingFailure when a list or entry leaves the area.
    LogicalFileDescription read(std::span<const std::uint8_t> area);

    // The description as DDS-like text: UNIQUE, R, PFILE, K and S/O lines; a view's stored SQL
    // text; an index's CREATE INDEX statement, made from its name, based-on file and keys.
    static std::vector<std::string> lines(const LogicalFileDescription& file);

  private:
    std::string indexName(const BigEndianReader& data);
    static std::string indexStatement(const LogicalFileDescription& file);

    EbcdicTextConverter& converter_;
};

}  // namespace quelvane
