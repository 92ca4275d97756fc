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
    // The 10-character name at `at`, trimmed.
    std::string name(const BigEndianReader& data, std::int64_t at);
    // `count` based-on entries from `at`.
    std::vector<LogicalFileBasedOn> basedOnList(const BigEndianReader& data, std::int64_t at,
                                                std::uint32_t count);
    // The key entries in [start, end); a padding entry has a name no field can have.
    std::vector<LogicalFileKey> keyList(const BigEndianReader& data, std::int64_t start, std::int64_t end);
    // The record formats the based-on entries and keys make, padding keys left out.
    static std::vector<LogicalFileFormat> formatsOf(const std::vector<LogicalFileBasedOn>& basedOn,
                                                    const std::vector<LogicalFileKey>& keys);
    // The select/omit rules from `at` up to `end` (the key list) or the first ALL.
    std::vector<SelectOmitRule> selectOmitRules(const BigEndianReader& data, std::int64_t at,
                                                std::int64_t end);
    std::string indexName(const BigEndianReader& data);
    static std::string indexStatement(const LogicalFileDescription& file);

    EbcdicTextConverter& converter_;
};

}  // namespace quelvane
