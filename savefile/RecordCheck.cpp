#include "savefile/RecordCheck.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quelvane {

namespace {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

// The wide register: 68 bytes as nine 64-bit limbs, least significant first; the top limb holds
// 32 bits.
constexpr std::size_t kWideBytes = 68;
constexpr std::size_t kLimbs = 9;
constexpr u64 kTopMask = 0xFFFFFFFFull;
using Wide = std::array<u64, kLimbs>;

// A range of bytes (from, to: 0-based, end excluded) added at a 1-based position of a register;
// the field runs from that position to the register's end.
struct Step {
    std::size_t from;
    std::size_t to;
    std::size_t position;
};

// The first load: the sequence number, then body bytes 0-56, at position 8 of the wide register.
constexpr std::size_t kFirstBody = 57;
constexpr std::size_t kFirstPosition = 8;
// The body in, a range at a time. Bytes 445-511 come before 377-444, as the system does it.
constexpr std::array<Step, 7> kBodySteps = {
    {{57, 119, 7}, {119, 182, 6}, {182, 246, 5}, {246, 311, 4}, {311, 377, 3}, {445, 512, 2}, {377, 445, 1}}};
// The 12-byte register starts with wide bytes 0-4 at position 8. Bytes 57-67 come before 45-56.
constexpr std::size_t kNarrowBytes = 12;
constexpr std::size_t kFirstWide = 5;
constexpr std::array<Step, 7> kWideSteps = {
    {{5, 11, 7}, {11, 18, 6}, {18, 26, 5}, {26, 35, 4}, {35, 45, 3}, {57, 68, 2}, {45, 57, 1}}};

u64 bigEndian64(const std::uint8_t* bytes) {
    u64 value = 0;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr (std::endian::native == std::endian::little) {
        value = __builtin_bswap64(value);
    }
    return value;
}

// `bytes` read as one big-endian number into limbs (at most 68 bytes).
Wide load(const std::uint8_t* bytes, std::size_t count) {
    Wide limbs{};
    std::size_t limb = 0;
    std::size_t end = count;
    while (end >= 8) {
        limbs[limb++] = bigEndian64(bytes + end - 8);
        end -= 8;
    }
    u64 rest = 0;
    for (std::size_t i = 0; i < end; ++i) {
        rest = (rest << 8) | bytes[i];
    }
    if (end > 0) {
        limbs[limb] = rest;
    }
    return limbs;
}

void shiftLeft(Wide& w) {
    for (std::size_t i = kLimbs - 1; i > 0; --i) {
        w[i] = (w[i] << 1) | (w[i - 1] >> 63);
    }
    w[0] <<= 1;
    w[kLimbs - 1] &= kTopMask;
}

// Adds `x` into the low `width` bytes of `w`; a carry out of them is dropped.
void addLow(Wide& w, const Wide& x, std::size_t width) {
    const std::size_t bits = width * 8;
    u64 carry = 0;
    for (std::size_t i = 0; i < kLimbs && i * 64 < bits; ++i) {
        const u128 sum = static_cast<u128>(w[i]) + x[i] + carry;
        const u64 low = static_cast<u64>(sum);
        carry = static_cast<u64>(sum >> 64);
        const std::size_t inField = bits - i * 64;
        const u64 mask = inField >= 64 ? ~u64{0} : (u64{1} << inField) - 1;
        w[i] = (low & mask) | (w[i] & ~mask);
    }
    w[kLimbs - 1] &= kTopMask;
}

std::array<std::uint8_t, kWideBytes> store(const Wide& w) {
    std::array<std::uint8_t, kWideBytes> out{};
    for (std::size_t i = 0; i < kWideBytes; ++i) {
        const std::size_t bit = (kWideBytes - 1 - i) * 8;
        out[i] = static_cast<std::uint8_t>(w[bit / 64] >> (bit % 64));
    }
    return out;
}

u128 loadNarrow(const std::uint8_t* bytes, std::size_t count) {
    u128 value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

Wide foldBody(std::span<const std::uint8_t, RecordCheck::kRecordSize> record) {
    std::array<std::uint8_t, SaveFileLayout::kSequenceWidth + kFirstBody> first{};
    std::memcpy(first.data(), record.data() + SaveFileLayout::kSequenceOffset,
                SaveFileLayout::kSequenceWidth);
    std::memcpy(first.data() + SaveFileLayout::kSequenceWidth, record.data(), kFirstBody);
    Wide w = load(first.data(), first.size());
    static_assert(kWideBytes - kFirstPosition + 1 == first.size());
    for (const Step& step : kBodySteps) {
        shiftLeft(w);
        addLow(w, load(record.data() + step.from, step.to - step.from), kWideBytes - step.position + 1);
    }
    return w;
}

}  // namespace

RecordCheck RecordCheck::forBlock0(std::span<const std::uint8_t> block0) {
    Timestamp timestamp{};
    std::copy_n(block0.begin(), std::min(block0.size(), timestamp.size()), timestamp.begin());
    return RecordCheck(timestamp);
}

RecordCheck::Value RecordCheck::of(std::span<const std::uint8_t, kRecordSize> record) const {
    const std::array<std::uint8_t, kWideBytes> wide = store(foldBody(record));
    const u128 mask = (u128{1} << (kNarrowBytes * 8)) - 1;
    u128 c = loadNarrow(wide.data(), kFirstWide);
    for (const Step& step : kWideSteps) {
        c = (c << 1) & mask;
        const std::size_t bits = (kNarrowBytes - step.position + 1) * 8;
        const u128 field = bits >= 128 ? ~u128{0} : (u128{1} << bits) - 1;
        const u128 sum = (c & field) + loadNarrow(wide.data() + step.from, step.to - step.from);
        c = (c & ~field) | (sum & field);
    }
    Value out{};
    for (std::size_t i = 0; i < kWidth; ++i) {
        out[i] = static_cast<std::uint8_t>(c >> ((kWidth - 1 - i) * 8));
    }
    for (std::size_t i = 0; i < timestamp_.size(); ++i) {
        out[i] ^= timestamp_[i];
    }
    return out;
}

bool RecordCheck::holds(std::span<const std::uint8_t, kRecordSize> record) const {
    const Value expected = of(record);
    return std::equal(expected.begin(), expected.end(), record.begin() + SaveFileLayout::kRecordCheckOffset);
}

void RecordCheck::seal(std::span<std::uint8_t, kRecordSize> record) const {
    const Value value = of(record);
    std::copy(value.begin(), value.end(), record.begin() + SaveFileLayout::kRecordCheckOffset);
}

}  // namespace quelvane
