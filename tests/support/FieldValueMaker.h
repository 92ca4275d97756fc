#pragma once

#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

#include "savefile/Catalog.h"
#include "savefile/TypeCodes.h"

namespace quelvane::test {

// Bytes for the fields of generated records: mostly what valid data holds (packed and zoned
// digits with both signs, dates from year 1 to 9999), texts rich in what a reader has to take
// care of (comma, double quote, CR, LF and NEL in the common EBCDIC pages, zeros, blanks, shift
// codes, blank tails), and now and then anything, so that fast paths meet their fallbacks.
class FieldValueMaker {
  public:
    explicit FieldValueMaker(unsigned seed) : random_(seed) {}

    std::vector<std::uint8_t> record(const SavedObject& file) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.recordLength));
        for (const SavedField& field : file.fields) {
            fill(field, bytes.data() + field.offset);
        }
        return bytes;
    }

    void fill(const SavedField& field, std::uint8_t* at) {
        const bool damaged = roll(100) < 8;
        const bool blankTail = roll(2) == 0;
        for (std::int32_t i = 0; i < field.length; ++i) {
            at[i] = damaged ? byte() : validByte(field, i);
            if (blankTail && i > field.length / 2 && field.typeCode == kCharacterFieldType) {
                at[i] = 0x40;
            }
        }
        if ((field.typeCode == kDateFieldType || field.typeCode == kTimestampFieldType) && roll(50) != 0) {
            // Julian days from 0001-01-01 to 9999-12-31, big-endian in the first four bytes.
            const std::uint32_t day = 1721426 + static_cast<std::uint32_t>(roll(3651000));
            for (int i = 0; i < 4; ++i) {
                at[i] = static_cast<std::uint8_t>(day >> (24 - 8 * i));
            }
        }
    }

  private:
    int roll(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
    std::uint8_t byte() { return static_cast<std::uint8_t>(roll(256)); }

    std::uint8_t validByte(const SavedField& field, std::int32_t i) {
        const bool last = i == field.length - 1;
        switch (field.typeCode) {
            case kPackedFieldType:
                return static_cast<std::uint8_t>(roll(10) << 4 |
                                                 (last ? (roll(2) == 0 ? 0x0F : 0x0D) : roll(10)));
            case kZonedFieldType:
                return static_cast<std::uint8_t>((last && roll(2) == 0 ? 0xD0 : 0xF0) | roll(10));
            case kCharacterFieldType:
            case kOpenCharacterFieldType: {
                static constexpr std::uint8_t kSpecial[] = {0x6B, 0x7F, 0x0D, 0x25, 0x15, 0x00,
                                                            0x0E, 0x0F, 0x40, 0x05, 0x3F, 0xFF};
                const int kind = roll(100);
                if (kind < 55) {
                    return static_cast<std::uint8_t>(0xC1 + roll(9));
                }
                if (kind < 75) {
                    return 0x40;
                }
                if (kind < 90) {
                    return kSpecial[roll(static_cast<int>(std::size(kSpecial)))];
                }
                return byte();
            }
            default:
                return byte();
        }
    }

    std::mt19937 random_;
};

}  // namespace quelvane::test
