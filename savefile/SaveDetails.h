#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "savefile/SavedTimestamp.h"

namespace quelvane {

// What the system recorded about the save as a whole. Every value is empty when the file does
// not hold it in the expected place or holds something that cannot be it (zeros, blanks, a date
// outside the years a save can carry).
struct SaveDetails {
    // When the save ran (library descriptor clock), and when the save file itself was written
    // (file header clock, a few seconds later).
    std::optional<SavedTimestamp> savedAt;
    std::optional<SavedTimestamp> writtenAt;
    std::optional<std::string> serialNumber;
    std::optional<std::string> systemName;
    // Two-byte release codes as stored (0x4600 for V7R4), and their names where known.
    std::optional<std::uint16_t> savingReleaseCode;
    std::optional<std::uint16_t> targetReleaseCode;
    std::optional<std::string> savingRelease;
    std::optional<std::string> targetRelease;
    // Where the save records no release (the oldest layout), the releases its objects were
    // created for, each once, in catalog order.
    std::vector<std::string> objectReleases;
};

// What an object's directory entry and description record beyond its name, type and text.
struct ObjectDetails {
    std::optional<std::string> owner;
    // Bytes; only for objects that are not files, whose stored size is in bytes.
    std::optional<std::int64_t> size;
    std::optional<std::string> licensedProgram;
    std::optional<std::string> release;
    std::optional<SavedTimestamp> created;
    std::optional<SavedTimestamp> sourceChanged;
    std::optional<std::string> sourceFile;
    std::optional<std::string> sourceMember;
    std::optional<std::string> sourceLibrary;
    std::optional<std::string> creator;
    std::optional<std::string> createdOnSystem;
};

}  // namespace quelvane
