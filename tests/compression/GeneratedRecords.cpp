#include "tests/compression/GeneratedRecords.h"

#include <array>
#include <random>
#include <string>

namespace quelvane::test {

namespace {

constexpr std::size_t kRecordLength = 120;
constexpr std::uint8_t kBlank = 0x40;
constexpr std::uint8_t kZonedDigit = 0xF0;
constexpr std::array<std::uint8_t, 26> kLetters = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9,
                                                   0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9,
                                                   0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9};

void putZoned(std::vector<std::uint8_t>& record, std::size_t at, std::size_t digits, std::uint64_t value) {
    for (std::size_t i = digits; i-- > 0; value /= 10) {
        record[at + i] = static_cast<std::uint8_t>(kZonedDigit | (value % 10));
    }
}

void putPacked(std::vector<std::uint8_t>& record, std::size_t at, std::size_t bytes, std::uint64_t value) {
    record[at + bytes - 1] = static_cast<std::uint8_t>(((value % 10) << 4) | 0x0F);
    value /= 10;
    for (std::size_t i = bytes - 1; i-- > 0; value /= 100) {
        record[at + i] = static_cast<std::uint8_t>(((value / 10 % 10) << 4) | (value % 10));
    }
}

}  // namespace

std::vector<std::uint8_t> generatedRecords(std::size_t size) {
    std::mt19937 random(20240607);
    std::vector<std::uint8_t> out;
    out.reserve(size + kRecordLength);
    std::vector<std::uint8_t> record(kRecordLength);
    for (std::uint64_t key = 1; out.size() < size; ++key) {
        std::fill(record.begin(), record.end(), kBlank);
        putZoned(record, 0, 9, key);
        std::size_t nameLength = 4 + random() % 16;
        for (std::size_t i = 0; i < nameLength; ++i) {
            record[9 + i] = kLetters[random() % (i < 2 ? kLetters.size() : 6)];
        }
        putPacked(record, 39, 5, random() % 1000000);
        putZoned(record, 44, 8, 20200101 + random() % 5 * 10000 + random() % 12 * 100 + random() % 28);
        record[52] = kLetters[random() % 4];
        putPacked(record, 53, 7, random() % 100000000);
        if (random() % 4 == 0) {
            for (std::size_t i = 0; i < 20; ++i) {
                record[60 + i] = kLetters[random() % kLetters.size()];
            }
        }
        out.insert(out.end(), record.begin(), record.end());
    }
    out.resize(size);
    return out;
}

}  // namespace quelvane::test
