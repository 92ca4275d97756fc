#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "compare/ComparedSide.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

// Digests of what a save stores, read as a stream in steps so that memory stays flat however
// large the data: an object's data segment, a member's record slots, a stream file's data.
class StoredDigests {
  public:
    static constexpr std::int64_t kReadStep = 64 * 1024;

    // A digest, or why the data could not be read whole.
    struct Digest {
        std::uint64_t value = 0;
        std::int64_t bytes = 0;
        std::string unread;
        bool read() const { return unread.empty(); }
        // The same bytes read, stopping (if at all) at the same place for the same reason: a
        // damaged member saved twice alike reads the same in both.
        bool operator==(const Digest&) const = default;
    };

    // The data segment of `object`; a save without it gives an empty digest.
    static Digest object(ComparedSide& side, const SavedObject& object);

    // The record slots of `member` (deleted slots count: records are matched by their relative
    // record number). Of a source member without `withDates`, the line texts only.
    static Digest member(ComparedSide& side, const SavedObject& file, const SavedMember& member,
                         bool withDates);

    // A stream file's data segment: the `blocks` blocks whose header is `headerBlock`.
    static Digest segment(ComparedSide& side, std::int64_t headerBlock, std::int32_t blocks);

    // Opens `stream` over `member`'s records; raises DecodingFailure when the save holds none.
    static void openMember(ComparedSide& side, const SavedObject& file, const SavedMember& member,
                           MemberRecordStream& stream);

    // The bytes of `field` within `record`, cut where the record ends.
    static std::span<const std::uint8_t> fieldBytes(std::span<const std::uint8_t> record,
                                                    const SavedField& field);
};

}  // namespace quelvane
