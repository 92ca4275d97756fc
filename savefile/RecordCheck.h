#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "savefile/SaveFileLayout.h"

namespace quelvane {

// The 12 bytes that end every 528-byte record of a save file: a shift-and-add fold of the body and
// the sequence number into a 68-byte register, that register folded again into 12 bytes, the
// first 8 of them XORed with the save's timestamp (block 0's first 8 bytes). One algorithm for
// every layout, old and new. A record whose check holds is byte for byte what the system wrote;
// the check is taken over the bytes as stored, the closing value of the last body included.
class RecordCheck {
  public:
    static constexpr std::size_t kRecordSize = SaveFileLayout::kBlockSize;
    static constexpr std::size_t kWidth = SaveFileLayout::kRecordCheckWidth;
    using Value = std::array<std::uint8_t, kWidth>;
    using Timestamp = std::array<std::uint8_t, SaveFileLayout::kTimestampWidth>;

    // `timestamp`: the first 8 bytes of the save's block 0.
    explicit RecordCheck(const Timestamp& timestamp) : timestamp_(timestamp) {}
    // The timestamp of a save whose block 0 is `block0` (at least 8 bytes; zeros where shorter).
    static RecordCheck forBlock0(std::span<const std::uint8_t> block0);

    // The check `record` (528 bytes) should carry, from its body and sequence number.
    Value of(std::span<const std::uint8_t, kRecordSize> record) const;
    // True when the record's last 12 bytes are its check.
    bool holds(std::span<const std::uint8_t, kRecordSize> record) const;
    // Writes the record's check into its last 12 bytes.
    void seal(std::span<std::uint8_t, kRecordSize> record) const;

  private:
    Timestamp timestamp_;
};

}  // namespace quelvane
