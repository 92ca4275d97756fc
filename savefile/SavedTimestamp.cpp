#include "savefile/SavedTimestamp.h"

#include <chrono>
#include <cstdio>

namespace quelvane {

namespace {

constexpr std::size_t kClockWidth = 8;
constexpr int kClockFractionBits = 12;
// The clock's zero point, in whole seconds from 1970-01-01 00:00:00 and the microseconds past them.
constexpr std::int64_t kClockEpochSeconds = -1305115014;  // 1928-08-23 12:03:06
constexpr std::int64_t kClockEpochMicroseconds = 314752;
constexpr int kEarliestYear = 1980;
constexpr int kLatestYear = 2099;
constexpr std::int64_t kMicrosPerSecond = 1000000;
constexpr std::int64_t kSecondsPerDay = 86400;

constexpr std::size_t kDigitsWidth = 13;
constexpr std::uint8_t kEbcdicZero = 0xF0;
constexpr std::uint8_t kEbcdicNine = 0xF9;

std::optional<SavedTimestamp> civil(std::int64_t unixSeconds, std::int64_t microseconds) {
    std::int64_t days = unixSeconds / kSecondsPerDay;
    std::int64_t rest = unixSeconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    SavedTimestamp stamp;
    stamp.year = static_cast<int>(date.year());
    stamp.month = static_cast<int>(static_cast<unsigned>(date.month()));
    stamp.day = static_cast<int>(static_cast<unsigned>(date.day()));
    stamp.hour = static_cast<int>(rest / 3600);
    stamp.minute = static_cast<int>(rest / 60 % 60);
    stamp.second = static_cast<int>(rest % 60);
    stamp.microsecond = static_cast<int>(microseconds);
    if (stamp.year < kEarliestYear || stamp.year > kLatestYear) {
        return std::nullopt;
    }
    return stamp;
}

}  // namespace

std::string SavedTimestamp::text() const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buffer;
}

std::optional<SavedTimestamp> SavedTimestamp::fromClock(std::span<const std::uint8_t> clock) {
    if (clock.size() != kClockWidth) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (std::uint8_t byte : clock) {
        value = (value << 8) | byte;
    }
    // All zeros and all ones are the unset values of a clock field.
    if (value == 0 || value == ~std::uint64_t{0}) {
        return std::nullopt;
    }
    value >>= kClockFractionBits;
    if (value == 0) {
        return std::nullopt;
    }
    auto micros = static_cast<std::int64_t>(value) + kClockEpochMicroseconds;
    return civil(kClockEpochSeconds + micros / kMicrosPerSecond, micros % kMicrosPerSecond);
}

std::optional<SavedTimestamp> SavedTimestamp::fromDigits(std::span<const std::uint8_t> digits) {
    if (digits.size() != kDigitsWidth) {
        return std::nullopt;
    }
    int value[kDigitsWidth];
    for (std::size_t i = 0; i < kDigitsWidth; ++i) {
        if (digits[i] < kEbcdicZero || digits[i] > kEbcdicNine) {
            return std::nullopt;
        }
        value[i] = digits[i] - kEbcdicZero;
    }
    auto pair = [&](std::size_t at) { return value[at] * 10 + value[at + 1]; };
    if (value[0] > 1) {
        return std::nullopt;
    }
    SavedTimestamp stamp{1900 + value[0] * 100 + pair(1), pair(3), pair(5), pair(7), pair(9), pair(11), 0};
    std::chrono::year_month_day date{std::chrono::year{stamp.year},
                                     std::chrono::month{static_cast<unsigned>(stamp.month)},
                                     std::chrono::day{static_cast<unsigned>(stamp.day)}};
    if (!date.ok() || stamp.hour > 23 || stamp.minute > 59 || stamp.second > 59) {
        return std::nullopt;
    }
    return stamp;
}

std::optional<SavedTimestamp> SavedTimestamp::fromUnix(std::int64_t seconds, std::int64_t microseconds) {
    if (seconds <= 0 || microseconds < 0 || microseconds >= kMicrosPerSecond) {
        return std::nullopt;
    }
    return civil(seconds, microseconds);
}

}  // namespace quelvane
