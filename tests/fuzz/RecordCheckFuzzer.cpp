#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "savefile/RecordCheck.h"

// The record check over arbitrary records, against the fold done the slow way: one byte at a
// time, each register a plain big-endian byte array. A sealed record must hold.
namespace {

constexpr std::size_t kRecord = quelvane::RecordCheck::kRecordSize;

template <std::size_t N>
void shiftLeft(std::array<std::uint8_t, N>& r) {
    for (std::size_t i = 0; i < N; ++i) {
        r[i] = static_cast<std::uint8_t>((r[i] << 1) | (i + 1 < N ? r[i + 1] >> 7 : 0));
    }
}

// Adds bytes[0..count) at 1-based position `position` of r, the field running to r's end.
template <std::size_t N>
void addAt(std::array<std::uint8_t, N>& r, const std::uint8_t* bytes, std::size_t count,
           std::size_t position) {
    if (N - position + 1 != count) {
        std::abort();
    }
    unsigned carry = 0;
    for (std::size_t i = count; i-- > 0;) {
        const unsigned sum = r[position - 1 + i] + bytes[i] + carry;
        r[position - 1 + i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
}

quelvane::RecordCheck::Value slowFold(const std::uint8_t* rec, const std::uint8_t* stamp) {
    std::array<std::uint8_t, 68> w{};
    std::memcpy(w.data() + 7, rec + 512, 4);
    std::memcpy(w.data() + 11, rec, 57);
    const std::size_t body[7][3] = {{57, 119, 7},  {119, 182, 6}, {182, 246, 5}, {246, 311, 4},
                                    {311, 377, 3}, {445, 512, 2}, {377, 445, 1}};
    for (const auto& step : body) {
        shiftLeft(w);
        addAt(w, rec + step[0], step[1] - step[0], step[2]);
    }
    std::array<std::uint8_t, 12> c{};
    std::memcpy(c.data() + 7, w.data(), 5);
    const std::size_t wide[7][3] = {{5, 11, 7},  {11, 18, 6}, {18, 26, 5}, {26, 35, 4},
                                    {35, 45, 3}, {57, 68, 2}, {45, 57, 1}};
    for (const auto& step : wide) {
        shiftLeft(c);
        addAt(c, w.data() + step[0], step[1] - step[0], step[2]);
    }
    for (std::size_t i = 0; i < 8; ++i) {
        c[i] ^= stamp[i];
    }
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    quelvane::RecordCheck::Timestamp stamp{};
    std::memcpy(stamp.data(), data, stamp.size());
    const quelvane::RecordCheck check(stamp);
    for (std::size_t at = 8; at + kRecord <= size; at += kRecord) {
        std::array<std::uint8_t, kRecord> record{};
        std::memcpy(record.data(), data + at, kRecord);
        if (check.of(record) != slowFold(record.data(), stamp.data())) {
            std::abort();
        }
        check.seal(record);
        if (!check.holds(record)) {
            std::abort();
        }
    }
    return 0;
}
