#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quelvane {

// A date and time as the saving system recorded it (its local time; no zone is stored).
struct SavedTimestamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int microsecond = 0;

    bool operator==(const SavedTimestamp&) const = default;

    // "2020-08-17 22:31:41".
    std::string text() const;

    // An 8-byte system clock value: microseconds since 1928-08-23 12:03:06.314752 in its top
    // 52 bits. All zeros, all ones and values before 1980 hold no save date.
    static std::optional<SavedTimestamp> fromClock(std::span<const std::uint8_t> clock);

    // 13 EBCDIC digits CYYMMDDHHMMSS, C = 0 for 19xx and 1 for 20xx. Anything but digits, or a
    // field that is no calendar date, holds no date.
    static std::optional<SavedTimestamp> fromDigits(std::span<const std::uint8_t> digits);

    // Seconds and microseconds since 1970-01-01 00:00:00, as stream-file times are stored.
    static std::optional<SavedTimestamp> fromUnix(std::int64_t seconds, std::int64_t microseconds);
};

}  // namespace quelvane
